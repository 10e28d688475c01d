#include "input/modTastiera.h"

#include "audio/clsSound.h"
#include "audio/modDirectShow.h"
#include "sprites/clsScroolBGK2.h"

namespace dv {

void gestisciTastiera(KeyContext& k) {
    modDirectInput& in = k.input;
    const KeyBindings& keys = k.game.Keys;
    in.ReadKeyboard();
    in.HoldCount(keys.KeyLeft);
    in.HoldCount(keys.KeyRight);
    const std::int16_t left = in.Count(keys.KeyLeft);
    if (left == 1 || left > 15) {
        k.form.MoveLeft();
    }
    const std::int16_t right = in.Count(keys.KeyRight);
    if (right == 1 || right > 15) {
        k.form.MoveRight();
    }
    in.HoldCount(keys.KeyDown);
    const std::int16_t down = in.Count(keys.KeyDown);
    if ((down == 1 || down > 20) && k.game.LockFreeze != 1) {
        k.form.MoveDown();
    }
    in.ReleaseLatch(keys.KeyRotate);
    in.ReleaseLatch(keys.KeySound);
    in.ReleaseLatch(keys.KeyMusic);
    in.ReleaseLatch(keys.KeyPause);
    in.ReleaseLatch(keys.KeyEscape);
    // A released Space waits for a tick that is a multiple of 4.
    if (k.game.TickCount % 4 == 0 && in.TakeLatch(keys.KeyRotate)) {
        k.form.RotatePiece();
    }
    if (in.TakeLatch(keys.KeyEscape)) {
        k.music.MusicPause();
        k.background.DoAction(bgk::FadeOut);
        k.form.GameExit();
    }
    if (in.TakeLatch(keys.KeyPause)) {
        k.form.GoPause();
    }
    if (in.TakeLatch(keys.KeySound)) {
        k.soundFx.PlaySnd(k.soundFx.PlaySnd() != 0 ? False16 : True16);
    }
    if (in.TakeLatch(keys.KeyMusic)) {
        k.music.MusicOn = k.music.MusicOn != 0 ? False16 : True16;
        k.music.MusicUpdate();
    }
}

void IntroKeys(KeyContext& k) {
    modDirectInput& in = k.input;
    in.ReadKeyboard();
    in.ReleaseLatch(k.game.Keys.KeyStart);
    in.ReleaseLatch(k.game.Keys.KeyEscape);
    if (in.TakeLatch(k.game.Keys.KeyEscape)) {
        k.form.GameExit();
    }
    if (in.TakeLatch(k.game.Keys.KeyStart)) {
        k.form.GameStart();
    }
}

void PauseKeys(KeyContext& k) {
    modDirectInput& in = k.input;
    in.ReadKeyboard();
    in.ReleaseLatch(k.game.Keys.KeyPause);
    if (in.TakeLatch(k.game.Keys.KeyPause)) {
        k.form.GoPause();
    }
}

void GameOverKeys(KeyContext& k) {
    modDirectInput& in = k.input;
    in.ReadKeyboard();
    in.ReleaseLatch(k.game.Keys.KeyStart);
    in.ReleaseLatch(k.game.Keys.KeyEscape);
    if (in.TakeLatch(k.game.Keys.KeyEscape)) {
        k.form.GoIntro();
    }
    // A Space release here is swallowed: it neither starts a game nor
    // carries over into the intro.
    in.TakeLatch(k.game.Keys.KeyStart);
}

void ConfirmKeys(KeyContext& k) {
    modDirectInput& in = k.input;
    in.ReadKeyboard();
    if (in.Down(dik::S) || in.Down(dik::Escape)) {
        if (k.game.GameState == state::ConfirmQuit) {
            k.form.EndProgram();
        } else if (k.game.GameState == state::ConfirmEnd) {
            k.music.MusicStop();
            k.game.GameState = state::Intro;
        }
    } else if (in.Down(dik::N)) {
        k.game.GameState = k.game.SavedState;
        if (k.game.GameState == state::Play) {
            k.music.MusicUpdate();
            k.background.DoAction(bgk::FadeIn);
        }
    }
}

}  // namespace dv

#include "game/Form1.h"

#include <algorithm>

#include "game/PieceFile.h"
#include "game/modDebug.h"
#include "input/modTastiera.h"
#include "platform/Error.h"

namespace dv {

Form1::Form1(const Platform& platform, std::filesystem::path workDir)
    : platform_(platform),
      workDir_(std::move(workDir)),
      input_(platform.keyboard),
      mdx8_(platform.render),
      soundFx_(platform.sound, platform.window.ProgramDirectory()),
      music_(platform.media),
      screens_(mdx8_, game_, soundFx_, music_, *this) {}

void Form1::Fail(int number, const std::string& description) {
    DebugLog(description, workDir_);
    platform_.window.MessageBox(Error(number, description).MessageText());
}

bool Form1::Form_Load() {
    cursorCount_ = platform_.window.ShowCursor(0);
    try {
        input_.InitKeyboard();
        InitGame();
        mdx8_.InitDevice(800, 600);
        platform_.window.ShowWindow();
        SetupFonts();
        screens_.InitGraphics();
        for (int i = 1; i <= 4; ++i) {
            game_.ClearedRows[static_cast<std::size_t>(i)] = -1;
        }
        soundFx_.Initialize();
        soundFx_.PlaySnd(True16);
        music_.MusicOn = False16;
        timerEnabled_ = true;
    } catch (const Error& e) {
        Fail(e.Number(), e.Description());
    } catch (const std::exception& e) {
        Fail(err::PathFileAccessError, e.what());
    }
    return timerEnabled_;
}

void Form1::Form_Unload() {
    platform_.window.ShowCursor(cursorCount_ - 1);
}

void Form1::Timer1_Timer() {
    if (!timerEnabled_ || endStatus_) {
        return;
    }
    try {
        RunTick();
    } catch (const Error& e) {
        // Nothing inside a tick handles errors; rather than crash, the game
        // reports the error the way start-up does and ends.
        Fail(e.Number(), e.Description());
        timerEnabled_ = false;
        endStatus_ = 1;
    }
}

void Form1::RunTick() {
    if (game_.TickCount % 100 == 0 && game_.GameState == state::Play) {
        const double position = music_.CurrentPosition();
        const double duration = music_.Duration();
        if (duration - position < 1.0) {
            music_.MusicRestart();
        }
    }
    game_.RandomPiece = game_.DrawPiece();
    game_.TickCount = static_cast<std::int16_t>(game_.TickCount + 1);
    if (game_.TickCount == 1000) {
        game_.TickCount = 0;
    }
    if (game_.LockCountdown > 0) {
        game_.LockCountdown = static_cast<std::int16_t>(game_.LockCountdown - 1);
        if (game_.LockCountdown == 0) {
            game_.LockFreeze = 0;
        }
    }
    KeyContext keys = Keys();
    switch (game_.GameState) {
    case state::Intro: IntroKeys(keys); break;
    case state::Play: {
        gestisciTastiera();
        if (game_.LockFreeze != 1 && game_.FallInterval != 0 && game_.TickCount % game_.FallInterval == 0) {
            MoveDown();
        }
        if (StackTop() < 10) {
            if (game_.StackWarning != 1) {
                StackWarningOn();
            }
        } else if (StackTop() > 13 && game_.StackWarning != 0) {
            StackWarningOff();
        }
        break;
    }
    case state::Pause: PauseKeys(keys); break;
    case state::ConfirmEnd: ConfirmKeys(keys); break;
    case state::GameOver: GameOverKeys(keys); break;
    case state::ConfirmQuit: ConfirmKeys(keys); break;
    default: break;
    }
    if (endStatus_) {
        return;
    }
    if (game_.TickCount % 2 == 0) {
        switch (game_.GameState) {
        case state::Play:
        case state::Pause:
        case state::GameOver:
        case state::ConfirmEnd: screens_.DrawGame(game_.GameState); break;
        case state::Intro: screens_.DrawIntro(); break;
        case state::ConfirmQuit: screens_.DrawQuitConfirm(); break;
        default: break;
        }
    }
}

KeyContext Form1::Keys() {
    return KeyContext{game_, input_, soundFx_, music_, screens_.Background, *this};
}

void Form1::gestisciTastiera() {
    KeyContext keys = Keys();
    dv::gestisciTastiera(keys);
}

void Form1::InitGame() {
    LoadPieces(platform_.window.ProgramDirectory() / "data" / "PezziVantle.txt", game_.PieceShapes);
    game_.InitWell();
    game_.InitKeys();
    ResetGame();
    UpdateLevel();
}

void Form1::ResetGame() {
    game_.ResetGameVariables();
    UpdateLevel();
}

void Form1::SetupFonts() {
    mdx8_.GameFonts[0] = mdx8_.CreateTextFont(FontDesc{"Comic Sans MS", 24, true});
    mdx8_.GameFonts[1] = mdx8_.CreateTextFont(FontDesc{"Comic Sans MS", 12, true});
}

void Form1::GameStart() {
    if (game_.GameState != state::Intro && game_.GameState != state::GameOver) {
        return;
    }
    // The player never sees a video window; its size in twips is handed over
    // as the original did, held inside 16 bits for large desktops.
    const auto twips = [](int v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); };
    music_.MediaOpen(platform_.window.ProgramDirectory() / "sounds" / "vantle1.mp3", 0, 0,
                     twips(platform_.window.OuterWidthTwips()), twips(platform_.window.OuterHeightTwips()), false);
    music_.MusicRestart();
    InitGame();
    game_.GameState = state::Play;
    screens_.Background.StepY = 1;
    screens_.Background.DoAction(bgk::FadeIn);
    game_.CurPiece = game_.DrawPiece();
    game_.NextPiece = game_.DrawPiece();
    game_.PieceStats[static_cast<std::size_t>(game_.CurPiece)] += 1;
}

void Form1::GoPause() {
    if (game_.GameState == state::Play) {
        game_.GameState = state::Pause;
        music_.MusicPause();
        screens_.Background.DoAction(bgk::FadeOut);
    } else if (game_.GameState == state::Pause) {
        screens_.Background.DoAction(bgk::FadeIn);
        game_.GameState = state::Play;
        music_.MusicUpdate();
    }
}

void Form1::GameExit() {
    game_.SavedState = game_.GameState;
    if (game_.GameState == state::Play || game_.GameState == state::Pause) {
        game_.GameState = state::ConfirmEnd;
    } else if (game_.GameState == state::Intro || game_.GameState == state::GameOver) {
        game_.GameState = state::ConfirmQuit;
    }
}

void Form1::GoIntro() {
    screens_.IntroStep = 0;
    game_.GameState = state::Intro;
}

void Form1::EndProgram() {
    endStatus_ = 0;
    timerEnabled_ = false;
}

}  // namespace dv

#pragma once
// The main window: start-up, the 10 ms tick, the six states and the rules of
// play. It owns every game object and implements the calls the key handlers
// and the screens make back up to it.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "audio/clsSound.h"
#include "audio/modDirectShow.h"
#include "game/Module1.h"
#include "graphics/Mdx8.h"
#include "graphics/modGrafica.h"
#include "input/GameCommands.h"
#include "input/modDirectInput.h"
#include "input/modTastiera.h"
#include "platform/Keyboard.h"
#include "platform/MediaPlayer.h"
#include "platform/RenderDevice.h"
#include "platform/SoundDevice.h"
#include "platform/WindowSystem.h"

namespace dv {

struct Platform {
    IWindowSystem& window;
    IKeyboardDevice& keyboard;
    IRenderDevice& render;
    ISoundDevice& sound;
    IMediaSystem& media;
};

class Form1 final : public IGameCommands, public IIntroReturn {
public:
    // `workDir` stands for the current directory: bitmaps and DEBUG.TXT.
    explicit Form1(const Platform& platform, std::filesystem::path workDir = {});

    // The load event. Returns whether the timer was enabled; a failure has
    // been logged and shown by then.
    bool Form_Load();
    // One Timer1 tick. An error escaping it is logged and shown, and the
    // program is asked to end with status 1.
    void Timer1_Timer();
    void Form_Unload();

    bool TimerEnabled() const { return timerEnabled_; }
    // Set once the program must end: 0 after the quit answer, 1 after a failure.
    std::optional<int> EndStatus() const { return endStatus_; }

    // The public methods of the window.
    std::int16_t CalcNextRot() const;
    void GoPause() override;
    void GameStart() override;
    void GameExit() override;
    void gestisciTastiera();
    void GoIntro() override;

    // The moves, called by the keys and by gravity.
    void MoveLeft() override;
    void MoveRight() override;
    void MoveDown() override;
    void RotatePiece() override;
    void EndProgram() override;

    Module1& Game() { return game_; }
    const Module1& Game() const { return game_; }
    modDirectInput& Input() { return input_; }
    clsSound& SoundFx() { return soundFx_; }
    const clsSound& SoundFx() const { return soundFx_; }
    modDirectShow& Music() { return music_; }
    const modDirectShow& Music() const { return music_; }
    modGrafica& Screens() { return screens_; }
    Mdx8& Graphics() { return mdx8_; }

    // Rules exposed for tests that set up a well by hand.
    void LockPiece();
    bool CanMove(std::int16_t direction) const;
    bool CanRotate() const;
    std::uint8_t StackTop() const;
    void UpdateLevel();

private:
    void RunTick();
    void Fail(int number, const std::string& description);
    void InitGame();
    void ResetGame();
    void SetupFonts();
    bool Fits(int rot, int offsetX, int offsetY) const;
    void CheckLines();
    void RemoveLines(const std::array<std::int16_t, 5>& rows, int count);
    void SetLevel(std::int16_t level);
    void StackWarningOn();
    void StackWarningOff();
    KeyContext Keys();

    Platform platform_;
    std::filesystem::path workDir_;
    Module1 game_;
    modDirectInput input_;
    Mdx8 mdx8_;
    clsSound soundFx_;
    modDirectShow music_;
    modGrafica screens_;
    std::int32_t cursorCount_ = 0;
    bool timerEnabled_ = false;
    std::optional<int> endStatus_;
};

}  // namespace dv

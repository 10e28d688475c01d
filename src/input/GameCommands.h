#pragma once
// What the key handlers ask of the main window: the moves and the state
// operations. The window implements it; the handlers only see this.
namespace dv {

class IGameCommands {
public:
    virtual ~IGameCommands() = default;
    virtual void MoveLeft() = 0;
    virtual void MoveRight() = 0;
    virtual void MoveDown() = 0;
    virtual void RotatePiece() = 0;
    virtual void GoPause() = 0;
    virtual void GameStart() = 0;
    virtual void GameExit() = 0;
    virtual void GoIntro() = 0;
    // Ends the program at once, without the window's unload handling.
    virtual void EndProgram() = 0;
};

}  // namespace dv

#pragma once
// The window system as the game needs it: one 800x600 window, the mouse
// cursor display count, a modal OK message and the program's own folder.
// The 10 ms tick is driven from outside (see app/RunLoop), never from here.
#include <filesystem>
#include <string>

namespace dv {

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // Counter semantics of the classic desktop call: a zero argument hides
    // (count - 1), any other value shows (count + 1); the cursor is visible
    // while the count is >= 0. Returns the new count.
    virtual int ShowCursor(int show) = 0;
    virtual void ShowWindow() = 0;
    // Modal; returns when the player has pressed OK (or at once headless).
    virtual void MessageBox(const std::string& text) = 0;
    virtual std::filesystem::path ProgramDirectory() const = 0;
    // The window's outer size in twips (15 twips a pixel at 96 dpi).
    virtual int OuterWidthTwips() const = 0;
    virtual int OuterHeightTwips() const = 0;
};

}  // namespace dv

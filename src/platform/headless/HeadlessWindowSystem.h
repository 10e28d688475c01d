#pragma once
// A window system without a window: messages go to a list (and optionally
// to standard error), the cursor is only a counter.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace dv {

class HeadlessWindowSystem final : public IWindowSystem {
public:
    explicit HeadlessWindowSystem(std::filesystem::path programDir, bool echoMessages = false)
        : programDir_(std::move(programDir)), echo_(echoMessages) {}

    int ShowCursor(int show) override;
    void ShowWindow() override { ++shown_; }
    void MessageBox(const std::string& text) override;
    std::filesystem::path ProgramDirectory() const override { return programDir_; }
    int OuterWidthTwips() const override { return 800 * 15; }
    int OuterHeightTwips() const override { return 600 * 15; }

    int CursorCount() const { return cursor_; }
    int Shown() const { return shown_; }
    const std::vector<std::string>& Messages() const { return messages_; }

private:
    std::filesystem::path programDir_;
    bool echo_;
    int cursor_ = 0;
    int shown_ = 0;
    std::vector<std::string> messages_;
};

}  // namespace dv

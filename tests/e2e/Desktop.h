#pragma once
// Xvfb (and a window manager) driven with xdotool, for tests of the real
// program in a real window.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "Binary.h"

namespace dv::e2e {

using namespace std::chrono_literals;

inline bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string FirstLine(std::string text) {
    return text.substr(0, text.find('\n'));
}

// An X server of our own for the length of one test, with openbox managing
// it when asked: without a window manager minimising sends nothing and
// nobody closes windows.
class Desktop {
public:
    explicit Desktop(const WorkDir& dir, bool windowManager = true) : dir_(dir) {
        std::system(("Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >'" + (dir / "display").string() +
                     "' 2>/dev/null & echo $! >'" + (dir / "xvfb.pid").string() + "'")
                        .c_str());
        for (int i = 0; i < 100 && display_.empty(); ++i) {
            std::this_thread::sleep_for(50ms);
            const std::string text = dir.Read("display");
            if (!text.empty() && text.back() == '\n') {
                display_ = ":" + FirstLine(text);
            }
        }
        if (display_.empty()) {
            return;
        }
        if (!windowManager) {
            managed_ = true;
            return;
        }
        std::system(("DISPLAY=" + display_ + " openbox >/dev/null 2>&1 & echo $! >'" + (dir / "openbox.pid").string() +
                     "'")
                        .c_str());
        for (int i = 0; i < 100 && !managed_; ++i) {
            std::this_thread::sleep_for(50ms);
            managed_ = Out("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
        }
    }
    ~Desktop() {
        for (const char* pid : {"xmessage.pid", "openbox.pid", "xvfb.pid"}) {
            const std::string id = FirstLine(dir_.Read(pid));
            if (!id.empty()) {
                std::system(("kill " + id + " 2>/dev/null").c_str());
            }
        }
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The server is up, and managed when a window manager was asked for.
    bool Ready() const { return managed_; }
    const std::string& Display() const { return display_; }

    int X(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    std::string Out(const std::string& command) const {
        const auto file = dir_ / "x-out.txt";
        std::system(("DISPLAY=" + display_ + " " + command + " >'" + file.string() + "' 2>/dev/null").c_str());
        return dir_.Read("x-out.txt");
    }
    // A key pressed the way a player presses it, into whichever window has the focus.
    void Press(const std::string& key) const {
        X("xdotool keydown " + key);
        std::this_thread::sleep_for(60ms);
        X("xdotool keyup " + key);
        std::this_thread::sleep_for(250ms);
    }
    std::string ActiveWindow() const { return FirstLine(Out("xdotool getactivewindow")); }

    // Another program's window, to take the focus from the game; its id, or
    // empty when it did not appear, with why in xmessage.err. On a loaded
    // machine the window has once failed to show within the wait, so a
    // second one is tried.
    std::string OpenOtherWindow() const {
        for (int attempt = 0; attempt < 2; ++attempt) {
            CloseOtherWindow();
            std::system(("DISPLAY=" + display_ + " xmessage -name dvother 'altra finestra' >/dev/null 2>>'" +
                         (dir_ / "xmessage.err").string() + "' & echo $! >'" + (dir_ / "xmessage.pid").string() + "'")
                            .c_str());
            std::string id = FirstLine(Out("timeout 10 xdotool search --sync --onlyvisible --classname '^dvother$'"));
            if (!id.empty()) {
                return id;
            }
        }
        return {};
    }
    void CloseOtherWindow() const {
        std::system(("kill " + FirstLine(dir_.Read("xmessage.pid")) + " 2>/dev/null").c_str());
    }

private:
    const WorkDir& dir_;
    std::string display_;
    bool managed_ = false;
};

}  // namespace dv::e2e

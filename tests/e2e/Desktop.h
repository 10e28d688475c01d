#pragma once
// Xvfb (and a window manager) driven with xdotool, for tests of the real
// program in a real window.
//
// Every wait for another program polls to a deadline meant for a machine
// busy with other work (test::Patience, longer for the game's own window,
// which Wine or an emulator may take a long while to show), and a wait that
// runs out says what it waited for and what it saw instead.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <sys/wait.h>
#include <thread>

#include "Binary.h"
#include "WaitFor.h"

namespace dv::e2e {

using namespace std::chrono_literals;

// The game's first window: a first start under Wine (its server and desktop
// too) or under an emulator can take many seconds.
inline constexpr std::chrono::milliseconds GameWindowPatience = 2 * test::Patience;

inline bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string FirstLine(std::string text) {
    return text.substr(0, text.find('\n'));
}

inline std::string Seconds(std::chrono::milliseconds wait) {
    return std::to_string(wait.count() / 1000) + " s";
}

// An X server of our own for the length of one test, with openbox managing
// it when asked: without a window manager minimising sends nothing and
// nobody closes windows.
class Desktop {
public:
    explicit Desktop(const WorkDir& dir, bool windowManager = true) : dir_(dir) {
        // A server started while another on the same display number shuts
        // down (another test's, or this one's last) can lose its socket to
        // that one's clean-up, and then no client ever reaches it: a server
        // that fails so is started again, under the next free number.
        std::string failures;
        for (int attempt = 0; attempt < 4 && !managed_; ++attempt) {
            Stop();
            display_.clear();
            if (Start(windowManager)) {
                break;
            }
            failures += "attempt " + std::to_string(attempt + 1) + ": " + failure_ + "\n";
        }
        failure_ = managed_ ? std::string() : failures;
    }
    ~Desktop() { Stop(); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The server is up, and managed when a window manager was asked for;
    // if not, what was waited for and what was seen.
    bool Ready() const { return managed_; }
    const std::string& Failure() const { return failure_; }
    const std::string& Display() const { return display_; }

    int X(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    std::string Out(const std::string& command) const {
        const auto file = dir_ / "x-out.txt";
        std::system(("DISPLAY=" + display_ + " " + command + " >'" + file.string() + "' 2>/dev/null").c_str());
        return dir_.Read("x-out.txt");
    }

    // `xdotool VERB --sync WINDOW ARGS`, which waits until the window
    // manager has done it, with a deadline: on its own it waits for ever.
    // Empty when done; otherwise what it waited for and what it saw.
    std::string Sync(const std::string& verb, const std::string& window, const std::string& args = "") const {
        const std::string command = "xdotool " + verb + " --sync " + window + (args.empty() ? "" : " " + args);
        const int status = X("timeout " + std::to_string(test::Patience.count() / 1000) + " " + command);
        if (status == 0) {
            return {};
        }
        return "`" + command + "` " +
               (WIFEXITED(status) && WEXITSTATUS(status) == 124 ? "was not done within " + Seconds(test::Patience)
                                                                 : "failed with status " + std::to_string(status)) +
               "; then the active window was " + ActiveWindow() + ", and " + window + " had " +
               FirstLine(Out("xprop -id " + window + " WM_STATE _NET_WM_STATE")) + ", " +
               FirstLine(Out("xdotool getwindowgeometry " + window + " | sed -n 's/.*Geometry: /geometry /p'"));
    }

    // The first visible window `xdotool search` finds for `pattern` (say
    // "--classname '^dvother$'"), looked for until `limit` has passed or
    // `giveUp` holds; empty if none, with the windows seen in Failure().
    std::string WaitForWindow(const std::string& pattern, std::chrono::milliseconds limit = test::Patience,
                              const std::function<bool()>& giveUp = {}) const {
        std::string window;
        const bool found = test::WaitFor(
            [&] {
                window = FirstLine(Out("xdotool search --onlyvisible " + pattern));
                return !window.empty() || (giveUp && giveUp());
            },
            limit, 100ms);
        if (window.empty()) {
            failure_ = "no visible window for " + pattern + " " +
                       (found ? std::string("before the wait was given up") : "within " + Seconds(limit)) +
                       "; the named windows on " + display_ + ":\n" + NamedWindows();
        }
        return window;
    }

    // A key pressed the way a player presses it, into whichever window has the focus.
    void Press(const std::string& key) const {
        X("xdotool keydown " + key);
        std::this_thread::sleep_for(60ms);
        X("xdotool keyup " + key);
        std::this_thread::sleep_for(250ms);
    }
    std::string ActiveWindow() const { return FirstLine(Out("xdotool getactivewindow")); }
    // Whether `window` (an id in any base) has the input focus, where keys
    // go: the window manager may move it a moment after naming the window active.
    bool HasFocus(const std::string& window) const {
        const std::string focus = FirstLine(Out("xdotool getwindowfocus"));
        return !focus.empty() && !window.empty() && std::stoul(focus, nullptr, 0) == std::stoul(window, nullptr, 0);
    }

    // Another program's window, to take the focus from the game; its id, or
    // empty when it did not appear, with why in Failure() and xmessage.err.
    // On a loaded machine the window has once failed to show, so a second
    // one is tried.
    std::string OpenOtherWindow() const {
        for (int attempt = 0; attempt < 2; ++attempt) {
            CloseOtherWindow();
            std::system(("DISPLAY=" + display_ + " xmessage -name dvother 'altra finestra' >/dev/null 2>>'" +
                         (dir_ / "xmessage.err").string() + "' & echo $! >'" + (dir_ / "xmessage.pid").string() + "'")
                            .c_str());
            std::string id = WaitForWindow("--classname '^dvother$'");
            if (!id.empty()) {
                return id;
            }
        }
        failure_ += "xmessage's errors:\n" + dir_.Read("xmessage.err");
        return {};
    }
    void CloseOtherWindow() const {
        std::system(("kill " + FirstLine(dir_.Read("xmessage.pid")) + " 2>/dev/null").c_str());
    }

private:
    // Xvfb, then openbox if asked for, each waited for in turn; false, with
    // why in failure_, when it is worth starting again: a program ended at
    // once, or the server never let a client in.
    bool Start(bool windowManager) {
        const WorkDir& dir = dir_;
        std::system(("Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >'" + (dir / "display").string() +
                     "' 2>'" + (dir / "xvfb.err").string() + "' & echo $! >'" + (dir / "xvfb.pid").string() + "'")
                        .c_str());
        const bool ended = test::WaitFor(
            [&] {
                const std::string text = dir.Read("display");
                if (!text.empty() && text.back() == '\n') {
                    display_ = ":" + FirstLine(text);
                }
                return !display_.empty() || !Alive("xvfb.pid");
            },
            test::Patience, 50ms);
        if (display_.empty()) {
            failure_ = "Xvfb gave no display number " +
                       (ended ? std::string("and exited") : "within " + Seconds(test::Patience)) +
                       "; its errors:\n" + dir.Read("xvfb.err");
            return !ended;
        }
        // A client must get through before anything else is started on it.
        // The server names its display once it takes connections, so a
        // refused one means its socket is gone, not that it is slow.
        std::string seen;
        const bool answered = test::WaitFor(
            [&] {
                seen = Out("sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>&1'");
                return seen.find("_NET_SUPPORTING_WM_CHECK") != std::string::npos ||
                       seen.find("unable to open display") != std::string::npos || !Alive("xvfb.pid");
            },
            test::Patience, 50ms);
        if (seen.find("_NET_SUPPORTING_WM_CHECK") == std::string::npos) {
            failure_ = "no client reached Xvfb on " + display_ +
                       (answered ? std::string() : " within " + Seconds(test::Patience)) +
                       "; xprop -root said: " + FirstLine(seen) + "\nXvfb's errors:\n" + dir.Read("xvfb.err");
            return false;
        }
        if (!windowManager) {
            managed_ = true;
            return true;
        }
        std::system(("DISPLAY=" + display_ + " openbox >'" + (dir / "openbox.log").string() + "' 2>&1 & echo $! >'" +
                     (dir / "openbox.pid").string() + "'")
                        .c_str());
        test::WaitFor(
            [&] {
                seen = Out("xprop -root _NET_SUPPORTING_WM_CHECK");
                managed_ = seen.find("window id") != std::string::npos;
                return managed_ || !Alive("openbox.pid");
            },
            test::Patience, 50ms);
        if (!managed_) {
            const bool alive = Alive("openbox.pid");
            failure_ = "openbox did not manage " + display_ + " within " + Seconds(test::Patience) + " (it " +
                       (alive ? "is still running" : "has exited") +
                       "); xprop -root _NET_SUPPORTING_WM_CHECK said: " + FirstLine(seen) + "\nopenbox's output:\n" +
                       dir.Read("openbox.log");
            return alive;
        }
        return true;
    }
    // Each program ended and gone, so that the server's clean-up of its
    // display is over before another server may take the number.
    void Stop() const {
        for (const char* pid : {"xmessage.pid", "openbox.pid", "xvfb.pid"}) {
            const std::string id = FirstLine(dir_.Read(pid));
            if (!id.empty()) {
                std::system(("kill " + id + " 2>/dev/null").c_str());
                test::WaitFor([&] { return !Alive(pid); }, test::Patience, 10ms);
            }
            std::error_code gone;
            std::filesystem::remove(dir_ / pid, gone);
        }
    }
    // Running: a program that has ended but not yet been reaped (its parent
    // shell is gone) counts as ended, its exit work all done.
    bool Alive(const char* pidFile) const {
        const std::string id = FirstLine(dir_.Read(pidFile));
        if (id.empty()) {
            return false;
        }
        std::ifstream stat("/proc/" + id + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto named = line.rfind(')');
        return named != std::string::npos && named + 2 < line.size() && line[named + 2] != 'Z';
    }
    // The windows with a name, one a line, as xwininfo lists them.
    std::string NamedWindows() const {
        std::istringstream lines(Out("xwininfo -root -tree"));
        std::string named;
        for (std::string line; std::getline(lines, line);) {
            if (line.find("0x") != std::string::npos && line.find(" (has no name)") == std::string::npos) {
                named += line + "\n";
            }
        }
        return named;
    }

    const WorkDir& dir_;
    std::string display_;
    bool managed_ = false;
    mutable std::string failure_;
};

}  // namespace dv::e2e

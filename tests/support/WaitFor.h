#pragma once
// Waits for something another thread or program does on its own time.
#include <chrono>
#include <thread>

namespace dv::test {

// How long a test waits for another thread or program before it calls the
// wait failed. A wait ends as soon as its thing happens, so a deadline meant
// for a machine loaded with other work costs nothing on a quiet one; a short
// one only turns a slow machine into a red test.
inline constexpr std::chrono::milliseconds Patience{30000};

// Polls `done` every `step` until it holds (true) or `limit` has passed (false).
template <class Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = Patience,
             std::chrono::milliseconds step = std::chrono::milliseconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
    return true;
}

}  // namespace dv::test

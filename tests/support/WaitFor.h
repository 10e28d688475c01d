#pragma once
// Waits for something the sound or media threads do on their own time.
#include <chrono>
#include <thread>

namespace dv::test {

template <class Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = std::chrono::milliseconds(4000)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace dv::test

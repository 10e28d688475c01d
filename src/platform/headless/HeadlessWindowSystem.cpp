#include "platform/headless/HeadlessWindowSystem.h"

#include <iostream>

namespace dv {

int HeadlessWindowSystem::ShowCursor(int show) {
    cursor_ += show != 0 ? 1 : -1;
    return cursor_;
}

void HeadlessWindowSystem::MessageBox(const std::string& text) {
    messages_.push_back(text);
    if (echo_) {
        std::string shown;
        for (char c : text) {
            if (c != '\r') {
                shown += c;
            }
        }
        std::cerr << shown << '\n';
    }
}

}  // namespace dv

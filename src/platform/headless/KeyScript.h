#pragma once
// The replay format: one line per change, "TICK CODE CODE ...", meaning that
// from tick TICK on exactly these DIK codes are down. Ticks count from 1 and
// strictly increase; blank lines and '#' comments are ignored.
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Keyboard.h"

namespace dv {

struct KeyScriptLine {
    std::uint64_t tick = 0;
    std::vector<std::uint8_t> codes;
};

class KeyScriptError : public std::runtime_error {
public:
    KeyScriptError(int line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
    int Line() const { return line_; }

private:
    int line_;
};

struct KeyScript {
    std::vector<KeyScriptLine> lines;

    std::uint64_t LastTick() const { return lines.empty() ? 0 : lines.back().tick; }
};

// Throws KeyScriptError naming the first malformed line.
KeyScript ParseKeyScript(std::istream& in);

// One line of the format for the keys down in `state`.
std::string FormatKeyScriptLine(std::uint64_t tick, const KeyboardState& state);

}  // namespace dv

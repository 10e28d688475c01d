// Any bytes given as a replay: parsed or refused with a line number; what
// parses is written back and reads the same.
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/headless/KeyScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    dv::KeyScript script;
    try {
        script = dv::ParseKeyScript(in);
    } catch (const dv::KeyScriptError& e) {
        if (e.Line() < 1) {
            __builtin_trap();
        }
        return 0;
    }
    std::string text;
    for (const dv::KeyScriptLine& line : script.lines) {
        dv::KeyboardState state{};
        for (std::uint8_t code : line.codes) {
            state[code] = 0x80;
        }
        text += dv::FormatKeyScriptLine(line.tick, state) + "\n";
    }
    std::istringstream again(text);
    const dv::KeyScript back = dv::ParseKeyScript(again);
    if (back.lines.size() != script.lines.size()) {
        __builtin_trap();
    }
    return 0;
}

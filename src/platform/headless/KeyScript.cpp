#include "platform/headless/KeyScript.h"

#include <charconv>
#include <sstream>

namespace dv {
namespace {

bool ParseNumber(const std::string& word, std::uint64_t& value) {
    if (word.empty() || word.size() > 19) {
        return false;
    }
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

}  // namespace

KeyScript ParseKeyScript(std::istream& in) {
    KeyScript script;
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        const auto hash = raw.find('#');
        if (hash != std::string::npos) {
            raw.erase(hash);
        }
        std::istringstream words(raw);
        std::string word;
        if (!(words >> word)) {
            continue;
        }
        KeyScriptLine line;
        if (!ParseNumber(word, line.tick) || line.tick < 1) {
            throw KeyScriptError(lineNo, "tick must be a whole number from 1, not '" + word + "'");
        }
        if (!script.lines.empty() && line.tick <= script.lines.back().tick) {
            throw KeyScriptError(lineNo, "tick " + word + " does not come after tick " +
                                             std::to_string(script.lines.back().tick));
        }
        while (words >> word) {
            std::uint64_t code = 0;
            if (!ParseNumber(word, code) || code > 255) {
                throw KeyScriptError(lineNo, "key code must be 0..255, not '" + word + "'");
            }
            line.codes.push_back(static_cast<std::uint8_t>(code));
        }
        script.lines.push_back(std::move(line));
    }
    if (in.bad()) {
        throw KeyScriptError(lineNo, "read error");
    }
    return script;
}

std::string FormatKeyScriptLine(std::uint64_t tick, const KeyboardState& state) {
    std::string text = std::to_string(tick);
    for (std::size_t code = 0; code < state.size(); ++code) {
        if (state[code] != 0) {
            text += ' ';
            text += std::to_string(code);
        }
    }
    return text;
}

}  // namespace dv

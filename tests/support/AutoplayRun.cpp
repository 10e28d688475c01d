#include "AutoplayRun.h"

#include <deque>

#include "Autoplayer.h"
#include "platform/headless/KeyScript.h"

namespace dv::test {

AutoplayResult Autoplay(Form1& form, ScriptedKeyboard& keyboard, std::uint64_t maxTicks,
                        const std::function<bool(const Module1&)>& stop, std::vector<Interruption> interruptions,
                        const std::function<void(std::uint64_t, KeyboardState&)>& noise) {
    Autoplayer player(form.Game());
    AutoplayResult result;
    KeyboardState last{};
    std::deque<KeyboardState> scripted;
    std::size_t nextInterruption = 0;
    result.replay = "# keys of a game played by the code player\n";
    while (result.ticks < maxTicks && !form.EndStatus()) {
        const Module1& g = form.Game();
        if (scripted.empty() && nextInterruption < interruptions.size() &&
            g.LinesCleared >= interruptions[nextInterruption].atLines && g.GameState == state::Play) {
            const Interruption& in = interruptions[nextInterruption++];
            for (auto [code, held] : in.steps) {
                KeyboardState down{};
                if (code >= 0) {
                    down[static_cast<std::size_t>(code)] = 0x80;
                }
                for (int i = 0; i < held; ++i) {
                    scripted.push_back(down);
                }
            }
        }
        KeyboardState keys{};
        if (!scripted.empty()) {
            keys = scripted.front();
            scripted.pop_front();
        } else {
            keys = player.NextKeys();
        }
        ++result.ticks;
        if (noise) {
            noise(result.ticks, keys);
        }
        if (keys != last) {
            result.replay += FormatKeyScriptLine(result.ticks, keys) + "\n";
            last = keys;
        }
        keyboard.ReleaseAll();
        for (std::size_t code = 0; code < keys.size(); ++code) {
            if (keys[code] != 0) {
                keyboard.Set(static_cast<int>(code), true);
            }
        }
        form.Timer1_Timer();
        if (stop(form.Game())) {
            break;
        }
    }
    return result;
}

}  // namespace dv::test

#include "app/Runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>

#include "app/RecordingKeyboard.h"
#include "app/StateDump.h"
#include "game/Form1.h"
#include "platform/Error.h"
#include "platform/TickClock.h"
#include "platform/headless/KeyScript.h"
#include "platform/headless/ScriptedKeyboard.h"

namespace dv {
namespace {

std::optional<KeyScript> LoadReplay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "dravo-vantle: cannot read replay " << file.string() << '\n';
        return std::nullopt;
    }
    try {
        return ParseKeyScript(in);
    } catch (const KeyScriptError& e) {
        std::cerr << "dravo-vantle: " << file.string() << ": " << e.what() << '\n';
        return std::nullopt;
    }
}

// Frame times of a timedemo, in milliseconds.
class FrameTimes {
public:
    void Add(double ms) { samples_.push_back(ms); }
    std::size_t Count() const { return samples_.size(); }
    double Quantile(double q) {
        if (samples_.empty()) {
            return 0;
        }
        std::sort(samples_.begin(), samples_.end());
        const auto i = static_cast<std::size_t>(q * static_cast<double>(samples_.size() - 1) + 0.5);
        return samples_[std::min(i, samples_.size() - 1)];
    }

private:
    std::vector<double> samples_;
};

}  // namespace

int RunGame(const RunOptions& o, RunHost& host, std::chrono::steady_clock::time_point launched) {
    std::optional<KeyScript> script;
    if (o.replay) {
        script = LoadReplay(*o.replay);
        if (!script) {
            return 2;
        }
    }
    ScriptedKeyboard scripted(script ? *script : KeyScript{});
    IKeyboardDevice* source = (script || host.Keyboard() == nullptr) ? &scripted : host.Keyboard();
    std::unique_ptr<RecordingKeyboard> recorder;
    if (o.record) {
        try {
            recorder = std::make_unique<RecordingKeyboard>(*source, *o.record);
        } catch (const Error& e) {
            std::cerr << "dravo-vantle: " << e.Description() << '\n';
            return 2;
        }
    }
    IKeyboardDevice& keyboard = recorder ? static_cast<IKeyboardDevice&>(*recorder) : *source;
    const Platform platform{host.Window(), keyboard, host.Render(), host.Sound(), host.Media()};
    Form1 form(platform);

    std::optional<std::uint64_t> limit = o.ticks;
    if (!limit && script) {
        limit = script->LastTick() + 1;
    }
    std::vector<ScreenshotRequest> pending = o.screenshots;
    std::stable_sort(pending.begin(), pending.end(),
                     [](const ScreenshotRequest& a, const ScreenshotRequest& b) { return a.tick < b.tick; });

    std::uint64_t ticks = 0;
    int status = 0;
    if (!form.Form_Load()) {
        host.WaitForClose();
        status = 1;
    } else {
        TickClock clock;
        clock.Start();
        FrameTimes frames;
        std::optional<double> startupMs;
        const auto started = std::chrono::steady_clock::now();
        while (!limit || ticks < *limit) {
            if (!o.fast) {
                clock.WaitForNextTick();
            }
            if (host.PumpCloseRequested()) {
                form.Form_Unload();
                break;
            }
            ++ticks;
            scripted.SetTick(ticks);
            if (recorder) {
                recorder->SetTick(ticks);
            }
            const auto tickStart = std::chrono::steady_clock::now();
            form.Timer1_Timer();
            const bool drew = !form.EndStatus() && form.Game().TickCount % 2 == 0;
            if (drew && !startupMs) {
                startupMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - launched).count();
            }
            if (drew && o.timedemo) {
                frames.Add(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - tickStart)
                               .count());
            }
            while (drew && !pending.empty() && pending.front().tick <= ticks) {
                std::string why;
                if (!host.SaveScreenshot(pending.front().file, why)) {
                    std::cerr << "dravo-vantle: screenshot " << pending.front().file.string() << ": " << why << '\n';
                    status = 1;
                }
                pending.erase(pending.begin());
            }
            if (form.EndStatus()) {
                status = std::max(status, *form.EndStatus());
                break;
            }
        }
        if (o.timedemo) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const double realTime = static_cast<double>(ticks) * 0.01;
            std::printf("timedemo: %llu ticks, %zu frames, %.3f s, %.1f times real time, frame ms median %.3f p99 %.3f "
                        "max %.3f\n",
                        static_cast<unsigned long long>(ticks), frames.Count(), seconds,
                        seconds > 0 ? realTime / seconds : 0.0, frames.Quantile(0.5), frames.Quantile(0.99),
                        frames.Quantile(1.0));
        }
        if (o.tickStats && !o.fast) {
            std::printf("%s\n", clock.StatsLine().c_str());
        }
        if ((o.tickStats || o.timedemo) && startupMs) {
            std::printf("startup: %.1f ms to the first frame\n", *startupMs);
        }
    }
    for (const ScreenshotRequest& missed : pending) {
        std::cerr << "dravo-vantle: screenshot " << missed.file.string() << " at tick " << missed.tick
                  << " was never taken\n";
        status = std::max(status, 1);
    }
    if (o.dumpState && !WriteStateDump(*o.dumpState, form, ticks)) {
        std::cerr << "dravo-vantle: cannot write " << o.dumpState->string() << '\n';
        status = std::max(status, 1);
    }
    return status;
}

}  // namespace dv

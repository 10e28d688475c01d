#include "app/Runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

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

class GameRun final : public SteppedRun {
public:
    GameRun(const RunOptions& o, std::unique_ptr<RunHost> host, std::chrono::steady_clock::time_point launched)
        : host_(std::move(host)), o_(o), launched_(launched) {
        if (o_.replay) {
            script_ = LoadReplay(*o_.replay);
            if (!script_) {
                Abandon(2);
                return;
            }
        }
        scripted_ = std::make_unique<ScriptedKeyboard>(script_ ? *script_ : KeyScript{});
        IKeyboardDevice* source =
            (script_ || host_->Keyboard() == nullptr) ? scripted_.get() : host_->Keyboard();
        if (o_.record) {
            try {
                recorder_ = std::make_unique<RecordingKeyboard>(*source, *o_.record);
            } catch (const Error& e) {
                std::cerr << "dravo-vantle: " << e.Description() << '\n';
                Abandon(2);
                return;
            }
        }
        IKeyboardDevice& keyboard = recorder_ ? static_cast<IKeyboardDevice&>(*recorder_) : *source;
        const Platform platform{host_->Window(), keyboard, host_->Render(), host_->Sound(), host_->Media()};
        form_ = std::make_unique<Form1>(platform);

        limit_ = o_.ticks;
        if (!limit_ && script_) {
            limit_ = script_->LastTick() + 1;
        }
        pending_ = o_.screenshots;
        std::stable_sort(pending_.begin(), pending_.end(),
                         [](const ScreenshotRequest& a, const ScreenshotRequest& b) { return a.tick < b.tick; });

        if (!form_->Form_Load()) {
            status_ = 1;
            phase_ = Phase::FailedStart;
            return;
        }
        started_ = std::chrono::steady_clock::now();
        playing_ = true;
    }

    bool Step(std::chrono::nanoseconds catchUp, std::chrono::nanoseconds fastBudget) override {
        switch (phase_) {
            case Phase::Playing:
                if (limit_ && ticks_ >= *limit_) {
                    phase_ = Phase::Over;
                    return false;
                }
                // The clock starts once the game's first frame is on screen,
                // not when loading ends: a page calls the loop only at its
                // next display frame, and the first frame's one-off work (the
                // first glyphs, the music opening, code run for the first
                // time, the browser setting up the canvas to show it) takes
                // several periods on a slow phone. Timed from before any of
                // it, the ticks due meanwhile would all come at once after,
                // a visible jump and late ticks for a second or more.
                if (!clockStarted_) {
                    if (!o_.fast && !firstFrameRun_) {
                        firstFrameRun_ = true;
                        return RunToFirstFrame();
                    }
                    clock_.Start();
                    started_ = std::chrono::steady_clock::now();
                    clockStarted_ = true;
                }
                break;
            case Phase::FailedStart:
                // The message stays with its window until the player closes it.
                if (host_->PollClosedAfterFailure()) {
                    phase_ = Phase::Over;
                }
                return phase_ != Phase::Over;
            case Phase::Over:
                return false;
        }
        if (o_.fast) {
            const auto until = std::chrono::steady_clock::now() + fastBudget;
            do {
                if (!RunTick()) {
                    return false;
                }
            } while (std::chrono::steady_clock::now() < until);
            return true;
        }
        // However slow the ticks themselves, a step ends after the ticks the
        // catch-up limit allows, so the caller gets control back.
        const std::int64_t most = catchUp / clock_.Period() + 1;
        for (std::int64_t n = 0; n < most && clock_.TakeDueTick(catchUp); ++n) {
            if (!RunTick()) {
                return false;
            }
        }
        return true;
    }

    bool Paced() const override { return !o_.fast; }

    void SleepUntilDue() override {
        if (phase_ == Phase::FailedStart) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else if (phase_ == Phase::Playing && !o_.fast) {
            clock_.SleepUntilNextDeadline();
        }
    }

    int Finish() override {
        if (abandoned_) {
            return status_;
        }
        if (playing_) {
            Report();
        }
        for (const ScreenshotRequest& missed : pending_) {
            std::cerr << "dravo-vantle: screenshot " << missed.file.string() << " at tick " << missed.tick
                      << " was never taken\n";
            status_ = std::max(status_, 1);
        }
        pending_.clear();
        if (o_.dumpState && !WriteStateDump(*o_.dumpState, *form_, ticks_)) {
            std::cerr << "dravo-vantle: cannot write " << o_.dumpState->string() << '\n';
            status_ = std::max(status_, 1);
        }
        return status_;
    }

private:
    enum class Phase { Playing, FailedStart, Over };

    void Abandon(int status) {
        status_ = status;
        abandoned_ = true;
        phase_ = Phase::Over;
    }

    // The ticks up to the game's first drawn frame, untimed: the clock starts
    // at the next call, when the frame has been shown.
    bool RunToFirstFrame() {
        // The game draws every other tick; the bound keeps a game that never
        // draws from holding the loop.
        for (int n = 0; n < 2 && !startupMs_; ++n) {
            if (!RunTick()) {
                return false;
            }
        }
        return true;
    }

    // One tick of the game; false once the run is over.
    bool RunTick() {
        if (host_->PumpCloseRequested()) {
            form_->Form_Unload();
            phase_ = Phase::Over;
            return false;
        }
        ++ticks_;
        scripted_->SetTick(ticks_);
        if (recorder_) {
            recorder_->SetTick(ticks_);
        }
        const auto tickStart = std::chrono::steady_clock::now();
        form_->Timer1_Timer();
        const bool drew = !form_->EndStatus() && form_->Game().TickCount % 2 == 0;
        if (drew && !startupMs_) {
            startupMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - launched_).count();
        }
        if (drew && o_.timedemo) {
            frames_.Add(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - tickStart).count());
        }
        while (drew && !pending_.empty() && pending_.front().tick <= ticks_) {
            std::string why;
            if (!host_->SaveScreenshot(pending_.front().file, why)) {
                std::cerr << "dravo-vantle: screenshot " << pending_.front().file.string() << ": " << why << '\n';
                status_ = 1;
            }
            pending_.erase(pending_.begin());
        }
        if (form_->EndStatus()) {
            status_ = std::max(status_, *form_->EndStatus());
            phase_ = Phase::Over;
            return false;
        }
        if (limit_ && ticks_ >= *limit_) {
            phase_ = Phase::Over;
            return false;
        }
        return true;
    }

    void Report() {
        if (o_.timedemo) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
            const double realTime = static_cast<double>(ticks_) * 0.01;
            std::printf("timedemo: %llu ticks, %zu frames, %.3f s, %.1f times real time, frame ms median %.3f p99 %.3f "
                        "max %.3f\n",
                        static_cast<unsigned long long>(ticks_), frames_.Count(), seconds,
                        seconds > 0 ? realTime / seconds : 0.0, frames_.Quantile(0.5), frames_.Quantile(0.99),
                        frames_.Quantile(1.0));
        }
        if (o_.tickStats && !o_.fast) {
            std::printf("%s\n", clock_.StatsLine().c_str());
        }
        if ((o_.tickStats || o_.timedemo) && startupMs_) {
            std::printf("startup: %.1f ms to the first frame\n", *startupMs_);
        }
        std::fflush(stdout);
    }

    // Declared first, destroyed last: the game's devices live in the host.
    std::unique_ptr<RunHost> host_;
    RunOptions o_;
    std::chrono::steady_clock::time_point launched_;
    std::optional<KeyScript> script_;
    std::unique_ptr<ScriptedKeyboard> scripted_;
    std::unique_ptr<RecordingKeyboard> recorder_;
    std::unique_ptr<Form1> form_;
    std::optional<std::uint64_t> limit_;
    std::vector<ScreenshotRequest> pending_;
    TickClock clock_;
    std::chrono::steady_clock::time_point started_;
    FrameTimes frames_;
    std::optional<double> startupMs_;
    std::uint64_t ticks_ = 0;
    int status_ = 0;
    bool abandoned_ = false;
    bool playing_ = false;
    bool clockStarted_ = false;
    bool firstFrameRun_ = false;
    Phase phase_ = Phase::Playing;
};

}  // namespace

std::unique_ptr<SteppedRun> MakeGameRun(const RunOptions& options, std::unique_ptr<RunHost> host,
                                        std::chrono::steady_clock::time_point launched) {
    return std::make_unique<GameRun>(options, std::move(host), launched);
}

int RunGame(const RunOptions& options, std::unique_ptr<RunHost> host, std::chrono::steady_clock::time_point launched) {
    return RunToEnd(MakeGameRun(options, std::move(host), launched));
}

}  // namespace dv

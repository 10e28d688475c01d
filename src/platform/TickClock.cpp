#include "platform/TickClock.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "platform/os/Os.h"

namespace dv {

namespace {
double ToMs(TickClock::Duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
}  // namespace

TickClock::TimeSource TickClock::SystemTimeSource() {
    return TimeSource{
        [] { return Clock::now(); },
        [](TimePoint t) { std::this_thread::sleep_until(t); },
        [] { return os::ProcessCpuSeconds(); },
    };
}

TickClock::TickClock(Duration period, TimeSource source) : period_(period), source_(std::move(source)) {
    Start();
}

void TickClock::Start() {
    start_ = source_.now();
    lastTick_ = start_;
    deadline_ = start_ + period_;
    cpuAtStart_ = source_.cpuSeconds();
    ticks_ = 0;
    maxLateness_ = Duration{0};
    histogram_.fill(0);
    coarse_.fill(0);
}

void TickClock::WaitForNextTick() {
    SleepUntilNextDeadline();
    Take(source_.now(), period_);
}

void TickClock::SleepUntilNextDeadline() {
    if (source_.now() < deadline_) {
        source_.sleepUntil(deadline_);
    }
}

bool TickClock::TakeDueTick(Duration catchUp) {
    const TimePoint now = source_.now();
    if (now < deadline_) {
        return false;
    }
    Take(now, catchUp);
    return true;
}

void TickClock::Take(TimePoint now, Duration catchUp) {
    const Duration lateness = std::max(Duration{0}, now - deadline_);
    Record(lateness);
    lastTick_ = now;
    // Within the limit the grid holds, so a late tick is made up by a shorter
    // wait (or, with a limit of several periods, by the next ones coming at
    // once); beyond it the missed deadlines are dropped.
    if (lateness > catchUp) {
        deadline_ = now + period_;
    } else {
        deadline_ += period_;
    }
}

void TickClock::Record(Duration lateness) {
    ++ticks_;
    maxLateness_ = std::max(maxLateness_, lateness);
    const auto bucket = static_cast<std::size_t>(lateness / kBucketWidth);
    if (bucket < kBucketCount) {
        ++histogram_[bucket];
        return;
    }
    const Duration fineRange = kBucketWidth * static_cast<std::int64_t>(kBucketCount);
    const auto coarse = static_cast<std::size_t>((lateness - fineRange) / kCoarseWidth);
    ++coarse_[std::min(coarse, kCoarseCount - 1)];
}

TickClock::Stats TickClock::GetStats() const {
    Stats s;
    s.ticks = ticks_;
    if (ticks_ == 0) {
        return s;
    }
    s.meanPeriodMs = ToMs(lastTick_ - start_) / static_cast<double>(ticks_);
    s.maxLatenessMs = ToMs(maxLateness_);

    // The smallest bucket holding at least 99% of the samples.
    const std::uint64_t rank = (ticks_ * 99 + 99) / 100;
    std::uint64_t seen = 0;
    for (std::size_t bucket = 0; bucket < kBucketCount; ++bucket) {
        seen += histogram_[bucket];
        if (seen >= rank) {
            s.p99LatenessMs =
                std::min(ToMs(kBucketWidth * static_cast<std::int64_t>(bucket + 1)), s.maxLatenessMs);
            break;
        }
    }
    const Duration fineRange = kBucketWidth * static_cast<std::int64_t>(kBucketCount);
    for (std::size_t bucket = 0; seen < rank && bucket < kCoarseCount; ++bucket) {
        seen += coarse_[bucket];
        // The last bucket has no upper edge: anything that late reports the maximum.
        if (seen >= rank) {
            s.p99LatenessMs = bucket + 1 >= kCoarseCount
                                  ? s.maxLatenessMs
                                  : std::min(ToMs(fineRange + kCoarseWidth * static_cast<std::int64_t>(bucket + 1)),
                                             s.maxLatenessMs);
        }
    }

    const double wallSeconds = std::chrono::duration<double>(source_.now() - start_).count();
    if (wallSeconds > 0) {
        s.cpuPercent = 100.0 * (source_.cpuSeconds() - cpuAtStart_) / wallSeconds;
    }
    return s;
}

std::string TickClock::FormatStats(const Stats& s) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "tick-stats: %llu ticks, mean period %.3f ms, p99 lateness %.3f ms, max lateness %.3f ms, "
                  "cpu %.2f%%",
                  static_cast<unsigned long long>(s.ticks), s.meanPeriodMs, s.p99LatenessMs, s.maxLatenessMs,
                  s.cpuPercent);
    return line;
}

std::string TickClock::StatsLine() const {
    return FormatStats(GetStats());
}

}  // namespace dv

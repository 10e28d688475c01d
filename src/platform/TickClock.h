#pragma once
// The one place that turns wall time into the game's fixed ticks. Deadlines
// lie on a fixed grid, so the mean period does not drift with the time spent
// between ticks; a tick that starts more than a period late restarts the grid
// from now instead of replaying the missed ticks in a burst.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace dv {

class TickClock {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Duration = std::chrono::nanoseconds;

    // Where the clock gets its time from; the real one by default, a fake in tests.
    struct TimeSource {
        std::function<TimePoint()> now;
        std::function<void(TimePoint)> sleepUntil;
        std::function<double()> cpuSeconds;  // process CPU time, any origin
    };
    static TimeSource SystemTimeSource();

    struct Stats {
        std::uint64_t ticks = 0;
        double meanPeriodMs = 0;
        double p99LatenessMs = 0;  // upper edge of its histogram bucket, at most the max
        double maxLatenessMs = 0;
        double cpuPercent = 0;     // process CPU time over wall time since Start()
    };

    static constexpr Duration kDefaultPeriod = std::chrono::milliseconds(10);
    // Lateness is kept in 10 us buckets up to 20 ms, then in 1 ms buckets up
    // to 2 s (anything later shares the last one), so memory stays flat
    // however long the game runs. A page's ticks wait for display frames and
    // a few in a hundred come a frame or two late: without the coarse buckets
    // those few would push the 99th percentile to the one worst tick.
    static constexpr Duration kBucketWidth = std::chrono::microseconds(10);
    static constexpr std::size_t kBucketCount = 2000;
    static constexpr Duration kCoarseWidth = std::chrono::milliseconds(1);
    static constexpr std::size_t kCoarseCount = 1980;

    explicit TickClock(Duration period = kDefaultPeriod, TimeSource source = SystemTimeSource());

    // Starts (or restarts) the grid: the first deadline is one period from now.
    // Clears the statistics.
    void Start();
    // Sleeps until the next deadline (returns at once if it has passed), then
    // takes that tick with a catch-up limit of one period.
    void WaitForNextTick();
    // Sleeps until the next deadline, taking nothing.
    void SleepUntilNextDeadline();
    // Takes the next tick if its deadline has passed. A tick more than
    // `catchUp` late restarts the grid from now, so the deadlines missed
    // before it are never run.
    bool TakeDueTick(Duration catchUp);

    Duration Period() const { return period_; }
    TimePoint NextDeadline() const { return deadline_; }

    Stats GetStats() const;
    // "tick-stats: N ticks, mean period X ms, p99 lateness Y ms, max lateness Z ms, cpu W%"
    std::string StatsLine() const;
    static std::string FormatStats(const Stats& stats);

private:
    void Take(TimePoint now, Duration catchUp);
    void Record(Duration lateness);

    Duration period_;
    TimeSource source_;
    TimePoint start_{};
    TimePoint deadline_{};
    TimePoint lastTick_{};
    double cpuAtStart_ = 0;
    std::uint64_t ticks_ = 0;
    Duration maxLateness_{0};
    std::array<std::uint64_t, kBucketCount> histogram_{};
    std::array<std::uint64_t, kCoarseCount> coarse_{};
};

}  // namespace dv

#include "platform/TickClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace dv {
namespace {

using namespace std::chrono_literals;
using TimePoint = TickClock::TimePoint;

// Time moves only when the clock sleeps (to the deadline, plus an optional
// oversleep) or when the test spends time between ticks.
struct FakeTime {
    TimePoint now = TimePoint{} + 1000s;
    TickClock::Duration oversleep{0};
    double cpuSeconds = 0;
    std::vector<TimePoint> sleptUntil;

    TickClock::TimeSource Source() {
        return {[this] { return now; },
                [this](TimePoint t) {
                    sleptUntil.push_back(t);
                    if (t > now) {
                        now = t + oversleep;
                    }
                },
                [this] { return cpuSeconds; }};
    }
};

TEST(TickClock, DeadlinesLieOnTheGridFromStart) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    const TimePoint start = t.now;
    EXPECT_EQ(clock.NextDeadline(), start + 10ms);
    for (int k = 1; k <= 5; ++k) {
        t.now += 3ms;  // the game's work in this tick
        clock.WaitForNextTick();
        EXPECT_EQ(t.now, start + k * 10ms);
    }
    ASSERT_EQ(t.sleptUntil.size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(t.sleptUntil[static_cast<std::size_t>(k - 1)], start + k * 10ms);
    }
}

TEST(TickClock, OversleepAndWorkDoNotDrift) {
    FakeTime t;
    t.oversleep = 300us;
    TickClock clock(10ms, t.Source());
    const TimePoint start = t.now;
    for (int k = 1; k <= 1000; ++k) {
        t.now += 4ms;
        clock.WaitForNextTick();
    }
    EXPECT_EQ(t.now, start + 10s + 300us);
    const TickClock::Stats s = clock.GetStats();
    EXPECT_EQ(s.ticks, 1000u);
    EXPECT_NEAR(s.meanPeriodMs, 10.0003, 1e-9);
    EXPECT_NEAR(s.maxLatenessMs, 0.3, 1e-9);
}

TEST(TickClock, LateTickWithinAPeriodKeepsTheGrid) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    const TimePoint start = t.now;
    t.now += 15ms;  // 5 ms past the first deadline
    clock.WaitForNextTick();
    EXPECT_TRUE(t.sleptUntil.empty());
    EXPECT_EQ(t.now, start + 15ms);
    EXPECT_EQ(clock.NextDeadline(), start + 20ms);
    clock.WaitForNextTick();
    EXPECT_EQ(t.now, start + 20ms);

    // Exactly one period late still belongs to the grid: one tick made up.
    t.now = start + 40ms;
    clock.WaitForNextTick();
    EXPECT_EQ(clock.NextDeadline(), start + 40ms);
}

TEST(TickClock, TickMoreThanAPeriodLateRestartsTheGridWithoutBurst) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    const TimePoint start = t.now;
    t.now += 45ms;  // a stall: deadlines at 10, 20, 30 and 40 ms missed
    clock.WaitForNextTick();
    EXPECT_EQ(t.now, start + 45ms);
    EXPECT_EQ(clock.NextDeadline(), start + 55ms);
    // The next tick waits a full period instead of catching up.
    clock.WaitForNextTick();
    ASSERT_EQ(t.sleptUntil.size(), 1u);
    EXPECT_EQ(t.now, start + 55ms);
    clock.WaitForNextTick();
    EXPECT_EQ(t.now, start + 65ms);
    EXPECT_EQ(clock.GetStats().ticks, 3u);
    EXPECT_NEAR(clock.GetStats().maxLatenessMs, 35.0, 1e-9);
}

// Called once per display frame (16 or 17 ms apart), the clock hands out
// every deadline passed up to the catch-up limit, and past it restarts the
// grid instead of bursting through the backlog (a tab coming back).
TEST(TickClock, DueTicksCatchUpWithinTheLimitAndRestartBeyondIt) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    const TimePoint start = t.now;
    auto takeAll = [&](TickClock::Duration catchUp) {
        int n = 0;
        while (clock.TakeDueTick(catchUp)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(takeAll(100ms), 0);
    std::vector<int> perFrame;
    for (int frame = 1; frame <= 6; ++frame) {
        t.now = start + frame * 16667us;
        perFrame.push_back(takeAll(100ms));
    }
    EXPECT_EQ(perFrame, (std::vector<int>{1, 2, 2, 1, 2, 2}));
    EXPECT_EQ(clock.NextDeadline(), start + 110ms);
    EXPECT_TRUE(t.sleptUntil.empty());

    // 95 ms behind: still the grid, every missed tick runs.
    t.now = start + 205ms;
    EXPECT_EQ(takeAll(100ms), 10);
    EXPECT_EQ(clock.NextDeadline(), start + 210ms);

    // Hidden for a second: one tick, and the grid starts again from now.
    t.now = start + 1210ms + 1us;
    EXPECT_EQ(takeAll(100ms), 1);
    EXPECT_EQ(clock.NextDeadline(), t.now + 10ms);
    EXPECT_EQ(clock.GetStats().ticks, 21u);

    // With a limit of one period the same stall gives no burst either.
    t.now += 45ms;
    EXPECT_EQ(takeAll(10ms), 1);
    EXPECT_EQ(clock.NextDeadline(), t.now + 10ms);
}

TEST(TickClock, StatsFromKnownLateness) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    // 2 ticks 3 ms late, then 98 punctual ones: p99 is 3 ms.
    for (int k = 0; k < 2; ++k) {
        t.now = clock.NextDeadline() + 3ms;
        clock.WaitForNextTick();
    }
    for (int k = 0; k < 98; ++k) {
        clock.WaitForNextTick();
    }
    t.cpuSeconds = 0.015;  // 1 s of wall time (100 ticks of 10 ms), 1.5% of it on the CPU
    TickClock::Stats s = clock.GetStats();
    EXPECT_EQ(s.ticks, 100u);
    EXPECT_NEAR(s.meanPeriodMs, 10.0, 1e-9);
    EXPECT_NEAR(s.p99LatenessMs, 3.0, 1e-9);
    EXPECT_NEAR(s.maxLatenessMs, 3.0, 1e-9);
    EXPECT_NEAR(s.cpuPercent, 1.5, 1e-9);
    EXPECT_EQ(clock.StatsLine(),
              "tick-stats: 100 ticks, mean period 10.000 ms, p99 lateness 3.000 ms, max lateness 3.000 ms, "
              "cpu 1.50%");

    // One late tick in a hundred is within the 99th percentile's slack.
    t.cpuSeconds = 0;
    clock.Start();
    for (int k = 0; k < 99; ++k) {
        clock.WaitForNextTick();
    }
    t.now = clock.NextDeadline() + 2ms;
    clock.WaitForNextTick();
    s = clock.GetStats();
    EXPECT_LE(s.p99LatenessMs, 0.01);
    EXPECT_NEAR(s.maxLatenessMs, 2.0, 1e-9);
}

TEST(TickClock, LatenessBeyondTheFineBucketsKeepsItsPercentile) {
    FakeTime t;
    TickClock clock(100ms, t.Source());
    for (int k = 0; k < 10; ++k) {
        t.now = clock.NextDeadline() + 50ms;
        clock.WaitForNextTick();
    }
    TickClock::Stats s = clock.GetStats();
    EXPECT_NEAR(s.p99LatenessMs, 50.0, 1e-9);
    EXPECT_NEAR(s.maxLatenessMs, 50.0, 1e-9);

    // As in a page: a few ticks in a hundred a display frame or two late,
    // and one stall. The stall is the maximum, not the 99th percentile.
    clock.Start();
    for (int k = 0; k < 295; ++k) {
        clock.WaitForNextTick();
    }
    for (const auto late : {30ms, 33ms, 38ms, 41ms}) {
        t.now = clock.NextDeadline() + late;
        clock.WaitForNextTick();
    }
    t.now = clock.NextDeadline() + 1500ms;
    clock.WaitForNextTick();
    s = clock.GetStats();
    EXPECT_NEAR(s.p99LatenessMs, 34.0, 1e-9) << "the 297th of 300 is 33 ms late: its 1 ms bucket ends at 34";
    EXPECT_NEAR(s.maxLatenessMs, 1500.0, 1e-9);

    // Later than the coarse buckets reach: the maximum again.
    clock.Start();
    for (int k = 0; k < 5; ++k) {
        t.now = clock.NextDeadline() + 3s;
        clock.WaitForNextTick();
    }
    s = clock.GetStats();
    EXPECT_NEAR(s.p99LatenessMs, 3000.0, 1e-9);
}

TEST(TickClock, StartClearsStatsAndRestartsGrid) {
    FakeTime t;
    TickClock clock(10ms, t.Source());
    t.now += 50ms;
    clock.WaitForNextTick();
    t.now += 1s;
    clock.Start();
    EXPECT_EQ(clock.NextDeadline(), t.now + 10ms);
    const TickClock::Stats s = clock.GetStats();
    EXPECT_EQ(s.ticks, 0u);
    EXPECT_EQ(s.maxLatenessMs, 0.0);
    EXPECT_EQ(clock.StatsLine(),
              "tick-stats: 0 ticks, mean period 0.000 ms, p99 lateness 0.000 ms, max lateness 0.000 ms, cpu 0.00%");
}

}  // namespace
}  // namespace dv

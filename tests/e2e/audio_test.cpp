// What the player hears, end to end: the real program in real time on SDL's
// disk audio driver, which writes every buffer the mixer makes to a file
// from the moment the device opens. The mixer asks for 44100 Hz, two
// channels of signed 16-bit native-endian (little-endian here) samples in
// 1024-frame buffers, and the disk driver takes that format as it is. Left
// without SDL_DISKAUDIODELAY, the driver sleeps 23 ms (one buffer, rounded
// down) after writing each buffer, so the file runs at about real time: a
// little slower, by the time each buffer takes to mix (a few per cent here),
// or later still when the machine is busy. Distances between sounds in the
// file therefore match the ticks between them only to within that.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "Desktop.h"

namespace dv::e2e {
namespace {

constexpr std::size_t kRate = 44100;
constexpr std::size_t kBufferBytes = 1024 * 2 * 2;

// Interleaved stereo frames as the disk driver wrote them.
struct Recording {
    std::vector<std::int16_t> samples;
    std::size_t bytes = 0;

    std::size_t Frames() const { return samples.size() / 2; }
    int Loudness(std::size_t frame) const {
        return std::max(std::abs(static_cast<int>(samples[2 * frame])), std::abs(static_cast<int>(samples[2 * frame + 1])));
    }
    // The first frame at or after `from` whose louder channel exceeds `level`.
    std::optional<std::size_t> NextSound(std::size_t from, int level = 0) const {
        for (std::size_t f = from; f < Frames(); ++f) {
            if (Loudness(f) > level) {
                return f;
            }
        }
        return std::nullopt;
    }
};

Recording ReadRecording(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Recording r;
    r.bytes = bytes.size();
    r.samples.resize(bytes.size() / 4 * 2);
    for (std::size_t i = 0; i < r.samples.size(); ++i) {
        const auto lo = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto hi = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        r.samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    return r;
}

// The samples of one of the game's effects: 16-bit mono PCM at 44100 Hz.
std::vector<std::int16_t> ReadEffect(const std::string& name) {
    std::ifstream in(OutDir / "sounds" / name, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8));
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    std::vector<std::int16_t> pcm;
    bool mono16 = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(&b[at], 4);
        const std::size_t size = u32(at + 4);
        if (id == "fmt ") {
            mono16 = u16(at + 8) == 1 && u16(at + 10) == 1 && u32(at + 12) == kRate && u16(at + 22) == 16;
        } else if (id == "data") {
            for (std::size_t i = 0; i + 1 < size && at + 9 + i < b.size(); i += 2) {
                pcm.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(u16(at + 8 + i))));
            }
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_TRUE(mono16) << name << " is not 16-bit mono PCM at 44100 Hz";
    EXPECT_FALSE(pcm.empty()) << name;
    return pcm;
}

// Where in the recording an effect that starts sounding at `onset` lines up
// with its file, and how far the two ever differ there (both channels). The
// mixer widens mono to stereo through floating point, which may round a
// sample by one step, and where exactly the first audible sample falls may
// move a frame or two.
struct Match {
    std::size_t start = 0;  // the recording's frame for the effect's first sample
    int worst = 0;
};

Match MatchEffect(const Recording& rec, std::size_t onset, const std::vector<std::int16_t>& effect) {
    std::size_t firstHeard = 0;
    while (firstHeard < effect.size() && std::abs(static_cast<int>(effect[firstHeard])) <= 1) {
        ++firstHeard;
    }
    Match best{0, 1 << 20};
    for (int lag = -8; lag <= 8; ++lag) {
        const long start = static_cast<long>(onset) - static_cast<long>(firstHeard) + lag;
        if (start < 0 || static_cast<std::size_t>(start) + effect.size() > rec.Frames()) {
            continue;
        }
        int worst = 0;
        for (std::size_t i = 0; i < effect.size(); ++i) {
            const std::size_t f = static_cast<std::size_t>(start) + i;
            for (int ch = 0; ch < 2; ++ch) {
                worst = std::max(worst, std::abs(rec.samples[2 * f + static_cast<std::size_t>(ch)] - effect[i]));
            }
        }
        if (worst < best.worst) {
            best = Match{static_cast<std::size_t>(start), worst};
        }
    }
    return best;
}

// Sound requests per effect number after `ticks` ticks of a replay, run fast.
std::vector<int> RequestsAfter(const WorkDir& dir, const std::string& replay, std::uint64_t ticks) {
    const int status = dir.Run("--headless --fast --replay " + replay + " --ticks " + std::to_string(ticks) +
                               " --dump-state fast.json");
    EXPECT_EQ(status, 0) << dir.Read("stderr.txt");
    return nlohmann::json::parse(dir.Read("fast.json"))["SoundRequests"].get<std::vector<int>>();
}

// The first tick after which effect `number` has been asked for.
std::uint64_t TickOfFirstRequest(const WorkDir& dir, const std::string& replay, std::size_t number,
                                 std::uint64_t first, std::uint64_t last) {
    std::uint64_t lo = first;
    std::uint64_t hi = last;
    while (lo < hi) {
        const std::uint64_t mid = (lo + hi) / 2;
        if (RequestsAfter(dir, replay, mid).at(number) > 0) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// How far the game's ticks fell behind real time in a run, from its own
// --tick-stats line: the time lost to ticks so late that the tick grid
// restarted, and the latest single tick. Both are a fraction of a
// millisecond on a quiet machine. On a busy one they are how much further
// apart than their ticks two sounds may be heard through no fault of the
// game's sound, which plays each on the tick that asks for it.
struct Lateness {
    double lost = 0;  // seconds
    double worst = 0;
};

Lateness TicksLateness(const std::string& out) {
    unsigned long long ticks = 0;
    double meanMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    const auto at = out.find("tick-stats: ");
    if (at == std::string::npos ||
        std::sscanf(out.c_str() + at, "tick-stats: %llu ticks, mean period %lf ms, p99 lateness %lf ms, max lateness %lf ms",
                    &ticks, &meanMs, &p99Ms, &maxMs) != 4) {
        ADD_FAILURE() << "no tick-stats line in the output:\n" << out;
        return {};
    }
    return {std::max(0.0, static_cast<double>(ticks) * (meanMs - 10.0) / 1000.0), maxMs / 1000.0};
}

struct RealTimeRun {
    Recording rec;
    Lateness late;
};

RealTimeRun RunInRealTime(const WorkDir& dir, const std::string& args) {
    const int status = dir.Run("--headless --tick-stats " + args, "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" +
                                                                      (dir / "audio.raw").string() +
                                                                      "' SDL_VIDEODRIVER=dummy");
    EXPECT_EQ(status, 0) << dir.Read("stderr.txt");
    return {ReadRecording(dir / "audio.raw"), TicksLateness(dir.Read("stdout.txt"))};
}

constexpr std::size_t kRotate = 0;  // effect numbers: DOING.WAV and Drum.wav
constexpr std::size_t kLock = 1;

TEST(Audio, ATurnAndALockAreHeardAsTheirOwnSoundsTheRightTimeApart) {
    WorkDir dir;
    // Space starts a game on tick 2. Space released on tick 13 turns the
    // piece on tick 16, the first tick with TickCount a multiple of 4. Down
    // held from tick 30 drops the piece until it locks, and is let go while
    // the lock still freezes the next piece, so nothing else sounds.
    std::ofstream(dir / "turn-lock.txt") << "1 57\n2\n10 57\n13\n30 208\n85\n";
    constexpr std::uint64_t kTicks = 150;

    constexpr std::uint64_t rotateTick = 16;
    EXPECT_EQ(RequestsAfter(dir, "turn-lock.txt", rotateTick - 1).at(kRotate), 0);
    EXPECT_EQ(RequestsAfter(dir, "turn-lock.txt", rotateTick).at(kRotate), 1);
    const std::uint64_t lockTick = TickOfFirstRequest(dir, "turn-lock.txt", kLock, rotateTick, kTicks);
    ASSERT_GT(lockTick, 56u) << "the piece must lock after Down has moved it every tick for a while";
    ASSERT_LT(lockTick, 85u) << "Down must be let go before the next piece may move";
    const std::vector<int> requests = RequestsAfter(dir, "turn-lock.txt", kTicks);
    ASSERT_EQ(requests, (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0})) << "only the turn and the lock may sound";

    const auto [rec, late] = RunInRealTime(dir, "--replay turn-lock.txt --ticks " + std::to_string(kTicks));
    EXPECT_EQ(rec.bytes % kBufferBytes, 0u) << "the driver writes whole 1024-frame buffers of 16-bit stereo";

    const std::vector<std::int16_t> doing = ReadEffect("DOING.WAV");
    const std::vector<std::int16_t> drum = ReadEffect("Drum.wav");

    // The game is silent until the turn: the first thing heard is DOING.WAV.
    const auto turnOnset = rec.NextSound(0);
    ASSERT_TRUE(turnOnset) << "nothing was heard in " << rec.Frames() << " frames";
    const Match turn = MatchEffect(rec, *turnOnset, doing);
    EXPECT_LE(turn.worst, 2) << "the first sound is not DOING.WAV";

    // Then silence until the lock, which sounds (lock - turn) ticks later.
    const auto lockOnset = rec.NextSound(turn.start + doing.size());
    ASSERT_TRUE(lockOnset) << "the lock was never heard";
    const Match lock = MatchEffect(rec, *lockOnset, drum);
    EXPECT_LE(lock.worst, 2) << "the second sound is not Drum.wav";
    const double heardApart = static_cast<double>(lock.start - turn.start) / kRate;
    const double ticksApart = static_cast<double>(lockTick - rotateTick) * 0.01;
    EXPECT_GE(heardApart, ticksApart - 0.1 - late.worst) << "turn on tick " << rotateTick << ", lock on tick " << lockTick;
    EXPECT_LE(heardApart, ticksApart + 0.1 + late.lost + late.worst)
        << "turn on tick " << rotateTick << ", lock on tick " << lockTick << "; the ticks lost " << late.lost
        << " s to a busy machine, the latest came " << late.worst << " s late";

    // And nothing after it.
    const auto after = rec.NextSound(lock.start + drum.size());
    EXPECT_FALSE(after) << "a sound " << static_cast<double>(after.value_or(0) - lock.start) / kRate
                        << " s after the lock";
}

TEST(Audio, EffectsFallSilentWhileAnotherWindowHasTheFocus) {
    if (!Have("Xvfb") || !Have("xdotool") || !Have("openbox") || !Have("xmessage")) {
        GTEST_SKIP() << "needs Xvfb, xdotool, openbox and xmessage (scripts/install-deps installs them)";
    }
    WorkDir dir;
    // Space starts a game; Down held twice locks one piece each time, about
    // six seconds apart, and nothing else sounds.
    std::ofstream(dir / "two-locks.txt") << "1 57\n3\n400 208\n450\n1000 208\n1050\n";
    constexpr std::uint64_t kTicks = 1200;
    ASSERT_EQ(RequestsAfter(dir, "two-locks.txt", 399).at(kLock), 0);
    ASSERT_EQ(RequestsAfter(dir, "two-locks.txt", 450).at(kLock), 1);
    ASSERT_EQ(RequestsAfter(dir, "two-locks.txt", 999).at(kLock), 1);
    ASSERT_EQ(RequestsAfter(dir, "two-locks.txt", kTicks), (std::vector<int>{0, 2, 0, 0, 0, 0, 0, 0}));

    Desktop desktop(dir);
    ASSERT_TRUE(desktop.Ready()) << desktop.Failure();
    // The other window is up first, so taking the focus from the game is quick.
    const std::string other = desktop.OpenOtherWindow();
    ASSERT_FALSE(other.empty()) << desktop.Failure();
    // The focus goes and comes back by the game's ticks, not the test's
    // clock, which a busy machine would set apart: screenshots of ticks 400,
    // 700 and 1000 say how far the game has got.
    std::system(("cd '" + dir.Path().string() + "' && (DISPLAY=" + desktop.Display() +
                 " SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + (dir / "audio.raw").string() + "' " +
                 Game.Command() + " --windowed --replay two-locks.txt --ticks " + std::to_string(kTicks) +
                 " --screenshot 400:400.png --screenshot 700:700.png --screenshot 1000:1000.png" +
                 " >out.txt 2>err.txt; echo $? >status) &")
                    .c_str());
    const auto reached = [&](const char* png) { return std::filesystem::exists(dir / png); };
    const std::string game = desktop.WaitForWindow("--classname '^" + Game.WindowClass() + "$'", GameWindowPatience,
                                                   [&] { return !dir.Read("status").empty(); });
    ASSERT_FALSE(game.empty()) << desktop.Failure() << dir.Read("err.txt");

    // Away during the first lock (tick 440), back for the second (tick 1030).
    const std::string left = desktop.Sync("windowactivate", other);
    EXPECT_EQ(desktop.ActiveWindow(), other) << left;
    const bool leftInTime = !reached("400.png");
    const bool between = test::WaitFor([&] { return reached("700.png"); }, 7s + test::Patience, 50ms);
    const std::string back = desktop.Sync("windowactivate", game);
    EXPECT_EQ(desktop.ActiveWindow(), game) << back;
    const bool backInTime = !reached("1000.png");
    // The recording's own clock at the moment the focus came back.
    std::error_code noFile;
    const std::uintmax_t bytesWhenBack = std::filesystem::file_size(dir / "audio.raw", noFile);
    const std::size_t framesWhenBack = noFile ? 0 : static_cast<std::size_t>(bytesWhenBack / 4);
    // The game ends on its own at tick 1200.
    test::WaitFor([&] { return !dir.Read("status").empty(); }, 2s + test::Patience, 50ms);
    desktop.CloseOtherWindow();
    ASSERT_EQ(dir.Read("status"), "0\n") << "the game's status (none: still running " << Seconds(2s + test::Patience)
                                         << " after the focus came back); stderr:\n"
                                         << dir.Read("err.txt");
    ASSERT_TRUE(leftInTime) << "the other window took the focus too late to test the first lock: after tick 400";
    ASSERT_TRUE(between) << "the game never reached tick 700 with the focus away";
    ASSERT_TRUE(backInTime) << "the focus came back too late to test the second lock: after tick 1000";

    const Recording rec = ReadRecording(dir / "audio.raw");
    const auto onset = rec.NextSound(0);
    ASSERT_TRUE(onset) << "the lock after the focus came back was not heard in " << rec.Frames() << " frames";
    const Match lock = MatchEffect(rec, *onset, ReadEffect("Drum.wav"));
    EXPECT_LE(lock.worst, 2) << "the sound heard is not Drum.wav";
    // The first lock came before the focus was back, so before this point
    // of the recording; the second after it.
    EXPECT_GT(lock.start, framesWhenBack) << "the lock heard, " << static_cast<double>(lock.start) / kRate
                                          << " s into the recording, came while the game lacked the focus (until "
                                          << static_cast<double>(framesWhenBack) / kRate << " s)";
    const auto after = rec.NextSound(lock.start + ReadEffect("Drum.wav").size());
    EXPECT_FALSE(after) << "a sound " << static_cast<double>(after.value_or(0) - lock.start) / kRate
                        << " s after the lock";
}

TEST(Audio, MusicPlaysFromTheFirstMToTheSecond) {
    WorkDir dir;
    // Space starts a game on tick 2; M released on tick 21 turns the music
    // on and again on tick 321 turns it off. No piece locks in these 400
    // ticks and nothing turns, so no effect can sound.
    std::ofstream(dir / "music.txt") << "1 57\n2\n20 50\n21\n320 50\n321\n";
    constexpr std::uint64_t kTicks = 400;
    ASSERT_EQ(RequestsAfter(dir, "music.txt", kTicks), (std::vector<int>(8, 0)));
    const auto dump = nlohmann::json::parse(dir.Read("fast.json"));
    EXPECT_EQ(dump["MusicOn"], false);

    const auto [rec, late] = RunInRealTime(dir, "--replay music.txt --ticks " + std::to_string(kTicks));
    const auto start = rec.NextSound(0);
    ASSERT_TRUE(start) << "no music in " << rec.Frames() << " frames";

    // Sustained: every 50 ms from the start holds something clearly audible
    // (above -40 dBFS), until the music stops.
    constexpr std::size_t kWindow = kRate / 20;
    constexpr int kAudible = 328;
    std::size_t end = *start;
    while (end + kWindow <= rec.Frames()) {
        int loudest = 0;
        for (std::size_t f = end; f < end + kWindow; ++f) {
            loudest = std::max(loudest, rec.Loudness(f));
        }
        if (loudest <= kAudible) {
            break;
        }
        end += kWindow;
    }
    // Three seconds of ticks, heard a little shorter as the driver's file
    // falls behind real time (see the top of this file), or longer when
    // ticks run late on a busy machine; never a fraction of it.
    const double heard = static_cast<double>(end - *start) / kRate;
    EXPECT_GT(heard, 2.5) << "the music should last from tick 21 to tick 321";
    EXPECT_LT(heard, 3.4 + late.lost + late.worst)
        << "the music should last from tick 21 to tick 321; the ticks lost " << late.lost
        << " s to a busy machine, the latest came " << late.worst << " s late";

    // After the second M, silence to the end.
    const auto stray = rec.NextSound(end + kWindow);
    EXPECT_FALSE(stray) << "sound " << static_cast<double>(stray.value_or(0) - *start) / kRate
                        << " s after the music started";
    EXPECT_GT(rec.Frames(), end + kWindow) << "the run ended before the music was turned off";
}

}  // namespace
}  // namespace dv::e2e

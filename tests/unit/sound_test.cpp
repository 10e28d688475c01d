// The sound table: which file each request plays, and how a request plays.
#include <gtest/gtest.h>

#include "audio/clsSound.h"
#include "platform/headless/RecordingSoundDevice.h"

namespace dv {
namespace {

TEST(SoundEffects, EachNumberPlaysItsFileByStoppingRewindingAndStarting) {
    RecordingSoundDevice device;
    clsSound sound(device, "/game");
    sound.PlaySound(0);
    EXPECT_TRUE(device.Events().empty()) << "nothing plays before the device is ready";
    sound.Initialize();
    EXPECT_EQ(device.Loaded().front(), std::filesystem::path("/game/sounds/DOING.WAV"));
    const char* files[] = {"DOING.WAV",    "Drum.wav",    "BLAST2.WAV",  "klaxon2.wav",
                           "UH-OH_BE.WAV", "RAP_INTR.WAV", "GREAT_B.WAV", "good.wav"};
    for (int n = 0; n < 8; ++n) {
        device.ClearEvents();
        sound.PlaySound(n);
        ASSERT_EQ(device.Events().size(), 3u);
        const SoundBufferId buffer = device.Events()[0].buffer;
        EXPECT_EQ(device.Events()[0], (SoundEvent{SoundEvent::Op::Stop, buffer}));
        EXPECT_EQ(device.Events()[1], (SoundEvent{SoundEvent::Op::Rewind, buffer}));
        EXPECT_EQ(device.Events()[2], (SoundEvent{SoundEvent::Op::Play, buffer}));
        EXPECT_EQ(device.BufferFile(buffer), files[n]) << "sound " << n;
    }
    // Any other sound set maps every number to the first slot.
    sound.TableIndex(3);
    device.ClearEvents();
    sound.PlaySound(6);
    EXPECT_EQ(device.Played(), std::vector<std::string>{"DOING.WAV"});
    // Switched off, nothing is started and nothing playing is stopped.
    sound.PlaySnd(0);
    device.ClearEvents();
    sound.PlaySound(2);
    EXPECT_TRUE(device.Events().empty());
    EXPECT_EQ(sound.Requests()[2], 2u) << "the request is still counted";
}

}  // namespace
}  // namespace dv

#pragma once
// The eight sound effects, played by number through a table of buffer slots.
#include <array>
#include <cstdint>
#include <filesystem>

#include "platform/SoundDevice.h"

namespace dv {

class clsSound {
public:
    static constexpr int BufferTop = 13;

    clsSound(ISoundDevice& device, std::filesystem::path programDir);

    std::int16_t PlaySnd() const { return playSnd_; }
    void PlaySnd(std::int16_t value) { playSnd_ = value; }
    std::int16_t TableIndex() const { return tableIndex_; }
    void TableIndex(std::int16_t value) { tableIndex_ = value; }
    bool Ready() const { return ready_ != 0; }

    // Opens the device and loads every WAV; throws dv::Error at the first failure.
    void Initialize();
    // `wich` is a sound number 0..7; others are ignored rather than read out of range.
    void PlaySound(std::int32_t wich);

    // PlaySound calls per sound number since start-up, heard or not.
    const std::array<std::uint32_t, 8>& Requests() const { return requests_; }

private:
    void LoadSounds();
    void LoadBuffer(int slot, const char* fileName);
    void InitSoundTable();
    void PlayBuffer(int slot);

    ISoundDevice& device_;
    std::filesystem::path programDir_;
    std::int16_t playSnd_ = 0;
    std::int16_t tableIndex_ = 0;
    std::int16_t ready_ = 0;
    std::array<SoundBufferId, BufferTop + 1> buffers_{};
    std::array<std::array<std::int16_t, 8>, 7> soundTable_{};
    std::array<std::uint32_t, 8> requests_{};
};

}  // namespace dv

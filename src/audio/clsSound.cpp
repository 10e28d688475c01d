#include "audio/clsSound.h"

#include <utility>

namespace dv {

clsSound::clsSound(ISoundDevice& device, std::filesystem::path programDir)
    : device_(device), programDir_(std::move(programDir)) {}

void clsSound::Initialize() {
    device_.Create();
    LoadSounds();
    InitSoundTable();
    tableIndex_ = 0;
    ready_ = -1;
    playSnd_ = -1;
}

void clsSound::LoadSounds() {
    buffers_.fill(0);
    LoadBuffer(0, "sounds/DOING.WAV");
    LoadBuffer(1, "sounds/BLAST2.WAV");
    LoadBuffer(3, "sounds/klaxon2.wav");
    LoadBuffer(4, "sounds/UH-OH_BE.WAV");
    LoadBuffer(5, "sounds/Drum.wav");
    LoadBuffer(10, "sounds/RAP_INTR.WAV");
    LoadBuffer(12, "sounds/GREAT_B.WAV");
    LoadBuffer(13, "sounds/good.wav");
}

void clsSound::LoadBuffer(int slot, const char* fileName) {
    // Named with the system's own separator, as a message about the file shows it.
    buffers_[static_cast<std::size_t>(slot)] =
        device_.CreateSoundBufferFromFile((programDir_ / fileName).make_preferred());
}

void clsSound::InitSoundTable() {
    soundTable_[0] = {0, 5, 1, 3, 4, 10, 12, 13};
}

void clsSound::PlaySound(std::int32_t wich) {
    if (wich < 0 || wich > 7) {
        return;
    }
    ++requests_[static_cast<std::size_t>(wich)];
    const int set = (tableIndex_ >= 0 && tableIndex_ <= 6) ? tableIndex_ : 0;
    PlayBuffer(soundTable_[static_cast<std::size_t>(set)][static_cast<std::size_t>(wich)]);
}

void clsSound::PlayBuffer(int slot) {
    if (playSnd_ == 0 || ready_ == 0) {
        return;
    }
    const SoundBufferId buffer = buffers_[static_cast<std::size_t>(slot)];
    device_.Stop(buffer);
    device_.SetCurrentPosition(buffer, 0);
    device_.Play(buffer);
}

}  // namespace dv

#include "platform/headless/RecordingSoundDevice.h"

#include "platform/Error.h"

namespace dv {

void RecordingSoundDevice::Create() {
    created_ = true;
}

SoundBufferId RecordingSoundDevice::CreateSoundBufferFromFile(const std::filesystem::path& file) {
    if (!created_) {
        throw Error(err::SoundDeviceFailed, "Dispositivo audio non aperto");
    }
    if (requireFiles_ && !std::filesystem::is_regular_file(file)) {
        throw Error(err::FileNotFound, "File non trovato: " + file.string());
    }
    loaded_.push_back(file);
    return static_cast<SoundBufferId>(loaded_.size());
}

void RecordingSoundDevice::Stop(SoundBufferId buffer) {
    events_.push_back({SoundEvent::Op::Stop, buffer});
}

void RecordingSoundDevice::SetCurrentPosition(SoundBufferId buffer, std::int32_t position) {
    if (position == 0) {
        events_.push_back({SoundEvent::Op::Rewind, buffer});
    }
}

void RecordingSoundDevice::Play(SoundBufferId buffer) {
    events_.push_back({SoundEvent::Op::Play, buffer});
}

std::string RecordingSoundDevice::BufferFile(SoundBufferId buffer) const {
    if (buffer < 1 || static_cast<std::size_t>(buffer) > loaded_.size()) {
        return {};
    }
    return loaded_[static_cast<std::size_t>(buffer) - 1].filename().string();
}

std::vector<std::string> RecordingSoundDevice::Played() const {
    std::vector<std::string> out;
    for (const SoundEvent& e : events_) {
        if (e.op == SoundEvent::Op::Play) {
            out.push_back(BufferFile(e.buffer));
        }
    }
    return out;
}

}  // namespace dv

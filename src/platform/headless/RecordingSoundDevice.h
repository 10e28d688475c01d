#pragma once
// A sound device that plays nothing and remembers what it was asked to do.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/SoundDevice.h"

namespace dv {

struct SoundEvent {
    enum class Op { Stop, Rewind, Play };
    Op op = Op::Play;
    SoundBufferId buffer = 0;
    friend bool operator==(const SoundEvent&, const SoundEvent&) = default;
};

class RecordingSoundDevice final : public ISoundDevice {
public:
    explicit RecordingSoundDevice(bool requireFiles = false) : requireFiles_(requireFiles) {}

    void Create() override;
    SoundBufferId CreateSoundBufferFromFile(const std::filesystem::path& file) override;
    void Stop(SoundBufferId buffer) override;
    void SetCurrentPosition(SoundBufferId buffer, std::int32_t position) override;
    void Play(SoundBufferId buffer) override;

    bool Created() const { return created_; }
    const std::vector<std::filesystem::path>& Loaded() const { return loaded_; }
    // The file name a buffer was loaded from.
    std::string BufferFile(SoundBufferId buffer) const;
    const std::vector<SoundEvent>& Events() const { return events_; }
    // File names of the buffers started, in order.
    std::vector<std::string> Played() const;
    void ClearEvents() { events_.clear(); }

private:
    bool requireFiles_;
    bool created_ = false;
    std::vector<std::filesystem::path> loaded_;
    std::vector<SoundEvent> events_;
};

}  // namespace dv

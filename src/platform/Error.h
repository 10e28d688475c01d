#pragma once
// The one failure type of the game: an error number and a description, the
// way the original program's runtime reported them. Raised at once by every
// device, media and file call, never retried.
#include <stdexcept>
#include <string>

namespace dv {

namespace err {
// File errors keep the classic BASIC numbers a player may recognise.
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int PathFileAccessError = 75;
// Device failures carry the numbers the original devices reported.
inline constexpr int RenderDeviceFailed = -2005530518;  // display not available
inline constexpr int SoundDeviceFailed = -2005401480;   // no sound driver
inline constexpr int InputDeviceFailed = -2147467259;   // unspecified failure
}  // namespace err

class Error : public std::runtime_error {
public:
    Error(int number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    int Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

    // What the start-up message box shows: the number, CR LF, the description.
    std::string MessageText() const { return std::to_string(number_) + "\r\n" + description_; }

private:
    int number_;
    std::string description_;
};

}  // namespace dv

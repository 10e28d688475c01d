#pragma once
// The end-of-run dump: the game's variables, the well and the sound
// requests as one JSON object, so replays can be compared exactly.
#include <cstdint>
#include <filesystem>
#include <string>

namespace dv {

class Form1;

std::string StateDumpJson(Form1& form, std::uint64_t ticksRun);
// Returns false when the file cannot be written.
bool WriteStateDump(const std::filesystem::path& file, Form1& form, std::uint64_t ticksRun);

}  // namespace dv

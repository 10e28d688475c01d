#include "game/modDebug.h"

#include <fstream>

namespace dv {

bool DebugLog(std::string_view text, const std::filesystem::path& folder) {
    std::ofstream out(folder / "DEBUG.TXT", std::ios::binary | std::ios::app);
    if (!out) {
        return false;
    }
    out << '"' << text << "\"\r\n";
    out.close();
    return !out.fail();
}

}  // namespace dv

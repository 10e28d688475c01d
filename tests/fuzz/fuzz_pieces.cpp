// Any bytes given as the piece file: read or refused, never a crash.
#include <cstdint>
#include <string_view>

#include "game/PieceFile.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dv::PieceShapeTable shapes;
    try {
        dv::ParsePieces(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", shapes);
    } catch (const dv::Error& e) {
        if (e.Number() != dv::err::TypeMismatch && e.Number() != dv::err::InputPastEndOfFile) {
            __builtin_trap();
        }
    }
    return 0;
}

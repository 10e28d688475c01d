#pragma once
// Reader of the piece file: seven pieces, each a heading, four rotation
// blocks (a heading and four cell lines, one per box column read top to
// bottom) and a separator.
#include <filesystem>
#include <string>
#include <string_view>

#include "game/Module1.h"

namespace dv {

// Fills the table from the file's text; `name` is how errors name the file.
// Throws dv::Error 62 when the text ends early, 13 for a cell that is not a
// digit. On failure the table may be partly filled.
void ParsePieces(std::string_view text, const std::string& name, PieceShapeTable& shapes);

// Throws dv::Error 53 when the file cannot be opened, then as ParsePieces.
void LoadPieces(const std::filesystem::path& file, PieceShapeTable& shapes);

}  // namespace dv

#include "game/PieceFile.h"

#include <fstream>
#include <sstream>

#include "platform/Error.h"

namespace dv {
namespace {

// Sequential field input: a line break ends a field, so does a comma outside
// double quotes; a quoted field is taken without its quotes.
class FieldReader {
public:
    FieldReader(std::string_view text, const std::string& name) : text_(text), name_(name) {}

    // Returns the next field and the line it starts on.
    std::string Next(int& line) {
        if (pos_ >= text_.size()) {
            throw Error(err::InputPastEndOfFile, "Lettura oltre la fine del file: " + name_);
        }
        line = line_;
        std::string field;
        bool quoted = false;
        bool closed = false;
        if (text_[pos_] == '"') {
            quoted = true;
            ++pos_;
        }
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (quoted && !closed) {
                ++pos_;
                if (c == '"') {
                    closed = true;
                } else {
                    if (c == '\n') {
                        ++line_;
                    }
                    field += c;
                }
                continue;
            }
            if (c == ',') {
                ++pos_;
                break;
            }
            if (c == '\n' || c == '\r') {
                EndLine();
                break;
            }
            ++pos_;
            if (!closed) {
                field += c;
            }
        }
        return field;
    }

private:
    void EndLine() {
        if (text_[pos_] == '\r') {
            ++pos_;
        }
        if (pos_ < text_.size() && text_[pos_] == '\n') {
            ++pos_;
        }
        ++line_;
    }

    std::string_view text_;
    const std::string& name_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

void ParsePieces(std::string_view text, const std::string& name, PieceShapeTable& shapes) {
    FieldReader reader(text, name);
    int line = 0;
    for (int piece = 1; piece <= 7; ++piece) {
        reader.Next(line);  // the piece's heading
        for (int rot = 1; rot <= 4; ++rot) {
            reader.Next(line);  // the rotation's heading
            for (int dx = 0; dx <= 3; ++dx) {
                const std::string cells = reader.Next(line);
                for (int dy = 0; dy <= 3; ++dy) {
                    const auto at = static_cast<std::size_t>(dy);
                    if (at >= cells.size() || cells[at] < '0' || cells[at] > '9') {
                        const std::string what = at >= cells.size() ? std::string("riga troppo corta")
                                                                    : "carattere '" + std::string(1, cells[at]) + "'";
                        throw Error(err::TypeMismatch, "Tipo non corrispondente: " + what + " alla riga " +
                                                           std::to_string(line) + " di " + name);
                    }
                    shapes(piece, rot, dx, dy) = static_cast<std::int16_t>(cells[at] - '0');
                }
            }
        }
        reader.Next(line);  // the separator after the piece
    }
}

void LoadPieces(const std::filesystem::path& file, PieceShapeTable& shapes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw Error(err::FileNotFound, "File non trovato: " + file.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw Error(err::PathFileAccessError, "Errore di lettura: " + file.string());
    }
    ParsePieces(text.str(), file.string(), shapes);
}

}  // namespace dv

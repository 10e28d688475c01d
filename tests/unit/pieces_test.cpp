#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "game/PieceFile.h"
#include "game/Random.h"
#include "platform/Error.h"

namespace dv {
namespace {

using Cells = std::set<std::pair<int, int>>;  // (x, y) in the box

Cells CellsOf(const PieceShapeTable& t, int piece, int rot) {
    Cells cells;
    for (int dx = 0; dx < 4; ++dx) {
        for (int dy = 0; dy < 4; ++dy) {
            if (t(piece, rot, dx, dy) == 1) {
                cells.insert({dx, dy});
            }
        }
    }
    return cells;
}

// Moves a shape so its bounding box starts at (0, 0).
Cells Normalised(const Cells& cells) {
    int minX = 99;
    int minY = 99;
    for (auto [x, y] : cells) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
    }
    Cells out;
    for (auto [x, y] : cells) {
        out.insert({x - minX, y - minY});
    }
    return out;
}

// A quarter turn clockwise on screen (y grows downwards).
Cells TurnedClockwise(const Cells& cells) {
    Cells out;
    for (auto [x, y] : cells) {
        out.insert({-y, x});
    }
    return Normalised(out);
}

PieceShapeTable RealPieces() {
    PieceShapeTable t;
    LoadPieces(std::filesystem::path(DV_SOURCE_DIR) / "data" / "PezziVantle.txt", t);
    return t;
}

TEST(PieceFile, EveryRotationOfTheRealFileIsAFourBlockClockwiseTurn) {
    const PieceShapeTable t = RealPieces();
    for (int p = 1; p <= 7; ++p) {
        for (int r = 1; r <= 4; ++r) {
            const Cells cells = CellsOf(t, p, r);
            EXPECT_EQ(cells.size(), 4u) << "piece " << p << " rotation " << r;
            const int next = r == 4 ? 1 : r + 1;
            EXPECT_EQ(Normalised(CellsOf(t, p, next)), TurnedClockwise(cells))
                << "piece " << p << " rotation " << r << " to " << next;
        }
        for (auto [x, y] : CellsOf(t, p, 1)) {
            EXPECT_LE(y, 1) << "piece " << p << " enters within the top two rows of its box";
        }
    }
    // The square never changes; the seven shapes are all different.
    for (int r = 2; r <= 4; ++r) {
        EXPECT_EQ(CellsOf(t, 4, r), CellsOf(t, 4, 1));
    }
    std::set<Cells> distinct;
    for (int p = 1; p <= 7; ++p) {
        distinct.insert(Normalised(CellsOf(t, p, 1)));
    }
    EXPECT_EQ(distinct.size(), 7u);
}

std::string PieceText(const std::string& firstCellLine) {
    std::ostringstream text;
    for (int p = 1; p <= 7; ++p) {
        text << "Pezzo " << p << "\n";
        for (int r = 1; r <= 4; ++r) {
            text << "Rotazione " << r << "\n";
            for (int dx = 0; dx < 4; ++dx) {
                text << ((p == 1 && r == 1 && dx == 0) ? firstCellLine : std::string("0000")) << "\n";
            }
        }
        text << "-----\n";
    }
    return text.str();
}

TEST(PieceFile, ReadsFieldsTheWayTheOriginalReaderDid) {
    PieceShapeTable t;
    // Extra characters after the fourth are ignored; digits other than 1 are kept as read.
    ParsePieces(PieceText("11112222"), "x", t);
    EXPECT_EQ(CellsOf(t, 1, 1), (Cells{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
    ParsePieces(PieceText("1201"), "x", t);
    EXPECT_EQ(t(1, 1, 0, 1), 2);
    EXPECT_EQ(CellsOf(t, 1, 1), (Cells{{0, 0}, {0, 3}}));

    // A comma ends a field, a quoted field loses its quotes, headings may be empty.
    std::string text = PieceText("1111");
    text.replace(text.find("Pezzo 1\n"), 8, "\n");
    text.replace(text.find("Rotazione 1\n"), 12, "\"Rot, 1\"\n");
    const auto second = text.find("Rotazione 2\n");
    text.replace(second, 12, "Rotazione 2,1000\n");
    text.erase(text.find("0000\n", second + 17), 5);
    ParsePieces(text, "x", t);
    EXPECT_EQ(CellsOf(t, 1, 1), (Cells{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
    EXPECT_EQ(CellsOf(t, 1, 2), (Cells{{0, 0}}));

    // Windows line ends read the same as Unix ones.
    std::string crlf;
    for (char c : PieceText("0110")) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    ParsePieces(crlf, "x", t);
    EXPECT_EQ(CellsOf(t, 1, 1), (Cells{{0, 1}, {0, 2}}));
}

TEST(PieceFile, RefusesBrokenFilesWithTheClassicErrorNumbers) {
    PieceShapeTable t;
    auto errorOf = [&](const std::string& text) {
        try {
            ParsePieces(text, "data/PezziVantle.txt", t);
        } catch (const Error& e) {
            return e;
        }
        return Error(0, "no error");
    };
    for (const char* bad : {"11 1", "1a11", "-111", "111", ""}) {
        const Error e = errorOf(PieceText(bad));
        EXPECT_EQ(e.Number(), err::TypeMismatch) << "cell line '" << bad << "'";
        EXPECT_NE(e.Description().find("riga 3"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("data/PezziVantle.txt"), std::string::npos);
    }
    const std::string whole = PieceText("0000");
    const Error shortFile = errorOf(whole.substr(0, whole.size() - 6));  // no last separator
    EXPECT_EQ(shortFile.Number(), err::InputPastEndOfFile);
    EXPECT_EQ(errorOf("").Number(), err::InputPastEndOfFile);

    try {
        LoadPieces("/nonexistent/data/PezziVantle.txt", t);
        FAIL() << "a missing file must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::FileNotFound);
        EXPECT_NE(e.Description().find("/nonexistent/data/PezziVantle.txt"), std::string::npos);
    }
}

TEST(RandomStream, IsPinnedOnEveryMachine) {
    RandomStream rnd;
    const double expected[] = {0.70554751, 0.53342402, 0.57951862, 0.28956246,
                               0.30194801, 0.77474010, 0.01401764, 0.76072359};
    const int pieces[] = {5, 4, 4, 3, 3, 6, 1, 6};
    for (int i = 0; i < 8; ++i) {
        const double r = rnd.Next();
        EXPECT_NEAR(r, expected[i], 1e-8) << "draw " << i;
        EXPECT_EQ(RoundHalfEven(r * 6 + 1), pieces[i]) << "draw " << i;
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(6.5000001), 7);
}

}  // namespace
}  // namespace dv

#include "Autoplayer.h"

#include <array>
#include <limits>

namespace dv::test {
namespace {

constexpr int Cols = 10;
constexpr int Rows = 26;

struct Board {
    std::array<std::array<bool, Cols>, Rows> full{};
};

double Score(const Board& b, int lines) {
    std::array<int, Cols> height{};
    int holes = 0;
    for (int c = 0; c < Cols; ++c) {
        bool seen = false;
        for (int r = 0; r < Rows; ++r) {
            if (b.full[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) {
                if (!seen) {
                    height[static_cast<std::size_t>(c)] = Rows - r;
                    seen = true;
                }
            } else if (seen) {
                ++holes;
            }
        }
    }
    int aggregate = 0;
    int bumpiness = 0;
    int tallest = 0;
    for (int c = 0; c < Cols; ++c) {
        aggregate += height[static_cast<std::size_t>(c)];
        tallest = std::max(tallest, height[static_cast<std::size_t>(c)]);
        if (c > 0) {
            bumpiness += std::abs(height[static_cast<std::size_t>(c)] - height[static_cast<std::size_t>(c - 1)]);
        }
    }
    const double danger = tallest > 14 ? (tallest - 14) * 2.0 : 0.0;
    return -0.51 * aggregate + 0.76 * lines - 0.36 * holes - 0.18 * bumpiness - danger;
}

}  // namespace

bool Autoplayer::Fits(const WellGrid& well, int rot, int x, int y) const {
    for (int dx = 0; dx < 4; ++dx) {
        for (int dy = 0; dy < 4; ++dy) {
            if (game_.PieceShapes(game_.CurPiece, rot, dx, dy) != 1) {
                continue;
            }
            const int col = x + dx - 2;
            const int row = y + dy - 2;
            if (col < -3 || col > 12 || row < 0 || row > 28 || well(col, row) != 0) {
                return false;
            }
        }
    }
    return true;
}

Autoplayer::Plan Autoplayer::Choose() const {
    Plan best{game_.PieceRot, game_.PieceX};
    double bestScore = -std::numeric_limits<double>::infinity();
    const int y0 = game_.PieceY;
    for (int rot = 1; rot <= 4; ++rot) {
        // Rotations are tried where the piece stands, one turn after another.
        bool reachable = true;
        for (int r = game_.PieceRot; r != rot; r = r % 4 + 1) {
            reachable = reachable && Fits(game_.Well, r % 4 + 1, game_.PieceX, y0);
        }
        if (!reachable || !Fits(game_.Well, rot, game_.PieceX, y0)) {
            continue;
        }
        for (int x = -2; x <= 12; ++x) {
            const int step = x < game_.PieceX ? -1 : 1;
            bool clear = true;
            for (int cx = game_.PieceX; cx != x && clear; cx += step) {
                clear = Fits(game_.Well, rot, cx + step, y0) && Fits(game_.Well, rot, cx + step, y0 + 1);
            }
            if (!clear || !Fits(game_.Well, rot, x, y0)) {
                continue;
            }
            int y = y0;
            while (Fits(game_.Well, rot, x, y + 1)) {
                ++y;
            }
            Board b;
            for (int r = 0; r < Rows; ++r) {
                for (int c = 0; c < Cols; ++c) {
                    b.full[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = game_.Well(c, r) != 0;
                }
            }
            for (int dx = 0; dx < 4; ++dx) {
                for (int dy = 0; dy < 4; ++dy) {
                    if (game_.PieceShapes(game_.CurPiece, rot, dx, dy) == 1) {
                        b.full[static_cast<std::size_t>(y + dy - 2)][static_cast<std::size_t>(x + dx - 2)] = true;
                    }
                }
            }
            int lines = 0;
            Board after;
            int dst = Rows - 1;
            for (int r = Rows - 1; r >= 0; --r) {
                bool full = true;
                for (int c = 0; c < Cols; ++c) {
                    full = full && b.full[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                }
                if (full) {
                    ++lines;
                } else {
                    after.full[static_cast<std::size_t>(dst--)] = b.full[static_cast<std::size_t>(r)];
                }
            }
            const double score = Score(after, lines);
            if (score > bestScore) {
                bestScore = score;
                best = Plan{rot, x};
            }
        }
    }
    return best;
}

KeyboardState Autoplayer::NextKeys() {
    KeyboardState keys{};
    auto press = [&](int code) { keys[static_cast<std::size_t>(code)] = 0x80; };
    const Module1& g = game_;
    if (g.GameState == state::Intro) {
        // Space down one tick, up the next: the release starts the game.
        if (!startPressed_) {
            press(dik::Space);
        }
        startPressed_ = !startPressed_;
        return keys;
    }
    startPressed_ = false;
    if (g.GameState != state::Play || g.CurPiece < 1) {
        return keys;
    }
    int pieces = 0;
    for (std::int16_t n : g.PieceStats) {
        pieces += n;
    }
    if (pieces != lastPieces_) {
        lastPieces_ = pieces;
        planned_ = false;
        settle_ = 1;  // one tick with Down up, so its count starts again
        spaceTicks_ = 0;
    }
    if (!planned_) {
        plan_ = Choose();
        planned_ = true;
    }
    if (settle_ > 0) {
        --settle_;
        return keys;
    }
    if (g.PieceRot != plan_.rot) {
        // Press so the release lands on a tick that is a multiple of 4.
        if (spaceTicks_ > 0 && g.PieceRot != rotAtPress_) {
            spaceTicks_ = 0;  // the turn happened; the next one may follow
        }
        const int next = (g.TickCount + 1) % 1000;
        if (spaceTicks_ == 0) {
            if (next % 4 == 3) {
                press(dik::Space);
                spaceTicks_ = 1;
                rotAtPress_ = g.PieceRot;
            }
        } else if (++spaceTicks_ > 6) {
            spaceTicks_ = 0;  // the turn was refused: settle for this rotation
            plan_.rot = g.PieceRot;
        }
        return keys;
    }
    spaceTicks_ = 0;
    if (g.PieceX != plan_.x) {
        tapPhase_ = !tapPhase_;
        if (tapPhase_) {
            press(g.PieceX < plan_.x ? dik::Right : dik::Left);
        }
        return keys;
    }
    press(dik::Down);
    return keys;
}

}  // namespace dv::test

#include "app/StateDump.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "game/Form1.h"

namespace dv {

std::string StateDumpJson(Form1& form, std::uint64_t ticksRun) {
    const Module1& g = form.Game();
    nlohmann::ordered_json j;
    j["ticks"] = ticksRun;
    j["GameState"] = g.GameState;
    j["SavedState"] = g.SavedState;
    j["TickCount"] = g.TickCount;
    j["RandomPiece"] = g.RandomPiece;
    j["CurPiece"] = g.CurPiece;
    j["NextPiece"] = g.NextPiece;
    j["PieceX"] = g.PieceX;
    j["PieceY"] = g.PieceY;
    j["PieceRot"] = g.PieceRot;
    j["LinesCleared"] = g.LinesCleared;
    j["GameScore"] = g.GameScore;
    j["Level"] = g.Level;
    j["FallInterval"] = g.FallInterval;
    j["StackWarning"] = g.StackWarning;
    j["LockFreeze"] = g.LockFreeze;
    j["LockCountdown"] = g.LockCountdown;
    j["PieceStats"] = g.PieceStats;
    nlohmann::ordered_json well = nlohmann::ordered_json::array();
    for (int row = 0; row <= 25; ++row) {
        std::string line;
        for (int col = 0; col <= 9; ++col) {
            const int cell = g.Well(col, row);
            line += (cell >= 1 && cell <= 7) ? static_cast<char>('0' + cell) : '0';
        }
        well.push_back(line);
    }
    j["Well"] = well;
    j["PlaySnd"] = form.SoundFx().PlaySnd() != 0;
    j["MusicOn"] = form.Music().MusicOn != 0;
    j["SoundRequests"] = form.SoundFx().Requests();
    return j.dump(2) + "\n";
}

bool WriteStateDump(const std::filesystem::path& file, Form1& form, std::uint64_t ticksRun) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out << StateDumpJson(form, ticksRun);
    return static_cast<bool>(out);
}

}  // namespace dv

#include "app/StateDump.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "game/Form1.h"

namespace dv {
namespace {

// Everything the effects carry from one frame to the next, as the code names
// it. Floats widen to doubles exactly and print in full, so two builds whose
// arithmetic differs in the last bit give different dumps.
nlohmann::ordered_json EffectsJson(Form1& form) {
    const modGrafica& screens = form.Screens();
    nlohmann::ordered_json fx;
    fx["IntroStep"] = screens.IntroStep;
    fx["WobbleStep"] = screens.WobbleStep;
    fx["GameOverStep"] = screens.GameOverStep;

    nlohmann::ordered_json debris = nlohmann::ordered_json::array();
    for (const DebrisCell& c : screens.Debris) {
        debris.push_back({{"X", c.X}, {"Y", c.Y}, {"Z", c.Z}, {"Angle", c.Angle}, {"Speed", c.Speed},
                          {"Time", c.Time}, {"Active", c.Active}, {"Tex", c.Tex}});
    }
    fx["Debris"] = debris;

    nlohmann::ordered_json scores = nlohmann::ordered_json::array();
    if (screens.ScoreLabels) {
        for (const FlyingScore& s : screens.ScoreLabels->Scores()) {
            scores.push_back({{"Score", s.Score}, {"X", s.X}, {"Y", s.Y}, {"Angle", s.Angle}, {"Speed", s.Speed},
                              {"Time", s.Time}, {"Active", s.Active}, {"Age", s.Age}});
        }
    }
    fx["ScoreCount"] = scores.size();
    fx["Scores"] = scores;

    const clsScroolBGK2& b = screens.Background;
    fx["Background"] = {{"Picture", b.Picture()}, {"ScrollPos", b.ScrollPos()}, {"StepY", b.StepY},
                        {"Alpha", b.Alpha()},     {"Action", b.Action()},       {"PrevAction", b.PrevAction()},
                        {"ActionStep", b.ActionStep()}};

    const modAnimb& a = screens.Animb;
    fx["Animb"] = {{"Active", a.AnimActive()}, {"FramesLeft", a.FramesLeft()}, {"Piece", a.Piece()},
                   {"Rot", a.Rotation()},  {"Col", a.Column()},            {"Row", a.Row()}};

    const clsPezzo& spin = screens.PieceSprite;
    fx["PieceSprite"] = {{"SpinTick", spin.SpinTick()}, {"SpinRot", spin.SpinRot()}};
    return fx;
}

}  // namespace

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
    j["Effects"] = EffectsJson(form);
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

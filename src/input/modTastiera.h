#pragma once
// The key handlers of every state: play (gestisciTastiera), and the intro,
// pause, game-over and yes/no questions. Each reads the keyboard first.
#include "game/Module1.h"
#include "input/GameCommands.h"
#include "input/modDirectInput.h"

namespace dv {

class clsSound;
class modDirectShow;
class clsScroolBGK2;

struct KeyContext {
    Module1& game;
    modDirectInput& input;
    clsSound& soundFx;
    modDirectShow& music;
    clsScroolBGK2& background;
    IGameCommands& form;
};

void gestisciTastiera(KeyContext& k);
void IntroKeys(KeyContext& k);
void PauseKeys(KeyContext& k);
void GameOverKeys(KeyContext& k);
void ConfirmKeys(KeyContext& k);

}  // namespace dv

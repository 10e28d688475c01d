#pragma once

#include "synth.h"

#include <string>
#include <vector>

namespace assetgen {

struct Sound {
    std::string name; // file name under sounds/
    Pcm pcm;
};

// Every sound effect of the game, finished (faded, levelled at -3 dBFS).
std::vector<Sound> makeSounds();

} // namespace assetgen

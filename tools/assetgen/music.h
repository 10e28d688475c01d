#pragma once

#include "synth.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace assetgen {

enum class Part { Lead, Bass, Arp, Pad, Drums };
enum Drum { Kick = 0, Snare = 1, ClosedHat = 2, OpenHat = 3, Crash = 4 };

struct NoteEvent {
    Part part;
    double beat;  // from the start of the loop
    double beats; // how long the key is held
    int key;      // MIDI note, or a Drum for the drum part
    double velocity;
};

struct Song {
    double bpm = 0;
    int bars = 0;
    std::vector<NoteEvent> events;
    double beatSeconds() const { return 60.0 / bpm; }
    double seconds() const { return bars * 4 * beatSeconds(); }
};

// The game's looping track, as a score.
Song composeSong();

// Renders the score to stereo. Tails that ring past the end of the loop are
// folded back onto its start, so the last sample leads straight into the first.
// With `only`, renders that part alone (for checking the arrangement).
Pcm renderSong(const Song& song, std::optional<Part> only = std::nullopt);

// Joint-stereo MP3 at a constant 160 kbit/s, with no ID3 tag.
std::vector<std::uint8_t> encodeMp3(const Pcm& stereo);

} // namespace assetgen

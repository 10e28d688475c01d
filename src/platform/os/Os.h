#pragma once
// What the game needs from the operating system itself, one file per system
// (os_linux.cpp, os_windows.cpp, os_web.cpp; CMake picks one).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Keyboard.h"

namespace dv::os {

// The folder holding the running program; empty when the system cannot say.
// Only the host asks: the game, its files and the bundled fonts take the
// folder from the host, which decides once what an empty answer means.
std::filesystem::path ProgramDirectory();

// Processor time the whole process has used, in seconds from any origin.
double ProcessCpuSeconds();

// A program started from a terminal prints there even where programs with a
// window get no console of their own. Streams already redirected stay so.
void UseParentConsole();

// Whether a window the player may resize is possible: not in a web page, where
// the canvas keeps the game's own size and the page scales it.
bool WindowResizable();

// Whether the page around the game gives it the player's keys: the page has
// the focus, is visible, and its canvas is the focused element. After the
// page lost the focus it answers false once, even if the focus came back
// before this call, so that the keys held then are let go. Off the web the
// window's keyboard focus alone decides, and this is always true.
bool PageHasFocus();

// Marks (0x80) the keys held on the page's touch controls, and those tapped
// since the last call however briefly: keys are read once a tick and a tap
// may be shorter. Nothing off the web.
void AddTouchKeys(KeyboardState& state);

// Lets go of every key held on the page's touch controls.
void ReleaseTouchKeys();

// Whether the game's frames go straight onto a web page's canvas through
// ShowFrame: in a page only. Elsewhere, Node.js included, the window shows
// them.
bool ShowsFramesOnPage();

// Shows a width x height frame on the page's canvas. Each pixel is four
// bytes in memory, red, green, blue and a spare one that is overwritten;
// rows are packed. Nothing off the web.
void ShowFrame(std::uint32_t* pixels, int width, int height);

// The arguments as UTF-8, whatever the system's code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace dv::os

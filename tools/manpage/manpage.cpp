// Writes the manual page dravo-vantle(6). The flags come from the same list
// --help prints, so the page cannot describe a flag the program lacks.
#include <fstream>
#include <iostream>
#include <string>

#include "app/CommandLine.h"

namespace {

// roff reads a backslash as an escape and a dot or quote opening a line as a
// request. Every dash in a word that starts with one is a flag's and must
// stay a minus sign, or "--dump-state" could not be copied from the page.
std::string Roff(const std::string& text) {
    std::string out;
    char previous = ' ';
    bool inFlag = false;
    for (const char c : text) {
        if (c == '-' && (previous == ' ' || previous == '(')) {
            inFlag = true;
        } else if (c == ' ') {
            inFlag = false;
        }
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-' && inFlag) {
            out += "\\-";
        } else if ((c == '.' || c == '\'') && out.empty()) {
            out += "\\&";
            out += c;
        } else {
            out += c;
        }
        previous = c;
    }
    return out;
}

std::string Page(const dv::CommandLineHelp& help) {
    const auto dash = help.summary.find(" - ");
    const std::string what = dash == std::string::npos ? help.summary : help.summary.substr(dash + 3);
    std::string page;
    page += ".TH DRAVO\\-VANTLE 6 \"\" \"" + help.program + " " DV_VERSION "\" \"Games\"\n";
    page += ".SH NAME\n" + help.program + " \\- " + Roff(what) + "\n";
    page += ".SH SYNOPSIS\n.B " + help.program + "\n.RI [ options ]\n";
    page += R"(.SH DESCRIPTION
Dravo Vantle! is a puzzle game for one player: pieces of four square cells
fall into a well ten cells wide, and the player moves and turns them so that
they fill whole rows, which then burst and score.
All its texts are in Italian.
.PP
Started without flags it fills the screen, keeping its 800\(mu600 picture in
proportion with bars at the sides, and plays in real time from the keyboard.
Alt+Enter switches between the full screen and a window.
.SH OPTIONS
)";
    for (const dv::FlagHelp& flag : help.flags) {
        if (flag.argument.empty()) {
            page += ".TP\n.B " + Roff(flag.name) + "\n";
        } else {
            page += ".TP\n.BI \"" + Roff(flag.name) + " \" " + Roff(flag.argument) + "\n";
        }
        page += Roff(flag.description) + "\n";
    }
    page += R"(.SH KEYS
.TP
.B Space
At the start screen, start a game; while playing, turn the piece clockwise.
.TP
.B Left, Right, Down
Move the piece; held, the key repeats.
.TP
.B P
Pause and go on.
.TP
.B S
Sound effects on and off; at a question, yes.
.TP
.B M
Music on and off.
.TP
.B N
At a question, no.
.TP
.B Esc
While playing, ask whether to end the game; at the start screen, ask whether
to quit; at a question, yes.
.SH FILES
.TP
.I ~/.local/share/dravo\-vantle/
The folder the launcher starts the game in (under
.I $XDG_DATA_HOME
when that is set to a full path).
It holds a link
.I texture
to the installed pictures and, after a failure, the log
.IR DEBUG.TXT .
Relative file names given to the flags are taken from this folder.
.TP
.I DEBUG.TXT
One line for each failure at start-up, or for a failure that ends a game,
written in the current folder.
Nothing else is written unless a flag asks for it, and nothing is kept
between runs.
.TP
.IR data/ ", " sounds/ ", " texture/
The pieces, the sounds and music, and the pictures, installed beside the
program.
.SH EXIT STATUS
.TP
.B 0
The player quit, or the run a flag asked for ended.
.TP
.B 1
The game could not start or could not go on; the reason is on the screen,
on standard error and in
.IR DEBUG.TXT .
.TP
.B 2
A flag or a replay file was not understood; nothing was run.
.SH SEE ALSO
The game's README, which has the rules of play and the replay file format.
)";
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: manpage OUTPUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << Page(dv::DescribeCommandLine());
    out.close();
    if (!out) {
        std::cerr << "manpage: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}

// The render: the show played in virtual time, every 60 Hz tick's frame and the mixed music
// recorded to an mp4, optionally a contact sheet. Nothing is left behind unless all of it worked.
#pragma once

#include <string>

struct RenderOptions {
    std::string output;  // the mp4
    std::string sheet;   // contact sheet PNG, empty for none
    bool progress = false;  // progress bar on standard error
};

constexpr int SHEET_EVERY_SECONDS = 5;

// Reads the command line (program name first). On a mistake prints one line to standard error
// and returns false; `help` is set for -h and --help.
bool parse_render_args(int argc, char** argv, RenderOptions& o, bool* help);
// Runs show() (the whole show: start-up, scenes, shutdown) and records it. Returns the process's
// exit status; show() may also end the process itself, and the files are then removed.
int render_show(const RenderOptions& o, int (*show)());

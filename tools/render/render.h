// The render: the show played in virtual time, every 60 Hz tick's frame and the mixed music
// recorded (the whole show or a clip of it) to a video for sharing, a lossless master or an
// animated picture, optionally with a storyboard. Nothing is left behind unless all of it worked.
#pragma once

#include <string>

#include "console/moment.h"
#include "console/sound.h"

enum class OutputKind {
    Video,   // .mp4: H.264 (4:2:0, BT.709, limited range) and AAC
    Master,  // .mkv with --lossless: lossless RGB H.264 and FLAC, every pixel and sample exact
    Gif,     // .gif: the show's own colours, 50 pictures a second
    Webp,    // .webp: animated, lossless, 60 a second
    Apng,    // .png: animated, 60 a second
};

struct RenderOptions {
    std::string output;
    OutputKind kind = OutputKind::Video;
    int scale = 0;              // 1 ... 9; 0: the kind's own (2 for .mp4, else 1)
    int frame_lines = 0;        // --frame: 1080, 1440 or 2160; 0 for none
    bool lossless = false;
    int audio_rate = AUDIO_RATE;  // or 48000: resampled once
    bool has_from = false, has_to = false;
    Moment from, to;            // the clip: from its first tick to the tick before `to`
    std::string storyboard;     // PNG, empty for none
    bool progress = false;      // progress bar on standard error
};

constexpr int ANIMATION_MOST_SECONDS = 20;
constexpr int GIF_RATE = 50;      // pictures a second: GIF delays count hundredths, and 1 is too short for browsers
constexpr int RESAMPLED_RATE = 48000;

// Reads the command line (program name first). On a mistake prints one line to standard error
// and returns false; `help` is set for -h and --help.
bool parse_render_args(int argc, char** argv, RenderOptions& o, bool* help);
// Runs show() (the whole show: start-up, scenes, shutdown) and records it. Returns the process's
// exit status; show() may also end the process itself, and the files are then removed.
int render_show(const RenderOptions& o, int (*show)());

// Moments of the show, as the tools and the show's start setting name them: SCENE:SECONDS, that
// many seconds after the start of that scene (3:5.5), or SECONDS of show time (12). A moment
// becomes a 60 Hz tick once the tick at which its scene started is known, so a run finds it as
// it goes; one past the end of the show is found when the run ends before it.
#pragma once

#include <cstdint>
#include <string>

constexpr int MOMENT_SCENES = 10;

struct Moment {
    int scene = 0;        // 1 ... 10: counted from that scene's start; 0: from the start of the show
    double seconds = 0;   // as written
    int64_t ticks = 0;    // seconds in 60 Hz ticks, rounded to the nearest
    std::string text;     // as written, for messages
};

// The tick at which each scene started, as a run goes: at[0] is the show's start (tick 0),
// at[s] the first tick scanned out in scene s, -1 until then.
struct SceneStarts {
    int64_t at[MOMENT_SCENES + 1] = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// Reads a moment. False for anything else, with the reason in why ("scenes are numbered 1 to
// 10", ...): a missing or extra part, a scene outside 1 ... 10, negative or not a number.
bool parse_moment(const std::string& text, Moment* m, std::string* why);
// Notes that a tick was scanned out in a scene (0 before the first scene): the first such tick
// of each scene is its start.
void note_scene(SceneStarts& starts, int scene, int64_t tick);
// The tick the moment falls on, or -1 while its scene has not started.
int64_t moment_tick(const Moment& m, const SceneStarts& starts);

// How two moments compare before the run, whatever the scenes' lengths: -1 if a comes before b,
// 1 if a comes at or after b, 0 if only the run can tell. Scenes start in order, so a moment
// counted from an earlier scene (or the show's start) with fewer seconds comes first.
int moment_order(const Moment& a, const Moment& b);

// A tick count as show time: M:SS.hh, or M:SS without hundredths.
std::string ticks_as_time(int64_t ticks, bool hundredths = true);

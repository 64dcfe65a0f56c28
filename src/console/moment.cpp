#include "console/moment.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "console/sound.h"

namespace {

constexpr double MOST_SECONDS = 1e6;  // far past any end of the show, and a tick count that fits

bool all_digits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Digits with at most one decimal point and a digit somewhere: 5, 5.5, .5, 5.
bool decimal(const std::string& s) {
    size_t dot = s.find('.');
    if (dot == std::string::npos) return all_digits(s);
    std::string whole = s.substr(0, dot), part = s.substr(dot + 1);
    return (whole.empty() || all_digits(whole)) && (part.empty() || all_digits(part)) && whole.size() + part.size() > 0;
}

}  // namespace

bool parse_moment(const std::string& text, Moment* m, std::string* why) {
    *m = Moment{};
    m->text = text;
    size_t colon = text.find(':');
    std::string seconds = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon != std::string::npos) {
        std::string scene = text.substr(0, colon);
        if (!all_digits(scene)) {
            *why = "the scene before the colon is not a whole number (a moment is SCENE:SECONDS or SECONDS)";
            return false;
        }
        long n = scene.size() > 3 ? 1000 : strtol(scene.c_str(), nullptr, 10);
        if (n < 1 || n > MOMENT_SCENES) {
            *why = "scenes are numbered 1 to " + std::to_string(MOMENT_SCENES);
            return false;
        }
        m->scene = int(n);
    }
    if (!seconds.empty() && seconds[0] == '-') {
        *why = "a moment is never negative";
        return false;
    }
    if (!decimal(seconds)) {
        *why = colon == std::string::npos ? "not a number of seconds (a moment is SCENE:SECONDS or SECONDS)"
                                          : "the seconds after the colon are not a number (a moment is SCENE:SECONDS)";
        return false;
    }
    m->seconds = strtod(seconds.c_str(), nullptr);
    if (!(m->seconds <= MOST_SECONDS)) {
        *why = "more seconds than any show lasts";
        return false;
    }
    m->ticks = std::llround(m->seconds * RETRACE_RATE);
    return true;
}

void note_scene(SceneStarts& starts, int scene, int64_t tick) {
    if (scene >= 1 && scene <= MOMENT_SCENES && starts.at[scene] < 0) starts.at[scene] = tick;
}

int64_t moment_tick(const Moment& m, const SceneStarts& starts) {
    int64_t base = starts.at[m.scene];
    return base < 0 ? -1 : base + m.ticks;
}

int moment_order(const Moment& a, const Moment& b) {
    if (a.scene <= b.scene && a.ticks < b.ticks) return -1;
    if (a.scene >= b.scene && a.ticks >= b.ticks) return 1;
    return 0;
}

std::string ticks_as_time(int64_t ticks, bool hundredths) {
    char b[48];
    int64_t centis = ticks * 100 / RETRACE_RATE;
    if (hundredths)
        snprintf(b, sizeof b, "%lld:%02lld.%02lld", (long long)(centis / 6000), (long long)(centis / 100 % 60),
                 (long long)(centis % 100));
    else
        snprintf(b, sizeof b, "%lld:%02lld", (long long)(centis / 6000), (long long)(centis / 100 % 60));
    return b;
}

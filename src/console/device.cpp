// The module player's look for a sound device, kept quiet and tidy: the sound libraries' own
// error lines are held back, and a runtime folder made for the look and left empty is removed.
#include <alsa/asoundlib.h>
#include <mikmod.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "console/sound.h"

namespace {

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// The sound server's client library (PulseAudio's) keeps a runtime folder per user. Where
// XDG_RUNTIME_DIR is unset it makes one, "pulse-…", in the temporary folder and points the user's
// configuration at it; with no sound server on the machine, nothing ever goes into it. These are
// the ones there are now (none where the client library does not use the temporary folder).
std::vector<std::filesystem::path> sound_runtime_folders() {
    namespace fs = std::filesystem;
    std::vector<fs::path> found;
    if (getenv("XDG_RUNTIME_DIR") || getenv("PULSE_RUNTIME_PATH")) return found;
    const char* tmp = "/tmp";  // the client library's choice of temporary folder
    for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"}) {
        const char* v = getenv(name);
        if (v && v[0] == '/') {
            tmp = v;
            break;
        }
    }
    std::error_code e;
    for (fs::directory_iterator it(tmp, e), end; !e && it != end; it.increment(e)) {
        struct stat st;
        const fs::path& p = it->path();
        if (p.filename().string().rfind("pulse-", 0) == 0 && lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == getuid())
            found.push_back(p);
    }
    return found;
}

}  // namespace

int con_audio_init() {
    std::vector<std::filesystem::path> before = sound_runtime_folders();
    snd_lib_error_set_handler(ignore_alsa_error);
    int failed = MikMod_Init("");
    snd_lib_error_set_handler(nullptr);
    // A folder made for this look and left empty is the run's own litter; rmdir takes no other.
    for (const std::filesystem::path& p : sound_runtime_folders())
        if (std::find(before.begin(), before.end(), p) == before.end()) rmdir(p.c_str());
    return failed;
}

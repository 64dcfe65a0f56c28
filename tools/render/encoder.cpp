#include "encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"

namespace {

constexpr size_t FRAME_SIZE = size_t(SCAN_WIDTH) * SCAN_HEIGHT * 3;
// Frames queued for ffmpeg before the show waits for it. The samples are never held back, so
// whatever ffmpeg waits for on one pipe, the show can make up to two seconds of it meanwhile.
constexpr size_t MAX_BACKLOG = 120;

// Writes what the pipe takes now; marks the encoder broken if ffmpeg is gone.
void send_some(Encoder& e, int fd, std::string& pending) {
    while (!pending.empty() && !e.broken) {
        ssize_t n = write(fd, pending.data(), pending.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        if (n <= 0) {
            e.broken = true;
            return;
        }
        pending.erase(0, size_t(n));
    }
}

// Sends until `which` holds at most `limit` bytes, feeding the other pipe whenever it has room too.
void send_until(Encoder& e, std::string& which, size_t limit) {
    while (which.size() > limit && !e.broken) {
        pollfd p[2];
        int n = 0;
        if (!e.video_pending.empty()) p[n++] = pollfd{e.video, POLLOUT, 0};
        if (!e.audio_pending.empty()) p[n++] = pollfd{e.audio, POLLOUT, 0};
        if (poll(p, nfds_t(n), -1) < 0) {
            if (errno == EINTR && console_quit_requested()) return;  // the show ends at its next console call
            if (errno == EINTR) continue;
            e.broken = true;
            return;
        }
        for (int i = 0; i < n; i++) {
            if (!p[i].revents) continue;
            bool is_video = p[i].fd == e.video;
            send_some(e, p[i].fd, is_video ? e.video_pending : e.audio_pending);
        }
    }
}

void close_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

int wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

}  // namespace

std::string find_ffmpeg() {
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t at = 0; at <= dirs.size();) {
        size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(at, end - at);
        std::string candidate = (dir.empty() ? "." : dir) + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return "";
}

bool encoder_start(Encoder& e, const std::string& ffmpeg, const std::string& out_path) {
    int v[2], a[2];
    if (pipe2(v, O_CLOEXEC) != 0) return false;
    if (pipe2(a, O_CLOEXEC) != 0) {
        close(v[0]);
        close(v[1]);
        return false;
    }
    e.log = memfd_create("ffmpeg-log", MFD_CLOEXEC);
    std::string size = std::to_string(SCAN_WIDTH) + "x" + std::to_string(SCAN_HEIGHT);
    std::string scale = "scale=" + std::to_string(2 * SCAN_WIDTH) + ":" + std::to_string(2 * SCAN_HEIGHT) +
                        ":flags=neighbor";
    // Doubled with whole pixels, every picture pixel keeps its own colour through 4:2:0 chroma.
    std::vector<std::string> args = {
        ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        "-probesize", "32", "-analyzeduration", "0",  // start without reading ahead on either pipe
        "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size", size, "-framerate", "60", "-i", "pipe:3",
        "-probesize", "32", "-analyzeduration", "0",
        "-f", "s16le", "-ar", std::to_string(AUDIO_RATE), "-ac", std::to_string(AUDIO_CHANNELS), "-i", "pipe:4",
        "-map", "0:v", "-map", "1:a", "-vf", scale,
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k",
        "-map_metadata", "-1", "-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact",
        "-movflags", "+faststart", "-f", "mp4", out_path};
    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {v[0], v[1], a[0], a[1]}) close(fd);
        return false;
    }
    if (pid == 0) {
        setpgid(0, 0);  // Ctrl-C at the terminal is ours to handle, not ffmpeg's
        int vr = fcntl(v[0], F_DUPFD, 10), ar = fcntl(a[0], F_DUPFD, 10);
        dup2(vr, 3);
        dup2(ar, 4);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        if (e.log >= 0) dup2(e.log, 2);
        std::vector<char*> argv;
        for (std::string& s : args) argv.push_back(s.data());
        argv.push_back(nullptr);
        execv(ffmpeg.c_str(), argv.data());
        _exit(127);
    }
    close(v[0]);
    close(a[0]);
    e.pid = pid;
    e.video = v[1];
    e.audio = a[1];
    fcntl(e.video, F_SETFL, O_NONBLOCK);
    fcntl(e.audio, F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN);  // a stopped ffmpeg shows as a failed write
    return true;
}

void encoder_frame(Encoder& e, const uint8_t* rgb) {
    e.video_pending.append(reinterpret_cast<const char*>(rgb), FRAME_SIZE);
    send_some(e, e.video, e.video_pending);
    if (e.video_pending.size() > MAX_BACKLOG * FRAME_SIZE) send_until(e, e.video_pending, MAX_BACKLOG * FRAME_SIZE / 2);
}

void encoder_audio(Encoder& e, const int16_t* samples, size_t frames) {
    e.audio_pending.append(reinterpret_cast<const char*>(samples), frames * AUDIO_FRAME_BYTES);
    send_some(e, e.audio, e.audio_pending);
}

bool encoder_finish(Encoder& e) {
    send_until(e, e.video_pending, 0);
    send_until(e, e.audio_pending, 0);
    close_fd(e.video);
    close_fd(e.audio);
    int status = wait_for(e.pid);
    e.pid = -1;
    return !e.broken && status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void encoder_kill(Encoder& e) {
    close_fd(e.video);
    close_fd(e.audio);
    if (e.pid > 0) {
        kill(e.pid, SIGKILL);
        wait_for(e.pid);
    }
    e.pid = -1;
}

std::string encoder_last_words(const Encoder& e) {
    if (e.log < 0) return "";
    std::string text;
    char buf[4096];
    ssize_t n;
    for (off_t at = 0; (n = pread(e.log, buf, sizeof buf, at)) > 0; at += n) text.append(buf, size_t(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    size_t start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

#include "encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "console/hooks.h"
#include "console/run.h"

namespace {

constexpr size_t MOST_BACKLOG = size_t(256) << 20;
constexpr int PIPE_BYTES = 1 << 20;  // fewer, larger writes (the most an ordinary user may ask for)

void push(PipeQueue& q, const uint8_t* data, size_t n) {
    if (!q.chunks.empty() && q.chunks.back().size() + n <= 65536) {  // samples come in small blocks
        q.chunks.back().insert(q.chunks.back().end(), data, data + n);
    } else {
        std::vector<uint8_t> chunk;
        if (!q.spare.empty()) chunk = std::move(q.spare.back()), q.spare.pop_back();
        chunk.assign(data, data + n);
        q.chunks.push_back(std::move(chunk));
    }
    q.bytes += n;
}

// Writes what the pipe takes now; marks the encoder broken if ffmpeg is gone.
void send_some(Encoder& e, PipeQueue& q) {
    while (q.bytes > 0 && !e.broken) {
        std::vector<uint8_t>& first = q.chunks.front();
        ssize_t n = write(q.fd, first.data() + q.sent, first.size() - q.sent);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        if (n <= 0) {
            e.broken = true;
            return;
        }
        q.sent += size_t(n);
        q.bytes -= size_t(n);
        if (q.sent < first.size()) continue;
        if (q.spare.size() < 4) q.spare.push_back(std::move(first));
        q.chunks.pop_front();
        q.sent = 0;
    }
}

// Sends until `which` holds at most `limit` bytes, feeding the other pipe whenever it has room too.
void send_until(Encoder& e, PipeQueue& which, size_t limit) {
    while (which.bytes > limit && !e.broken) {
        pollfd p[2];
        PipeQueue* queue[2];
        int n = 0;
        for (PipeQueue* q : {&e.video, &e.audio}) {
            if (q->bytes == 0) continue;
            queue[n] = q;
            p[n++] = pollfd{q->fd, POLLOUT, 0};
        }
        if (poll(p, nfds_t(n), -1) < 0) {
            if (errno == EINTR && console_quit_requested()) return;  // the show ends at its next console call
            if (errno == EINTR) continue;
            e.broken = true;
            return;
        }
        for (int i = 0; i < n; i++)
            if (p[i].revents) send_some(e, *queue[i]);
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

bool encoder_start(Encoder& e, const std::string& ffmpeg, const std::vector<std::string>& args, size_t frame_bytes,
                   bool audio) {
    int v[2], a[2] = {-1, -1};
    if (pipe2(v, O_CLOEXEC) != 0) return false;
    if (audio && pipe2(a, O_CLOEXEC) != 0) {
        close(v[0]);
        close(v[1]);
        return false;
    }
    e.frame_bytes = frame_bytes;
    e.backlog = std::max(2 * frame_bytes, std::min(size_t(2 * RETRACE_RATE) * frame_bytes, MOST_BACKLOG));
    e.log = memfd_create("ffmpeg-log", MFD_CLOEXEC);
    std::vector<std::string> argv_text = {ffmpeg};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argv_text) argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {v[0], v[1], a[0], a[1]})
            if (fd >= 0) close(fd);
        return false;
    }
    if (pid == 0) {
        setpgid(0, 0);  // Ctrl-C at the terminal is ours to handle, not ffmpeg's
        int vr = fcntl(v[0], F_DUPFD, 10), ar = audio ? fcntl(a[0], F_DUPFD, 10) : -1;
        dup2(vr, 3);
        if (audio) dup2(ar, 4);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        if (e.log >= 0) dup2(e.log, 2);
        execv(ffmpeg.c_str(), argv.data());
        _exit(127);
    }
    close(v[0]);
    if (audio) close(a[0]);
    e.pid = pid;
    e.video.fd = v[1];
    e.audio.fd = a[1];
    for (int fd : {e.video.fd, e.audio.fd}) {
        if (fd < 0) continue;
        fcntl(fd, F_SETPIPE_SZ, PIPE_BYTES);
        fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    signal(SIGPIPE, SIG_IGN);  // a stopped ffmpeg shows as a failed write
    return true;
}

void encoder_frame(Encoder& e, const uint8_t* frame) {
    push(e.video, frame, e.frame_bytes);
    send_some(e, e.video);
    if (e.video.bytes > e.backlog) send_until(e, e.video, e.backlog / 2);
}

void encoder_audio(Encoder& e, const int16_t* samples, size_t frames) {
    if (e.audio.fd < 0) return;
    push(e.audio, reinterpret_cast<const uint8_t*>(samples), frames * AUDIO_FRAME_BYTES);
    send_some(e, e.audio);
}

bool encoder_finish(Encoder& e) {
    send_until(e, e.video, 0);
    send_until(e, e.audio, 0);
    close_fd(e.video.fd);
    close_fd(e.audio.fd);
    int status = wait_for(e.pid);
    e.pid = -1;
    return !e.broken && status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void encoder_kill(Encoder& e) {
    close_fd(e.video.fd);
    close_fd(e.audio.fd);
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

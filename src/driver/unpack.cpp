#include "driver/unpack.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "console/run.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

extern char** environ;

namespace {

// The unpacked copy, in plain memory that a signal handler may read: the path is complete
// whenever unpacked is set.
char unpack_path[PATH_MAX];
volatile sig_atomic_t unpacked = 0;
int start_dir = -1;

constexpr int MAX_DEPTH = 32;

std::string program_dir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string path(buf, size_t(n));
    return path.substr(0, path.rfind('/'));
}

// dir (absolute, without . or .. in it) followed by a relative path whose leading ../ steps go up.
std::string join(std::string dir, const char* rel) {
    for (; strncmp(rel, "../", 3) == 0; rel += 3) dir.erase(std::min(dir.rfind('/'), dir.size()));
    return dir + "/" + rel;
}

std::string current_dir() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

bool is_file(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_dir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Where data.dat is looked for, in order, each place once: the current directory, the program's
// folder, and the folder the install rules put it in (TENFOLD_DATA_FROM_PROGRAM, relative to the
// installed program), so that an installed tree finds its own wherever it was installed or moved.
std::vector<std::string> data_places() {
    std::vector<std::string> places{current_dir()};
    std::string program = program_dir();
    if (program.empty()) return places;
    for (const std::string& place : {program, join(program, TENFOLD_DATA_FROM_PROGRAM)})
        if (std::find(places.begin(), places.end(), place) == places.end()) places.push_back(place);
    return places;
}

// Runs tar and waits for it; a quit requested meanwhile stops it. Its exit status, or -1.
int run_tar(const std::string& archive, const char* dir) {
#ifdef __EMSCRIPTEN__
    return con::browser_untar(archive.c_str(), dir);  // no processes in a browser
#else
    const char* argv[] = {"tar", "-xzf", archive.c_str(), "-C", dir, nullptr};
    // tar gets the signal dispositions a shell would give it: the show ignores SIGPIPE.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int failed = posix_spawnp(&pid, "tar", nullptr, &attr, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attr);
    if (failed) return -1;
    int status;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR) return -1;
        if (console_quit_requested()) {
            kill(pid, SIGTERM);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return -1;
        }
        timespec pause{0, 10000000};  // a signal cuts it short
        nanosleep(&pause, nullptr);
    }
#endif
}

// Deletes one entry of the open directory dir, a directory with everything in it. The errno of
// the first failure, or 0.
int remove_entry(int dir, const char* name, unsigned char type, int depth);

// Deletes everything in the open directory dir, with system calls only (no memory allocation, no
// stdio), so that a signal handler may do it too. The errno of the first failure, or 0.
int remove_below(int dir, int depth) {
    alignas(dirent64) char buf[1024];
    int failure = 0;
    // Entries are deleted as they are listed; the listing is read again until a pass deletes none.
    for (bool deleted = true; deleted;) {
        deleted = false;
        if (lseek(dir, 0, SEEK_SET) < 0) return errno;
        ssize_t n;
        while ((n = getdents64(dir, reinterpret_cast<dirent64*>(buf), sizeof buf)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const dirent64* e = reinterpret_cast<const dirent64*>(buf + at);
                at += e->d_reclen;
                if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
                int error = remove_entry(dir, e->d_name, e->d_type, depth);
                if (error == 0) deleted = true;
                if (error && !failure) failure = error;
            }
        }
        if (n < 0) return errno;
    }
    return failure;
}

int remove_entry(int dir, const char* name, unsigned char type, int depth) {
    if (type == DT_UNKNOWN) {
        struct stat st;
        if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
        type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    if (type != DT_DIR) return unlinkat(dir, name, 0) == 0 ? 0 : errno;
    if (depth >= MAX_DEPTH) return ELOOP;
    int sub = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) return errno;
    int failure = remove_below(sub, depth + 1);
    close(sub);
    if (failure) return failure;
    return unlinkat(dir, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

// The unpacked copy and everything in it; async-signal-safe. The errno of the first failure, or 0.
int remove_unpacked() {
    int dir = open(unpack_path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return errno == ENOENT ? 0 : errno;
    int failure = remove_below(dir, 0);
    close(dir);
    if (failure) return failure;
    return rmdir(unpack_path) == 0 || errno == ENOENT ? 0 : errno;
}

// A signal ends the process at once: the copy goes with it.
void remove_data_at_once() {
    if (unpacked) remove_unpacked();
}

}  // namespace

int unpack_data() {
    std::vector<std::string> places = data_places();
    auto found = std::find_if(places.begin(), places.end(), [](const std::string& p) { return is_file(p + "/data.dat"); });
    if (found == places.end()) {
        fprintf(stderr, "tenfold: data.dat not found in %s", places[0].c_str());
        for (size_t i = 1; i < places.size(); i++) fprintf(stderr, " nor in %s", places[i].c_str());
        fprintf(stderr, " (build it with the README's play command)\n");
        return 0;
    }
    std::string archive = *found + "/data.dat";
    const char* tmp = getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tenfold-XXXXXX";
    if (templ.size() >= sizeof unpack_path) {
        fprintf(stderr, "tenfold: TMPDIR is too long a path to unpack %s into\n", archive.c_str());
        return 0;
    }
    console_on_fatal_signal(remove_data_at_once);
    unpacked = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    memcpy(unpack_path, templ.c_str(), templ.size() + 1);
    if (!mkdtemp(unpack_path)) {
        fprintf(stderr, "tenfold: cannot make a directory to unpack %s into (%s): %s\n", archive.c_str(),
                templ.c_str(), strerror(errno));
        return 0;
    }
    std::atomic_signal_fence(std::memory_order_seq_cst);
    unpacked = 1;
    start_dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (run_tar(archive, unpack_path) != 0 || !is_dir(std::string(unpack_path) + "/data") || start_dir < 0 ||
        chdir(unpack_path) != 0) {
        if (!console_quit_requested()) fprintf(stderr, "tenfold: cannot unpack %s into %s\n", archive.c_str(), unpack_path);
        remove_data();
        return 0;
    }
    return 1;
}

int remove_data() {
    if (!unpacked) return 1;
    if (start_dir >= 0) {
        if (fchdir(start_dir) != 0) perror("tenfold: cannot return to the starting directory");
        close(start_dir);
        start_dir = -1;
    }
    int failure = remove_unpacked();
    unpacked = 0;
    if (failure) {
        fprintf(stderr, "tenfold: cannot remove %s: %s\n", unpack_path, strerror(failure));
        return 0;
    }
    return 1;
}

#include "driver/unpack.h"

#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

extern char** environ;

namespace {

std::string unpack_dir;
int start_dir = -1;

std::string program_dir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string path(buf, size_t(n));
    return path.substr(0, path.rfind('/'));
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

int run_tar(const std::string& archive, const std::string& dir) {
#ifdef __EMSCRIPTEN__
    return con::browser_untar(archive.c_str(), dir.c_str());  // no processes in a browser
#else
    const char* argv[] = {"tar", "-xzf", archive.c_str(), "-C", dir.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "tar", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    int status;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

}  // namespace

int unpack_data() {
    std::string here = current_dir();
    std::string there = program_dir();
    std::string archive = here + "/data.dat";
    if (!is_file(archive) && !there.empty() && is_file(there + "/data.dat")) archive = there + "/data.dat";
    if (!is_file(archive)) {
        fprintf(stderr, "tenfold: data.dat not found in %s", here.c_str());
        if (!there.empty() && there != here) fprintf(stderr, " nor in %s", there.c_str());
        fprintf(stderr, " (build it with the README's play command)\n");
        return 0;
    }
    const char* tmp = getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tenfold-XXXXXX";
    if (!mkdtemp(templ.data())) {
        fprintf(stderr, "tenfold: cannot make a directory to unpack %s into (%s)\n", archive.c_str(), templ.c_str());
        return 0;
    }
    unpack_dir = templ;
    start_dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (run_tar(archive, unpack_dir) != 0 || !is_dir(unpack_dir + "/data") || start_dir < 0 ||
        chdir(unpack_dir.c_str()) != 0) {
        fprintf(stderr, "tenfold: cannot unpack %s into %s\n", archive.c_str(), unpack_dir.c_str());
        remove_data();
        return 0;
    }
    return 1;
}

void remove_data() {
    if (unpack_dir.empty()) return;
    if (start_dir >= 0) {
        if (fchdir(start_dir) != 0) perror("tenfold: cannot return to the starting directory");
        close(start_dir);
        start_dir = -1;
    }
    nftw(unpack_dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    unpack_dir.clear();
}

#include "support/run.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

std::string make_temp_dir(const char* tag) {
    std::string t = std::string("/tmp/tenfold-test-") + tag + "-XXXXXX";
    if (!mkdtemp(t.data())) abort();
    return t;
}

static int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

void remove_tree(const std::string& dir) { nftw(dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f << data;
}

int count_of(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) n++;
    return n;
}

std::string run_shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

int start_program(const std::string& program, const std::string& dir, const std::vector<std::string>& env) {
    std::string out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);  // a job of its own, as a shell starts it: Ctrl-C's signal goes to the group
        if (chdir(dir.c_str()) != 0) _exit(127);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        for (const std::string& e : env) putenv(strdup(e.c_str()));
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    return pid;
}

RunResult finish_program(int pid, const std::string& dir) {
    std::string out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    RunResult r;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.term_signal = WTERMSIG(status);
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    return r;
}

RunResult run_program(const std::string& program, const std::string& dir, const std::vector<std::string>& env,
                      int signal_after_ms, int signal_number) {
    int pid = start_program(program, dir, env);
    if (signal_after_ms >= 0) {
        usleep(useconds_t(signal_after_ms) * 1000);
        kill(pid, signal_number);
    }
    return finish_program(pid, dir);
}

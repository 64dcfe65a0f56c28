// Runs a program in a directory with extra environment variables and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int exit_status = -1;  // -1 if it did not exit normally
    int term_signal = 0;
    std::string out, err;
};

// signal_after_ms >= 0: sends signal_number that many milliseconds after the start.
RunResult run_program(const std::string& program, const std::string& dir, const std::vector<std::string>& env,
                      int signal_after_ms = -1, int signal_number = 2);

// The same in two halves, for a test that acts on the program while it runs. The program runs in
// a process group of its own, whose id is its pid.
int start_program(const std::string& program, const std::string& dir, const std::vector<std::string>& env);
RunResult finish_program(int pid, const std::string& dir);

// A fresh empty directory under the system's temporary folder, removed by remove_tree.
std::string make_temp_dir(const char* tag);
void remove_tree(const std::string& dir);
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& data);
int count_of(const std::string& haystack, const std::string& needle);
// What a shell command prints on standard output.
std::string run_shell(const std::string& command);

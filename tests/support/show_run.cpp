#include "support/show_run.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "support/run.h"

#include "console/hooks.h"
#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "driver/demo.h"
#include "music/music.h"
#include "video/present.h"

std::vector<const TickRecord*> ShowRecord::scene_ticks(int scene) const {
    std::vector<const TickRecord*> out;
    for (const TickRecord& t : ticks)
        if (t.scene == scene) out.push_back(&t);
    return out;
}

std::vector<ShowCheck>& registered_show_checks() {
    static std::vector<ShowCheck> checks;
    return checks;
}

int register_show_check(ShowCheck check) {
    registered_show_checks().push_back(std::move(check));
    return int(registered_show_checks().size());
}

namespace {

struct RunDirs {
    std::string start, tmp, results;
};

void save_ticks(const RunDirs& d, const ShowRecord& record) {
    write_file(d.results + "/ticks", std::string(reinterpret_cast<const char*>(record.ticks.data()),
                                                 record.ticks.size() * sizeof(TickRecord)));
}

// Every check's verify, with the failures collected instead of reported.
std::vector<CheckFailure> verify_all(const ShowRecord& record) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter intercept(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        for (const ShowCheck& check : registered_show_checks()) {
            SCOPED_TRACE(check.name);
            if (check.verify) check.verify(record);
        }
    }
    std::vector<CheckFailure> failures;
    for (int i = 0; i < results.size(); i++) {
        const ::testing::TestPartResult& r = results.GetTestPartResult(i);
        if (r.failed()) failures.push_back(CheckFailure{r.file_name() ? r.file_name() : "", r.line_number(), r.message()});
    }
    return failures;
}

void save_failures(const std::string& path, const std::vector<CheckFailure>& failures) {
    std::string text;
    for (const CheckFailure& f : failures)
        text += f.file + '\n' + std::to_string(f.line) + '\n' + std::to_string(f.message.size()) + '\n' + f.message;
    write_file(path, text);
}

std::vector<CheckFailure> load_failures(const std::string& path) {
    std::vector<CheckFailure> failures;
    std::istringstream in(read_file(path));
    CheckFailure f;
    size_t size;
    while (std::getline(in, f.file) && in >> f.line >> size && in.get() == '\n') {
        f.message.resize(size);
        in.read(f.message.data(), std::streamsize(size));
        failures.push_back(f);
    }
    return failures;
}

// The child: the show with the checks watching, then their verdicts; ends as the program does.
[[noreturn]] void play_in_child(const RunDirs& d, const ShowOptions* options) {
    if (chdir(d.start.c_str()) != 0) _exit(127);
    if (!freopen((d.results + "/out").c_str(), "w", stdout) || !freopen((d.results + "/err").c_str(), "w", stderr))
        _exit(127);
    setenv("TMPDIR", d.tmp.c_str(), 1);
    ConsoleSettings settings;
    settings.video = "none";
    settings.virtual_clock = !options || !options->real_clock;
    settings.stats = d.results + "/stats.json";
    if (options) settings.start = options->start, settings.audio_out = options->audio_out;
    console_start(settings);

    static ShowRecord record;
    static const RunDirs* dirs = &d;
    static const ShowOptions* run = options;
    atexit([] { save_ticks(*dirs, record); });  // also when the run ends early (con_request_quit)
    // Every presentation toggles draw_page right after its tick's scan-out, so a tick whose
    // successor sees another draw_page was a presentation.
    static int seen_page = draw_page;
    con_set_frame_hook([](const ScanFrame& f) {
        if (draw_page != seen_page && !record.ticks.empty()) record.ticks.back().presented = true;
        seen_page = draw_page;
        ShowTick t{f.tick, con_current_scene(), song_position(), {}, f.indices, f.dac};
        con_gettimeofday(&t.time);
        for (ShowCheck& c : registered_show_checks())
            if (c.observe && !run) c.observe(t);
        if (run && run->each_tick) run->each_tick(t);
        record.ticks.push_back(TickRecord{t.tick, t.scene, t.position, t.time, false,
                                          con_hash_bytes(f.indices, SCAN_WIDTH * SCAN_HEIGHT), con_hash_bytes(f.dac, 768)});
        if (run && run->ticks >= 0 && int(record.ticks.size()) >= run->ticks) con_request_quit(1);
    });
    record.status = demo_main();
    if (draw_page != seen_page && !record.ticks.empty()) record.ticks.back().presented = true;
    con_set_frame_hook(nullptr);
    write_file(d.results + "/mode", std::to_string(vga_getcurrentmode()));
    if (!options) save_failures(d.results + "/failures", verify_all(record));
    exit(record.status);
}

}  // namespace

bool run_show(ShowProcess* process, const ShowOptions* options) {
    std::string archive = std::string(TENFOLD_BUILD_DIR) + "/data.dat";
    if (!std::filesystem::exists(archive)) return false;
    RunDirs d{make_temp_dir("show-start"), make_temp_dir("show-tmp"), make_temp_dir("show-results")};
    std::filesystem::copy_file(archive, d.start + "/data.dat");
    std::filesystem::create_directory(d.start + "/data");
    write_file(d.start + "/data/mine.txt", "the caller's own file\n");

    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) play_in_child(d, options);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) process->exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) process->term_signal = WTERMSIG(status);

    process->out = read_file(d.results + "/out");
    process->err = read_file(d.results + "/err");
    process->stats = read_file(d.results + "/stats.json");
    std::string mode = read_file(d.results + "/mode");
    process->mode_after = mode.empty() ? -1 : std::stoi(mode);
    process->unpacked_left = !std::filesystem::is_empty(d.tmp);
    process->callers_data_intact =
        read_file(d.start + "/data/mine.txt") == "the caller's own file\n" &&
        std::distance(std::filesystem::directory_iterator(d.start + "/data"), std::filesystem::directory_iterator{}) == 1;
    std::string ticks = read_file(d.results + "/ticks");
    process->ticks.resize(ticks.size() / sizeof(TickRecord));
    if (!process->ticks.empty()) memcpy(process->ticks.data(), ticks.data(), process->ticks.size() * sizeof(TickRecord));
    process->failures = load_failures(d.results + "/failures");
    if (options && !options->audio_out.empty()) process->audio = read_file(d.start + "/" + options->audio_out);
    remove_tree(d.start);
    remove_tree(d.tmp);
    remove_tree(d.results);
    return true;
}

// The show as a program: start-up failures, interruptions, the window closed, and what is left
// behind. The complete run is the shared one of tests/support/show_run.h.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "driver/demo.h"
#include "support/run.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;

namespace {

struct ShowRun : ::testing::Test {
    std::string dir, tmp;
    void SetUp() override {
        dir = make_temp_dir("show");
        tmp = make_temp_dir("tmpdir");
    }
    void TearDown() override {
        remove_tree(dir);
        remove_tree(tmp);
    }
    std::vector<std::string> env(std::vector<std::string> more = {}, const char* clock = "virtual") {
        more.push_back(std::string("TENFOLD_CLOCK=") + clock);
        more.push_back("TENFOLD_VIDEO=none");
        more.push_back("TMPDIR=" + tmp);
        return more;
    }
    // The build's data.dat.
    void provide_archive() {
        fs::copy_file(std::string(TENFOLD_BUILD_DIR) + "/data.dat", dir + "/data.dat");
    }
    // The build's data.dat without some of its files.
    void provide_archive_without(const std::vector<std::string>& names) {
        std::string src = make_temp_dir("pack");
        ASSERT_EQ(system(("tar -xzf " TENFOLD_BUILD_DIR "/data.dat -C " + src).c_str()), 0);
        for (const std::string& name : names) ASSERT_TRUE(fs::remove(src + "/data/" + name)) << name;
        ASSERT_EQ(system(("tar -czf " + dir + "/data.dat -C " + src + " data").c_str()), 0);
        remove_tree(src);
    }
    bool tmp_is_empty() { return fs::is_empty(tmp); }
};

// The user ends the show early: in real time, a second or two into the opening scene.
TEST_F(ShowRun, InterruptedRunCleansUpLikeACompleteOne) {
    provide_archive();
    fs::create_directory(dir + "/data");
    write_file(dir + "/data/mine.txt", "my own file\n");
    for (auto [sig, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        RunResult r = run_program(TENFOLD_BIN, dir, env({"TENFOLD_STATS=stats.json"}, "real"), 2500, sig);
        EXPECT_EQ(r.exit_status, status) << r.err;
        EXPECT_EQ(count_of(r.out, banner), 2) << "text mode and the closing banner";
        EXPECT_EQ(read_file(dir + "/data/mine.txt"), "my own file\n");
        EXPECT_TRUE(tmp_is_empty()) << "the unpacked copy is deleted";
        EXPECT_NE(read_file(dir + "/stats.json").find("\"clock\": \"real\""), std::string::npos);
    }
}

// Closing the window ends the show as cleanly as its own end does.
TEST_F(ShowRun, ClosingTheWindowEndsTheShowCleanly) {
    Xvfb x = start_xvfb();
    if (x.display.empty()) GTEST_SKIP() << "Xvfb did not start";
    provide_archive();
    // libdbus, which SDL's X11 video opens, keeps a buffer past SDL_Quit that no program can free:
    // the leak check is off for this run only.
    std::vector<std::string> e =
        env({"DISPLAY=" + x.display, "TENFOLD_SCALE=1", "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"}, "real");
    e.erase(std::find(e.begin(), e.end(), "TENFOLD_VIDEO=none"));
    int pid = start_program(TENFOLD_BIN, dir, e);
    unsigned long w = find_window(x.display, "tenfold", 20000);
    EXPECT_NE(w, 0u) << "no window appeared";
    usleep(500000);
    send_close_request(x.display, w);
    RunResult r = finish_program(pid, dir);
    stop_xvfb(x);
    EXPECT_EQ(r.exit_status, 1) << r.err;
    EXPECT_EQ(count_of(r.out, banner), 2);
    EXPECT_TRUE(tmp_is_empty());
}

TEST_F(ShowRun, MissingArchiveStopsBeforeTheGraphicsModeNamingWhereItLooked) {
    // A copy of the program, so that no data.dat lies beside it either.
    fs::create_directory(dir + "/bin");
    fs::copy_file(TENFOLD_BIN, dir + "/bin/tenfold");
    RunResult r = run_program(dir + "/bin/tenfold", dir, env());
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.err.find("data.dat not found in " + dir), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(dir + "/bin"), std::string::npos) << r.err;
    EXPECT_EQ(count_of(r.out, banner), 1) << "no show, no closing banner";
    EXPECT_TRUE(tmp_is_empty());
}

TEST_F(ShowRun, MissingAssetsStopTheShowBeforeTheGraphicsModeNamingThem) {
    provide_archive_without({"lights.img", "sphere.asc"});
    RunResult r = run_program(TENFOLD_BIN, dir, env({"TENFOLD_STATS=stats.json"}));
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.out.find("loading data ...\n"), std::string::npos);
    EXPECT_NE(r.out.find("Error opening image: data/lights.img\n"), std::string::npos) << "the reader's own message";
    EXPECT_NE(r.err.find("data/lights.img, data/sphere.asc\n"), std::string::npos) << r.err;
    EXPECT_EQ(count_of(r.err, "data/sphere.asc"), 1) << "a mesh loaded for three objects is named once";
    EXPECT_EQ(count_of(r.err, "\n"), 1) << "one message: " << r.err;
    EXPECT_EQ(count_of(r.out, banner), 1) << "no show, no closing banner";
    EXPECT_NE(read_file(dir + "/stats.json").find("\"frames\": 0,"), std::string::npos) << "no frame was shown";
    EXPECT_TRUE(tmp_is_empty()) << "the unpacked copy is deleted";
}

TEST_F(ShowRun, BrokenArchiveIsReportedAndNothingIsLeftBehind) {
    write_file(dir + "/data.dat", "this is not a gzip-compressed tar archive\n");
    RunResult r = run_program(TENFOLD_BIN, dir, env());
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.err.find("cannot unpack " + dir + "/data.dat"), std::string::npos) << r.err;
    EXPECT_TRUE(tmp_is_empty());
    EXPECT_FALSE(fs::exists(dir + "/data"));
}

}  // namespace

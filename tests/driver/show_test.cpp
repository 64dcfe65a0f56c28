// The show as a program: start-up failures, interruptions and crashes, the window closed, outputs
// that cannot be written, and what is left behind. The complete run is the shared one of
// tests/support/show_run.h.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <tuple>

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
        fs::create_directory(dir + "/home");
    }
    void TearDown() override {
        remove_tree(dir);
        remove_tree(tmp);
    }
    // A user of a fresh machine: a home of its own (no sound server's settings in it) and no
    // XDG_RUNTIME_DIR.
    std::vector<std::string> env(std::vector<std::string> more = {}, const char* clock = "virtual") {
        more.push_back(std::string("TENFOLD_CLOCK=") + clock);
        more.push_back("TENFOLD_VIDEO=none");
        more.push_back("TMPDIR=" + tmp);
        more.push_back("HOME=" + dir + "/home");
        return more;
    }
    // The build's data.dat.
    void provide_archive() {
        fs::copy_file(std::string(TENFOLD_BUILD_DIR) + "/data.dat", dir + "/data.dat");
    }
    // The build's data.dat without some of its files and with others replaced.
    void provide_archive_with(const std::vector<std::string>& removed,
                              const std::vector<std::pair<std::string, std::string>>& replaced) {
        std::string src = make_temp_dir("pack");
        ASSERT_EQ(system(("tar -xzf " TENFOLD_BUILD_DIR "/data.dat -C " + src).c_str()), 0);
        for (const std::string& name : removed) ASSERT_TRUE(fs::remove(src + "/data/" + name)) << name;
        for (const auto& [name, bytes] : replaced) write_file(src + "/data/" + name, bytes);
        ASSERT_EQ(system(("tar -czf " + dir + "/data.dat -C " + src + " data").c_str()), 0);
        remove_tree(src);
    }
    std::vector<std::string> tmp_entries() {
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(tmp)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Waits until the file holds text; false after 20 s.
    bool wait_for(const std::string& path, const std::string& text) {
        for (int waited = 0; waited < 20000; waited += 20, usleep(20000))
            if (read_file(path).find(text) != std::string::npos) return true;
        return false;
    }
    // The show's unpacked copy in its TMPDIR, "" if there is none.
    std::string unpacked_copy() {
        for (const std::string& name : tmp_entries())
            if (name.rfind("tenfold-", 0) == 0) return tmp + "/" + name;
        return "";
    }
};

// The user ends the show at any moment: while it unpacks, or a second or two into the opening scene
// in real time; by Ctrl-C (once or twice, to the whole job as a terminal sends it), SIGTERM or a
// closed terminal (SIGHUP). The unpacked copy goes, and so does the empty folder that the sound
// server's client library makes in TMPDIR as it looks for a device; another one there stays.
TEST_F(ShowRun, InterruptedRunCleansUpLikeACompleteOne) {
    provide_archive();
    fs::create_directory(dir + "/data");
    write_file(dir + "/data/mine.txt", "my own file\n");
    fs::create_directories(dir + "/bin");
    // A tar that takes its time: the show is interrupted while it unpacks.
    write_file(dir + "/bin/tar", "#!/bin/sh\necho $$ > " + dir + "/tar.pid\nexec sleep 20\n");
    chmod((dir + "/bin/tar").c_str(), 0755);
    fs::create_directory(tmp + "/pulse-not-the-shows");
    struct Case {
        const char* moment;
        int sig;
        bool to_job, twice;
        int status;  // the exit status; -1: ended by the signal itself
    } cases[] = {{"opening scene", SIGINT, false, false, 130},
                 {"opening scene", SIGTERM, false, false, 143},
                 {"opening scene", SIGHUP, false, false, 129},
                 {"unpacking", SIGINT, true, false, 130},
                 {"unpacking", SIGTERM, false, false, 143},
                 {"unpacking", SIGINT, true, true, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.moment << ", " << strsignal(c.sig) << (c.twice ? " twice" : ""));
        bool unpacking = strcmp(c.moment, "unpacking") == 0;
        std::vector<std::string> e = env({"TENFOLD_STATS=stats.json"}, "real");
        if (unpacking) e.push_back("PATH=" + dir + "/bin:" + getenv("PATH"));
        remove((dir + "/tar.pid").c_str());
        remove((dir + "/stats.json").c_str());
        int pid = start_program(TENFOLD_BIN, dir, e);
        if (unpacking)
            ASSERT_TRUE(wait_for(dir + "/tar.pid", "\n")) << "tar did not start";
        else
            usleep(2500000);
        for (int n = 0; n < (c.twice ? 2 : 1); n++) kill(c.to_job ? -pid : pid, c.sig);
        RunResult r = finish_program(pid, dir);
        if (c.status < 0) {
            EXPECT_TRUE(r.term_signal == c.sig || r.exit_status == 128 + c.sig) << r.err;
        } else {
            EXPECT_EQ(r.exit_status, c.status) << r.err;
            EXPECT_EQ(count_of(r.out, banner), 2) << "text mode and the closing banner";
            EXPECT_NE(read_file(dir + "/stats.json").find("\"clock\": \"real\""), std::string::npos);
        }
        EXPECT_EQ(r.err.find("cannot unpack"), std::string::npos) << "an interruption is no broken archive";
        EXPECT_EQ(r.err.find("ALSA lib"), std::string::npos) << "the sound library's own lines: " << r.err;
        EXPECT_EQ(read_file(dir + "/data/mine.txt"), "my own file\n");
        EXPECT_EQ(tmp_entries(), std::vector<std::string>{"pulse-not-the-shows"}) << "the unpacked copy is deleted";
        if (unpacking && !c.twice) {
            int tar = atoi(read_file(dir + "/tar.pid").c_str());
            EXPECT_TRUE(tar > 0 && kill(tar, 0) != 0) << "tar is stopped";
        }
    }
}

// A signal ignored from the start (nohup, a shell's background job) stays ignored; another one
// still ends the show.
TEST_F(ShowRun, SignalsIgnoredFromTheStartStayIgnored) {
    provide_archive();
    for (auto [ignored, name, ender] : {std::tuple{SIGINT, "INT", SIGTERM}, {SIGTERM, "TERM", SIGINT}, {SIGHUP, "HUP", SIGTERM}}) {
        SCOPED_TRACE(strsignal(ignored));
        write_file(dir + "/ignoring", std::string("#!/bin/sh\ntrap '' ") + name + "\nexec " TENFOLD_BIN "\n");
        chmod((dir + "/ignoring").c_str(), 0755);
        int pid = start_program(dir + "/ignoring", dir, env({}, "real"));
        usleep(1500000);
        kill(pid, ignored);
        usleep(500000);
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the ignored signal ended the show";
        kill(pid, ender);
        RunResult r = finish_program(pid, dir);
        EXPECT_EQ(r.exit_status, 128 + ender) << r.err;
        EXPECT_TRUE(tmp_entries().empty());
    }
}

// The time of day moves on with the monotonic clock from its reading at start: stepped an hour
// back while scene 1 waits its whole seconds, the wait still ends on time, and scene 2 begins
// (libfaketime steps the clock of the show's process only).
TEST_F(ShowRun, AStepOfTheSystemClockMovesNoWholeSecondCue) {
    std::string faketime = run_shell("ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1");
    ASSERT_FALSE(faketime.empty()) << "libfaketime is in the test list";
    faketime.pop_back();
    provide_archive();
    write_file(dir + "/offset", "+0\n");
    int pid = start_program(TENFOLD_BIN, dir,
                            env({"LD_PRELOAD=" + faketime, "FAKETIME_TIMESTAMP_FILE=" + dir + "/offset",
                                 "FAKETIME_NO_CACHE=1", "DONT_FAKE_MONOTONIC=1", "TENFOLD_STATS=stats.json",
                                 "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0"},
                                "real"));
    ASSERT_TRUE(wait_for(dir + "/.stdout", "loading data ...\n"));
    usleep(1500000);  // scene 1 waits 3 s, fades, waits 2 s
    write_file(dir + "/offset", "-3600\n");
    usleep(7000000);
    kill(pid, SIGTERM);
    RunResult r = finish_program(pid, dir);
    EXPECT_EQ(r.exit_status, 143) << r.err;
    EXPECT_NE(read_file(dir + "/stats.json").find("\"scene\": 2,"), std::string::npos)
        << "scene 1 still waits for the hour to pass";
}

// A crash ends the show as the signal does, and the unpacked copy goes with it.
TEST_F(ShowRun, CrashSignalsEndTheShowAndTakeTheUnpackedCopyAlong) {
    provide_archive();
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGABRT}) {
        SCOPED_TRACE(strsignal(sig));
        int pid = start_program(TENFOLD_BIN, dir, env());
        ASSERT_TRUE(wait_for(dir + "/.stdout", "loading data ...\n"));
        kill(pid, sig);
        RunResult r = finish_program(pid, dir);
        // AddressSanitizer takes a fault for its report, then aborts.
        EXPECT_TRUE(r.term_signal == sig || r.term_signal == SIGABRT) << r.exit_status << r.err;
        EXPECT_TRUE(tmp_entries().empty());
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
    EXPECT_TRUE(tmp_entries().empty());
}

// data.dat is taken from where the show is started, else from beside the program, else from where
// the build's install rules put it, found from the program's own place: a tree installed with
// cmake --install and then moved finds its own. The archives here are broken, so the message says
// which one was taken; with none anywhere the show stops before the graphics mode, naming every
// place it looked in.
TEST_F(ShowRun, ArchiveIsTakenFromHereElseBesideTheProgramElseFromTheInstalledTree) {
    std::string install = TENFOLD_CMAKE " --install " TENFOLD_BUILD_DIR " --prefix " + dir + "/installed >/dev/null";
    ASSERT_EQ(system(install.c_str()), 0);
    fs::rename(dir + "/installed", dir + "/moved");
    std::string program, installed;  // wherever the install rules put them
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir + "/moved")) {
        if (e.is_regular_file() && e.path().filename() == "tenfold") program = e.path();
        if (e.is_regular_file() && e.path().filename() == "data.dat") installed = e.path().parent_path();
    }
    ASSERT_FALSE(program.empty() || installed.empty());
    std::string here = dir + "/here", beside = fs::path(program).parent_path();
    fs::create_directory(here);
    struct Case {
        std::vector<std::string> archives;
        std::string message;
    } cases[] = {
        {{here, beside, installed}, "cannot unpack " + here + "/data.dat"},
        {{beside, installed}, "cannot unpack " + beside + "/data.dat"},
        {{installed}, "cannot unpack " + installed + "/data.dat"},
        {{}, "data.dat not found in " + here + " nor in " + beside + " nor in " + installed + " ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        for (const std::string& place : {here, beside, installed}) remove((place + "/data.dat").c_str());
        for (const std::string& place : c.archives) write_file(place + "/data.dat", "not an archive\n");
        RunResult r = run_program(program, here, env());
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(count_of(r.out, banner), 1) << "no show, no closing banner";
        EXPECT_TRUE(tmp_entries().empty());
    }
}

// Every file a scene relies on is checked before the graphics mode: missing, unreadable, of a
// shape the scenes cannot use, or a module the player refuses. One message names them all.
TEST_F(ShowRun, BadFilesInTheArchiveStopTheShowBeforeTheGraphicsModeNamingEveryOne) {
    std::string sixteen_colours = std::string("PAL\0\x10\0", 6) + std::string(48, '\x40');
    struct Case {
        std::vector<std::string> removed;
        std::vector<std::pair<std::string, std::string>> replaced;
        std::string message;
    } cases[] = {
        {{"lights.img", "sphere.asc", "music.xm"},
         {{"b.pal", sixteen_colours}, {"intro.img", "not a picture"}},
         "data/b.pal (16 colours from index 0, not 256 from index 0), data/intro.img (not an IMAGE picture), "
         "data/lights.img (missing), data/sphere.asc (missing), data/music.xm (missing)\n"},
        {{},
         {{"temp.pcx", "not a picture"}, {"toorus.asc", "not a mesh"}, {"music.xm", "not a module"}},
         "data/temp.pcx (not a PCX picture), data/toorus.asc (not a triangle mesh in 3D Studio ASCII), "
         "data/music.xm (the module player refuses it: Module format not recognized)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        provide_archive_with(c.removed, c.replaced);
        RunResult r = run_program(TENFOLD_BIN, dir, env({"TENFOLD_STATS=stats.json"}));
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_NE(r.out.find("loading data ...\n"), std::string::npos);
        EXPECT_EQ(r.err, "tenfold: data.dat does not hold what the show needs: " + c.message);
        EXPECT_EQ(count_of(r.out, banner), 1) << "no show, no closing banner";
        EXPECT_NE(read_file(dir + "/stats.json").find("\"frames\": 0,"), std::string::npos) << "no frame was shown";
        EXPECT_TRUE(tmp_entries().empty()) << "the unpacked copy is deleted";
        remove((dir + "/data.dat").c_str());
    }
}

TEST_F(ShowRun, BrokenArchiveIsReportedAndNothingIsLeftBehind) {
    write_file(dir + "/data.dat", "this is not a gzip-compressed tar archive\n");
    RunResult r = run_program(TENFOLD_BIN, dir, env());
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.err.find("cannot unpack " + dir + "/data.dat"), std::string::npos) << r.err;
    EXPECT_TRUE(tmp_entries().empty());
    EXPECT_FALSE(fs::exists(dir + "/data"));
}

// Makes a file undeletable: immutable where the process may set that, else in a folder it may
// not write. Returns a function that undoes it, or nothing if neither works.
std::function<void()> make_undeletable(const std::string& file) {
    int fd = open(file.c_str(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        int set = flags | FS_IMMUTABLE_FL;
        if (ioctl(fd, FS_IOC_SETFLAGS, &set) == 0)
            return [fd, flags] {
                int old = flags;
                ioctl(fd, FS_IOC_SETFLAGS, &old);
                close(fd);
            };
    }
    if (fd >= 0) close(fd);
    std::string folder = fs::path(file).parent_path();
    if (getuid() == 0 || chmod(folder.c_str(), 0500) != 0) return nullptr;
    return [folder] { chmod(folder.c_str(), 0755); };
}

// What the show writes (the WAV file, the statistics) and removes (its unpacked copy): a failure is
// named on standard error with its reason, and the run ends with status 3. A pipe gets a WAV
// header that sox and ffmpeg read on, and a reader that stops reading ends the show that way too.
TEST_F(ShowRun, OutputsThatCannotBeWrittenAreNamedAndEndTheRunWithStatus3) {
    provide_archive();
    std::string fifo = dir + "/music.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string gone = "tenfold: cannot write " + fifo + ": Broken pipe\n";
    struct Case {
        std::vector<std::string> env;
        std::string reader;  // a command reading the pipe
        std::string heard;   // what it says it read
        bool copy_stays;     // the unpacked copy is made undeletable
        std::vector<std::string> messages;
    } cases[] = {
        {{"TENFOLD_AUDIO_OUT=/dev/full", "TENFOLD_STATS=/dev/full"}, "", "", false,
         {"tenfold: cannot write /dev/full: No space left on device\n",
          "tenfold: cannot write /dev/full: No space left on device\n"}},
        {{"TENFOLD_AUDIO_OUT=" + fifo}, "sox -t wav " + fifo + " -n trim 0 2 stat 2>&1", "Length (seconds):      2.0",
         false, {gone}},
        {{"TENFOLD_AUDIO_OUT=" + fifo}, "ffmpeg -nostdin -hide_banner -i " + fifo + " -t 1 -f null - 2>&1",
         "time=00:00:01.00", true, {gone, "tenfold: cannot remove " + tmp + "/tenfold-"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.messages.back());
        int pid = start_program(TENFOLD_BIN, dir, env(c.env));
        std::function<void()> undo;
        if (c.copy_stays) {
            ASSERT_TRUE(wait_for(dir + "/.stdout", "loading data ...\n"));
            undo = make_undeletable(unpacked_copy() + "/data/music.xm");
            if (!undo) {
                kill(pid, SIGKILL);
                finish_program(pid, dir);
                remove_tree(unpacked_copy());
                ADD_FAILURE() << "no way to make a file undeletable here";
                continue;
            }
        }
        std::string heard = c.reader.empty() ? "" : run_shell(c.reader);
        RunResult r = finish_program(pid, dir);
        EXPECT_EQ(r.term_signal, 0) << "a reader that went away is no silent death";
        EXPECT_EQ(r.exit_status, 3) << r.err;
        EXPECT_NE(heard.find(c.heard), std::string::npos) << heard;
        for (size_t n = 0, at = 0; n < c.messages.size(); n++) {  // in this order
            at = r.err.find(c.messages[n], at);
            EXPECT_NE(at, std::string::npos) << c.messages[n] << " in " << r.err;
            if (at == std::string::npos) break;
            at += c.messages[n].size();
        }
        EXPECT_EQ(count_of(r.out, banner), 2) << "the show ends as a run does";
        EXPECT_EQ(tmp_entries().size(), c.copy_stays ? 1u : 0u);
        if (undo) {
            undo();
            remove_tree(unpacked_copy());
        }
    }
}

}  // namespace

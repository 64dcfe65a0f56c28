// The whole show recorded once as the lossless master, with the show's own WAV of that run: the
// master decodes to exactly the pictures tenfold-frames writes for the same ticks and to exactly
// the WAV's samples; a clip --from 3:5 --to 3:7 is exactly 120 of its frames and 2 s of its
// sound; a GIF clip across a change of scene and palette decodes to its colours exactly. Under
// AddressSanitizer the show takes about half a minute, so one master serves every check, and the
// other runs stop at their last moment. ffmpeg and ffprobe are the independent readers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

#include "console/sound.h"
#include "support/run.h"

namespace {

struct Job {
    pid_t pid = -1;
    std::string log;  // standard error
};

// Starts a program in a folder with extra environment; what it prints on standard error goes to log.
Job start(const std::string& cwd, const std::vector<std::string>& args, const std::string& log,
          const std::vector<std::string>& env = {}) {
    Job j;
    j.log = log;
    j.pid = fork();
    if (j.pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(127);
        dup2(open("/dev/null", O_WRONLY), 1);
        dup2(open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        for (const std::string& e : env) putenv(strdup(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return j;
}

int finish(const Job& j, std::string* err) {
    int st = 0;
    waitpid(j.pid, &st, 0);
    *err = read_file(j.log);
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

// "ticks A to B" of tenfold-render's summary.
std::pair<int, int> ticks_of(const std::string& summary) {
    std::smatch m;
    if (!std::regex_search(summary, m, std::regex("ticks ([0-9]+) to ([0-9]+)"))) return {-1, -1};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

// The MD5 of every decoded video frame as 8-bit RGB.
std::vector<std::string> rgb_hashes(const std::string& file) {
    std::istringstream text(run_shell("ffmpeg -v error -i '" + file +
                                      "' -map 0:v -fps_mode passthrough -pix_fmt rgb24 -f framemd5 -"));
    std::vector<std::string> out;
    for (std::string line; std::getline(text, line);)
        if (!line.empty() && line[0] != '#') out.push_back(line.substr(line.find_first_not_of(' ', line.rfind(',') + 1)));
    return out;
}

// When each picture starts, in the stream's units (hundredths of a second for a GIF).
std::vector<long> starts_of(const std::string& file) {
    std::istringstream text(run_shell("ffprobe -v error -select_streams v -show_entries frame=pts -of csv=p=0 '" + file + "'"));
    std::vector<long> out;
    for (std::string line; std::getline(text, line);) out.push_back(atol(line.c_str()));
    return out;
}

std::string samples_of(const std::string& file) {
    return run_shell("ffmpeg -v error -i '" + file + "' -map 0:a -f s16le -");
}

struct TempDir {
    std::string path = make_temp_dir("show-render");
    ~TempDir() { remove_tree(path); }  // whether the checks passed or not
};

TEST(ShowRender, TheMasterIsTheScanOutAndTheShowsSoundAndClipsAreExactlyItsParts) {
    TempDir temp;
    const std::string& dir = temp.path;
    const std::string build = TENFOLD_BUILD_DIR, render = build + "/tenfold-render";
    const std::vector<std::string> moments = {"1:0.5", "2:3", "3:6", "5:2.5", "8:1", "10:5"};
    std::vector<std::string> frames_args = {build + "/tools/frames/tenfold-frames", dir + "/shots"};
    frames_args.insert(frames_args.end(), moments.begin(), moments.end());
    Job master = start(dir, {render, "master.mkv", "--lossless"}, dir + "/master.log",
                       {"TENFOLD_AUDIO_OUT=" + dir + "/show.wav"});
    Job shots = start(build, frames_args, dir + "/shots.log");
    std::string master_err, shots_err;
    ASSERT_EQ(finish(master, &master_err), 0) << master_err;
    ASSERT_EQ(finish(shots, &shots_err), 0) << shots_err;
    Job clip = start(dir, {render, "clip.mkv", "--lossless", "--from", "3:5", "--to", "3:7"}, dir + "/clip.log");
    Job gif = start(dir, {render, "clip.gif", "--from", "6.5", "--to", "9"}, dir + "/gif.log");

    // The master: a frame for every tick of the run, 60 a second, its sound the show's own.
    auto [first, last] = ticks_of(master_err);
    ASSERT_GE(first, 0) << master_err;
    std::string master_file = dir + "/master.mkv";
    std::vector<std::string> master_frames = rgb_hashes(master_file);
    ASSERT_EQ(int(master_frames.size()), last - first + 1);
    EXPECT_GT(master_frames.size(), 11000u);
    EXPECT_EQ(run_shell("ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 '" +
                        master_file + "'"),
              "60/1\n");
    std::string sound = samples_of(master_file), wav = read_file(dir + "/show.wav");
    size_t data = wav.find("data");
    ASSERT_NE(data, std::string::npos);
    wav.erase(0, data + 8);
    size_t skip = size_t(first) * SAMPLES_PER_TICK * AUDIO_FRAME_BYTES;  // before the first picture
    ASSERT_GT(wav.size(), skip + 1000000);
    EXPECT_EQ(sound.size(), size_t(last - first + 1) * SAMPLES_PER_TICK * AUDIO_FRAME_BYTES);
    ASSERT_GE(sound.size(), wav.size() - skip);
    EXPECT_TRUE(sound.compare(0, wav.size() - skip, wav, skip, std::string::npos) == 0) << "the WAV's samples";
    EXPECT_EQ(sound.find_first_not_of('\0', wav.size() - skip), std::string::npos) << "then silence to the last tick";

    // tenfold-frames: each picture is the master's frame of its tick.
    std::regex listed("(/[^:\\n]+\\.png): tick ([0-9]+)");
    int compared = 0;
    for (std::sregex_iterator m(shots_err.begin(), shots_err.end(), listed), end; m != end; ++m) {
        std::vector<std::string> png = rgb_hashes((*m)[1]);
        int tick = std::stoi((*m)[2]);
        ASSERT_EQ(png.size(), 1u);
        ASSERT_LT(tick - first, int(master_frames.size()));
        EXPECT_EQ(png[0], master_frames[size_t(tick - first)]) << (*m)[1];
        compared++;
    }
    EXPECT_EQ(compared, int(moments.size())) << shots_err;

    // The clip: 120 frames and 2 s of sound, exactly the master's from its first tick.
    std::string clip_err, gif_err;
    ASSERT_EQ(finish(clip, &clip_err), 0) << clip_err;
    auto [from, to] = ticks_of(clip_err);
    EXPECT_EQ(to - from + 1, 120) << clip_err;
    std::vector<std::string> clip_frames = rgb_hashes(dir + "/clip.mkv");
    ASSERT_EQ(clip_frames.size(), 120u);
    EXPECT_TRUE(std::equal(clip_frames.begin(), clip_frames.end(), master_frames.begin() + (from - first)));
    std::string clip_sound = samples_of(dir + "/clip.mkv");
    size_t bytes_per_tick = SAMPLES_PER_TICK * AUDIO_FRAME_BYTES;
    EXPECT_EQ(clip_sound.size(), 120 * bytes_per_tick) << "2 s";
    EXPECT_TRUE(clip_sound == sound.substr(size_t(from - first) * bytes_per_tick, 120 * bytes_per_tick));

    // The GIF: 50 pictures a second, each the master's frame of the tick on screen at its time
    // (hundredths of a second from the clip's start); the same picture lengthened, not repeated.
    ASSERT_EQ(finish(gif, &gif_err), 0) << gif_err;
    auto [gif_from, gif_to] = ticks_of(gif_err);
    EXPECT_EQ(gif_from, 390);
    EXPECT_EQ(gif_to, 539);
    std::vector<std::string> pictures = rgb_hashes(dir + "/clip.gif");
    std::vector<long> starts = starts_of(dir + "/clip.gif");
    ASSERT_FALSE(pictures.empty());
    ASSERT_EQ(pictures.size(), starts.size());
    int slots = 0, wrong = 0;
    for (size_t k = 0; k < pictures.size(); k++) {
        long end = k + 1 < pictures.size() ? starts[k + 1] : 2 * 125;
        for (long slot = starts[k] / 2; slot < end / 2; slot++, slots++)
            wrong += pictures[k] != master_frames[size_t(gif_from - first + slot * 6 / 5)];
    }
    EXPECT_EQ(slots, 125) << "2.5 s";
    EXPECT_EQ(wrong, 0) << "GIF pictures other than the master's frame of their time";
}

}  // namespace

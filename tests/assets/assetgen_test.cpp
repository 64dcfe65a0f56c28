// The asset generator: the same source gives byte-identical files, whatever the output folder held.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run.h"

namespace fs = std::filesystem;

namespace {

const std::string generator = TENFOLD_BUILD_DIR "/tools/assetgen/assetgen";

TEST(AssetGenerator, WritesTheSameBytesEveryTimeOverWhateverWasThere) {
    std::string a = make_temp_dir("gen-a"), b = make_temp_dir("gen-b");
    // Longer stale files, written over in place: nothing of them may be left.
    write_file(b + "/intro.img", std::string(400000, 'x'));
    write_file(b + "/b.pal", std::string(5000, 'x'));
    write_file(b + "/sphere.asc", std::string(500000, 'x'));
    ASSERT_EQ(system((generator + " " + a).c_str()), 0);
    ASSERT_EQ(system((generator + " " + b).c_str()), 0);
    int files = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(a)) {
        std::string name = e.path().filename().string();
        std::string mine = read_file(e.path().string());
        EXPECT_EQ(mine, read_file(b + "/" + name)) << name;
        EXPECT_EQ(mine, read_file(TENFOLD_BUILD_DIR "/pack/data/" + name)) << name << " as packed by the build";
        files++;
    }
    EXPECT_EQ(files, 59);  // 8 palettes, 42 pictures, the texture and 8 meshes
    remove_tree(a);
    remove_tree(b);
}

}  // namespace

// scripts/check-layers: the folders of src/ include each other one way only.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run.h"

namespace {

struct Tree {
    std::vector<std::pair<std::string, std::string>> files;  // path, text
    int status;
    std::vector<std::string> says;
};

TEST(CheckLayers, TheSourcesHoldAndACycleIsNamedWithItsIncludes) {
    const std::string check = TENFOLD_SOURCE_DIR "/scripts/check-layers ";
    EXPECT_EQ(run_shell(check + TENFOLD_SOURCE_DIR "/src >/dev/null 2>&1; echo $?"), "0\n");

    const Tree trees[] = {
        {{{"top/a.cpp", "#include \"top/a.h\"\n#include \"mid/b.h\"\n"}, {"mid/b.h", "  #  include \"low/c.h\"\n"},
          {"low/c.h", "#include <vector>\n"}},
         0,
         {"no cycle; from the bottom up: low mid top"}},
        // d includes the cycle but is not part of it.
        {{{"a/x.cpp", "#include \"b/y.h\"\n"}, {"b/y.h", "#include \"c/z.h\"\n"}, {"c/z.cpp", "#include \"a/x.h\"\n"},
          {"d/w.cpp", "#include \"a/x.h\"\n"}},
         1,
         {"in a cycle: ", "/a/x.cpp:1:#include \"b/y.h\"", "/b/y.h:1:#include \"c/z.h\"", "/c/z.cpp:1:#include \"a/x.h\""}},
    };
    for (const Tree& t : trees) {
        std::string dir = make_temp_dir("layers");
        for (const auto& [path, text] : t.files) {
            std::filesystem::create_directories(std::filesystem::path(dir + "/" + path).parent_path());
            write_file(dir + "/" + path, text);
        }
        std::string said = run_shell(check + dir + " 2>&1; echo $?");
        remove_tree(dir);
        EXPECT_TRUE(said.ends_with("\n" + std::to_string(t.status) + "\n")) << said;
        for (const std::string& s : t.says) EXPECT_NE(said.find(s), std::string::npos) << s << " in " << said;
        EXPECT_EQ(said.find("d/w.cpp"), std::string::npos) << said;
    }
}

}  // namespace

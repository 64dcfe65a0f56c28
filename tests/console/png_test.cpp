// The one PNG writer: true colour, indexed with its palette, scaled by whole numbers; read back by
// ImageMagick, an independent reader, to exactly the pixels given. A file that cannot be written
// leaves nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "console/hooks.h"
#include "console/png.h"
#include "support/run.h"

namespace {

struct Png : ::testing::Test {
    std::string dir = make_temp_dir("png");
    void TearDown() override { remove_tree(dir); }
    // The file's pixels as ImageMagick reads them: 8-bit red, green, blue.
    std::string pixels(const std::string& file) { return run_shell("convert '" + file + "' -depth 8 rgb:-"); }
    std::string header(const std::string& file) { return read_file(file).substr(0, 64); }
};

uint32_t be32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
           uint8_t(s[at + 3]);
}

TEST_F(Png, TrueColourReadsBackExactlyAtItsSizeAndScaledUp) {
    const int w = 7, h = 5;
    std::vector<uint8_t> rgb(w * h * 3);
    for (size_t i = 0; i < rgb.size(); i++) rgb[i] = uint8_t(i * 37 + 11);
    ASSERT_TRUE(png_write_rgb(dir + "/a.png", rgb.data(), w, h));
    EXPECT_EQ(pixels(dir + "/a.png"), std::string(rgb.begin(), rgb.end()));
    ASSERT_TRUE(png_write_rgb(dir + "/b.png", rgb.data(), w, h, 3));
    std::string up = pixels(dir + "/b.png");
    ASSERT_EQ(up.size(), size_t(w * 3 * h * 3 * 3));
    for (int y = 0; y < h * 3; y++)
        for (int x = 0; x < w * 3; x++)
            for (int c = 0; c < 3; c++)
                ASSERT_EQ(uint8_t(up[(size_t(y) * w * 3 + x) * 3 + c]), rgb[(size_t(y / 3) * w + x / 3) * 3 + c]) << x << "," << y;
    std::string head = header(dir + "/b.png");
    EXPECT_EQ(be32(head, 16), uint32_t(w * 3));
    EXPECT_EQ(be32(head, 20), uint32_t(h * 3));
    EXPECT_EQ(head[25], 2) << "colour type: true colour";
}

TEST_F(Png, IndexedCarriesTheWholePaletteAndReadsBackToItsColours) {
    std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT), dac(768), palette(768);
    for (size_t i = 0; i < indices.size(); i++) indices[i] = uint8_t(i * 7 / 3);
    for (int i = 0; i < 768; i++) dac[size_t(i)] = uint8_t((i * 5 + i / 3) % 64);
    con_dac_palette(dac.data(), palette.data());
    EXPECT_EQ(palette[1], ((dac[1] << 2) | (dac[1] >> 4)));
    EXPECT_EQ(con_dac_8bit(63), 255);
    EXPECT_EQ(con_dac_8bit(0), 0);
    for (int scale : {1, 4}) {
        std::string file = dir + "/shot" + std::to_string(scale) + ".png";
        ASSERT_TRUE(png_write_indexed(file, indices.data(), palette.data(), SCAN_WIDTH, SCAN_HEIGHT, scale));
        std::string head = header(file);
        EXPECT_EQ(be32(head, 16), uint32_t(SCAN_WIDTH * scale));
        EXPECT_EQ(head[25], 3) << "colour type: palette";
        EXPECT_EQ(head.substr(37, 4), "PLTE");
        EXPECT_EQ(be32(head, 33), 768u) << "256 colours";
        std::string got = pixels(file);
        ASSERT_EQ(got.size(), indices.size() * 3 * scale * scale);
        bool same = true;
        for (int y = 0; y < SCAN_HEIGHT * scale && same; y++)
            for (int x = 0; x < SCAN_WIDTH * scale; x++)
                for (int c = 0; c < 3; c++)
                    same = same && uint8_t(got[(size_t(y) * SCAN_WIDTH * scale + x) * 3 + c]) ==
                                       palette[indices[size_t(y / scale) * SCAN_WIDTH + x / scale] * 3 + c];
        EXPECT_TRUE(same) << "scale " << scale;
    }
}

TEST_F(Png, AFileThatCannotBeWrittenLeavesNothing) {
    std::vector<uint8_t> rgb(4 * 4 * 3, 9);
    errno = 0;
    EXPECT_FALSE(png_write_rgb(dir + "/no/such/folder/a.png", rgb.data(), 4, 4));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(png_write_rgb(dir + "/a.png", rgb.data(), 4, 4, 0));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(run_shell("ls -A '" + dir + "'"), "");
}

}  // namespace

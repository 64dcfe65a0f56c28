#include "assets/pcx.h"

#include <cstdio>
#include <string>

#include "assets/asset_files.h"

namespace {

constexpr uint8_t UNTOUCHED = 0x5A;

struct PcxTest : AssetFileTest {
    Bytes palette = Bytes(768, UNTOUCHED);
    Bytes pixels = Bytes(65536, UNTOUCHED);  // exactly the block: AddressSanitizer sees any overrun

    int decode(const Bytes& file, const std::string& name = "p.pcx") {
        return read_pcx(write(name, file).c_str(), palette.data(), pixels.data());
    }
    Bytes row(size_t y, size_t stride, size_t n) const {
        return Bytes(pixels.begin() + long(y * stride), pixels.begin() + long(y * stride + n));
    }
};

TEST_F(PcxTest, RunsAndLiterals) {
    // 0xC3 0x07: three 7s; 0xC0 v: nothing; 0xC1 0xC8: one 200; 0xC8 alone starts a run of 8.
    Bytes data = {0xC3, 0x07, 0xC0, 0x63, 0xC1, 0xC8, 0x05, 0xBF, 0xC8, 0x21, 0x09};
    ASSERT_EQ(decode(pcx_file(0, 0, 1, 15, data, test_palette())), 0);
    EXPECT_EQ(row(0, 256, 16), (Bytes{7, 7, 7, 200, 5, 0xBF, 0x21, 0x21, 0x21, 0x21, 0x21, 0x21,
                                      0x21, 0x21, 9, UNTOUCHED}));
    EXPECT_EQ(palette, test_palette());
}

TEST_F(PcxTest, NarrowRowsKeepAStrideOf256AndLeaveTheGapUntouched) {
    // 200 bytes per row as two planes of 100 (the line is planes x bytes per line).
    Bytes data;
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 200; x++) data.push_back(uint8_t((x + 3 * y) % 190));
    ASSERT_EQ(decode(pcx_file(10, 12, 2, 100, data, test_palette())), 0);
    for (size_t y = 0; y < 3; y++) {
        EXPECT_EQ(row(y, 256, 200),
                  Bytes(data.begin() + long(200 * y), data.begin() + long(200 * y + 200)));
        EXPECT_EQ(Bytes(pixels.begin() + long(256 * y + 200), pixels.begin() + long(256 * y + 256)),
                  Bytes(56, UNTOUCHED))
            << y;
    }
    EXPECT_EQ(pixels[3 * 256], UNTOUCHED);
}

TEST_F(PcxTest, Rows256And320WideFollowEachOtherWithNoGap) {
    for (unsigned width : {256u, 320u}) {
        Bytes data;
        for (unsigned y = 0; y < 4; y++) {
            for (unsigned x = 0; x < width; x += 32)
                data.insert(data.end(), {0xE0, uint8_t(x / 32 + y * 10)});
        }
        ASSERT_EQ(decode(pcx_file(0, 3, 1, width, data, test_palette())), 0);
        for (size_t y = 0; y < 4; y++)
            for (size_t x = 0; x < width; x++)
                ASSERT_EQ(pixels[y * width + x], x / 32 + y * 10) << width << " " << x << "," << y;
        EXPECT_EQ(pixels[4 * width], UNTOUCHED);
    }
}

TEST_F(PcxTest, ARunPastTheRowEndIsWrittenWholeAndShiftsTheNextRow) {
    // Row 0 is 4 wide: a run of 6 fills 6 bytes; row 1 then starts 6 + 252 bytes in.
    ASSERT_EQ(decode(pcx_file(0, 1, 1, 4, {0xC6, 1, 2, 3, 4, 5}, test_palette())), 0);
    EXPECT_EQ(row(0, 1, 7), (Bytes{1, 1, 1, 1, 1, 1, UNTOUCHED}));
    EXPECT_EQ(Bytes(pixels.begin() + 258, pixels.begin() + 263), (Bytes{2, 3, 4, 5, UNTOUCHED}));
    EXPECT_EQ(pixels[256], UNTOUCHED);
}

TEST_F(PcxTest, OutputWrapsAtTheEndOfTheBlockEvenInsideARun) {
    // 205 rows of 320 bytes: row 204 starts at 65280 and its fifth run crosses 65536.
    Bytes data;
    for (unsigned y = 0; y < 204; y++)
        for (unsigned x = 0; x < 320; x++) data.push_back(uint8_t((x + y) % 150));
    for (int r = 0; r < 4; r++) data.insert(data.end(), {0xFF, uint8_t(160 + r)});  // 252 bytes
    data.insert(data.end(), {0xFF, 170});                                           // 4 + 59 bytes
    data.insert(data.end(), {1, 2, 3, 4, 5});
    ASSERT_EQ(decode(pcx_file(0, 204, 1, 320, data, test_palette())), 0);
    EXPECT_EQ(Bytes(pixels.end() - 4, pixels.end()), Bytes(4, 170));
    EXPECT_EQ(row(0, 1, 64), cat(Bytes(59, 170), {1, 2, 3, 4, 5}));
    EXPECT_EQ(pixels[64], 64);  // the rest of row 0 as decoded before
    EXPECT_EQ(pixels[65279], (319 + 203) % 150);
}

TEST_F(PcxTest, RefusedFilesReturnMinusOne) {
    Bytes good = pcx_file(0, 0, 1, 2, {1, 2}, test_palette());
    Bytes reserved = pcx_file(0, 0, 1, 2, {1, 2}, test_palette(), 1);
    Bytes ends_early = pcx_file(0, 19, 1, 64, {0xC9, 4}, Bytes(768, 1));
    EXPECT_EQ(decode(reserved), -1);
    EXPECT_EQ(decode(Bytes(good.begin(), good.begin() + 895)), -1);
    EXPECT_EQ(decode(Bytes(good.begin(), good.begin() + 100)), -1);
    EXPECT_EQ(decode({}), -1);
    EXPECT_EQ(pixels, Bytes(65536, UNTOUCHED));
    EXPECT_EQ(palette, Bytes(768, UNTOUCHED));
    EXPECT_EQ(decode(ends_early), -1);  // the palette is read as data too, and still falls short
    EXPECT_EQ(read_pcx(path("missing.pcx").c_str(), palette.data(), pixels.data()), -1);
    EXPECT_EQ(read_pcx(dir.c_str(), palette.data(), pixels.data()), -1);
    // A file of exactly header + palette with no rows is a valid, empty picture.
    EXPECT_EQ(decode(pcx_file(1, 0, 1, 2, {}, test_palette())), 0);
}

TEST_F(PcxTest, LongPathsWork) {
    std::string name(120, 'n');
    ASSERT_EQ(decode(pcx_file(0, 0, 1, 2, {0xC2, 77}, test_palette()), name + ".pcx"), 0);
    EXPECT_EQ(row(0, 1, 3), (Bytes{77, 77, UNTOUCHED}));
}

// The independent check: a picture written by ImageMagick decodes to the colours it reports.
TEST_F(PcxTest, DecodesWhatImageMagickWrites) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no convert";
    for (auto [width, height] : {std::pair{200, 150}, std::pair{320, 200}}) {
        SCOPED_TRACE(width);
        Bytes ppm;
        std::string head = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
        ppm.assign(head.begin(), head.end());
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                ppm.insert(ppm.end(), {uint8_t(x * 5 + y), uint8_t(y * 7), uint8_t(x * y)});
        write("in.ppm", ppm);
        std::string in = path("in.ppm"), pcx = path("out.pcx"), rgb = path("out.rgb");
        ASSERT_EQ(std::system(("convert " + in + " -colors 256 pcx:" + pcx).c_str()), 0);
        ASSERT_EQ(std::system(("convert " + pcx + " -depth 8 rgb:" + rgb).c_str()), 0);
        Bytes reported = read("out.rgb");
        ASSERT_EQ(reported.size(), size_t(width * height * 3));

        ASSERT_EQ(read_pcx(pcx.c_str(), palette.data(), pixels.data()), 0);
        size_t stride = width <= 256 ? 256 : size_t(width);
        int mismatches = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                for (int c = 0; c < 3; c++)
                    mismatches += palette[pixels[y * stride + x] * 3 + c] !=
                                  reported[(y * width + x) * 3 + c];
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace

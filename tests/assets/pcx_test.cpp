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
    Bytes span(size_t from, size_t n) const { return Bytes(pixels.begin() + long(from), pixels.begin() + long(from + n)); }
};

TEST_F(PcxTest, RunsAndLiterals) {
    // 0xC3 0x07: three 7s; 0xC0 v: nothing; 0xC1 0xC8: one 200; 0xC8 alone starts a run of 8.
    Bytes data = {0xC3, 0x07, 0xC0, 0x63, 0xC1, 0xC8, 0x05, 0xBF, 0xC8, 0x21, 0x09};
    ASSERT_EQ(decode(pcx_file(0, 0, 1, 15, data, pattern(768)), std::string(120, 'n') + ".pcx"), 0);
    EXPECT_EQ(span(0, 16), cat({7, 7, 7, 200, 5, 0xBF}, cat(Bytes(8, 0x21), {9, UNTOUCHED})));
    EXPECT_EQ(palette, pattern(768));
}

TEST_F(PcxTest, RowsUpTo256WideKeepAStrideOf256AndLeaveTheGapUntouchedWiderOnesNoGap) {
    // 200 bytes per row as two planes of 100 (the line is planes x bytes per line).
    Bytes data = pattern(600);
    for (uint8_t& b : data) b %= 190;
    ASSERT_EQ(decode(pcx_file(10, 12, 2, 100, data, pattern(768))), 0);
    for (size_t y = 0; y < 3; y++) {
        EXPECT_EQ(span(256 * y, 200), Bytes(data.begin() + long(200 * y), data.begin() + long(200 * y + 200)));
        EXPECT_EQ(span(256 * y + 200, 56), Bytes(56, UNTOUCHED)) << y;
    }
    EXPECT_EQ(pixels[3 * 256], UNTOUCHED);

    for (unsigned width : {256u, 320u}) {
        data.clear();
        for (unsigned y = 0; y < 4; y++)
            for (unsigned x = 0; x < width; x += 32) data.insert(data.end(), {0xE0, uint8_t(x / 32 + y * 10)});
        ASSERT_EQ(decode(pcx_file(0, 3, 1, width, data, pattern(768))), 0);
        for (size_t p = 0; p < 4 * width; p++) ASSERT_EQ(pixels[p], p % width / 32 + p / width * 10) << width << " " << p;
        EXPECT_EQ(pixels[4 * width], UNTOUCHED);
    }
}

TEST_F(PcxTest, ARunPastTheRowEndIsWrittenWholeAndShiftsTheNextRow) {
    // Row 0 is 4 wide: a run of 6 fills 6 bytes; row 1 then starts 6 + 252 bytes in.
    ASSERT_EQ(decode(pcx_file(0, 1, 1, 4, {0xC6, 1, 2, 3, 4, 5}, pattern(768))), 0);
    EXPECT_EQ(span(0, 7), (Bytes{1, 1, 1, 1, 1, 1, UNTOUCHED}));
    EXPECT_EQ(span(256, 7), (Bytes{UNTOUCHED, UNTOUCHED, 2, 3, 4, 5, UNTOUCHED}));
}

TEST_F(PcxTest, OutputWrapsAtTheEndOfTheBlockEvenInsideARun) {
    // 205 rows of 320 bytes: row 204 starts at 65280 and its fifth run crosses 65536.
    Bytes data;
    for (unsigned p = 0; p < 204 * 320; p++) data.push_back(uint8_t((p % 320 + p / 320) % 150));
    for (int r = 0; r < 4; r++) data.insert(data.end(), {0xFF, uint8_t(160 + r)});  // 252 bytes
    data.insert(data.end(), {0xFF, 170, 1, 2, 3, 4, 5});                             // 4 + 59, then 5
    ASSERT_EQ(decode(pcx_file(0, 204, 1, 320, data, pattern(768))), 0);
    EXPECT_EQ(span(65532, 4), Bytes(4, 170));
    EXPECT_EQ(span(0, 64), cat(Bytes(59, 170), {1, 2, 3, 4, 5}));
    EXPECT_EQ(pixels[64], 64);
    EXPECT_EQ(pixels[65279], (319 + 203) % 150);
}

TEST_F(PcxTest, RefusedFilesReturnMinusOne) {
    Bytes good = pcx_file(0, 0, 1, 2, {1, 2}, pattern(768));
    EXPECT_EQ(decode(pcx_file(0, 0, 1, 2, {1, 2}, pattern(768), 1)), -1) << "reserved byte set";
    EXPECT_EQ(decode(Bytes(good.begin(), good.begin() + 895)), -1);
    EXPECT_EQ(decode(Bytes(good.begin(), good.begin() + 100)), -1);
    EXPECT_EQ(decode({}), -1);
    EXPECT_EQ(pixels, Bytes(65536, UNTOUCHED));
    EXPECT_EQ(palette, Bytes(768, UNTOUCHED));
    // The palette is read as data too, and still falls short.
    EXPECT_EQ(decode(pcx_file(0, 19, 1, 64, {0xC9, 4}, Bytes(768, 1))), -1);
    EXPECT_EQ(read_pcx(path("missing.pcx").c_str(), palette.data(), pixels.data()), -1);
    EXPECT_EQ(read_pcx(dir.c_str(), palette.data(), pixels.data()), -1);
    EXPECT_EQ(decode(pcx_file(1, 0, 1, 2, {}, pattern(768))), 0) << "no rows: a valid, empty picture";
}

// The independent check: a picture written by ImageMagick decodes to the colours it reports.
TEST_F(PcxTest, DecodesWhatImageMagickWrites) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no convert";
    for (auto [width, height] : {std::pair{200, 150}, std::pair{320, 200}}) {
        SCOPED_TRACE(width);
        std::string head = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
        Bytes ppm(head.begin(), head.end());
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) ppm.insert(ppm.end(), {uint8_t(x * 5 + y), uint8_t(y * 7), uint8_t(x * y)});
        std::string in = write("in.ppm", ppm), pcx = path("out.pcx"), rgb = path("out.rgb");
        ASSERT_EQ(std::system(("convert " + in + " -colors 256 pcx:" + pcx).c_str()), 0);
        ASSERT_EQ(std::system(("convert " + pcx + " -depth 8 rgb:" + rgb).c_str()), 0);
        Bytes reported = read("out.rgb");
        ASSERT_EQ(reported.size(), size_t(width * height * 3));
        ASSERT_EQ(read_pcx(pcx.c_str(), palette.data(), pixels.data()), 0);
        size_t stride = width <= 256 ? 256 : size_t(width);
        int mismatches = 0;
        for (int i = 0; i < width * height * 3; i++)
            mismatches += palette[pixels[i / 3 / width * stride + i / 3 % width] * 3 + i % 3] != reported[size_t(i)];
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace

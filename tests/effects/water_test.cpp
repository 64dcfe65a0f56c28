#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "driver/tables.h"
#include "effects/water.h"
#include "support/frames.h"

namespace {

int32_t& height(int page, int x, int y) { return water_heights[page][y * SCREEN_WIDTH + x]; }

struct Water : ::testing::Test {
    static void SetUpTestSuite() {
        if (!sin_table) {  // once per process: it allocates anew
            ASSERT_EQ(precalc_tables(), 1);
        }
    }
    void SetUp() override {
        memset(water_heights, 0, sizeof water_heights);
        memset(water_background - FRAME_BYTES, 0, 3 * FRAME_BYTES);
    }
    // Heights that differ from zero, as (x, y, value).
    static std::vector<std::tuple<int, int, int>> changed(int page) {
        std::vector<std::tuple<int, int, int>> out;
        for (int y = 0; y < SCREEN_HEIGHT; y++)
            for (int x = 0; x < SCREEN_WIDTH; x++)
                if (height(page, x, y)) out.emplace_back(x, y, height(page, x, y));
        return out;
    }
};

TEST_F(Water, StillWaterShowsThePictureUnchanged) {
    Frame pic = noise_frame(5);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    water_step(1, 4);
    EXPECT_TRUE(changed(0).empty() && changed(1).empty());
    Frame dst = make_frame(3);
    water_render(0, 0, dst.data());
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            bool interior = x >= 1 && x <= 318 && y >= 1 && y <= 238;
            ASSERT_EQ(at(dst, x, y), interior ? at(pic, x, y) : 3) << x << "," << y;
        }
    }
}

TEST_F(Water, DropsPressNineHeightsAndStayInTheInterior) {
    water_add_drop(160, 120, 2, -1000, 1);
    auto c = changed(1);
    ASSERT_EQ(c.size(), 9u);
    for (auto [x, y, v] : c) {
        EXPECT_TRUE(x >= 159 && x <= 161 && y >= 119 && y <= 121) << x << "," << y;
        EXPECT_EQ(v, -125);
    }
    EXPECT_TRUE(changed(0).empty());
    water_add_drop(160, 120, 2, 1000, 1);  // the sine has no visible part: +124 where -125 was
    for (auto [x, y, v] : changed(1)) EXPECT_EQ(v, -1) << x << "," << y;

    SetUp();
    water_add_drop(0, 0, 2, -1000, 0);
    EXPECT_EQ(changed(0), (std::vector<std::tuple<int, int, int>>{{1, 1, -125}}));
    SetUp();
    for (auto [x, y] : {std::pair{319, 239}, {318, 238}, {-5, 100}, {400, 100}, {100, -40}, {100, 500}, {0, 239}})
        water_add_drop(x, y, 6, -1000, 0);
    for (auto [x, y, v] : changed(0)) EXPECT_TRUE(x >= 1 && x <= 318 && y >= 1 && y <= 238) << x << "," << y;
}

TEST_F(Water, StepSpreadsAndDampsWithFlooringShifts) {
    height(0, 100, 100) = 125;
    height(0, 200, 150) = -125;
    water_step(1, 4);
    std::vector<std::tuple<int, int, int>> want;
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            bool near_a = std::abs(x - 100) <= 1 && std::abs(y - 100) <= 1 && !(x == 100 && y == 100);
            bool near_b = std::abs(x - 200) <= 1 && std::abs(y - 150) <= 1 && !(x == 200 && y == 150);
            if (near_a) want.emplace_back(x, y, 30);
            if (near_b) want.emplace_back(x, y, -30);
        }
    }
    EXPECT_EQ(changed(1), want);
}

TEST_F(Water, StepUsesTheStateTwoFramesAgoAndLeavesTheBorder) {
    height(1, 50, 50) = 64;     // D: the old state of this point
    height(1, 0, 10) = 170;     // on the border: never written
    height(0, 1, 10) = 170;     // S: its neighbour (0, 10) is outside the interior
    water_step(1, 4);
    EXPECT_EQ(height(1, 50, 50), -64 - (-64 >> 4));  // v = 0 - 64, less v >> 4
    EXPECT_EQ(height(1, 0, 10), 170);
    EXPECT_EQ(height(1, 2, 10), (170 >> 2) - ((170 >> 2) >> 4));
}

TEST_F(Water, SlopesBendAndShadeThePicture) {
    Frame pic = make_frame();
    for (int x = 0; x < SCREEN_WIDTH; x++) at(pic, x, 100) = uint8_t(x / 2);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    Frame dst = make_frame();

    // +16 to the right neighbour, lower neighbour level: two pixels to the right, 16 darker.
    height(0, 100, 100) = 16;
    height(0, 100, 101) = 16;
    water_render(0, 0, dst.data());
    EXPECT_EQ(at(dst, 100, 100), at(pic, 102, 100) - 16);
    // The left neighbour sees a slope of -16: two pixels left, 16 lighter.
    EXPECT_EQ(at(dst, 99, 100), at(pic, 97, 100) + 16);

    water_render(0, 2, dst.data());  // shade_shift 2: a quarter of the slope
    EXPECT_EQ(at(dst, 100, 100), at(pic, 102, 100) - 4);
}

TEST_F(Water, ShadedColoursClampAndFarSamplesReadZero) {
    memset(water_background, 250, FRAME_BYTES);
    memset(water_background - FRAME_BYTES, 99, FRAME_BYTES);  // bands that do not hold 0
    memset(water_background + FRAME_BYTES, 99, FRAME_BYTES);
    Frame dst = make_frame(7);
    height(0, 50, 50) = 7;     // slope 7: same pixel, 250 - 7
    height(0, 60, 50) = -7;    // slope -7 (sample one left), 250 + 7 -> 255
    height(0, 70, 50) = 300;   // slope 300: 250 - 300 -> 0
    height(0, 90, 2) = -1000;  // dy = -1000: 125 rows up, outside the picture
    height(0, 10, 230) = 80;   // dy = 80: ten rows down, past the last row
    height(0, 11, 230) = 80;
    height(0, 150, 150) = 2000000000;  // dy = 4e9, beyond any int: still reads 0
    height(0, 151, 150) = 2000000000;
    height(0, 150, 151) = -2000000000;
    water_render(0, 0, dst.data());
    EXPECT_EQ(at(dst, 50, 50), 243);
    EXPECT_EQ(at(dst, 60, 50), 255);
    EXPECT_EQ(at(dst, 70, 50), 0);
    EXPECT_EQ(at(dst, 90, 2), 255);  // reads 0, lightened by the slope of -1000 to the right
    EXPECT_EQ(at(dst, 10, 230), 0);
    EXPECT_EQ(at(dst, 150, 150), 0);
    EXPECT_EQ(at(dst, 0, 0), 7);
    EXPECT_EQ(at(dst, 319, 239), 7);
}

TEST_F(Water, RandomSurfacesMatchThePixelFormulas) {
    // Heights from calm to steep (samples near and far, some off the picture) and a few huge ones.
    Frame pic = noise_frame(11), noise = noise_frame(12), more = noise_frame(13);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    for (int p = 0; p < FRAME_BYTES; p++) {
        int spread = p < 20000 ? 8 : p < 50000 ? 40 : 400;
        water_heights[0][p] = noise[p] % spread - spread / 2;
        water_heights[1][p] = more[p] % spread - spread / 2;
    }
    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = p % 2 ? 2147483000 : -2147483000;
    std::vector<int32_t> s(water_heights[0], water_heights[0] + FRAME_BYTES);
    std::vector<int32_t> d(water_heights[1], water_heights[1] + FRAME_BYTES);

    for (int shade : {0, 3}) {
        Frame dst = noise_frame(14), before = dst;
        water_render(0, shade, dst.data());
        for (int p = 0; p < FRAME_BYTES; p++) {
            int x = p % SCREEN_WIDTH, y = p / SCREEN_WIDTH;
            int want = before[p];
            if (x >= 1 && x <= 318 && y >= 1 && y <= 238) {
                int64_t dx = int64_t(s[p]) - s[p + 1], dy = int64_t(s[p]) - s[p + 320];
                int64_t q = p + (dy >> 3) * 320 + (dx >> 3);
                int64_t k = (q >= 0 && q < FRAME_BYTES ? pic[q] : 0) - (dx >> shade);
                want = int(std::clamp<int64_t>(k, 0, 255));
            }
            ASSERT_EQ(dst[p], want) << x << "," << y << " shade " << shade;
        }
    }

    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = s[p] = 0;  // sums must not overflow
    water_step(1, 4);
    for (int p = 0; p < FRAME_BYTES; p++) {
        int x = p % SCREEN_WIDTH, y = p / SCREEN_WIDTH;
        int32_t want = d[p];
        if (x >= 1 && x <= 318 && y >= 1 && y <= 238) {
            int32_t sum = s[p - 321] + s[p - 320] + s[p - 319] + s[p - 1] + s[p + 1] + s[p + 319] + s[p + 320] + s[p + 321];
            int32_t v = (sum >> 2) - d[p];
            want = v - (v >> 4);
        }
        ASSERT_EQ(water_heights[1][p], want) << x << "," << y;
    }
}

}  // namespace

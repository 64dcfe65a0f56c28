#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "effects/water.h"
#include "math/tables.h"
#include "support/frames.h"

namespace {

using Heights = std::vector<std::tuple<int, int, int>>;  // (x, y, height) of the non-zero ones

int32_t& height(int page, int x, int y) { return water_heights[page][y * SCREEN_WIDTH + x]; }
bool interior(int p) { return p % 320 >= 1 && p % 320 <= 318 && p / 320 >= 1 && p / 320 <= 238; }

Heights changed(int page) {
    Heights out;
    for (int p = 0; p < FRAME_BYTES; p++)
        if (water_heights[page][p]) out.emplace_back(p % SCREEN_WIDTH, p / SCREEN_WIDTH, water_heights[page][p]);
    return out;
}

// What water_render must write at p, straight from the per-pixel formula.
int rendered(const int32_t* h, const Frame& pic, int p, int shade) {
    int64_t dx = int64_t(h[p]) - h[p + 1], dy = int64_t(h[p]) - h[p + 320];
    int64_t q = p + (dy >> 3) * 320 + (dx >> 3);
    return int(std::clamp<int64_t>((q >= 0 && q < FRAME_BYTES ? pic[size_t(q)] : 0) - (dx >> shade), 0, 255));
}

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
};

TEST_F(Water, StillWaterStaysStillAndShowsThePicture) {
    Frame pic = noise_frame(5), dst = make_frame(3);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    water_step(1, 4);
    EXPECT_TRUE(changed(0).empty() && changed(1).empty());
    water_render(0, 0, fb(dst));
    for (int p = 0; p < FRAME_BYTES; p++) ASSERT_EQ(dst[size_t(p)], interior(p) ? pic[size_t(p)] : 3) << p;
}

TEST_F(Water, DropsPressNineHeightsAndStayInTheInterior) {
    water_add_drop(160, 120, 2, -1000, 1);
    Heights nine;
    for (int y = 119; y <= 121; y++)
        for (int x = 159; x <= 161; x++) nine.emplace_back(x, y, -125);
    EXPECT_EQ(changed(1), nine);
    EXPECT_TRUE(changed(0).empty());
    water_add_drop(160, 120, 2, 1000, 1);  // the sine has no visible part: +124
    for (auto [x, y, v] : changed(1)) EXPECT_EQ(v, -1);

    SetUp();
    water_add_drop(0, 0, 2, -1000, 0);
    EXPECT_EQ(changed(0), (Heights{{1, 1, -125}}));
    for (auto [x, y] : {std::pair{319, 239}, {318, 238}, {-5, 100}, {400, 100}, {100, -40}, {100, 500}, {0, 239}})
        water_add_drop(x, y, 6, -1000, 0);
    for (auto [x, y, v] : changed(0)) EXPECT_TRUE(interior(y * 320 + x)) << x << "," << y;
}

TEST_F(Water, StepSpreadsAndDampsWithFlooringShifts) {
    height(0, 100, 100) = 125;
    height(0, 200, 150) = -125;
    water_step(1, 4);
    Heights want;
    for (int p = 0; p < FRAME_BYTES; p++) {
        int x = p % 320, y = p / 320;
        if (std::max(std::abs(x - 100), std::abs(y - 100)) == 1) want.emplace_back(x, y, 30);
        if (std::max(std::abs(x - 200), std::abs(y - 150)) == 1) want.emplace_back(x, y, -30);
    }
    EXPECT_EQ(changed(1), want);
}

TEST_F(Water, SmoothingMeetsTheNeighboursMeanHalfWayInTheInteriorOnly) {
    // A lone height v in the other page at (x, y), the rest 0; the page itself holds u inside
    // and 99 on its outer ring. Its neighbours get (v >> 3 + u) >> 1, the other interior u >> 1.
    const int cases[][4] = {{160, 120, 160, 0}, {160, 120, -160, 0}, {160, 120, -1, 0}, {1, 1, 80, 7}, {0, 5, 160, -9}};
    for (auto [x, y, v, u] : cases) {
        SetUp();
        height(0, x, y) = v;
        for (int p = 0; p < FRAME_BYTES; p++) water_heights[1][p] = interior(p) ? u : 99;
        water_smooth(1);
        for (int p = 0; p < FRAME_BYTES; p++) {
            int px = p % 320, py = p / 320;
            bool neighbour = std::max(std::abs(px - x), std::abs(py - y)) == 1;
            int want = !interior(p) ? 99 : neighbour ? ((v >> 3) + u) >> 1 : u >> 1;
            ASSERT_EQ(water_heights[1][p], want) << px << "," << py << " from " << v << " at " << x << "," << y;
        }
        EXPECT_EQ(height(0, x, y), v) << "the other page is only read";
    }
    height(1, 100, 100) = 2147483647;  // eight of them must not overflow the sum
    for (int p = 0; p < FRAME_BYTES; p++) water_heights[0][p] = 2147483647;
    water_smooth(1);
    EXPECT_EQ(height(1, 100, 100), 2147483647);
}

TEST_F(Water, SlopesBendAndShadeThePicture) {
    for (int x = 0; x < SCREEN_WIDTH; x++) water_background[100 * 320 + x] = uint8_t(x / 2);
    Frame dst = make_frame();
    height(0, 100, 100) = height(0, 100, 101) = 16;  // +16 to the right, level below
    water_render(0, 0, fb(dst));
    EXPECT_EQ(at(dst, 100, 100), 102 / 2 - 16);  // two pixels to the right, 16 darker
    EXPECT_EQ(at(dst, 99, 100), 97 / 2 + 16);    // the left neighbour: -16, two left, 16 lighter
    water_render(0, 2, fb(dst));
    EXPECT_EQ(at(dst, 100, 100), 102 / 2 - 4);

    memset(water_background, 250, FRAME_BYTES);
    memset(water_background - FRAME_BYTES, 99, FRAME_BYTES);  // guard bands that do not hold 0
    memset(water_background + FRAME_BYTES, 99, FRAME_BYTES);
    height(0, 50, 50) = 7;                               // 250 - 7
    height(0, 60, 50) = -7;                              // 250 + 7, clamped to 255
    height(0, 70, 50) = 300;                             // 250 - 300, clamped to 0
    height(0, 90, 2) = -1000;                            // 125 rows up: off the picture, 0 + 1000
    height(0, 10, 230) = height(0, 11, 230) = 80;        // ten rows down: off the picture, 0
    height(0, 150, 150) = height(0, 151, 150) = 2000000000;
    height(0, 150, 151) = -2000000000;                   // dy = 4e9, more than an int: still 0
    water_render(0, 0, fb(dst));
    EXPECT_EQ(std::vector<int>({at(dst, 50, 50), at(dst, 60, 50), at(dst, 70, 50), at(dst, 90, 2), at(dst, 10, 230),
                                at(dst, 150, 150)}),
              std::vector<int>({243, 255, 0, 255, 0, 0}));
}

TEST_F(Water, RandomSurfacesMatchThePixelFormulas) {
    // Heights from calm to steep (samples near, far and off the picture) and a few huge ones.
    Frame pic = noise_frame(11), a = noise_frame(12), b = noise_frame(13);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    for (int p = 0; p < FRAME_BYTES; p++) {
        int spread = p < 20000 ? 8 : p < 50000 ? 40 : 256;
        water_heights[0][p] = a[size_t(p)] % spread - spread / 2;
        water_heights[1][p] = b[size_t(p)] % spread - spread / 2;
    }
    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = p % 2 ? 2147483000 : -2147483000;
    for (int shade : {0, 3}) {
        Frame dst = noise_frame(14), before = dst;
        water_render(0, shade, fb(dst));
        for (int p = 0; p < FRAME_BYTES; p++)
            ASSERT_EQ(dst[size_t(p)], interior(p) ? rendered(water_heights[0], pic, p, shade) : before[size_t(p)]) << p;
    }

    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = 0;  // the sums must not overflow
    std::vector<int32_t> s(water_heights[0], water_heights[0] + FRAME_BYTES), d(water_heights[1], water_heights[1] + FRAME_BYTES);
    water_step(1, 4);
    for (int p = 0; p < FRAME_BYTES; p++) {
        int32_t want = d[size_t(p)];
        if (interior(p)) {
            int32_t sum = s[p - 321] + s[p - 320] + s[p - 319] + s[p - 1] + s[p + 1] + s[p + 319] + s[p + 320] + s[p + 321];
            want = ((sum >> 2) - d[size_t(p)]) - (((sum >> 2) - d[size_t(p)]) >> 4);
        }
        ASSERT_EQ(water_heights[1][p], want) << p;
    }
}

}  // namespace

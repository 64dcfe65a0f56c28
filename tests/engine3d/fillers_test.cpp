#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine3d/fillers.h"
#include "support/frame_fixture.h"

namespace {

// The fillers draw into the target they are given; the global frame_buf is null meanwhile.
struct FillerTest : FrameBufferTest {
    FrameBuffer* target = fb(screen);
    void SetUp() override {
        FrameBufferTest::SetUp();
        frame_buf = nullptr;
    }
    // Columns [first, last] of row y holding colour; {-1, -1} when none does.
    std::pair<int, int> row_extent(int y, uint8_t colour) const {
        int first = -1, last = -1;
        for (int x = 0; x < SCREEN_WIDTH; x++)
            if (pixel(x, y) == colour) first = first < 0 ? x : first, last = x;
        return {first, last};
    }
    int count_set() const { return int(FRAME_BYTES - std::count(screen.begin(), screen.end(), 0)); }
};

ScreenPoint at(int x, int y, int shade = 9) { return ScreenPoint{x, y, 1, 0, 0, shade}; }

TEST_F(FillerTest, FlatTopKeepsItsTopRowAndFlatBottomLosesItsBottomRow) {
    ScreenPoint a = at(10, 10), b = at(20, 10), c = at(10, 20);
    fill_triangle_flat(target, &a, &b, &c);
    int total = 0;
    for (int y = 10; y <= 19; y++) {
        EXPECT_EQ(row_extent(y, 9), std::make_pair(10, 29 - y)) << y;
        total += 20 - y;
    }
    EXPECT_EQ(count_set(), total);

    std::fill(screen.begin(), screen.end(), 0);
    a = at(10, 10), b = at(10, 20), c = at(20, 20);
    fill_triangle_flat(target, &c, &a, &b);
    total = 0;
    for (int y = 11; y <= 19; y++) {
        EXPECT_EQ(row_extent(y, 9), std::make_pair(10, y - 1)) << y;
        total += y - 10;
    }
    EXPECT_EQ(count_set(), total);
}

TEST_F(FillerTest, GeneralTriangleUsesTheFirstCornersShadeAndFloorsEdges) {
    // Left edge x = 50 - 2(y - 10) to row 30, then 10 + 2.5(y - 30); right edge 50 + (y - 10) / 4.
    ScreenPoint a = at(10, 30, 0x1234), b = at(50, 10, 7), c = at(60, 50, 8);
    fill_triangle_flat(target, &a, &b, &c);
    for (int y = 9; y <= 51; y++) {
        int left = y < 30 ? 50 - 2 * (y - 10) : 10 + (5 * (y - 30)) / 2, right = 50 + (y - 10) / 4;
        bool empty = y < 10 || y > 50 || left == right;
        EXPECT_EQ(row_extent(y, 0x34), empty ? std::make_pair(-1, -1) : std::make_pair(left, right - 1)) << y;
    }
}

TEST_F(FillerTest, SpansClipToTheRowAndEmptyShapesDrawNothing) {
    ScreenPoint a = at(10, 10), b = at(50, 10), c = at(90, 10);
    fill_triangle_flat(target, &a, &b, &c);
    draw_flat_span(target, 30, 30, 5, 9);
    draw_mapped_span(target, 30, 30, 5, 0, 0, 0, 0, nullptr);
    for (auto [x1, x2] : {std::pair{321, 400}, {-9, -1}, {320, 400}, {-9, 0}}) draw_flat_span(target, x1, x2, 5, 9);
    EXPECT_EQ(count_set(), 0);
    draw_flat_span(target, -50, 400, 3, 9);
    draw_flat_span(target, 400, -50, 4, 9);
    draw_flat_span(target, 300, 2, 6, 9);
    EXPECT_EQ(row_extent(3, 9), std::make_pair(0, 319));
    EXPECT_EQ(row_extent(4, 9), std::make_pair(0, 319));
    EXPECT_EQ(row_extent(6, 9), std::make_pair(2, 299));
    EXPECT_EQ(count_set(), 2 * 320 + 298);
}

TEST_F(FillerTest, RowsBeyondTheScreenAreSkipped) {
    ScreenPoint a = at(100, -20), b = at(40, 300), c = at(200, 300);
    fill_triangle_flat(target, &a, &b, &c);
    EXPECT_NE(row_extent(0, 9).first, -1);
    // Where the walkers reach row 239 after stepping over the rows above the screen.
    EXPECT_EQ(row_extent(239, 9).first, (100 * 65536 + 259 * ((-60 * 65536) / 320)) >> 16);
}

struct MappedTest : FillerTest {
    std::vector<uint8_t> pic = std::vector<uint8_t>(65536);  // pixel (u, v) is 3u + 5v
    void SetUp() override {
        FillerTest::SetUp();
        for (int k = 0; k < 65536; k++) pic[k] = uint8_t(3 * (k % 256) + 5 * (k / 256));
    }
};

TEST_F(MappedTest, SpansStepOverTheirClippedStartWrapRowsAndKeepTheUnclippedWidth) {
    draw_mapped_span(target, 10, -10, 2, 20 * 65536, 0, 4 * 65536, 4 * 65536, pic.data());
    for (int x = 0; x < 10; x++) EXPECT_EQ(pixel(x, 2), uint8_t(3 * (10 + x) + 20)) << x;
    EXPECT_EQ(count_set(), 10);
    draw_mapped_span(target, 300, 312, 0, 0, 12 * 65536, 250 * 65536, 262 * 65536, pic.data());  // v 250 .. 261
    for (int x = 300; x < 312; x++) EXPECT_EQ(pixel(x, 0), uint8_t(3 * (x - 300) + 5 * ((250 + x - 300) & 255)));
    draw_mapped_span(target, 310, 330, 1, 0, 20 * 65536, 0, 0, pic.data());
    for (int x = 310; x < 320; x++) EXPECT_EQ(pixel(x, 1), uint8_t(3 * (x - 310)));
}

TEST_F(MappedTest, TriangleFollowsAnAffineMapExactly) {
    ScreenPoint a{0, 0, 1, 0, 0, 0}, b{200, 0, 1, 200, 0, 0}, c{0, 200, 1, 0, 200, 0};
    fill_triangle_mapped(target, &a, &b, &c, pic.data());
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 200 - y; x++) ASSERT_EQ(pixel(x, y), pic[y * 256 + x]) << x << "," << y;
}

}  // namespace

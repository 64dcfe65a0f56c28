#include <gtest/gtest.h>

#include <vector>

#include "engine3d/fillers.h"
#include "support/frame_fixture.h"

namespace {

struct FillerTest : FrameBufferTest {
    // Columns set in row y, as [first, last]; {-1, -1} when the row is empty.
    std::pair<int, int> row_extent(int y, uint8_t colour) const {
        int first = -1, last = -1;
        for (int x = 0; x < SCREEN_WIDTH; x++)
            if (pixel(x, y) == colour) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last};
    }
    int count_set() const {
        int n = 0;
        for (uint8_t p : screen) n += p != 0;
        return n;
    }
};

ScreenPoint at(int x, int y, int shade = 9) { return ScreenPoint{x, y, 1, 0, 0, shade}; }

TEST_F(FillerTest, FlatTopTriangleKeepsItsTopRow) {
    ScreenPoint a = at(10, 10), b = at(20, 10), c = at(10, 20);
    fill_triangle_flat(&a, &b, &c);
    int total = 0;
    for (int y = 10; y <= 19; y++) {
        EXPECT_EQ(row_extent(y, 9), std::make_pair(10, 29 - y)) << "row " << y;
        total += 20 - y;
    }
    EXPECT_EQ(count_set(), total);  // nothing in row 20 or anywhere else
}

TEST_F(FillerTest, FlatBottomTriangleLosesItsBottomRow) {
    ScreenPoint a = at(10, 10), b = at(10, 20), c = at(20, 20);
    fill_triangle_flat(&c, &a, &b);  // corner order does not matter
    int total = 0;
    for (int y = 11; y <= 19; y++) {
        EXPECT_EQ(row_extent(y, 9), std::make_pair(10, y - 1)) << "row " << y;
        total += y - 10;
    }
    EXPECT_EQ(count_set(), total);
}

TEST_F(FillerTest, GeneralTriangleUsesTheFirstCornersShadeAndFloorsEdges) {
    // Apex (50, 10), middle corner (10, 30), bottom (60, 50). Left edge: x = 50 - 2(y - 10) down
    // to row 30, then 10 + 2.5(y - 30); right edge x = 50 + 0.25(y - 10), floored.
    ScreenPoint a = at(10, 30, 0x1234), b = at(50, 10, 7), c = at(60, 50, 8);
    fill_triangle_flat(&a, &b, &c);
    for (int y = 10; y <= 50; y++) {
        int left = y < 30 ? 50 - 2 * (y - 10) : 10 + (5 * (y - 30)) / 2;
        int right = 50 + (y - 10) / 4;
        std::pair<int, int> want = left == right ? std::make_pair(-1, -1) : std::make_pair(left, right - 1);
        EXPECT_EQ(row_extent(y, 0x34), want) << "row " << y;
    }
    EXPECT_EQ(row_extent(9, 0x34).first, -1);
    EXPECT_EQ(row_extent(51, 0x34).first, -1);
}

TEST_F(FillerTest, NothingForZeroHeightOrZeroWidth) {
    ScreenPoint a = at(10, 10), b = at(50, 10), c = at(90, 10);
    fill_triangle_flat(&a, &b, &c);
    draw_flat_span(30, 30, 5, 9);
    draw_mapped_span(30, 30, 5, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(count_set(), 0);
}

TEST_F(FillerTest, SpansClipToTheRow) {
    draw_flat_span(-50, 400, 3, 9);
    EXPECT_EQ(row_extent(3, 9), std::make_pair(0, 319));
    draw_flat_span(400, -50, 4, 9);
    EXPECT_EQ(row_extent(4, 9), std::make_pair(0, 319));
    draw_flat_span(321, 400, 5, 9);
    draw_flat_span(-9, -1, 5, 9);
    draw_flat_span(320, 400, 5, 9);
    draw_flat_span(-9, 0, 5, 9);
    EXPECT_EQ(row_extent(5, 9).first, -1);
    draw_flat_span(300, 2, 6, 9);
    EXPECT_EQ(row_extent(6, 9), std::make_pair(2, 299));
    EXPECT_EQ(count_set(), 2 * 320 + 298);
}

TEST_F(FillerTest, RowsBeyondTheScreenAreSkipped) {
    ScreenPoint a = at(100, -20), b = at(40, 300), c = at(200, 300);
    fill_triangle_flat(&a, &b, &c);
    EXPECT_NE(row_extent(0, 9).first, -1);
    EXPECT_NE(row_extent(239, 9).first, -1);
    // Row 239 is where the walkers reach after stepping over the rows above the screen.
    EXPECT_EQ(row_extent(239, 9).first, (100 * 65536 + 259 * ((-60 * 65536) / 320)) >> 16);
}

// Picture whose pixel at (u, v) is (3u + 5v) mod 256.
std::vector<uint8_t> gradient_picture() {
    std::vector<uint8_t> p(65536);
    for (int v = 0; v < 256; v++)
        for (int u = 0; u < 256; u++) p[v * 256 + u] = uint8_t(3 * u + 5 * v);
    return p;
}

TEST_F(FillerTest, MappedSpanStepsOverItsClippedStart) {
    std::vector<uint8_t> pic = gradient_picture();
    draw_mapped_span(10, -10, 2, 20 * 65536, 0, 4 * 65536, 4 * 65536, pic.data());
    for (int x = 0; x < 10; x++) EXPECT_EQ(pixel(x, 2), uint8_t(3 * (10 + x) + 20)) << x;
    EXPECT_EQ(pixel(10, 2), 0);
    EXPECT_EQ(count_set(), 10);
}

TEST_F(FillerTest, MappedSpanWrapsRowsAndUsesTheUnclippedWidth) {
    std::vector<uint8_t> pic = gradient_picture();
    // v from 250 to 262 over 12 columns: rows 250..255 then 0..5.
    draw_mapped_span(300, 312, 0, 0, 12 * 65536, 250 * 65536, 262 * 65536, pic.data());
    for (int x = 300; x < 312; x++) EXPECT_EQ(pixel(x, 0), uint8_t(3 * (x - 300) + 5 * ((250 + x - 300) & 255)));
    // Clipped at the right edge: the step still comes from the full width.
    draw_mapped_span(310, 330, 1, 0, 20 * 65536, 0, 0, pic.data());
    for (int x = 310; x < 320; x++) EXPECT_EQ(pixel(x, 1), uint8_t(3 * (x - 310)));
}

TEST_F(FillerTest, MappedTriangleFollowsAnAffineMapExactly) {
    // u = x and v = y at the corners: every pixel shows the picture at its own position.
    std::vector<uint8_t> pic = gradient_picture();
    ScreenPoint a{0, 0, 1, 0, 0, 0}, b{200, 0, 1, 200, 0, 0}, c{0, 200, 1, 0, 200, 0};
    fill_triangle_mapped(&a, &b, &c, pic.data());
    int drawn = 0;
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 200 - y; x++) {
            drawn++;
            ASSERT_EQ(pixel(x, y), pic[y * 256 + x]) << x << "," << y;
        }
    EXPECT_EQ(drawn, 200 * 201 / 2);
}

}  // namespace

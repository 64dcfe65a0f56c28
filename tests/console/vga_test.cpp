// The emulated VGA as tools and tests drive it directly: the CRT and the sequencer's Map Mask.
#include <gtest/gtest.h>

#include <vector>

#include "console/hooks.h"
#include "console/system.h"
#include "console/vga.h"
#include "console/internal.h"
#include "support/frames.h"
#include "support/headless.h"
#include "support/kernel_forms.h"
#include "video/present.h"

namespace {

struct VgaTest : ::testing::Test {
    void SetUp() override {
        start_headless_console();
        vga_setmode(G320x240x256);
        draw_page = second_page;
    }
    void TearDown() override {
        con_set_frame_hook(nullptr);
        vga_setmode(TEXT);
    }
    static void set_dac_entry(int entry, int value) {
        port_out(0x3C8, entry);
        for (int c = 0; c < 3; c++) port_out(0x3C9, value);
    }
};

// A retrace that no display start follows leaves the old page on the CRT, which goes on scanning
// it at every tick, with DAC changes from the next tick on; nothing is shown twice.
TEST_F(VgaTest, CrtScansTheVisiblePageAtEveryTickWithoutANewDisplayStart) {
    std::vector<uint8_t> buf(FRAME_BYTES, 1);
    set_dac_entry(1, 10);
    present_buffer(fb(buf));
    struct Seen { int64_t tick; uint8_t index, dac; };
    std::vector<Seen> seen;
    con_set_frame_hook([&](const ScanFrame& f) { seen.push_back({f.tick, f.indices[0], f.dac[3]}); });

    vga_waitretrace();
    set_dac_entry(1, 20);
    con_usleep(50000);  // three ticks
    ASSERT_EQ(seen.size(), 4u) << "the tick waited for and the three after it, scanned as they passed";
    for (const Seen& s : seen) {
        EXPECT_EQ(s.index, 1);
        EXPECT_EQ(s.dac, 20);
    }

    set_dac_entry(1, 30);
    vga_setdisplaystart(0);
    buf.assign(FRAME_BYTES, 2);
    present_buffer(fb(buf));
    ASSERT_EQ(seen.size(), 5u) << "a late display start replays nothing";
    for (size_t i = 1; i < seen.size(); i++) EXPECT_EQ(seen[i].tick, seen[i - 1].tick + 1);
    EXPECT_EQ(seen.back().index, 2);
    EXPECT_EQ(seen.back().dac, 30);
}

TEST_F(VgaTest, MapMaskWritesReachEveryEnabledPlaneAtTheNextConsoleCall) {
    for (int mask : {0x0, 0x1, 0x4, 0x3, 0x5, 0xA, 0xE, 0xF}) {
        for (int p = 0; p < 4; p++)
            for (int k = 0; k < 400; k++) con::vga.planes[p][k] = uint8_t(1 + p * 50 + k % 7);
        port_out(0x3C4, 2);
        port_out(0x3C5, mask);
        for (int k = 100; k < 200; k++) graph_mem[k] = uint8_t(220 + k % 3);
        port_out(0x3C5, 0x1);
        for (int p = 0; p < 4; p++)
            for (int k = 0; k < 400; k++) {
                bool written = (mask & (1 << p)) && k >= 100 && k < 200;
                ASSERT_EQ(con::vga.planes[p][k], written ? 220 + k % 3 : 1 + p * 50 + k % 7)
                    << "mask " << mask << " plane " << p << " byte " << k;
            }
    }
}

// The scan-out's colour lookup in every form the processor runs, against the DAC's colours taken
// one pixel at a time; lengths around the 64-pixel blocks.
TEST(ScanOutLookup, EveryFormGivesEachPixelsDacColour) {
    uint32_t colours[256];
    for (int e = 0; e < 256; e++) colours[e] = uint32_t(e * 0x9E3779B1u) & 0xFFFFFF;
    std::vector<uint8_t> indices(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) indices[i] = uint8_t((i * 7 + i / 320) ^ (i >> 9));
    for (KernelForm form : runnable_kernel_forms()) {
        KernelFormScope scope(form);
        for (int n : {1, 31, 32, 33, 63, 64, 65, 130, FRAME_BYTES}) {
            std::vector<uint8_t> rgb(size_t(n) * 3 + 1, 0xEE);
            con::lookup_rgb24(indices.data(), colours, rgb.data(), n);
            for (int i = 0; i < n; i++)
                for (int c = 0; c < 3; c++)
                    ASSERT_EQ(rgb[size_t(3 * i + c)], uint8_t(colours[indices[i]] >> (16 - 8 * c)))
                        << kernel_form_name(form) << " form, " << n << " pixels, pixel " << i;
            EXPECT_EQ(rgb.back(), 0xEE) << "nothing written past the end";
        }
    }
}

}  // namespace

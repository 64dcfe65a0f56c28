#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "console/hooks.h"
#include "console/vga.h"
#include "effects/blit.h"
#include "effects/filters.h"
#include "effects/grid.h"
#include "effects/scale.h"
#include "effects/smear.h"
#include "effects/water.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/asc_text.h"
#include "support/frames.h"
#include "support/headless.h"
#include "support/kernel_forms.h"
#include "video/present.h"

namespace {

using Bytes = std::vector<uint8_t>;

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes smears() {
    // Centres of the scenes, the corners and edges of the frame, step 0 and the largest.
    const int calls[][4] = {{160, 195, 4500, 200}, {319, 239, 4000, 180}, {240, 5, 40000, 205}, {0, 0, 4000, 180},
                            {0, 239, 65535, 1},    {319, 0, 0, 128},      {77, 238, 0, 255},    {318, 1, 30000, 0},
                            {5, 120, 65000, 90}};
    Bytes out;
    for (const auto& c : calls) {
        Frame f = noise_frame(uint32_t(c[0] * 1000 + c[1])), copy = make_frame(7);
        radial_smear_copy(fb(f), fb(copy), c[0], c[1], c[2], c[3]);
        radial_smear(fb(f), c[0], c[1], c[2], c[3]);
        append(out, f);
        append(out, copy);
    }
    return out;
}

Bytes filters() {
    Bytes out;
    for (int count : {FRAME_BYTES, 5003, 650, 3}) {
        Frame a = noise_frame(uint32_t(count)), b = noise_frame(2), dst = make_frame(9);
        average4_filter(fb(a), fb(dst), count);
        append(out, dst);
        average4_decay_filter(fb(a), fb(dst), count);
        append(out, dst);
        blend_frames(fb(a), fb(b), fb(dst), count, count);
        append(out, dst);
    }
    return out;
}

Bytes scalings() {
    // Source and target sizes: the scenes' own, narrow, wide, and a row longer than the frame's.
    const int sizes[][4] = {
        {160, 160, 230, 230}, {300, 300, 230, 230}, {7, 3, 319, 11}, {1000, 5, 77, 4}, {320, 240, 33, 240}};
    Bytes out, src = noise_frame(3);
    append(src, noise_frame(4));
    append(src, noise_frame(5));
    append(src, noise_frame(6));
    for (const auto& s : sizes) {
        Bytes dst(size_t(s[2] * s[3]), 5);
        scale_image(s[0], s[1], src.data(), s[2], s[3], dst.data());
        append(out, dst);
    }
    return out;
}

Bytes blits() {
    // Clipped at each edge, inside, and wider than the frame.
    const int places[][4] = {
        {230, 230, 45, 5}, {230, 230, -100, -50}, {230, 230, 200, 100}, {37, 5, 3, 2}, {400, 9, -40, 231}};
    Bytes out;
    Frame block = noise_frame(4);
    for (size_t i = 0; i < block.size(); i += 3) block[i] = 0;
    for (const auto& p : places) {
        Frame dst = noise_frame(5);
        blend_blit(block.data(), fb(dst), p[0], p[1], p[2], p[3], 250);
        Sprite s = sprite_of(block, p[0], p[1]);
        draw_sprite_keyed(&s, dst.data(), p[2], p[3], SCREEN_WIDTH, SCREEN_HEIGHT);
        append(out, dst);
    }
    Frame grid = noise_frame(6);
    draw_grid_picture(fb(grid));
    append(out, grid);
    return out;
}

Bytes water() {
    // Heights from calm to steep, samples near, far and off the picture, and a few huge ones.
    Frame a = noise_frame(12), b = noise_frame(13);
    memcpy(water_background, noise_frame(11).data(), FRAME_BYTES);
    for (int p = 0; p < FRAME_BYTES; p++) {
        int spread = p < 20000 ? 8 : p < 50000 ? 40 : 256;
        water_heights[0][p] = a[size_t(p)] % spread - spread / 2;
        water_heights[1][p] = b[size_t(p)] % spread - spread / 2;
    }
    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = p % 2 ? 2147483000 : -2147483000;
    Bytes out;
    for (int shade : {0, 3}) {
        Frame dst = noise_frame(14);
        water_render(0, shade, fb(dst));
        append(out, dst);
    }
    for (int p : {5000, 5001, 40000, 60321}) water_heights[0][p] = 0;  // the sums must not overflow
    water_step(1, 4);
    const uint8_t* h = reinterpret_cast<const uint8_t*>(water_heights[1]);
    append(out, Bytes(h, h + sizeof water_heights[1]));
    return out;
}

// Vertices all round the camera, some on its plane (depth 0), turned and not.
Bytes projections() {
    TestMesh mesh;
    for (int k = 0; k < 203; k++)
        mesh.vertices.push_back({float(k * 37 % 1400) - 700, float(k * 53 % 900) - 450, k % 7 ? float(k * 11 % 1500) - 900 : -600});
    mesh.faces.push_back({0, 1, 2});
    TempFile file(asc_text(mesh));
    World world{};
    Camera camera;
    camera_init(&camera, 400, 160, 205, 1, 0.9375f, 0, 320, 0, 240);
    Bytes out;
    if (world_create(&world, 1) != 0 || world_load_object(&world, file.path.c_str(), 1, 0, 0, 0, 16, 50, 50, 50) != 0 ||
        world_alloc_work(&world) != 0) {
        ADD_FAILURE() << "the test mesh did not load";
    } else {
        for (float turn : {0.0f, 0.3f}) {
            object_rotate_move(&world, 0, turn, turn / 2, 0, 0, 0, 0);
            world_begin_frame(&world);
            object_transform(&world, 0, &camera);
            const uint8_t* v = reinterpret_cast<const uint8_t*>(world.work_vertices);
            append(out, Bytes(v, v + mesh.vertices.size() * sizeof(Vec3)));
        }
    }
    world_destroy(&world);
    return out;
}

// Presentation into the planes, and the scan-out of pages that do and do not wrap round the
// planes' end through a DAC of random colours.
Bytes scan_outs() {
    start_headless_console();
    vga_setmode(G320x240x256);
    std::mt19937 rng(8);
    port_out(0x3C8, 0);
    for (int k = 0; k < 768; k++) port_out(0x3C9, int(rng() % 64));
    Bytes out, indices(FRAME_BYTES), rgb(3 * FRAME_BYTES);
    Frame pixels = noise_frame(7);
    for (int round = 0; round < 2; round++) {
        present_buffer(fb(pixels));
        con_scan_out(indices.data(), rgb.data());
        append(out, indices);
        append(out, rgb);
    }
    vga_setdisplaystart(4 * 60000 + 3);
    con_scan_out(indices.data(), rgb.data());
    append(out, indices);
    append(out, rgb);
    vga_setmode(TEXT);
    return out;
}

// Every form of every pixel kernel writes the bytes of the plain form. Each entry makes the
// public calls that run some kernels, on inputs that reach their vector loops' tails and edges,
// and returns what they wrote.
TEST(KernelForms, EveryFormWritesWhatThePlainFormWrites) {
    const std::pair<const char*, std::function<Bytes()>> cases[] = {
        {"radial smear", smears}, {"filters and cross-fade", filters}, {"scaling", scalings},
        {"blits and grid picture", blits}, {"water", water}, {"projection", projections},
        {"presentation and scan-out", scan_outs}};
    for (const auto& [what, run] : cases) {
        Bytes plain;
        {
            KernelFormScope scope(KernelForm::plain);
            plain = run();
        }
        for (KernelForm form : runnable_kernel_forms()) {
            KernelFormScope scope(form);
            Bytes got = run();
            ASSERT_EQ(got.size(), plain.size());
            auto diff = std::mismatch(got.begin(), got.end(), plain.begin());
            EXPECT_TRUE(diff.first == got.end()) << what << ", " << kernel_form_name(form) << " form: byte "
                                                 << (diff.first - got.begin()) << " of " << got.size();
        }
    }
}

// TENFOLD_KERNELS=avx2 or plain holds the kernels to that form at most, so that this machine runs
// what a processor without AVX-512 (or AVX2) runs; anything else is named and taken as auto.
TEST(KernelForms, TheSettingHoldsTheKernelsToTheFormItNames) {
    const KernelForm best = runnable_kernel_forms().back();
    const std::pair<const char*, KernelForm> settings[] = {{nullptr, best},
                                                           {"auto", best},
                                                           {"avx2", std::min(best, KernelForm::avx2)},
                                                           {"plain", KernelForm::plain},
                                                           {"AVX2", best}};
    for (const auto& [setting, want] : settings) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(kernel_form_for(setting), want) << (setting ? setting : "unset");
        bool named = testing::internal::GetCapturedStderr().find("not \"AVX2\"") != std::string::npos;
        EXPECT_EQ(named, setting && std::string(setting) == "AVX2");
    }
}

}  // namespace

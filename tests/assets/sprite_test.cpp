#include "assets/sprite.h"

#include <cstdlib>

#include "assets/asset_files.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

using SpriteTest = AssetFileTest;

TEST_F(SpriteTest, LoadSpriteTakesOverThePixelBlock) {
    Bytes pixels(16);
    for (int i = 0; i < 16; i++) pixels[i] = uint8_t(i * 13 + 1);
    std::string p = write("s.img", cat({'I', 'M', 'A', 'G', 'E', 8, 0, 2, 0}, pixels));
    Sprite* sprite = load_sprite(p.c_str());
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->width, 8);
    EXPECT_EQ(sprite->height, 2);
    EXPECT_EQ(sprite->key, 0);
    EXPECT_EQ(Bytes(sprite->pixels, sprite->pixels + 16), pixels);
    free_sprite(sprite);  // frees the block too: LeakSanitizer reports it otherwise

    // Widened, not sign-extended.
    sprite = load_sprite(write("w.img", {'I', 'M', 'A', 'G', 'E', 0xFF, 0xFF, 1, 0}).c_str());
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->width, 65535);
    free_sprite(sprite);
}

TEST_F(SpriteTest, LoadPaletteTakesOverTheColourTable) {
    Bytes rgb(768);
    for (int i = 0; i < 768; i++) rgb[i] = uint8_t(255 - i % 256 + i / 256);
    Palette* pal = load_palette(write("p.pal", cat({'P', 'A', 'L', 200, 0, 1}, rgb)).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->first, 200);
    EXPECT_EQ(pal->count, 256);
    EXPECT_EQ(pal->mode, 0);
    EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 768), rgb);
    free_palette(pal);
}

TEST_F(SpriteTest, FailedLoadsPassTheReadersMessageOn) {
    std::string p = path("missing");
    CaptureStdout();
    EXPECT_EQ(load_sprite(p.c_str()), nullptr);
    EXPECT_EQ(load_palette(p.c_str()), nullptr);
    EXPECT_EQ(load_sprite(write("bad.img", {'I', 'M', 'A', 'G', 'X', 1, 0, 1, 0, 5}).c_str()),
              nullptr);
    EXPECT_EQ(GetCapturedStdout(),
              "Error opening image: " + p + "\nError opening palette: " + p + "\n");
}

TEST_F(SpriteTest, SpriteFromImageSharesThePixels) {
    uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    Image image{3, 2, pixels};
    Sprite* sprite = sprite_from_image(&image);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pixels, pixels);
    EXPECT_EQ(image.pixels, pixels);
    EXPECT_EQ(sprite->width, 3);
    EXPECT_EQ(sprite->height, 2);
    EXPECT_EQ(sprite->key, 0);
    pixels[4] = 99;
    EXPECT_EQ(sprite->pixels[4], 99);
    free(sprite);  // the block belongs to the image here

    CaptureStdout();
    EXPECT_EQ(sprite_from_image(nullptr), nullptr);
    free_sprite(nullptr);
    EXPECT_EQ(GetCapturedStdout(),
              "Invalid data supplied to function sprite_from_image()\nCannot free NULL sprite\n");
}

}  // namespace

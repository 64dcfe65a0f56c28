#include "assets/sprite.h"

#include <cstdlib>

#include "assets/asset_files.h"

namespace {

using SpriteTest = AssetFileTest;

TEST_F(SpriteTest, LoadersTakeOverTheBlocksTheReadersMade) {
    Bytes pixels = pattern(16);
    Sprite* sprite = load_sprite(write("s.img", image_file(8, 2, pixels)).c_str());
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(std::make_tuple(sprite->width, sprite->height, sprite->key), std::make_tuple(8, 2, 0));
    EXPECT_EQ(Bytes(sprite->pixels, sprite->pixels + 16), pixels);
    free_sprite(sprite);  // frees the block too: LeakSanitizer reports it otherwise
    sprite = load_sprite(write("w.img", image_file(65535, 1, {})).c_str());
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->width, 65535) << "widened, not sign-extended";
    free_sprite(sprite);

    Bytes rgb = pattern(768);
    Palette* pal = load_palette(write("p.pal", cat({'P', 'A', 'L', 200, 0, 1}, rgb)).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(std::make_tuple(int(pal->first), int(pal->count), int(pal->mode)), std::make_tuple(200, 256, 0));
    EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 768), rgb);
    free_palette(pal);

    std::string p = path("missing");
    CaptureStdout();
    EXPECT_EQ(load_sprite(p.c_str()), nullptr);
    EXPECT_EQ(load_palette(p.c_str()), nullptr);
    EXPECT_EQ(load_sprite(write("bad.img", {'I', 'M', 'A', 'G', 'X', 1, 0, 1, 0, 5}).c_str()), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Error opening image: " + p + "\nError opening palette: " + p + "\n");
}

TEST_F(SpriteTest, SpriteFromImageSharesThePixels) {
    uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    Image image{3, 2, pixels};
    Sprite* sprite = sprite_from_image(&image);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pixels, pixels);
    EXPECT_EQ(image.pixels, pixels);
    EXPECT_EQ(std::make_tuple(sprite->width, sprite->height, sprite->key), std::make_tuple(3, 2, 0));
    free(sprite);  // the block belongs to the image here
    CaptureStdout();
    EXPECT_EQ(sprite_from_image(nullptr), nullptr);
    free_sprite(nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Invalid data supplied to function sprite_from_image()\nCannot free NULL sprite\n");
}

}  // namespace

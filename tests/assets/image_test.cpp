#include "assets/image.h"

#include <cstdlib>

#include "assets/asset_files.h"

namespace {

void free_image(Image* image) {
    if (image) free(image->pixels);
    free(image);
}

void free_pal(PaletteFile* pal) {
    if (pal) free(pal->rgb);
    free(pal);
}

Bytes pal_file(const char* magic, uint8_t first, unsigned count, const Bytes& rgb) {
    return cat({uint8_t(magic[0]), uint8_t(magic[1]), uint8_t(magic[2]), first, uint8_t(count), uint8_t(count >> 8)},
               rgb);
}

using ImageFileTest = AssetFileTest;

TEST_F(ImageFileTest, WritersProduceTheFormatsAndReadersReadThemBack) {
    Bytes pixels = pattern(300 * 2);
    Image image{300, 2, pixels.data()};
    ASSERT_EQ(write_image(&image, path("a.img").c_str()), 1);
    EXPECT_EQ(read("a.img"), image_file(300, 2, pixels));
    Image* back = read_image(path("a.img").c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width * 1000 + back->height, 300 * 1000 + 2);
    EXPECT_EQ(Bytes(back->pixels, back->pixels + 600), pixels);
    free_image(back);

    Bytes rgb = pattern(768);
    PaletteFile pal{7, 256, rgb.data()};
    ASSERT_EQ(write_pal(&pal, path("a.pal").c_str()), 1);
    EXPECT_EQ(read("a.pal"), pal_file("PAL", 7, 256, rgb));
    PaletteFile* p = read_pal(path("a.pal").c_str());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->first * 1000 + p->count, 7 * 1000 + 256);
    EXPECT_EQ(Bytes(p->rgb, p->rgb + 768), rgb);
    free_pal(p);
}

TEST_F(ImageFileTest, WrongImageMagicInAnyOfItsFiveBytesIsRefusedSilentlyAndAnyPalMagicAccepted) {
    for (int i = 0; i < 5; i++) {
        Bytes file = image_file(2, 2, {1, 2, 3, 4});
        file[i] ^= 0x20;
        CaptureStdout();
        EXPECT_EQ(read_image(write("bad.img", file).c_str()), nullptr) << i;
        EXPECT_EQ(GetCapturedStdout(), "") << i;
    }
    EXPECT_EQ(read_image(write("tiny.img", {'I', 'M', 'A'}).c_str()), nullptr);
    for (const char* magic : {"PAL", "XYZ", "\0\0\0"}) {
        PaletteFile* pal = read_pal(write("m.pal", pal_file(magic, 16, 2, {1, 2, 3, 4, 5, 6})).c_str());
        ASSERT_NE(pal, nullptr);
        EXPECT_EQ(pal->first * 1000 + pal->count, 16 * 1000 + 2);
        EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 6), (Bytes{1, 2, 3, 4, 5, 6}));
        free_pal(pal);
    }
}

TEST_F(ImageFileTest, ShortFilesLeaveTheRestZeroAndTheLargestSizesDoNotOverflow) {
    Image* image = read_image(write("short.img", image_file(3, 2, {9, 8, 7, 6})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 6), (Bytes{9, 8, 7, 6, 0, 0}));
    free_image(image);
    image = read_image(write("cut.img", {'I', 'M', 'A', 'G', 'E', 4}).c_str());  // header cut short
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width * 1000 + image->height, 4 * 1000);
    free_image(image);
    image = read_image(write("huge.img", image_file(65535, 65535, {5, 6})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels[1], 6);
    EXPECT_EQ(image->pixels[size_t(65535) * 65535 - 1], 0);
    free_image(image);

    PaletteFile* pal = read_pal(write("s.pal", pal_file("PAL", 250, 3, {10, 20, 30, 40})).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 9), (Bytes{10, 20, 30, 40, 0, 0, 0, 0, 0}));
    free_pal(pal);
    pal = read_pal(write("big.pal", pal_file("PAL", 0, 65535, {})).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->rgb[65535 * 3 - 1], 0);
    free_pal(pal);
}

TEST_F(ImageFileTest, WritingOverALongerFileLeavesOnlyTheNewOne) {
    write("a.img", image_file(4, 4, pattern(16)));
    write("a.pal", pal_file("PAL", 0, 256, pattern(768)));
    Bytes two = {200, 201}, rgb = {1, 2, 3};
    Image image{2, 1, two.data()};
    PaletteFile pal{5, 1, rgb.data()};
    ASSERT_EQ(write_image(&image, path("a.img").c_str()), 1);
    ASSERT_EQ(write_pal(&pal, path("a.pal").c_str()), 1);
    EXPECT_EQ(read("a.img"), image_file(2, 1, two));
    EXPECT_EQ(read("a.pal"), pal_file("PAL", 5, 1, rgb));
}

TEST_F(ImageFileTest, FailuresAreReportedNeverTakenForSuccess) {
    std::string none = path("none"), nowhere = path("no/such/dir.pal");
    Bytes rgb = pattern(6);
    Image no_pixels{2, 2, nullptr}, image{3, 2, rgb.data()};
    PaletteFile no_rgb{0, 1, nullptr}, pal{0, 2, rgb.data()};
    CaptureStdout();
    EXPECT_EQ(read_image(none.c_str()), nullptr);
    EXPECT_EQ(read_pal(none.c_str()), nullptr);
    EXPECT_EQ(write_image(nullptr, none.c_str()) + write_image(&no_pixels, none.c_str()), 0);
    EXPECT_EQ(write_pal(nullptr, none.c_str()) + write_pal(&no_rgb, none.c_str()), 0);
    EXPECT_EQ(write_pal(&pal, nowhere.c_str()), 0);
    // /dev/full takes the open and refuses the bytes.
    EXPECT_EQ(write_image(&image, "/dev/full") + write_pal(&pal, "/dev/full"), 0);
    EXPECT_EQ(GetCapturedStdout(), "Error opening image: " + none + "\nError opening palette: " + none +
                                       "\nInvalid image data\nInvalid image data\nInvalid palette data\n"
                                       "Invalid palette data\nError creating file: " + nowhere +
                                       "\nError writing file: /dev/full\nError writing file: /dev/full\n");
    EXPECT_FALSE(std::filesystem::exists(none));
}

}  // namespace

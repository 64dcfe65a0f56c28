#include "assets/image.h"

#include <cstdlib>
#include <cstring>

#include "assets/asset_files.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

void free_image(Image* image) {
    if (image) free(image->pixels);
    free(image);
}

void free_pal(PaletteFile* pal) {
    if (pal) free(pal->rgb);
    free(pal);
}

Bytes image_file(unsigned width, unsigned height, const Bytes& pixels) {
    return cat(cat(cat({'I', 'M', 'A', 'G', 'E'}, le16(width)), le16(height)), pixels);
}

Bytes pal_file(const char* magic, uint8_t first, unsigned count, const Bytes& rgb) {
    return cat(cat({uint8_t(magic[0]), uint8_t(magic[1]), uint8_t(magic[2]), first}, le16(count)),
               rgb);
}

Bytes pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; i++) b[i] = uint8_t(i * 37 + 11);
    return b;
}

using ImageFileTest = AssetFileTest;

TEST_F(ImageFileTest, WriterProducesTheFormatAndReaderReadsItBack) {
    Bytes pixels = pattern(300 * 2);
    Image image{300, 2, pixels.data()};
    ASSERT_EQ(write_image(&image, path("a.img").c_str()), 1);
    EXPECT_EQ(read("a.img"), image_file(300, 2, pixels));

    Image* back = read_image(path("a.img").c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 300);
    EXPECT_EQ(back->height, 2);
    EXPECT_EQ(Bytes(back->pixels, back->pixels + 600), pixels);
    free_image(back);
}

TEST_F(ImageFileTest, WrongMagicInAnyOfItsFiveBytesIsRefusedSilently) {
    for (int i = 0; i < 5; i++) {
        Bytes file = image_file(2, 2, {1, 2, 3, 4});
        file[i] ^= 0x20;  // "iMAGE", "ImAGE", ...
        std::string p = write("bad.img", file);
        CaptureStdout();
        EXPECT_EQ(read_image(p.c_str()), nullptr) << i;
        EXPECT_EQ(GetCapturedStdout(), "") << i;
    }
    CaptureStdout();
    EXPECT_EQ(read_image(write("tiny.img", {'I', 'M', 'A'}).c_str()), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(ImageFileTest, ShortFileLeavesMissingPixelsZero) {
    Image* image = read_image(write("short.img", image_file(3, 2, {9, 8, 7, 6})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 6), (Bytes{9, 8, 7, 6, 0, 0}));
    free_image(image);

    // The header itself cut short: the missing high byte of width and all of height are 0.
    image = read_image(write("cut.img", {'I', 'M', 'A', 'G', 'E', 4}).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 0);
    EXPECT_NE(image->pixels, nullptr);
    free_image(image);
}

TEST_F(ImageFileTest, LargestDimensionsAreCountedWithoutOverflow) {
    Image* image = read_image(write("huge.img", image_file(65535, 65535, {5, 6})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 65535);
    EXPECT_EQ(image->height, 65535);
    EXPECT_EQ(image->pixels[1], 6);
    EXPECT_EQ(image->pixels[size_t(65535) * 65535 - 1], 0);
    free_image(image);
}

TEST_F(ImageFileTest, MissingFileIsReported) {
    std::string p = path("none.img");
    CaptureStdout();
    EXPECT_EQ(read_image(p.c_str()), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Error opening image: " + p + "\n");
    CaptureStdout();
    EXPECT_EQ(read_pal(p.c_str()), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Error opening palette: " + p + "\n");
}

TEST_F(ImageFileTest, WritingOverALongerFileKeepsItsTail) {
    Bytes old = image_file(4, 4, pattern(16));
    write("a.img", old);
    Bytes two = {200, 201};
    Image image{2, 1, two.data()};
    ASSERT_EQ(write_image(&image, path("a.img").c_str()), 1);
    Bytes now = read("a.img");
    ASSERT_EQ(now.size(), old.size());
    EXPECT_EQ(Bytes(now.begin(), now.begin() + 11), image_file(2, 1, {200, 201}));
    EXPECT_EQ(Bytes(now.begin() + 11, now.end()), Bytes(old.begin() + 11, old.end()));

    Image* back = read_image(path("a.img").c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width * back->height, 2);
    EXPECT_EQ(back->pixels[1], 201);
    free_image(back);
}

TEST_F(ImageFileTest, WritersReportWhatTheyCannotWrite) {
    Image no_pixels{2, 2, nullptr};
    PaletteFile no_rgb{0, 1, nullptr};
    CaptureStdout();
    EXPECT_EQ(write_image(nullptr, path("x").c_str()), 0);
    EXPECT_EQ(write_image(&no_pixels, path("x").c_str()), 0);
    EXPECT_EQ(GetCapturedStdout(), "Invalid image data\nInvalid image data\n");
    CaptureStdout();
    EXPECT_EQ(write_pal(nullptr, path("x").c_str()), 0);
    EXPECT_EQ(write_pal(&no_rgb, path("x").c_str()), 0);
    EXPECT_EQ(GetCapturedStdout(), "Invalid palette data\nInvalid palette data\n");
    EXPECT_FALSE(std::filesystem::exists(path("x")));

    Bytes rgb = pattern(6);
    PaletteFile pal{0, 2, rgb.data()};
    std::string nowhere = path("no/such/dir.pal");
    CaptureStdout();
    EXPECT_EQ(write_pal(&pal, nowhere.c_str()), 0);
    EXPECT_EQ(GetCapturedStdout(), "Error creating file: " + nowhere + "\n");
    // A failed write is not success: /dev/full takes the open and refuses the bytes.
    Image image{3, 2, rgb.data()};
    CaptureStdout();
    EXPECT_EQ(write_image(&image, "/dev/full"), 0);
    EXPECT_EQ(write_pal(&pal, "/dev/full"), 0);
    EXPECT_EQ(GetCapturedStdout(),
              "Error writing file: /dev/full\nError writing file: /dev/full\n");
}

using PalFileTest = AssetFileTest;

TEST_F(PalFileTest, WriterProducesTheFormatAndReaderReadsItBack) {
    Bytes rgb = pattern(256 * 3);
    PaletteFile pal{7, 256, rgb.data()};
    ASSERT_EQ(write_pal(&pal, path("a.pal").c_str()), 1);
    EXPECT_EQ(read("a.pal"), pal_file("PAL", 7, 256, rgb));

    PaletteFile* back = read_pal(path("a.pal").c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->first, 7);
    EXPECT_EQ(back->count, 256);
    EXPECT_EQ(Bytes(back->rgb, back->rgb + 768), rgb);
    free_pal(back);
}

TEST_F(PalFileTest, AnyMagicIsAccepted) {
    for (const char* magic : {"PAL", "XYZ", "\0\0\0"}) {
        PaletteFile* pal =
            read_pal(write("m.pal", pal_file(magic, 16, 2, {1, 2, 3, 4, 5, 6})).c_str());
        ASSERT_NE(pal, nullptr);
        EXPECT_EQ(pal->first, 16);
        EXPECT_EQ(pal->count, 2);
        EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 6), (Bytes{1, 2, 3, 4, 5, 6}));
        free_pal(pal);
    }
}

TEST_F(PalFileTest, ShortFilesLeaveTheRestZero) {
    PaletteFile* pal = read_pal(write("s.pal", pal_file("PAL", 250, 3, {10, 20, 30, 40})).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->first, 250);
    EXPECT_EQ(Bytes(pal->rgb, pal->rgb + 9), (Bytes{10, 20, 30, 40, 0, 0, 0, 0, 0}));
    free_pal(pal);

    pal = read_pal(write("big.pal", pal_file("PAL", 0, 65535, {})).c_str());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->count, 65535);
    EXPECT_EQ(pal->rgb[65535 * 3 - 1], 0);
    free_pal(pal);
}

}  // namespace

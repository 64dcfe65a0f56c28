// Test helpers for the asset readers: a scratch folder per test, whole-file reads and writes, and
// files put together byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

struct AssetFileTest : ::testing::Test {
    std::filesystem::path dir;
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tenfold-assets-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path(name);
    }
    Bytes read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
};

inline Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes image_file(unsigned width, unsigned height, const Bytes& pixels) {
    return cat({'I', 'M', 'A', 'G', 'E', uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8)},
               pixels);
}

// A PCX header (manufacturer, version 5, RLE, 8 bits) for rows ymin ... ymax of planes x
// bytes_per_line bytes, then data and palette.
inline Bytes pcx_file(unsigned ymin, unsigned ymax, unsigned planes, unsigned bytes_per_line, const Bytes& data,
                      const Bytes& palette, uint8_t reserved = 0) {
    Bytes head(128, 0);
    head[0] = 10, head[1] = 5, head[2] = 1, head[3] = 8;
    head[6] = uint8_t(ymin), head[7] = uint8_t(ymin >> 8);
    head[10] = uint8_t(ymax), head[11] = uint8_t(ymax >> 8);
    head[64] = reserved, head[65] = uint8_t(planes);
    head[66] = uint8_t(bytes_per_line), head[67] = uint8_t(bytes_per_line >> 8);
    return cat(cat(head, data), palette);
}

// n bytes that differ from their neighbours.
inline Bytes pattern(size_t n) {
    Bytes p(n);
    for (size_t i = 0; i < n; i++) p[i] = uint8_t(i * 7 + i / 256 + 11);
    return p;
}

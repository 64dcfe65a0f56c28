#include "support/asc_text.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

TestMesh octahedron(float r) {
    TestMesh m{{{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}}, {}};
    // One face per octant over its three axis tips, ordered x → y → z when the octant has an even
    // number of negative axes.
    for (int x : {0, 1})
        for (int y : {2, 3})
            for (int z : {4, 5}) m.faces.push_back((x + y + z) % 2 ? std::array{x, z, y} : std::array{x, y, z});
    return m;
}

TestMesh uv_sphere(float radius, int rings, int segments) {
    TestMesh m;
    m.vertices.push_back({0, -radius, 0});
    for (int r = 1; r < rings; r++)
        for (int s = 0; s < segments; s++) {
            double theta = M_PI * r / rings, phi = 2 * M_PI * s / segments;
            m.vertices.push_back({float(radius * std::sin(theta) * std::cos(phi)), float(-radius * std::cos(theta)),
                                  float(radius * std::sin(theta) * std::sin(phi))});
        }
    m.vertices.push_back({0, radius, 0});
    const int top = int(m.vertices.size()) - 1;
    auto ring = [&](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
    for (int s = 0; s < segments; s++) {
        m.faces.push_back({0, ring(1, s), ring(1, s + 1)});
        for (int r = 1; r < rings - 1; r++) {
            m.faces.push_back({ring(r, s), ring(r + 1, s), ring(r + 1, s + 1)});
            m.faces.push_back({ring(r, s), ring(r + 1, s + 1), ring(r, s + 1)});
        }
        m.faces.push_back({ring(rings - 1, s), top, ring(rings - 1, s + 1)});
    }
    return m;
}

TestMesh reversed(const TestMesh& mesh) {
    TestMesh m = mesh;
    for (auto& f : m.faces) std::swap(f[1], f[2]);
    return m;
}

std::string asc_text(const TestMesh& mesh) {
    char line[200];
    snprintf(line, sizeof line, "Tri-mesh, Vertices: %zu     Faces: %zu\nVertex list:\n", mesh.vertices.size(),
             mesh.faces.size());
    std::string s = std::string("Ambient light color: Red=0.3 Green=0.3 Blue=0.3\n\nNamed object: \"mesh\"\n") + line;
    for (size_t i = 0; i < mesh.vertices.size(); i++) {
        const auto& v = mesh.vertices[i];
        snprintf(line, sizeof line, "Vertex %zu:  X:%f     Y:%f     Z:%f\n", i, double(v[0]), double(v[1]), double(v[2]));
        s += line;
    }
    s += "Face list:\n";
    for (size_t i = 0; i < mesh.faces.size(); i++) {
        const auto& f = mesh.faces[i];
        snprintf(line, sizeof line, "Face %zu:    A:%d B:%d C:%d AB:1 BC:1 CA:1\nSmoothing:  1\n", i, f[0], f[1], f[2]);
        s += line;
    }
    return s;
}

TempFile::TempFile(const std::string& text) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tenfold-test-XXXXXX").string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) abort();
    close(fd);
    path = pattern;
    std::ofstream(path, std::ios::binary) << text;
}

TempFile::~TempFile() { unlink(path.c_str()); }

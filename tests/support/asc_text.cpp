#include "support/asc_text.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

TestMesh octahedron(float radius) {
    TestMesh m;
    m.vertices = {{radius, 0, 0}, {-radius, 0, 0}, {0, radius, 0},
                  {0, -radius, 0}, {0, 0, radius}, {0, 0, -radius}};
    // Each face (x, y, z) with x, y, z the three axis tips of one octant, ordered x → y → z
    // when the octant has an even number of negative axes.
    for (int sx : {0, 1})
        for (int sy : {2, 3})
            for (int sz : {4, 5}) {
                int negatives = (sx == 1) + (sy == 3) + (sz == 5);
                if (negatives % 2 == 0) m.faces.push_back({sx, sy, sz});
                else m.faces.push_back({sx, sz, sy});
            }
    return m;
}

TestMesh uv_sphere(float radius, int rings, int segments) {
    TestMesh m;
    const double pi = 3.14159265358979323846;
    m.vertices.push_back({0, -radius, 0});
    for (int r = 1; r < rings; r++) {
        double theta = pi * r / rings;
        for (int s = 0; s < segments; s++) {
            double phi = 2 * pi * s / segments;
            m.vertices.push_back({float(radius * std::sin(theta) * std::cos(phi)),
                                  float(-radius * std::cos(theta)),
                                  float(radius * std::sin(theta) * std::sin(phi))});
        }
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

double signed_volume6(const TestMesh& mesh) {
    double sum = 0;
    for (const auto& f : mesh.faces) {
        const auto& a = mesh.vertices[f[0]];
        const auto& b = mesh.vertices[f[1]];
        const auto& c = mesh.vertices[f[2]];
        sum += double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
               double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
               double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0]);
    }
    return sum;
}

std::string asc_text(const TestMesh& mesh) {
    std::string s = "Ambient light color: Red=0.3 Green=0.3 Blue=0.3\n\nNamed object: \"mesh\"\n";
    char line[200];
    snprintf(line, sizeof line, "Tri-mesh, Vertices: %zu     Faces: %zu\n", mesh.vertices.size(),
             mesh.faces.size());
    s += line;
    s += "Vertex list:\n";
    for (size_t i = 0; i < mesh.vertices.size(); i++) {
        const auto& v = mesh.vertices[i];
        snprintf(line, sizeof line, "Vertex %zu:  X:%f     Y:%f     Z:%f\n", i, double(v[0]),
                 double(v[1]), double(v[2]));
        s += line;
    }
    s += "Face list:\n";
    for (size_t i = 0; i < mesh.faces.size(); i++) {
        const auto& f = mesh.faces[i];
        snprintf(line, sizeof line, "Face %zu:    A:%d B:%d C:%d AB:1 BC:1 CA:1\nSmoothing:  1\n", i,
                 f[0], f[1], f[2]);
        s += line;
    }
    return s;
}

TempFile::TempFile(const std::string& text) {
    const char* dir = getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tenfold-test-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) abort();
    path = pattern;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) abort();
        done += size_t(n);
    }
    close(fd);
}

TempFile::~TempFile() { unlink(path.c_str()); }

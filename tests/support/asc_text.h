// Test meshes: generated closed meshes, their ".asc" text, and temporary files holding it.
#pragma once

#include <array>
#include <string>
#include <vector>

struct TestMesh {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<int, 3>> faces;
};

// Closed convex meshes centred on the origin, wound so that (b − a) × (c − a) points outward.
TestMesh octahedron(float radius);
TestMesh uv_sphere(float radius, int rings, int segments);  // 2 × segments × (rings − 1) faces
// The same mesh with every face's corners b and c exchanged.
TestMesh reversed(const TestMesh& mesh);
// The mesh in the layout 3D Studio writes (named object, tri-mesh header, vertex and face lists).
std::string asc_text(const TestMesh& mesh);

// A file in the temporary directory holding the given text, removed with the object.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& text);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
};

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine3d/mesh.h"
#include "support/asc_text.h"

namespace {

struct MeshHolder {
    Mesh mesh{};
    ~MeshHolder() { mesh_free_arrays(&mesh); }
    int read(const std::string& text, float scale = 1.0f) {
        TempFile file(text);
        return read_asc_mesh(file.path.c_str(), &mesh, scale);
    }
    std::array<float, 3> v(int i) const { return {mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z}; }
};

TEST(AscReader, ReadsMixedCaseNumberFormsReverseOrderAndAnUnterminatedLastLine) {
    MeshHolder h;
    ASSERT_EQ(h.read("Named object: \"tri\"\ntri-mesh, vertices: 3     faces: 2\nVertex list:\n"
                     "vertex 2:  x:1e2 y:.5 z:-.5\nMapped U: 0.25 V: 0.75\nVertex 1:  X:0.5 Y:-7 Z:+3\n"
                     "VERTEX 0:  X:1 Y:2 Z:3\nFace list:\nface 1:    a:2 b:1 c:0 ab:1 bc:1 ca:1\nSmoothing:  1\n"
                     "Face 0:    A:0 B:1 C:2 AB:1 BC:1 CA:1",
                     2.0f),
              0);
    ASSERT_EQ(h.mesh.vertex_count, 3u);
    ASSERT_EQ(h.mesh.face_count, 2u);
    EXPECT_EQ(h.v(0), (std::array<float, 3>{2, 4, 6}));
    EXPECT_EQ(h.v(1), (std::array<float, 3>{1, -14, 6}));
    EXPECT_EQ(h.v(2), (std::array<float, 3>{200, 10, -1}));  // ".5" reads as 5, "-.5" as -0.5
    EXPECT_EQ(h.mesh.faces[0].c, 2);
    EXPECT_EQ(h.mesh.faces[1].a, 2);
    EXPECT_EQ(h.mesh.faces[1].c, 0);
    ASSERT_NE(h.mesh.normals, nullptr);
    ASSERT_NE(h.mesh.map_coords, nullptr);

    // Lines beyond the counted ones are ignored, a repeated index takes the later line, and only
    // the first mesh of the file is read.
    MeshHolder g;
    ASSERT_EQ(g.read("Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\nVertex 1: X:1 Y:1 Z:1\nVertex 1: X:9 Y:9 Z:9\n"
                     "Vertex 2: X:2 Y:2 Z:2\nVertex 0: X:5 Y:5 Z:5\nFace list:\nFace 0: A:2 B:1 C:1\n"
                     "Tri-mesh, Vertices: 9 Faces: 9\nVertex list:\nVertex 0: X:5 Y:5 Z:5\n"),
              0);
    EXPECT_EQ(g.mesh.vertex_count, 3u);
    EXPECT_EQ(g.v(0), (std::array<float, 3>{0, 0, 0}));
    EXPECT_EQ(g.v(1), (std::array<float, 3>{9, 9, 9}));
}

TEST(AscReader, RefusesBrokenFilesAndLeavesTheMeshEmpty) {
    const std::string head = "Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\n";
    const std::string verts = "Vertex 0: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n";
    const std::string faces = "Face list:\n", face = "Face 0: A:0 B:1 C:2\n";
    const std::pair<const char*, std::string> cases[] = {
        {"no header", "Vertex list:\n" + verts + faces + face},
        {"vertex index equal to the count",
         head + "Vertex 3: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n" + faces + face},
        {"face index -1", head + verts + faces + "Face -1: A:0 B:1 C:2\n"},
        {"face index equal to the count", head + verts + faces + "Face 1: A:0 B:1 C:2\n"},
        {"ends before all vertices", head + "Vertex 0: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\n"},
        {"ends before the face list", head + verts},
        {"ends before all faces", "Tri-mesh, Vertices: 3 Faces: 2\nVertex list:\n" + verts + faces + face},
        {"FACES: not on the header line", "Tri-mesh, Vertices: 3\nFaces: 1\nVertex list:\n" + verts + faces + face},
        {"Y: not on the vertex line",
         head + "Vertex 0: X:0 Z:0\nY:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n" + faces + face},
        {"no number after X:", head + "Vertex 0: Y:0 Z:0 X:\n" + verts + faces + face},
        {"no number after C:", head + verts + faces + "Face 0: A:0 B:1 C: AB:x\n"},
        {"sign without digits", head + verts + faces + "Face 0: A:0 B:1 C:-x\n"},
        {"VERTEX without a blank", head + "Vertex:0 X:0 Y:0 Z:0\n" + verts + faces},
        {"infinite coordinate", head + "Vertex 0: X:1e999 Y:0 Z:0\n" + verts + faces + face},
        {"corner index equal to the vertex count", head + verts + faces + "Face 0: A:0 B:1 C:3\n"},
        {"corner index -1", head + verts + faces + "Face 0: A:-1 B:1 C:2\n"},
        {"negative count", "Tri-mesh, Vertices: -3 Faces: 1\nVertex list:\n" + verts},
        {"counts the file cannot hold", "Tri-mesh, Vertices: 4e9 Faces: 4e9\nVertex list:\n" + verts + faces},
    };
    for (const auto& [why, text] : cases) {
        MeshHolder h;
        EXPECT_EQ(h.read(text), -1) << why;
        EXPECT_TRUE(!h.mesh.vertices && !h.mesh.faces && !h.mesh.normals && !h.mesh.map_coords) << why;
        EXPECT_EQ(h.mesh.vertex_count, 0u) << why;
    }
    MeshHolder h;
    EXPECT_EQ(read_asc_mesh("/nonexistent/mesh.asc", &h.mesh, 1.0f), -1);
    EXPECT_EQ(read_asc_mesh("/tmp", &h.mesh, 1.0f), -1);
    EXPECT_EQ(h.mesh.vertices, nullptr);
}

}  // namespace

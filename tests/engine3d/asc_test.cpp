#include <gtest/gtest.h>

#include <string>

#include "engine3d/mesh.h"
#include "support/asc_text.h"

namespace {

struct MeshHolder {
    Mesh mesh{};
    ~MeshHolder() { mesh_free_arrays(&mesh); }
};

int read_text(const std::string& text, Mesh* mesh, float scale = 1.0f) {
    TempFile file(text);
    return read_asc_mesh(file.path.c_str(), mesh, scale);
}

void expect_vertex(const Mesh& m, int i, float x, float y, float z) {
    EXPECT_FLOAT_EQ(m.vertices[i].x, x) << "vertex " << i;
    EXPECT_FLOAT_EQ(m.vertices[i].y, y) << "vertex " << i;
    EXPECT_FLOAT_EQ(m.vertices[i].z, z) << "vertex " << i;
}

TEST(AscReader, ReadsMixedCaseKeywordsNumberFormsAndReverseOrder) {
    // Vertex lines in reverse order, lower- and mixed-case keywords, lines that are skipped,
    // and a last line without a line break.
    const std::string text =
        "Named object: \"tri\"\n"
        "tri-mesh, vertices: 3     faces: 2\n"
        "Vertex list:\n"
        "vertex 2:  x:1e2 y:.5 z:-.5\n"
        "Mapped U: 0.25 V: 0.75\n"
        "Vertex 1:  X:0.5 Y:-7 Z:+3\n"
        "VERTEX 0:  X:1 Y:2 Z:3\n"
        "Face list:\n"
        "face 1:    a:2 b:1 c:0 ab:1 bc:1 ca:1\n"
        "Smoothing:  1\n"
        "Face 0:    A:0 B:1 C:2 AB:1 BC:1 CA:1";
    MeshHolder h;
    ASSERT_EQ(read_text(text, &h.mesh, 2.0f), 0);
    ASSERT_EQ(h.mesh.vertex_count, 3u);
    ASSERT_EQ(h.mesh.face_count, 2u);
    expect_vertex(h.mesh, 0, 2, 4, 6);
    expect_vertex(h.mesh, 1, 1, -14, 6);
    expect_vertex(h.mesh, 2, 200, 10, -1);  // 1e2, ".5" reads as 5, "-.5" as -0.5
    EXPECT_EQ(h.mesh.faces[0].a, 0);
    EXPECT_EQ(h.mesh.faces[0].c, 2);
    EXPECT_EQ(h.mesh.faces[1].a, 2);  // the last line, without its line break
    EXPECT_EQ(h.mesh.faces[1].c, 0);
    EXPECT_EQ(h.mesh.faces[1].colour, 0u);
    ASSERT_NE(h.mesh.normals, nullptr);
    ASSERT_NE(h.mesh.map_coords, nullptr);
    EXPECT_FLOAT_EQ(h.mesh.normals[2].x, 0.0f);
}

TEST(AscReader, IndicesLandWhereTheySayAndOnlyTheFirstMeshCounts) {
    const std::string text =
        "Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\n"
        "Vertex 1: X:1 Y:1 Z:1\nVertex 1: X:9 Y:9 Z:9\nVertex 2: X:2 Y:2 Z:2\n"
        "Vertex 0: X:5 Y:5 Z:5\n"
        "Face list:\nFace 0: A:2 B:1 C:1\n"
        "Tri-mesh, Vertices: 9 Faces: 9\nVertex list:\nVertex 0: X:5 Y:5 Z:5\n";
    MeshHolder h;
    ASSERT_EQ(read_text(text, &h.mesh), 0);
    expect_vertex(h.mesh, 0, 0, 0, 0);  // its line comes after the three the header counts
    expect_vertex(h.mesh, 1, 9, 9, 9);  // listed twice: the later line wins
    expect_vertex(h.mesh, 2, 2, 2, 2);
    EXPECT_EQ(h.mesh.vertex_count, 3u);
}

struct BadMesh {
    const char* why;
    std::string text;
};

const std::string header = "Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\n";
const std::string vertices = "Vertex 0: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n";
const std::string face_list = "Face list:\n";

TEST(AscReader, RefusesBrokenFilesAndLeavesTheMeshEmpty) {
    const BadMesh cases[] = {
        {"no header", "Vertex list:\n" + vertices + face_list + "Face 0: A:0 B:1 C:2\n"},
        {"vertex index equal to the count",
         header + "Vertex 3: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n" +
             face_list + "Face 0: A:0 B:1 C:2\n"},
        {"face index -1", header + vertices + face_list + "Face -1: A:0 B:1 C:2\n"},
        {"face index equal to the count", header + vertices + face_list + "Face 1: A:0 B:1 C:2\n"},
        {"ends before all vertices", header + "Vertex 0: X:0 Y:0 Z:0\nVertex 1: X:1 Y:0 Z:0\n"},
        {"ends before the face list", header + vertices},
        {"ends before all faces",
         "Tri-mesh, Vertices: 3 Faces: 2\nVertex list:\n" + vertices + face_list +
             "Face 0: A:0 B:1 C:2\n"},
        {"FACES: not on the header line",
         "Tri-mesh, Vertices: 3\nFaces: 1\nVertex list:\n" + vertices + face_list +
             "Face 0: A:0 B:1 C:2\n"},
        {"Y: not on the vertex line",
         header + "Vertex 0: X:0 Z:0\nY:0\nVertex 1: X:1 Y:0 Z:0\nVertex 2: X:0 Y:1 Z:0\n" +
             face_list + "Face 0: A:0 B:1 C:2\n"},
        {"no number after X:",
         header + "Vertex 0: Y:0 Z:0 X:\n" + vertices + face_list + "Face 0: A:0 B:1 C:2\n"},
        {"no number after C:", header + vertices + face_list + "Face 0: A:0 B:1 C: AB:x\n"},
        {"sign without digits", header + vertices + face_list + "Face 0: A:0 B:1 C:-x\n"},
        {"VERTEX without a blank", header + "Vertex:0 X:0 Y:0 Z:0\n" + vertices + face_list},
        {"infinite coordinate",
         header + "Vertex 0: X:1e999 Y:0 Z:0\n" + vertices + face_list + "Face 0: A:0 B:1 C:2\n"},
        {"corner index equal to the vertex count",
         header + vertices + face_list + "Face 0: A:0 B:1 C:3\n"},
        {"corner index -1", header + vertices + face_list + "Face 0: A:-1 B:1 C:2\n"},
        {"negative count", "Tri-mesh, Vertices: -3 Faces: 1\nVertex list:\n" + vertices},
        {"counts the file cannot hold",
         "Tri-mesh, Vertices: 4e9 Faces: 4e9\nVertex list:\n" + vertices + face_list},
    };
    for (const BadMesh& c : cases) {
        MeshHolder h;
        EXPECT_EQ(read_text(c.text, &h.mesh), -1) << c.why;
        EXPECT_EQ(h.mesh.vertices, nullptr) << c.why;
        EXPECT_EQ(h.mesh.faces, nullptr) << c.why;
        EXPECT_EQ(h.mesh.normals, nullptr) << c.why;
        EXPECT_EQ(h.mesh.map_coords, nullptr) << c.why;
        EXPECT_EQ(h.mesh.vertex_count, 0u) << c.why;
    }
}

TEST(AscReader, RefusesWhatIsNotAReadableFile) {
    MeshHolder h;
    EXPECT_EQ(read_asc_mesh("/nonexistent/mesh.asc", &h.mesh, 1.0f), -1);
    EXPECT_EQ(read_asc_mesh("/tmp", &h.mesh, 1.0f), -1);
    EXPECT_EQ(h.mesh.vertices, nullptr);
}

}  // namespace

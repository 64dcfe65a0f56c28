// Reader for the triangle-mesh subset of 3D Studio ASCII files: the header line with the counts,
// the vertex list and the face list of the first mesh. Keywords match in any letter case.
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine3d/mesh.h"

namespace {

constexpr int LINE_BYTES = 160;
constexpr int NUMBER_CHARS = 30;

struct AscReader {
    FILE* file;
    char line[LINE_BYTES];
    Mesh* mesh;
    float scale;
};

// Reads the next line (at most 159 characters; a longer line comes in pieces) and upper-cases it.
// At the end of the file the line is empty.
void asc_read_line(AscReader* r) {
    memset(r->line, 0, LINE_BYTES);
    if (!fgets(r->line, LINE_BYTES, r->file)) r->line[0] = 0;
    r->line[LINE_BYTES - 1] = 0;
    for (int k = 0; k < LINE_BYTES - 1; k++)
        r->line[k] = char(toupper(static_cast<unsigned char>(r->line[k])));
}

// Reads lines until one contains the keyword (0), or the file ends without one (-1).
int asc_find_line(AscReader* r, const char* keyword) {
    for (;;) {
        asc_read_line(r);
        if (strstr(r->line, keyword)) return 0;
        if (feof(r->file) || ferror(r->file)) return -1;
    }
}

// The number after the first occurrence of the keyword on the current line: everything up to
// the first sign or digit is skipped (a decimal point too). -1 if the keyword is not on the line,
// nothing numeric follows it, or the value is not finite.
int asc_number_after(const AscReader* r, const char* keyword, float* value) {
    const char* p = strstr(r->line, keyword);
    if (!p) return -1;
    p += strlen(keyword);
    while (*p && *p != '+' && *p != '-' && !isdigit(static_cast<unsigned char>(*p))) p++;
    if (!*p) return -1;
    char text[NUMBER_CHARS + 1] = {};
    strncpy(text, p, NUMBER_CHARS);
    char* end = nullptr;
    double number = strtod(text, &end);
    if (end == text || !std::isfinite(number)) return -1;
    *value = float(number);
    return std::isfinite(*value) ? 0 : -1;
}

// The whole number (truncated toward zero) after the keyword, if it lies in 0 .. limit - 1.
int asc_index_after(const AscReader* r, const char* keyword, uint32_t limit, uint32_t* index) {
    float value;
    if (asc_number_after(r, keyword, &value) < 0) return -1;
    if (!(value > -1.0f) || double(value) >= double(limit)) return -1;
    *index = uint32_t(value);
    return 0;
}

// Zero-filled arrays for the counts in the record; a zero count still gets a valid block, so a
// loaded mesh never has a null vertex array.
int mesh_alloc_arrays(Mesh* mesh) {
    size_t vertices = mesh->vertex_count ? mesh->vertex_count : 1;
    size_t faces = mesh->face_count ? mesh->face_count : 1;
    mesh->vertices = static_cast<Vec3*>(calloc(vertices, sizeof(Vec3)));
    if (!mesh->vertices) return -1;
    mesh->faces = static_cast<MeshFace*>(calloc(faces, sizeof(MeshFace)));
    if (!mesh->faces) return -1;
    mesh->normals = static_cast<Vec3*>(calloc(vertices, sizeof(Vec3)));
    if (!mesh->normals) return -1;
    mesh->map_coords = static_cast<MapCoord*>(calloc(vertices, sizeof(MapCoord)));
    if (!mesh->map_coords) return -1;
    return 0;
}

// The header line: the two counts, truncated toward zero. Every vertex and face needs a line of
// its own, so counts the file cannot hold are refused before anything is allocated.
int asc_read_counts(AscReader* r, off_t file_bytes) {
    if (asc_find_line(r, "VERTICES:") < 0) return -1;
    float vertices, faces;
    if (asc_number_after(r, "VERTICES:", &vertices) < 0) return -1;
    if (asc_number_after(r, "FACES:", &faces) < 0) return -1;
    if (!(vertices > -1.0f) || !(faces > -1.0f)) return -1;
    if (vertices >= 2147483648.0f || faces >= 2147483648.0f) return -1;  // indices are 32-bit signed
    if (double(vertices) + double(faces) > double(file_bytes)) return -1;
    r->mesh->vertex_count = uint32_t(vertices);
    r->mesh->face_count = uint32_t(faces);
    return 0;
}

int asc_read_vertices(AscReader* r) {
    Mesh* mesh = r->mesh;
    if (asc_find_line(r, "VERTEX LIST") < 0) return -1;
    for (uint32_t n = 0; n < mesh->vertex_count; n++) {
        uint32_t index;
        float x, y, z;
        if (asc_find_line(r, "VERTEX") < 0) return -1;
        if (asc_index_after(r, "VERTEX ", mesh->vertex_count, &index) < 0) return -1;
        if (asc_number_after(r, "X:", &x) < 0 || asc_number_after(r, "Y:", &y) < 0 ||
            asc_number_after(r, "Z:", &z) < 0)
            return -1;
        mesh->vertices[index] = Vec3{x * r->scale, y * r->scale, z * r->scale};
    }
    return 0;
}

int asc_read_faces(AscReader* r) {
    Mesh* mesh = r->mesh;
    if (asc_find_line(r, "FACE LIST") < 0) return -1;
    for (uint32_t n = 0; n < mesh->face_count; n++) {
        uint32_t index, a, b, c;
        if (asc_find_line(r, "FACE") < 0) return -1;
        if (asc_index_after(r, "FACE ", mesh->face_count, &index) < 0) return -1;
        if (asc_index_after(r, "A:", mesh->vertex_count, &a) < 0 ||
            asc_index_after(r, "B:", mesh->vertex_count, &b) < 0 ||
            asc_index_after(r, "C:", mesh->vertex_count, &c) < 0)
            return -1;
        mesh->faces[index].a = int32_t(a);
        mesh->faces[index].b = int32_t(b);
        mesh->faces[index].c = int32_t(c);
    }
    return 0;
}

int asc_read(AscReader* r, off_t file_bytes) {
    if (asc_read_counts(r, file_bytes) < 0) return -1;
    if (mesh_alloc_arrays(r->mesh) < 0) return -1;
    if (asc_read_vertices(r) < 0) return -1;
    return asc_read_faces(r);
}

}  // namespace

int read_asc_mesh(const char* path, Mesh* mesh, float scale) {
    *mesh = Mesh{};
    AscReader r{};
    r.mesh = mesh;
    r.scale = scale;
    r.file = fopen(path, "rt");
    if (!r.file) return -1;
    struct stat st;
    int result = -1;
    if (fstat(fileno(r.file), &st) == 0 && S_ISREG(st.st_mode) && fseek(r.file, 0, SEEK_SET) == 0)
        result = asc_read(&r, st.st_size);
    fclose(r.file);
    if (result < 0) mesh_free_arrays(mesh);
    return result;
}

void mesh_free_arrays(Mesh* mesh) {
    free(mesh->vertices);
    free(mesh->faces);
    free(mesh->normals);
    free(mesh->map_coords);
    *mesh = Mesh{};
}

// The 3D objects, written as 3D Studio ASCII meshes. Every mesh is closed and wound so that
// (B - A) x (C - A) of each face points out of the object: the renderer keeps a face when its
// corners run counter-clockwise on the screen, which is then exactly when it faces the camera.
// Sizes are in file units; the catalogue scales them (see the comments for where each is seen).
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "pictures.h"

namespace {

constexpr double PI = 3.14159265358979;

struct V3 {
    double x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct MeshData {
    std::vector<V3> v;
    std::vector<std::array<int, 3>> f;

    int add(V3 p) {
        v.push_back(p);
        return int(v.size()) - 1;
    }
    // A triangle wound so that its normal points along `out`.
    void tri(int a, int b, int c, V3 out) {
        if (dot(cross(v[size_t(b)] - v[size_t(a)], v[size_t(c)] - v[size_t(a)]), out) < 0) std::swap(b, c);
        f.push_back({a, b, c});
    }
    // A convex polygon (corners in order round it), fanned into triangles.
    void polygon(const std::vector<int>& corners, V3 out) {
        for (size_t k = 1; k + 1 < corners.size(); k++) tri(corners[0], corners[k], corners[k + 1], out);
    }
};

// A convex solid from its corners and its faces (corner lists in order round each face); each
// face turned away from the solid's centre.
void convex(MeshData& m, const std::vector<V3>& pts, const std::vector<std::vector<int>>& faces) {
    V3 centre{0, 0, 0};
    for (V3 p : pts) centre = centre + p * (1.0 / double(pts.size()));
    int base = int(m.v.size());
    for (V3 p : pts) m.add(p);
    for (const std::vector<int>& face : faces) {
        V3 mid{0, 0, 0};
        std::vector<int> corners;
        for (int k : face) {
            mid = mid + pts[size_t(k)] * (1.0 / double(face.size()));
            corners.push_back(base + k);
        }
        m.polygon(corners, mid - centre);
    }
}

// Rings of n points stacked one after the other, joined ring to ring and closed by caps at both
// ends. ring(k, i) gives point i of ring k; an end ring for which tip(k) holds is a single point.
template <class Ring, class Tip>
void lathe(MeshData& m, int rings, int n, Ring ring, Tip tip_at) {
    std::vector<V3> pts;
    std::vector<std::vector<int>> faces;
    std::vector<int> start, count;
    for (int k = 0; k < rings; k++) {
        start.push_back(int(pts.size()));
        bool tip = (k == 0 || k == rings - 1) && tip_at(k);
        count.push_back(tip ? 1 : n);
        for (int i = 0; i < count.back(); i++) pts.push_back(ring(k, i));
    }
    for (int k = 0; k + 1 < rings; k++)
        for (int i = 0; i < n; i++) {
            int j = (i + 1) % n;
            auto at = [&](int r, int q) { return start[size_t(r)] + (count[size_t(r)] == 1 ? 0 : q); };
            std::vector<int> face{at(k, i), at(k, j), at(k + 1, j), at(k + 1, i)};
            if (count[size_t(k)] == 1) face = {at(k, i), at(k + 1, j), at(k + 1, i)};
            if (count[size_t(k + 1)] == 1) face = {at(k, i), at(k, j), at(k + 1, i)};
            faces.push_back(face);
        }
    for (int k : {0, rings - 1})
        if (count[size_t(k)] > 1) {
            std::vector<int> cap;
            for (int i = 0; i < n; i++) cap.push_back(start[size_t(k)] + i);
            faces.push_back(cap);
        }
    convex(m, pts, faces);
}

// A tapered block along y: half widths (x, z) at y0 and at y1.
void block(MeshData& m, V3 at, double y0, double hx0, double hz0, double y1, double hx1, double hz1) {
    lathe(m, 2, 4, [&](int k, int i) -> V3 {
        double hx = k ? hx1 : hx0, hz = k ? hz1 : hz0, sx = (i == 1 || i == 2) ? 1 : -1, sz = i >= 2 ? 1 : -1;
        return at + V3{sx * hx, k ? y1 : y0, sz * hz};
    }, [](int) { return false; });
}

// A round frustum along y with n sides; radius 0 at an end makes a cone.
void cylinder(MeshData& m, V3 at, double y0, double r0, double y1, double r1, int n) {
    lathe(m, 2, n, [&](int k, int i) -> V3 {
        double r = k ? r1 : r0;
        double a = 2 * PI * i / n;
        return at + V3{r * std::cos(a), k ? y1 : y0, r * std::sin(a)};
    }, [&](int k) { return (k ? r1 : r0) == 0; });
}

void ellipsoid(MeshData& m, V3 at, V3 radii, int rings, int n) {
    lathe(m, rings + 1, n, [&](int k, int i) -> V3 {
        double t = PI * k / rings;
        double a = 2 * PI * i / n;
        return at + V3{radii.x * std::sin(t) * std::cos(a), -radii.y * std::cos(t), radii.z * std::sin(t) * std::sin(a)};
    }, [&](int k) { return k == 0 || k == rings; });
}

// A geodesic sphere: an icosahedron split `levels` times, corners pushed onto the sphere.
void icosphere(MeshData& m, double radius, int levels) {
    double g = (1 + std::sqrt(5.0)) / 2;
    std::vector<V3> pts = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
                           {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    std::vector<std::array<int, 3>> faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                             {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                             {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                             {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int l = 0; l < levels; l++) {
        std::vector<std::array<int, 3>> next;
        std::vector<std::array<int, 3>> mids;  // (lower corner, higher corner, midpoint)
        auto mid = [&](int a, int b) {
            if (a > b) std::swap(a, b);
            for (auto& e : mids)
                if (e[0] == a && e[1] == b) return e[2];
            pts.push_back((pts[size_t(a)] + pts[size_t(b)]) * 0.5);
            mids.push_back({a, b, int(pts.size()) - 1});
            return int(pts.size()) - 1;
        };
        for (auto& t : faces) {
            int ab = mid(t[0], t[1]), bc = mid(t[1], t[2]), ca = mid(t[2], t[0]);
            next.insert(next.end(), {{t[0], ab, ca}, {t[1], bc, ab}, {t[2], ca, bc}, {ab, bc, ca}});
        }
        faces = next;
    }
    int base = int(m.v.size());
    for (V3 p : pts) m.add(p * (radius / std::sqrt(dot(p, p))));
    for (auto& t : faces) {
        V3 mid = (m.v[size_t(base + t[0])] + m.v[size_t(base + t[1])] + m.v[size_t(base + t[2])]) * (1.0 / 3);
        m.tri(base + t[0], base + t[1], base + t[2], mid);
    }
}

// A small rounded lump (a fist, a knob).
void disc_hand(MeshData& m, V3 at) { ellipsoid(m, at, {6, 6, 6}, 5, 8); }

// A ring: tube radius r round a circle of radius big in the plane of axes u and w (unit
// vectors), with `around` steps along the ring and `tube` round the tube.
void torus(MeshData& m, double big, double r, int around, int tube, V3 u, V3 w) {
    V3 axis = cross(u, w);
    int base = int(m.v.size());
    for (int i = 0; i < around; i++)
        for (int j = 0; j < tube; j++) {
            double a = 2 * PI * i / around, b = 2 * PI * j / tube;
            V3 radial = u * std::cos(a) + w * std::sin(a);
            m.add(radial * (big + r * std::cos(b)) + axis * (r * std::sin(b)));
        }
    auto at = [&](int i, int j) { return base + (i % around) * tube + (j % tube); };
    for (int i = 0; i < around; i++)
        for (int j = 0; j < tube; j++) {
            double a = 2 * PI * (i + 0.5) / around;
            V3 centre = (u * std::cos(a) + w * std::sin(a)) * big;
            V3 mid = (m.v[size_t(at(i, j))] + m.v[size_t(at(i + 1, j + 1))]) * 0.5;
            m.tri(at(i, j), at(i + 1, j), at(i + 1, j + 1), mid - centre);
            m.tri(at(i, j), at(i + 1, j + 1), at(i, j + 1), mid - centre);
        }
}

// Letters as blocks of cells, extruded along z: every cell face on the outside of the letters
// becomes two triangles, corners shared on the cell grid so that the surface is closed.
// Each letter is 7 rows of 5 cells, '#' filled; letters in a row stand one cell apart, rows two.
void block_letters(MeshData& m, const std::vector<std::vector<std::vector<std::string>>>& rows, double cell,
                   double depth) {
    std::vector<std::string> grid;
    size_t width = 0;
    for (const auto& row : rows) {
        std::vector<std::string> lines(7);
        for (size_t l = 0; l < row.size(); l++)
            for (int y = 0; y < 7; y++) lines[size_t(y)] += (l ? "." : "") + row[l][size_t(y)];
        for (auto& line : lines) width = std::max(width, line.size());
        if (!grid.empty()) grid.insert(grid.end(), 2, "");
        grid.insert(grid.end(), lines.begin(), lines.end());
    }
    for (auto& line : grid) {  // centre every row of letters
        size_t pad = (width - line.size()) / 2;
        line = std::string(pad, '.') + line + std::string(width - line.size() - pad, '.');
    }
    int gw = int(width), gh = int(grid.size());
    auto filled = [&](int x, int y) { return x >= 0 && y >= 0 && x < gw && y < gh && grid[size_t(y)][size_t(x)] == '#'; };
    std::vector<int> ids(size_t(gw + 1) * size_t(gh + 1) * 2, -1);
    auto corner = [&](int x, int y, int back) {
        int& id = ids[(size_t(y) * size_t(gw + 1) + size_t(x)) * 2 + size_t(back)];
        if (id < 0) id = m.add({(x - gw / 2.0) * cell, (gh / 2.0 - y) * cell, back ? -depth : depth});
        return id;
    };
    auto square = [&](int a, int b, int c, int d, V3 out) { m.polygon({a, b, c, d}, out); };
    for (int y = 0; y < gh; y++)
        for (int x = 0; x < gw; x++) {
            if (!filled(x, y)) continue;
            for (int back : {0, 1})
                square(corner(x, y, back), corner(x + 1, y, back), corner(x + 1, y + 1, back), corner(x, y + 1, back),
                       {0, 0, back ? -1.0 : 1.0});
            if (!filled(x - 1, y)) square(corner(x, y, 0), corner(x, y + 1, 0), corner(x, y + 1, 1), corner(x, y, 1), {-1, 0, 0});
            if (!filled(x + 1, y))
                square(corner(x + 1, y, 0), corner(x + 1, y + 1, 0), corner(x + 1, y + 1, 1), corner(x + 1, y, 1), {1, 0, 0});
            if (!filled(x, y - 1)) square(corner(x, y, 0), corner(x + 1, y, 0), corner(x + 1, y, 1), corner(x, y, 1), {0, 1, 0});
            if (!filled(x, y + 1))
                square(corner(x, y + 1, 0), corner(x + 1, y + 1, 0), corner(x + 1, y + 1, 1), corner(x, y + 1, 1), {0, -1, 0});
        }
}

void save_asc(const std::string& dir, const char* name, const MeshData& m) {
    std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "w");
    if (!f) {
        fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        exit(1);
    }
    fprintf(f, "Named object: \"%.*s\"\n", int(std::string(name).find('.')), name);
    fprintf(f, "Tri-mesh, Vertices: %zu     Faces: %zu\n", m.v.size(), m.f.size());
    fprintf(f, "Vertex list:\n");
    for (size_t i = 0; i < m.v.size(); i++)
        fprintf(f, "Vertex %zu:  X:%.4f     Y:%.4f     Z:%.4f\n", i, m.v[i].x + 0.0, m.v[i].y + 0.0, m.v[i].z + 0.0);
    fprintf(f, "Face list:\n");
    for (size_t i = 0; i < m.f.size(); i++) {
        fprintf(f, "Face %zu:    A:%d B:%d C:%d AB:1 BC:1 CA:1\n", i, m.f[i][0], m.f[i][1], m.f[i][2]);
        fprintf(f, "Smoothing:  1\n");
    }
    if (fclose(f) != 0) exit(1);
}

// Scene 2: a bevelled pentagon slab (3.0x: about 44 pixels across its corners' radius).
MeshData pentagon() {
    MeshData m;
    const double radius[4] = {17, 22, 22, 17}, z[4] = {-5, -2.5, 2.5, 5};
    lathe(m, 4, 5, [&](int k, int i) -> V3 {
        double a = -PI / 2 + 2 * PI * i / 5;
        return {radius[k] * std::cos(a), radius[k] * std::sin(a), z[k]};
    }, [](int) { return false; });
    return m;
}

// Scene 2: a square pyramid, apex up on the screen (y down), turned over by the scene; its turning
// point lies low so that the turned-over apex stays above the bottom edge.
MeshData pyramid() {
    MeshData m;
    convex(m, {{0, -13, 0}, {-18, 31, -18}, {18, 31, -18}, {18, 31, 18}, {-18, 31, 18}},
           {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}, {1, 2, 3, 4}});
    return m;
}

// A standing figure, y up (the scene turns it over to stand upright), facing -z: plinth, two
// legs with feet, a kilt, chest and shoulders, arms crossed over the chest, a head under a
// striped headdress whose flaps fall to the shoulders, and a tall crown. Modelled about 250 high
// and built at 0.62 of that, so that at 0.9x in scene 4 it rocks without leaving the screen.
MeshData statue() {
    MeshData m;
    block(m, {0, 0, 0}, -125, 44, 30, -110, 40, 27);  // plinth
    for (double side : {-1.0, 1.0}) {
        block(m, {side * 11, 0, 0}, -110, 8, 9, -40, 10, 10);      // leg
        block(m, {side * 11, 0, -8}, -110, 8, 12, -102, 7, 11);     // foot
        block(m, {side * 36, 0, 0}, 8, 7, 8, 44, 8, 9);             // upper arm
        block(m, {side * 15, 16 + side * 7, -15}, -5, 24, 6, 5, 24, 6);  // forearm across the chest
        disc_hand(m, {side * -8, 16 + side * 7, -15});              // fist
        block(m, {side * 22, 0, -2}, 22, 6, 5, 50, 5, 5);           // headdress flap
    }
    block(m, {0, 0, 0}, -50, 24, 14, -10, 20, 13);  // kilt
    block(m, {0, 0, 0}, -12, 19, 12, 44, 30, 13);   // chest, widening to the shoulders
    cylinder(m, {0, 0, 0}, 42, 8, 56, 7, 12);       // neck
    ellipsoid(m, {0, 70, 0}, {15, 19, 16}, 10, 16);  // head
    block(m, {0, 0, -15}, 66, 2, 3, 76, 2, 4);      // nose
    block(m, {0, 0, 2}, 52, 24, 15, 84, 18, 16);    // headdress behind the head
    block(m, {0, 0, -12}, 38, 3, 3, 54, 4, 4);      // beard
    cylinder(m, {0, 0, 0}, 84, 17, 112, 9, 16);     // crown
    ellipsoid(m, {0, 116, 0}, {8, 8, 8}, 6, 10);
    for (V3& p : m.v) p = {p.x * 0.62, p.y * 0.62, p.z * 0.62};
    return m;
}

// Scene 5: a five-pointed star, pointed front and back (0.55x: about 48 pixels to a point).
MeshData star() {
    std::vector<V3> pts{{0, 0, -26}, {0, 0, 26}};
    std::vector<std::vector<int>> faces;
    for (int k = 0; k < 10; k++) {
        double a = -PI / 2 + PI * k / 5, r = k % 2 ? 52 : 130;
        pts.push_back({r * std::cos(a), r * std::sin(a), 0});
    }
    for (int k = 0; k < 10; k++) {
        int a = 2 + k, b = 2 + (k + 1) % 10;
        faces.push_back({0, a, b});
        faces.push_back({1, b, a});
    }
    MeshData m;
    convex(m, pts, faces);
    return m;
}

// Scene 9: the name in block letters, TEN over FOLD, y up (the scene turns it over).
MeshData logo() {
    using L7 = std::vector<std::string>;
    const L7 T{"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};
    const L7 E{"#####", "#....", "#....", "####.", "#....", "#....", "#####"};
    const L7 N{"#...#", "##..#", "###.#", "#.###", "#..##", "#...#", "#...#"};
    const L7 F{"#####", "#....", "#....", "####.", "#....", "#....", "#...."};
    const L7 O{"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####"};
    const L7 L{"#....", "#....", "#....", "#....", "#....", "#....", "#####"};
    const L7 D{"####.", "#..##", "#...#", "#...#", "#...#", "#..##", "####."};
    MeshData m;
    block_letters(m, {{T, E, N}, {F, O, L, D}}, 3.0, 2.8);
    return m;
}

// Scene 8: a ring about z, so its normals sweep the whole picture disc (1.83x).
MeshData toorus() {
    MeshData m;
    torus(m, 36, 14, 28, 12, {1, 0, 0}, {0, 1, 0});
    return m;
}

// Scene 10: three nested rings in the three planes round the small sphere, like a gyroscope.
MeshData eo() {
    MeshData m;
    torus(m, 80, 7, 28, 8, {1, 0, 0}, {0, 1, 0});
    torus(m, 64, 7, 28, 8, {0, 1, 0}, {0, 0, 1});
    torus(m, 48, 7, 28, 8, {0, 0, 1}, {1, 0, 0});
    return m;
}

}  // namespace

void write_meshes(const std::string& dir) {
    save_asc(dir, "pentagon.asc", pentagon());
    save_asc(dir, "pyramid.asc", pyramid());
    MeshData sphere;
    icosphere(sphere, 180, 3);  // 0.3x in scene 3, 0.7x in scene 7, 0.2x in scene 10
    save_asc(dir, "sphere.asc", sphere);
    save_asc(dir, "osiris.asc", statue());
    save_asc(dir, "star.asc", star());
    save_asc(dir, "vl.asc", logo());
    save_asc(dir, "toorus.asc", toorus());
    save_asc(dir, "eo.asc", eo());
}

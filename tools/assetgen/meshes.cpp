// The 3D objects, written as 3D Studio ASCII meshes. Every mesh is closed and wound so that
// (B - A) x (C - A) of each face points out of the object: the renderer keeps a face when its
// corners run counter-clockwise on the screen, which is then exactly when it faces the camera.
// Sizes are in file units; the catalogue scales them (see the comments for where each is seen).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine3d/camera.h"
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
V3 unit(V3 a) { return a * (1 / std::sqrt(dot(a, a))); }

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

// A convex solid of six four-sided faces: corners 0 to 3 round one end, 4 to 7 round the other
// in the same order.
void hexahedron(MeshData& m, const std::vector<V3>& pts) {
    convex(m, pts, {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}});
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

// A ring round a circle of radius big in the plane of axes u and w (unit vectors): a tube of
// elliptic section, half widths r in the ring's plane and h across it, with `around` steps
// along the ring and `tube` round the tube.
void torus(MeshData& m, double big, double r, double h, int around, int tube, V3 u, V3 w) {
    V3 axis = cross(u, w);
    int base = int(m.v.size());
    for (int i = 0; i < around; i++)
        for (int j = 0; j < tube; j++) {
            double a = 2 * PI * i / around, b = 2 * PI * j / tube;
            V3 radial = u * std::cos(a) + w * std::sin(a);
            m.add(radial * (big + r * std::cos(b)) + axis * (h * std::sin(b)));
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

// A bevelled bar from (x0, y0) to (x1, y1) in the plane z = 0, `width` across, its ends squared
// off half a width beyond the two points: a flat face at z = +depth, inset by `bevel` all round,
// slopes down to the full outline at z = 0, and a flat back. Letters are made of such bars, the
// bars of a letter overlapping where they meet.
void bevelled_bar(MeshData& m, double x0, double y0, double x1, double y1, double width, double depth, double bevel) {
    double len = std::hypot(x1 - x0, y1 - y0);
    V3 along{(x1 - x0) / len, (y1 - y0) / len, 0}, across{-along.y, along.x, 0};
    V3 a{x0, y0, 0}, b{x1, y1, 0};
    std::vector<V3> pts;
    for (int front : {0, 1}) {
        double h = width / 2 - (front ? bevel : 0), z = front ? depth : 0;
        for (V3 corner : {a - along * h - across * h, b + along * h - across * h, b + along * h + across * h,
                          a - along * h + across * h})
            pts.push_back({corner.x, corner.y, z});
    }
    hexahedron(m, pts);
}

// The bars round part of an ellipse (centre, radii), from angle a0 to a1 in `steps` bars.
void bevelled_arc(MeshData& m, double cx, double cy, double rx, double ry, double a0, double a1, int steps, double width,
                  double depth, double bevel) {
    for (int k = 0; k < steps; k++) {
        double p = a0 + (a1 - a0) * k / steps, q = a0 + (a1 - a0) * (k + 1) / steps;
        bevelled_bar(m, cx + rx * std::cos(p), cy + ry * std::sin(p), cx + rx * std::cos(q), cy + ry * std::sin(q),
                     width, depth, bevel);
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

// Scene 2: a square pyramid, apex at the bottom once the scene has turned it over. The whole of it
// lies above its turning point, which the scene puts just above the bottom edge, so that it turns
// above the captions that slide in along the bottom 16 rows.
MeshData pyramid() {
    MeshData m;
    convex(m, {{0, 3, 0}, {-15, 40, -15}, {15, 40, -15}, {15, 40, 15}, {-15, 40, 15}},
           {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}, {1, 2, 3, 4}});
    return m;
}

// An orientation turned as object_rotate_move turns an object: by the angles `first`, then
// `steps` times by the angles `step`.
Matrix3 turned(V3 first, int steps, V3 step) {
    ObjectSlot slot{};
    World world{};
    world.slots = &slot;
    world.object_count = 1;
    matrix_identity(&slot.orientation);
    object_rotate_move(&world, 0, float(first.x), float(first.y), float(first.z), 0, 0, 0);
    for (int k = 0; k < steps; k++) object_rotate_move(&world, 0, float(step.x), float(step.y), float(step.z), 0, 0, 0);
    return slot.orientation;
}

// The line about which an object turns when object_rotate_move turns it by `angles` every frame.
V3 turn_axis(V3 angles) {
    const Matrix3 r = turned(angles, 0, {});
    const float* m = r.m;
    return unit({m[5] - m[7], m[6] - m[2], m[1] - m[3]});
}

// Scene 4 turns its statue by (-0.25, -0.6, 3.14) at the start and then by (0.015, -0.01, 0) a
// frame, reversing every three seconds: it swings through half a turn about one fixed line, which
// rises across the screen to the upper right and lies square to the viewer, and is back where it
// was on its first frame at 4, 10 and 16 s. This places a figure modelled upright in pixels at
// the statue's distance (x right, y up, z toward the viewer) as the viewer sees it on that first
// frame, `size` times as large: its point (cx, cy) `at` units along the line from the point the
// scene turns it about (up the line when positive) and `aside` units square to the line on the
// screen (down the screen when positive). The result is in the file's units (the catalogue loads
// the mesh at 0.9).
void place_upright_in_scene4(MeshData& m, double cx, double cy, double at, double aside, double size) {
    const V3 rock{0.015, -0.01, 0};
    const Matrix3 start = turned({-0.25, -0.6, 3.14}, 1, rock);
    V3 along = turn_axis(rock);
    if (along.x < 0) along = along * -1;  // to the right, so up the screen
    const V3 down{-along.y, along.x, 0};
    const double px = 485.0 / 400;  // scene units to a pixel at the statue's distance
    const float* t = start.m;
    for (V3& p : m.v) {
        V3 w = along * at + down * aside + V3{p.x - cx, cy - p.y, -p.z} * (size * px);
        // The scene shows the file point f at f x 0.9 x start, so f = w x start's transpose / 0.9.
        p = V3{w.x * t[0] + w.y * t[1] + w.z * t[2], w.x * t[3] + w.y * t[4] + w.z * t[5],
               w.x * t[6] + w.y * t[7] + w.z * t[8]} * (1 / 0.9);
    }
}

// The value at y of a table of (y, value) rows in rising y, straight between rows, 0 outside.
double along_y(const std::vector<std::array<double, 2>>& rows, double y) {
    for (size_t i = 1; i < rows.size(); i++)
        if (y >= rows[i - 1][0] && y <= rows[i][0])
            return rows[i - 1][1] + (rows[i][1] - rows[i - 1][1]) * (y - rows[i - 1][0]) / (rows[i][0] - rows[i - 1][0]);
    return 0;
}

// Scene 4: a head in profile, carved as a thick slab whose outline is the head's: the headcloth
// with its band over the brow and its flap falling behind the ear to the shoulders, brow, sunk
// eye, long straight nose, lips, chin and false beard. Both faces are flat and bright, so that
// the whole outline stands out against the ground; the cloth's stripes are grooves whose steep
// sides shade dark, stopped short of its rims so that its bright bands stay joined. The scene
// rocks its statue back and forth about one fixed line rising across the screen; the slab lies
// in a plane through that line, square to the viewer at the start of the scene (the point of the
// swing it is back at at 4, 10 and 16 s), the head upright on the screen and facing right, its
// middle near the line so that it keeps its place as it turns. Its thickness keeps it large when
// it turns edge on; its other face shows the profile mirrored.
MeshData statue() {
    // The outline, in pixels on the screen at the scene's distance (u forward, v up): the front
    // and back of each row. Every row is one span, so the slab is a grid of rows by columns.
    const std::vector<std::array<double, 2>> front{
        {-112, 72}, {-70, 59},  {-66, 47},  {-62, 63},  {-53, 64}, {-49, 47}, {-43, 55}, {-39, 60}, {-35, 48},
        {-31, 61},  {-25, 52},  {-21, 50},  {-17, 86},  {-13, 84}, {7, 49},   {10, 52},  {15, 66},  {19, 64},
        {33, 58},   {37, 63},   {45, 63},   {47, 57},   {62, 54},  {80, 45},  {90, 34},  {97, 20},  {100, 8}};
    const std::vector<std::array<double, 2>> back{
        {-112, -116}, {-60, -102}, {-13, -86}, {23, -78}, {41, -75}, {59, -67}, {77, -54}, {91, -38}, {100, -20}};
    // Where the cloth ends, as far behind the front: in front of the ear the face begins, below the
    // chin the beard; over the band the cloth reaches the front but for a flat rim.
    const std::vector<std::array<double, 2>> edge{{-112, 24}, {-67, 24}, {-64, 46}, {-40, 60}, {-10, 56},
                                                  {20, 46},   {36, 36},  {37, 22},  {100, 22}};
    // Rows: the grooves every 26 px on the cloth (flat for 16, then 5 down and 5 up), none near the
    // bust's base or the crown, where the smear would cut bands off; and the outline's corners.
    std::vector<double> rows;
    for (double v = -126; v < 100; v += 26) rows.insert(rows.end(), {v, v + 16, v + 21});
    for (auto& r : front) rows.push_back(r[0]);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](double v) { return v < -112 || v > 100; }), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end(), [](double a, double b) { return b - a < 2.5; }), rows.end());
    // Columns, back to front: across the cloth (its grooves between a flat rim at the back and a
    // narrow bevel at its edge), then across the face.
    const std::vector<double> cloth{0, 0.15, 0.24, 0.9, 1}, face{0.4, 0.75, 0.9, 1};
    const size_t C = cloth.size() + face.size();
    auto groove = [](double v, double v0, double period, double half) {
        double phase = std::fmod(v - v0 + 10 * period, period), mid = period - half;
        return std::max(0.0, 1 - std::fabs(phase - mid) / half);
    };
    const double thick = 25;  // half the slab's thickness
    auto relief = [&](double v, size_t column) {
        if (v > 1 && v < 16 && column == cloth.size() + 1) return -16.0;  // the eye
        if (column < 2 || column > 3 || v < -95 || v > 70) return 0.0;
        return -9.0 * groove(v, -126, 26, 5);  // the stripes
    };
    auto column_u = [&](double v, size_t i) {
        double u0 = along_y(back, v), u1 = along_y(front, v), ue = u1 - along_y(edge, v);
        return i < cloth.size() ? u0 + (ue - u0) * cloth[i] : ue + (u1 - ue) * face[i - cloth.size()];
    };
    MeshData m;
    const size_t R = rows.size();
    std::vector<std::vector<std::array<int, 2>>> at(R, std::vector<std::array<int, 2>>(C));
    std::vector<std::vector<V3>> flat(R, std::vector<V3>(C));
    for (size_t j = 0; j < R; j++) {
        double v = rows[j];
        for (size_t i = 0; i < C; i++) {
            double u = column_u(v, i), z = thick + relief(v, i);
            flat[j][i] = {u, v, 0};
            at[j][i] = {m.add({u, v, z}), m.add({u, v, -z})};
        }
    }
    auto quad = [&](int a, int b, int c, int d, V3 out) { m.polygon({a, b, c, d}, out); };
    for (size_t j = 0; j + 1 < R; j++)
        for (size_t i = 0; i + 1 < C; i++)
            for (int s : {0, 1})
                quad(at[j][i][s], at[j][i + 1][s], at[j + 1][i + 1][s], at[j + 1][i][s], {0, 0, s ? -1.0 : 1.0});
    // The walls round the outline, each facing out of it.
    auto wall = [&](size_t j0, size_t i0, size_t j1, size_t i1, double side) {
        V3 d = flat[j1][i1] - flat[j0][i0];
        quad(at[j0][i0][0], at[j1][i1][0], at[j1][i1][1], at[j0][i0][1], V3{d.y, -d.x, 0} * side);
    };
    for (size_t j = 0; j + 1 < R; j++) wall(j, 0, j + 1, 0, -1), wall(j, C - 1, j + 1, C - 1, 1);
    for (size_t i = 0; i + 1 < C; i++) wall(0, i, 0, i + 1, 1), wall(R - 1, i, R - 1, i + 1, -1);
    place_upright_in_scene4(m, -12, -30, -105, -17, 0.86);
    return m;
}

// Scene 5: a thick five-pointed star: walls round its outline and a low point on either face, so
// that it stays large as it tumbles, edge on too (0.55x: about 88 pixels to a point).
MeshData star() {
    MeshData m;
    const double wall = 30, apex = 75;
    std::vector<int> front, back;
    for (int k = 0; k < 10; k++) {
        double a = -PI / 2 + PI * k / 5, r = k % 2 ? 100 : 240;
        front.push_back(m.add({r * std::cos(a), r * std::sin(a), -wall}));
        back.push_back(m.add({r * std::cos(a), r * std::sin(a), wall}));
    }
    int near = m.add({0, 0, -apex}), far = m.add({0, 0, apex});
    for (int k = 0; k < 10; k++) {
        int j = (k + 1) % 10;
        V3 edge = m.v[size_t(front[size_t(j)])] - m.v[size_t(front[size_t(k)])];
        V3 out{edge.y, -edge.x, 0};  // the outline runs round counter-clockwise in x, y
        m.polygon({front[size_t(k)], front[size_t(j)], back[size_t(j)], back[size_t(k)]}, out);
        m.tri(near, front[size_t(k)], front[size_t(j)], {0, 0, -1});
        m.tri(far, back[size_t(k)], back[size_t(j)], {0, 0, 1});
    }
    return m;
}

// Scene 9: the name in bevelled letters, TEN over FOLD, y up and facing +z (the scene turns it
// over). Letters are 16 wide and 28 high, with bars 6.2 wide: large and bold enough to read as it
// swings, left of the gallery.
MeshData logo() {
    MeshData m;
    const double w = 6.2, d = 12, b = 1.8, lw = 16, h = 28, step = lw + 4, top = 31, low = -3;  // rows' top lines
    auto bar = [&](double x0, double y0, double x1, double y1) { bevelled_bar(m, x0, y0, x1, y1, w, d, b); };
    auto arc = [&](double cx, double cy, double rx, double ry, double a0, double a1, int n) {
        bevelled_arc(m, cx, cy, rx, ry, a0, a1, n, w, d, b);
    };
    const double half = w / 2;
    // TEN, 3 letters centred on x = 0
    double x = -(3 * step - 4) / 2;
    bar(x + half, top - half, x + lw - half, top - half), bar(x + lw / 2, top - half, x + lw / 2, top - h + half);  // T
    x += step;
    bar(x + half, top - half, x + half, top - h + half);                                   // E
    for (double y : {top - half, top - h / 2, top - h + half}) bar(x + half, y, x + (y == top - h / 2 ? lw - 3 : lw) - half, y);
    x += step;
    bar(x + half, top - h + half, x + half, top - half), bar(x + lw - half, top - h + half, x + lw - half, top - half);  // N
    {  // the diagonal, its square ends kept inside the stems
        double dx = lw - w, dy = -(h - w), len = std::hypot(dx, dy);
        dx *= half / len, dy *= half / len;
        bar(x + half + dx, top - half - 1 + dy, x + lw - half - dx, top - h + half + 1 - dy);
    }
    // FOLD, 4 letters
    x = -(4 * step - 4) / 2;
    bar(x + half, low - half, x + half, low - h + half);                                   // F
    bar(x + half, low - half, x + lw - half, low - half), bar(x + half, low - h / 2, x + lw - 3 - half, low - h / 2);
    x += step;
    arc(x + lw / 2, low - h / 2, lw / 2 - half, h / 2 - half, 0, 2 * PI, 16);             // O
    x += step;
    bar(x + half, low - half, x + half, low - h + half), bar(x + half, low - h + half, x + lw - 1 - half, low - h + half);  // L
    x += step;
    bar(x + half, low - half, x + half, low - h + half);                                   // D
    bar(x + half, low - half, x + lw / 2, low - half), bar(x + half, low - h + half, x + lw / 2, low - h + half);
    arc(x + lw / 2, low - h / 2, lw / 2 - half, h / 2 - half, -PI / 2, PI / 2, 8);
    return m;
}

// Scene 8: a ring whose axis leans 15 degrees off the line the scene turns it about, so that it
// wobbles as it turns but never shows its edge (1.83x). Its picture comes from its normals, which
// sweep the whole picture disc.
MeshData toorus() {
    MeshData m;
    const V3 spin = turn_axis({0.0209, 0.0209, 0.0209}), side = unit(cross(spin, {0, 0, 1}));
    const V3 axis = spin * std::cos(15 * PI / 180) + side * std::sin(15 * PI / 180);
    const V3 u = unit(cross(axis, side)), w = cross(axis, u);
    torus(m, 40, 20, 20, 32, 14, u, w);
    return m;
}

// Scene 10: two rings round the small sphere, like a gyroscope, reaching well past the smear's
// centre below the middle of the screen. Their tubes are round: their rims, seen edge on, are
// dark, so the light the scene smears out from them and averages every frame fades at their
// edges, and the picture changes little between the frames that draw them and those that do not.
// Their planes stand at right angles, turned so that as the scene spins them about (1, 1, 1) they
// never turn edge on together.
MeshData eo() {
    MeshData m;
    const V3 a = unit({0.966, 0.259, 0}), c = unit(cross(a, {-0.129, 0.483, 0.866})), b = cross(c, a);  // the axes
    torus(m, 118, 20, 20, 40, 12, b, c);
    torus(m, 66, 15, 15, 28, 12, c, a);
    return m;
}

}  // namespace

void write_meshes(const std::string& dir) {
    save_asc(dir, "pentagon.asc", pentagon());
    save_asc(dir, "pyramid.asc", pyramid());
    MeshData sphere;
    // 0.3x in scene 3, 0.7x in scene 7, 0.2x in scene 10; facets large enough that scene 3's
    // smear leaves them visible
    icosphere(sphere, 180, 2);
    save_asc(dir, "sphere.asc", sphere);
    save_asc(dir, "osiris.asc", statue());
    save_asc(dir, "star.asc", star());
    save_asc(dir, "vl.asc", logo());
    save_asc(dir, "toorus.asc", toorus());
    save_asc(dir, "eo.asc", eo());
}

// The 3D objects, written as 3D Studio ASCII meshes. Every mesh is closed and wound so that
// (B - A) x (C - A) of each face points out of the object: the renderer keeps a face when its
// corners run counter-clockwise on the screen, which is then exactly when it faces the camera.
// Sizes are in file units; the catalogue scales them (see the comments for where each is seen).
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

// A tapered block along y: half widths (x, z) at y0 and at y1.
void block(MeshData& m, V3 at, double y0, double hx0, double hz0, double y1, double hx1, double hz1) {
    lathe(m, 2, 4, [&](int k, int i) -> V3 {
        double hx = k ? hx1 : hx0, hz = k ? hz1 : hz0, sx = (i == 1 || i == 2) ? 1 : -1, sz = i >= 2 ? 1 : -1;
        return at + V3{sx * hx, k ? y1 : y0, sz * hz};
    }, [](int) { return false; });
}

// A box from a to b, half widths w along `side` (made square to a-b) and d along the third
// direction.
void beam(MeshData& m, V3 a, V3 b, V3 side, double w, double d) {
    V3 along = unit(b - a), across = unit(side - along * dot(side, along)), up = cross(along, across);
    std::vector<V3> pts;
    for (V3 end : {a, b})
        for (int k = 0; k < 4; k++) pts.push_back(end + across * (k == 1 || k == 2 ? w : -w) + up * (k >= 2 ? d : -d));
    hexahedron(m, pts);
}

// An ellipse across y: at height y, centred on (x, z), half widths rx and rz.
struct Section {
    double y, x, z, rx, rz;
};

// A tube through ellipses of n points each, in order up y, closed by flat ends. Unlike lathe it
// needs no convex outline: every side faces away from the tube's axis.
void loft(MeshData& m, const std::vector<Section>& rings, int n) {
    int base = int(m.v.size());
    for (const Section& r : rings)
        for (int i = 0; i < n; i++) {
            double a = 2 * PI * i / n;
            m.add({r.x + r.rx * std::cos(a), r.y, r.z + r.rz * std::sin(a)});
        }
    auto at = [&](size_t k, int i) { return base + int(k) * n + i % n; };
    for (size_t k = 0; k + 1 < rings.size(); k++)
        for (int i = 0; i < n; i++) {
            double a = 2 * PI * (i + 0.5) / n;
            V3 out{std::cos(a), 0, std::sin(a)};
            m.tri(at(k, i), at(k + 1, i), at(k, i + 1), out);
            m.tri(at(k + 1, i), at(k + 1, i + 1), at(k, i + 1), out);
        }
    for (size_t k : {size_t(0), rings.size() - 1}) {
        std::vector<int> cap;
        for (int i = 0; i < n; i++) cap.push_back(at(k, i));
        m.polygon(cap, {0, k ? 1.0 : -1.0, 0});
    }
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

// Scene 4 turns its statue by (-0.25, -0.6, 3.14) at the start and then by (0.015, -0.01, 0) a
// frame, reversing every three seconds: it swings through half a turn about one fixed line, which
// rises across the screen to the upper right, and is in the middle of its swing 30 frames after
// the start. This lays a figure modelled upright (x to its right, y up, z forward) along that
// line, scaled by `size` into the scene's units: its origin `base` units from the point the scene
// turns it about, up the line, and `aside` units to the upper left of the line, its head up the
// line and its face to the viewer in the middle of the swing. The result is in the file's units
// (the catalogue loads the mesh at 0.9).
void lay_along_scene4_line(MeshData& m, double base, double aside, double size) {
    const V3 rock{0.015, -0.01, 0};
    const Matrix3 step = turned(rock, 0, {}), mid = turned({-0.25, -0.6, 3.14}, 30, rock);
    const float* r = step.m;
    V3 along = unit({r[5] - r[7], r[6] - r[2], r[1] - r[3]});  // the axis of one frame's turn
    if (along.x < 0) along = along * -1;                        // to the right, so up the screen
    const V3 front = unit(V3{0, 0, -1} - along * along.z), right = cross(along, front);
    const float* t = mid.m;
    for (V3& p : m.v) {
        V3 w = along * (base + p.y * size) + right * (p.x * size - aside) + front * (p.z * size);
        // The scene shows the file point f at f x 0.9 x mid, so f = w x mid's transpose / 0.9.
        p = V3{w.x * t[0] + w.y * t[1] + w.z * t[2], w.x * t[3] + w.y * t[4] + w.z * t[5],
               w.x * t[6] + w.y * t[7] + w.z * t[8]} * (1 / 0.9);
    }
}

// Scene 4: the head of a fallen colossus: face with brow, eyes, nose, lips and a long false
// beard, the striped headcloth flaring beside the face with its lappets and its tail, the serpent
// on the brow, on a stump of neck and collar. The scene tumbles its statue back and forth through
// half a turn about one fixed line across the screen, rising to the upper right; a head whose
// long axis lies along that line only turns about itself, so it keeps its place and its size on
// the screen and shows its face, its three-quarter views and its profiles, never its back. It is
// modelled upright (x to its right, y up, z forward, the face's middle at the origin) and then
// laid along that line, crown to the upper right, facing the viewer in the middle of a swing.
MeshData statue() {
    MeshData m;
    loft(m, {{-72, 0, -2, 40, 28}, {-64, 0, -2, 40, 28}, {-60, 0, -2, 26, 22}, {-30, 0, -4, 19, 19}}, 16);  // collar, neck
    ellipsoid(m, {0, 0, 4}, {30, 40, 32}, 10, 16);               // face and skull
    ellipsoid(m, {0, 11, 32}, {25, 4.5, 6}, 4, 10);              // brow
    for (double side : {-1.0, 1.0}) ellipsoid(m, {side * 12, 1, 31}, {9, 4.5, 5}, 4, 8);  // eyes
    block(m, {0, 0, 40}, -18, 9, 12, 8, 4, 5);                  // nose
    ellipsoid(m, {0, -24, 33}, {12, 5, 6}, 4, 8);                // lips
    for (double side : {-1.0, 1.0}) ellipsoid(m, {side * 30, 0, 12}, {6, 11, 7}, 4, 8);  // ears
    beam(m, {0, -32, 28}, {0, -68, 36}, {1, 0, 0}, 8, 7);       // false beard
    ellipsoid(m, {0, 27, 34}, {4.5, 7, 4.5}, 4, 8);               // the serpent on the brow
    // The striped headcloth: bands round the crown and back of the head, every second one standing
    // out a little, and the same bands across the two flaps that fall beside the face.
    const int bands = 12;
    std::vector<Section> cap;
    for (int k = 0; k <= bands; k++) {
        double a = PI * (0.18 + 0.8 * k / bands), bulge = k % 2 ? 2.5 : 0;
        cap.push_back({9 - 41 * std::cos(a), 0, -6, 34 * std::sin(a) + bulge, 35 * std::sin(a) + bulge});
    }
    loft(m, cap, 16);
    for (double side : {-1.0, 1.0})
        for (int k = 0; k < 8; k++) {
            std::vector<V3> band;
            double bulge = k % 2 ? 2.5 : 0;
            for (double t : {k / 8.0, (k + 1) / 8.0}) {
                double y = 22 - 64 * t, inner = 29 + 8 * t, outer = 36 + 18 * t + bulge, front = 2 + 6 * t + bulge;
                for (V3 p : std::initializer_list<V3>{{inner, y, -20}, {outer, y, -20}, {outer, y, front}, {inner, y, front}})
                    band.push_back({side * p.x, p.y, p.z});
            }
            hexahedron(m, band);
        }
    beam(m, {0, -14, -38}, {0, -60, -30}, {1, 0, 0}, 9, 6);     // the headcloth's tail

    lay_along_scene4_line(m, -72, 22, 2.0);
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

// Scene 9: the name in bevelled letters, TEN over FOLD, y up and facing +z (the scene turns it
// over). Letters are 14 wide and 20 high, with bars 4.4 wide.
MeshData logo() {
    MeshData m;
    const double w = 4.4, d = 3.2, b = 1.4, h = 20, top = 23, low = -3;  // rows' top lines
    auto bar = [&](double x0, double y0, double x1, double y1) { bevelled_bar(m, x0, y0, x1, y1, w, d, b); };
    auto arc = [&](double cx, double cy, double rx, double ry, double a0, double a1, int n) {
        bevelled_arc(m, cx, cy, rx, ry, a0, a1, n, w, d, b);
    };
    const double half = w / 2;
    // TEN, 3 letters and 2 gaps of 5 centred on x = 0
    double x = -26;
    bar(x + half, top - half, x + 14 - half, top - half), bar(x + 7, top - half, x + 7, top - h + half);  // T
    x += 19;
    bar(x + half, top - half, x + half, top - h + half);                                   // E
    for (double y : {top - half, top - h / 2, top - h + half}) bar(x + half, y, x + (y == top - h / 2 ? 11 : 14) - half, y);
    x += 19;
    bar(x + half, top - h + half, x + half, top - half), bar(x + 14 - half, top - h + half, x + 14 - half, top - half);  // N
    {  // the diagonal, its square ends kept inside the stems
        double dx = 14 - w, dy = -(h - w), len = std::hypot(dx, dy);
        dx *= half / len, dy *= half / len;
        bar(x + half + dx, top - half - 1 + dy, x + 14 - half - dx, top - h + half + 1 - dy);
    }
    // FOLD, 4 letters and 3 gaps of 5
    x = -35.5;
    bar(x + half, low - half, x + half, low - h + half);                                   // F
    bar(x + half, low - half, x + 14 - half, low - half), bar(x + half, low - h / 2, x + 11 - half, low - h / 2);
    x += 19;
    arc(x + 7, low - h / 2, 7 - half, h / 2 - half, 0, 2 * PI, 14);                       // O
    x += 19;
    bar(x + half, low - half, x + half, low - h + half), bar(x + half, low - h + half, x + 13 - half, low - h + half);  // L
    x += 19;
    bar(x + half, low - half, x + half, low - h + half);                                   // D
    bar(x + half, low - half, x + 6, low - half), bar(x + half, low - h + half, x + 6, low - h + half);
    arc(x + 6, low - h / 2, 8 - half, h / 2 - half, -PI / 2, PI / 2, 8);
    return m;
}

// Scene 8: a ring about z, so its normals sweep the whole picture disc (1.83x).
MeshData toorus() {
    MeshData m;
    torus(m, 36, 14, 14, 28, 12, {1, 0, 0}, {0, 1, 0});
    return m;
}

// Scene 10: two rings round the small sphere, like a gyroscope, reaching well past the smear's
// centre below the middle of the screen. They are broad flat bands rather than round tubes: the
// scene smears them outward from its centre and averages every frame with the last, which leaves
// of a thin ring, across its path, only a faint streak, while a band facing the viewer stays a
// bright ring and one seen edge on is a line along the smear. Their planes stand at right angles,
// turned so that as the scene spins them about (1, 1, 1) they never turn edge on together: in
// nearly half the frames one of them faces the viewer within 30 degrees, and one always faces
// it at least a third of the way.
MeshData eo() {
    MeshData m;
    const V3 a = unit({0.966, 0.259, 0}), c = unit(cross(a, {-0.129, 0.483, 0.866})), b = cross(c, a);  // the axes
    torus(m, 118, 30, 7, 40, 10, b, c);
    torus(m, 66, 20, 7, 28, 10, c, a);
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

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
// rises across the screen to the upper right, and is in the middle of its swing 30 frames after
// the start. This lays a figure modelled upright (x to its right, y up, z forward) along that
// line, scaled by `size` into the scene's units: its origin `base` units from the point the scene
// turns it about, up the line, and `aside` units to the upper left of the line, its head up the
// line; its face turned by `turn` about its own length from facing the viewer in the middle of
// the swing. The result is in the file's units (the catalogue loads the mesh at 0.9).
void lay_along_scene4_line(MeshData& m, double base, double aside, double size, double turn) {
    const V3 rock{0.015, -0.01, 0};
    const Matrix3 mid = turned({-0.25, -0.6, 3.14}, 30, rock);
    V3 along = turn_axis(rock);
    if (along.x < 0) along = along * -1;  // to the right, so up the screen
    const V3 ahead = unit(V3{0, 0, -1} - along * along.z), across = cross(along, ahead);
    const V3 front = ahead * std::cos(turn) + across * std::sin(turn), right = cross(along, front);
    const float* t = mid.m;
    for (V3& p : m.v) {
        V3 w = along * (base + p.y * size) + right * (p.x * size - aside) + front * (p.z * size);
        // The scene shows the file point f at f x 0.9 x mid, so f = w x mid's transpose / 0.9.
        p = V3{w.x * t[0] + w.y * t[1] + w.z * t[2], w.x * t[3] + w.y * t[4] + w.z * t[5],
               w.x * t[6] + w.y * t[7] + w.z * t[8]} * (1 / 0.9);
    }
}

// A closed surface round the y axis: rings at the heights `levels` (bottom to top), each of n
// points at the angles `around` (in order, from the front, +z, towards +x), at the distance
// radius(angle, height) from the axis; closed by a point on the axis at the lowest ring's height
// and one at `top`. Every side faces away from the axis, which needs no convex outline.
template <class Radius>
void round_the_axis(MeshData& m, const std::vector<double>& levels, const std::vector<double>& around, double top,
                    Radius radius) {
    int base = int(m.v.size()), n = int(around.size());
    for (double y : levels)
        for (double a : around) {
            double r = radius(a, y);
            m.add({r * std::sin(a), y, r * std::cos(a)});
        }
    int low = m.add({0, levels.front(), 0}), high = m.add({0, top, 0});
    auto at = [&](size_t k, int i) { return base + int(k) * n + i % n; };
    for (int i = 0; i < n; i++) {
        m.tri(at(0, i), at(0, i + 1), low, {0, -1, 0});
        for (size_t k = 0; k + 1 < levels.size(); k++) {
            V3 mid = (m.v[size_t(at(k, i))] + m.v[size_t(at(k, i + 1))]) * 0.5, out{mid.x, 0, mid.z};
            m.tri(at(k, i), at(k + 1, i), at(k, i + 1), out);
            m.tri(at(k + 1, i), at(k + 1, i + 1), at(k, i + 1), out);
        }
        V3 rim = m.v[size_t(at(levels.size() - 1, i))];
        m.tri(at(levels.size() - 1, i), at(levels.size() - 1, i + 1), high, {rim.x, 0, rim.z});
    }
}

// A bump of height 1 at x = 0 falling to 0 at |x| = half.
double bump(double x, double half) { return std::fabs(x) < half ? 0.5 + 0.5 * std::cos(PI * x / half) : 0; }

// The value at y of a table of (y, value) rows in rising y, straight between rows, 0 outside.
double along_y(const std::vector<std::array<double, 2>>& rows, double y) {
    for (size_t i = 1; i < rows.size(); i++)
        if (y >= rows[i - 1][0] && y <= rows[i][0])
            return rows[i - 1][1] + (rows[i][1] - rows[i - 1][1]) * (y - rows[i - 1][0]) / (rows[i][0] - rows[i - 1][0]);
    return 0;
}

// Scene 4: the head of a fallen colossus in its headcloth, in one closed surface: the cloth's
// crown and headband, its wings flaring beside the face and its lappets falling in front of the
// shoulders, its tail behind; brow, eyes, nose, lips, chin and the long false beard, the serpent
// on the brow; down to the neck. Brow, nose, lips and chin stand well out from the
// face, so that its outline in profile is a head's. The scene tumbles its statue back and forth
// through half a turn about one fixed line across the screen, rising to the upper right; a head
// whose long axis lies along that line only turns about itself, so it keeps its place and its
// size on the screen and shows its profiles and its face. It is modelled upright (x to its
// right, y up, z forward, the face's middle at the origin) and then laid along that line, crown
// to the upper right.
MeshData statue() {
    // The section of the skull and the neck under the cloth: half widths across (x), to the
    // front and to the back; then what stands out of it, each over a width of angle round the front
    // (radians each side), the cloth's wings round the sides, set back behind the cheeks so that
    // they frame the face rather than hide it, and its tail at the back.
    const std::vector<std::array<double, 2>> across{{-52, 15}, {-34, 17}, {-28, 24}, {-16, 27},
                                                    {0, 28},   {14, 28},  {24, 27},  {32, 24},  {38, 18},  {42, 10}};
    const std::vector<std::array<double, 2>> front{{-52, 14}, {-34, 16}, {-30, 24}, {-20, 29},
                                                   {0, 31},   {14, 31},  {18, 33},  {28, 30},  {36, 22},  {42, 11}};
    const std::vector<std::array<double, 2>> back{{-52, 18}, {-34, 22}, {-20, 34}, {0, 38},
                                                  {18, 38},  {28, 35},  {36, 28},  {42, 14}};
    const std::vector<std::array<double, 2>> brow{{0, 0}, {5, 9}, {8, 8}, {12, 0}};
    const std::vector<std::array<double, 2>> nose{{-16, 0}, {-15, 7}, {-12, 16}, {-9, 13}, {-2, 7}, {3, 3}, {5, 0}};
    const std::vector<std::array<double, 2>> lips{{-27, 0}, {-23, 8}, {-20, 4}, {-17, 8}, {-15, 0}};
    const std::vector<std::array<double, 2>> chin{{-34, 0}, {-30, 9}, {-27, 3}, {-25, 0}};
    const std::vector<std::array<double, 2>> beard{{-52, 0}, {-49, 6}, {-38, 9}, {-34, 0}};
    const std::vector<std::array<double, 2>> serpent{{18, 0}, {22, 10}, {28, 0}};
    const std::vector<std::array<double, 2>> wings{{-52, 12}, {-40, 20}, {-28, 24}, {-16, 22}, {-4, 18}, {8, 12},
                                                   {20, 4},   {28, 0}};
    const std::vector<std::array<double, 2>> tail{{-52, 4}, {-46, 10}, {-28, 10}, {-22, 0}};
    auto radius = [&](double around, double y) {
        double a = std::atan2(std::sin(around), std::cos(around)), side = std::fabs(a);  // -pi to pi, 0 at the front
        double wide = along_y(across, y), deep = along_y(std::cos(a) > 0 ? front : back, y);
        double r = 1 / std::sqrt(std::pow(std::sin(a) / wide, 2) + std::pow(std::cos(a) / deep, 2));
        r += along_y(brow, y) * bump(a, 0.9) + along_y(nose, y) * bump(a, 0.3) + along_y(lips, y) * bump(a, 0.5);
        r += along_y(chin, y) * bump(a, 0.6) + along_y(beard, y) * bump(a, 0.34) + along_y(serpent, y) * bump(a, 0.16);
        r -= 8 * bump(y - 1, 5) * bump(side - 0.45, 0.28);  // the eyes, sunk under the brow
        r += 2 * bump(y - 16, 2) * (side < 1.5);              // the cloth's band over the forehead
        r += along_y(wings, y) * bump(side - 2.0, 0.75) + along_y(tail, y) * bump(PI - side, 0.35);
        return r;
    };
    std::vector<double> levels{-52, -48, -44, -40, -37, -34, -31, -28, -25, -22, -19, -16, -13,
                               -10, -7,  -4,  -1,  2,   5,   8,   12,  17,  23,  30,  36,  41};
    std::vector<double> around;
    const int n = 26;
    for (int i = 0; i < n; i++) {
        double t = 2.0 * i / n;  // 0 to 2: denser at the front, where the face is
        around.push_back(t <= 1 ? PI * std::pow(t, 1.5) : 2 * PI - PI * std::pow(2 - t, 1.5));
    }
    MeshData m;
    round_the_axis(m, levels, around, 46, radius);
    // Small enough to stay whole on screen, its chin and beard clear of the plaque over its neck;
    // turned so that at the start of the scene, and every six seconds after, the face looks half
    // to the viewer and half up the screen: nose, lips and chin stand out of its outline.
    lay_along_scene4_line(m, -85, 10, 2.1, -PI / 9);
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

#pragma once
// A small software renderer for rocks: a sphere displaced by 3-D noise and
// crater dents, ray cast per sub-pixel and lit by one fixed light.
#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace assetgen::rock {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// Row-major 3x3 matrix.
using Mat3 = std::array<double, 9>;

Mat3 multiply(const Mat3 &a, const Mat3 &b);
Mat3 diagonal(double x, double y, double z);
// Right-handed rotation by `radians` about `axis` (need not be normalised).
Mat3 rotation(Vec3 axis, double radians);

// What one rock looks like; every number is relative to a unit sphere.
struct Recipe {
    uint32_t seed = 1;
    double lumps = 0.2;     // amplitude of the large-scale shape noise
    double roughness = 0.04; // amplitude of the fine surface noise
    int craters = 30;
    double crater_size = 1; // scales every crater's angular radius
    double warmth = 0;      // shifts the colour: -1 grey regolith .. +1 rusty brown
};

// The rock's surface, sampled once into a cube map so that ray casting only
// does cheap table look-ups.
class Body {
public:
    explicit Body(const Recipe &recipe);

    // Surface radius in the direction of `q` (any non-zero vector).
    double radius(const Vec3 &q) const;
    // Surface albedo (around 1) and tint (-1 grey .. +1 warm) in that direction.
    void material(const Vec3 &q, double &albedo, double &tint) const;
    // Points on the surface spread over every direction, for fitting a view.
    std::vector<Vec3> surface_points() const;

private:
    struct Texel {
        float radius, albedo, tint;
    };
    Texel lookup(const Vec3 &q) const;

    static constexpr int N = 256;
    std::vector<Texel> m_faces; // 6 faces of N x N
};

// Renders `body` mapped into the view by `to_view` (body units to pixels; x
// right, y up, z towards the viewer) and moved by `shift` pixels from the cell
// centre, orthographic, `ss` x `ss` rays a pixel. Returns a (w*ss) x (h*ss)
// premultiplied image: hit rays opaque, misses transparent.
QImage render(const Body &body, const Mat3 &to_view, Vec3 shift, int w, int h, int ss);

} // namespace assetgen::rock

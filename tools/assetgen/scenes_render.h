#pragma once
// Small software renderer for the scene pictures: linear-light float canvas,
// gradient noise, star fields, shaded spheres and crater fields. Every recipe
// works in reference units of a 640-wide frame, so the same scene renders at
// any output size (the title pictures reuse the scenes at 150 and 320 wide).
#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Vec3
{
    double x = 0, y = 0, z = 0;
    Vec3() = default;
    constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    Vec3 operator+(const Vec3 &o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3 &o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(const Vec3 &o) const { return {x * o.x, y * o.y, z * o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec3 operator/(double s) const { return {x / s, y / s, z / s}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3 &operator+=(const Vec3 &o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vec3 &operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
};
inline Vec3 operator*(double s, const Vec3 &v) { return v * s; }
inline double dot(const Vec3 &a, const Vec3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3 &a, const Vec3 &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3 &v) { return std::sqrt(dot(v, v)); }
inline Vec3 normalize(const Vec3 &v) { return v / std::max(length(v), 1e-12); }
inline Vec3 mix(const Vec3 &a, const Vec3 &b, double t) { return a + (b - a) * t; }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
inline double smoothstep(double e0, double e1, double v)
{
    const double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
// Colour given as 8-bit sRGB, returned in linear light.
Vec3 srgb(int r, int g, int b);
double luminance(const Vec3 &c);

// Rotation matrix (rows), used to turn view-space normals into body coordinates.
struct Mat3
{
    std::array<Vec3, 3> r{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
    Vec3 operator*(const Vec3 &v) const { return {dot(r[0], v), dot(r[1], v), dot(r[2], v)}; }
    Mat3 operator*(const Mat3 &o) const;
    Mat3 transposed() const;
    static Mat3 rot_x(double a);
    static Mat3 rot_y(double a);
    static Mat3 rot_z(double a);
};

// Improved gradient noise in three dimensions, about -1..1. Octaves of fbm are
// rotated against each other so that no lattice direction shows.
class Noise
{
public:
    explicit Noise(uint32_t seed);
    double operator()(const Vec3 &p) const;
    double fbm(Vec3 p, int octaves, double gain = 0.5, double lacunarity = 2.03) const;
    // fbm with a fractional octave count: the last octave fades in, so detail can
    // follow distance without popping.
    double fbm_soft(Vec3 p, double octaves, double gain = 0.5) const;
    // Sharp crests where the noise crosses zero: filaments and streaks.
    double ridged(Vec3 p, int octaves, double gain = 0.5, double lacunarity = 2.03) const;

private:
    std::array<uint8_t, 512> perm_{};
};

// A float canvas in linear light, supersampled `ss` times in each direction.
class Canvas
{
public:
    Canvas(int out_w, int out_h, int ss);
    int w() const { return w_; }
    int h() const { return h_; }
    int ss() const { return ss_; }
    // Canvas pixels per reference unit, and the frame size in reference units.
    double unit() const { return unit_; }
    double ref_w() const { return 640.0; }
    double ref_h() const { return h_ / unit_; }
    // One output pixel in reference units (for sizes that must stay crisp).
    double out_px() const { return ss_ / unit_; }
    Vec3 &at(int x, int y) { return px_[size_t(y) * w_ + x]; }
    const Vec3 &at(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    // Calls f(x, y, colour) for every canvas pixel whose centre lies in the given
    // reference rectangle; x and y are the pixel centre in reference units.
    void shade(const std::function<void(double, double, Vec3 &)> &f, double x0 = -1e9,
               double y0 = -1e9, double x1 = 1e9, double y1 = 1e9);
    // Adds a round Gaussian spot; sigma in reference units.
    void splat(double x, double y, double sigma, const Vec3 &colour);
    // Downsample in linear light, roll off highlights, encode as sRGB.
    QImage finish() const;

private:
    int w_, h_, ss_;
    double unit_;
    std::vector<Vec3> px_;
};

struct StarField
{
    uint32_t seed = 1;
    int count = 1500;                      // for a 640 x 480 frame; scaled by area
    double faintest = 0.02;                // linear peak brightness
    double brightest = 3.0;
    double slope = 1.6;                    // power law: many faint, few bright
    int glowing = 6;                       // brightest stars with halo and spikes
    double spike_length = 14;              // reference units
    // Acceptance 0..1 at a reference position (star density), null for uniform.
    std::function<double(double, double)> density;
    // Brightness multiplier at a position (e.g. dimmed behind glare), null for 1.
    std::function<double(double, double)> dimming;
};
void add_stars(Canvas &canvas, const StarField &field);
// Halo and four thin diffraction spikes around a bright point (its core drawn
// separately with the given sigma); spike length in reference units.
void add_glint(Canvas &canvas, double x, double y, const Vec3 &colour, double sigma, double spike_length);
// Colour of a star of the given surface temperature (Kelvin), unit brightness.
Vec3 star_colour(double kelvin);

// Per-pixel hit on a sphere seen along -z; normal points to the viewer (z > 0).
struct SphereHit
{
    double coverage = 0; // antialiased edge
    Vec3 n;
};
SphereHit hit_sphere(double x, double y, double cx, double cy, double r, double aa);

// Craters scattered over a region of space; a grid of cells finds the few near
// a point. Returns the height offset (negative bowls, raised rims).
class CraterField
{
public:
    struct Crater
    {
        Vec3 c;
        double radius, depth;
    };
    CraterField(std::vector<Crater> craters, double cell);
    double height(const Vec3 &p) const;
    // Random craters on the unit sphere; radii follow a power law.
    static std::vector<Crater> on_sphere(uint32_t seed, int count, double rmin, double rmax,
                                         double depth_ratio);

private:
    double cell_;
    std::vector<Crater> craters_;
    std::vector<std::vector<int>> cells_;
    int nx_ = 0, ny_ = 0, nz_ = 0;
    Vec3 lo_;
    int index(int i, int j, int k) const { return (k * ny_ + j) * nx_ + i; }
};


// A lumpy, cratered rock (moon or asteroid) shaded per pixel into the canvas.
struct Rock
{
    double x = 0, y = 0, radius = 10; // centre and mean radius, reference units
    Vec3 axes{1, 1, 1};               // ellipsoid stretch before the noise
    Mat3 orientation;                 // view to body
    uint32_t seed = 1;
    double roughness = 0.18;          // noise displacement, in radii
    int craters = 60;
    Vec3 albedo{0.3, 0.28, 0.26};
    Vec3 light{0.6, 0.4, 0.7};        // towards the light, view space
    double ambient = 0.02;
    Vec3 fill;                        // colour of a faint second light, none by default
    Vec3 fill_dir{-0.5, -0.4, 0.75};
};
void draw_rock(Canvas &canvas, const Rock &rock);

// The ten scenes; each paints a whole frame. Screens show the frame scaled to
// cover them, so a wide screen loses rows and a narrow one columns: what matters
// in a scene stays inside the centred 600 x 360 that every screen from 5:4 to
// 16:9 shows, and reads well in the 640 x 270 band a 21:9 screen shows.
void scene_blue_planet(Canvas &c);
void scene_moonscape(Canvas &c);
void scene_ringed_giant(Canvas &c);
void scene_spiral_galaxy(Canvas &c);
void scene_emission_nebula(Canvas &c);
void scene_red_planet(Canvas &c);
void scene_asteroid_field(Canvas &c);
void scene_solar_eclipse(Canvas &c);
void scene_galactic_band(Canvas &c);
void scene_storm_giant(Canvas &c);

// Scene `index` (0..9) rendered true-colour at the given output size.
QImage render_scene(int index, int width, int height);

} // namespace assetgen

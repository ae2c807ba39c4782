#include "sprites_rock.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace assetgen::rock {

namespace {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalized(Vec3 a) { return a * (1.0 / length(a)); }

Vec3 apply(const Mat3 &m, Vec3 v)
{
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z,
            m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
}

Mat3 inverse(const Mat3 &m)
{
    const double c0 = m[4] * m[8] - m[5] * m[7];
    const double c1 = m[5] * m[6] - m[3] * m[8];
    const double c2 = m[3] * m[7] - m[4] * m[6];
    const double inv = 1.0 / (m[0] * c0 + m[1] * c1 + m[2] * c2);
    return {c0 * inv, (m[2] * m[7] - m[1] * m[8]) * inv, (m[1] * m[5] - m[2] * m[4]) * inv,
            c1 * inv, (m[0] * m[8] - m[2] * m[6]) * inv, (m[2] * m[3] - m[0] * m[5]) * inv,
            c2 * inv, (m[1] * m[6] - m[0] * m[7]) * inv, (m[0] * m[4] - m[1] * m[3]) * inv};
}

// Seeded gradient noise (Perlin's improved noise with a hash instead of a
// permutation table), range about -1..1.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_seed(seed * 0x9E3779B9u + 0x7F4A7C15u) {}

    double operator()(Vec3 p) const
    {
        const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
        const int ix = int(fx), iy = int(fy), iz = int(fz);
        const double x = p.x - fx, y = p.y - fy, z = p.z - fz;
        const double u = fade(x), v = fade(y), w = fade(z);
        auto g = [&](int dx, int dy, int dz) {
            return grad(hash(ix + dx, iy + dy, iz + dz), x - dx, y - dy, z - dz);
        };
        const double x00 = lerp(g(0, 0, 0), g(1, 0, 0), u);
        const double x10 = lerp(g(0, 1, 0), g(1, 1, 0), u);
        const double x01 = lerp(g(0, 0, 1), g(1, 0, 1), u);
        const double x11 = lerp(g(0, 1, 1), g(1, 1, 1), u);
        return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
    }

    // Fractal sum; each octave is shifted so that lattice points never line up.
    double fbm(Vec3 p, int octaves, double gain = 0.5) const
    {
        double sum = 0, amp = 1, norm = 0;
        for (int o = 0; o < octaves; ++o) {
            sum += amp * (*this)(p + Vec3{17.3 * o, -9.1 * o, 5.7 * o});
            norm += amp;
            amp *= gain;
            p = p * 2.03;
        }
        return sum / norm;
    }

private:
    static double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    uint32_t hash(int x, int y, int z) const
    {
        uint32_t h = m_seed ^ (uint32_t(x) * 0x8DA6B343u) ^ (uint32_t(y) * 0xD8163841u)
                     ^ (uint32_t(z) * 0xCB1AB31Fu);
        h ^= h >> 16;
        h *= 0x7FEB352Du;
        h ^= h >> 15;
        h *= 0x846CA68Bu;
        h ^= h >> 16;
        return h;
    }
    static double grad(uint32_t h, double x, double y, double z)
    {
        switch (h % 12) {
        case 0: return x + y;
        case 1: return -x + y;
        case 2: return x - y;
        case 3: return -x - y;
        case 4: return x + z;
        case 5: return -x + z;
        case 6: return x - z;
        case 7: return -x - z;
        case 8: return y + z;
        case 9: return -y + z;
        case 10: return y - z;
        default: return -y - z;
        }
    }
    uint32_t m_seed;
};

struct Crater {
    Vec3 centre;
    double cos_reach; // cosine of the angle beyond which the crater has no effect
    double radius;    // angular radius of the bowl
    double depth;
    double rim;
};

// Uniform numbers straight from the engine's bits: std distributions differ
// between standard libraries, and the output must not.
double uniform(std::mt19937 &rng) { return rng() / 4294967296.0; }

Vec3 random_direction(std::mt19937 &rng)
{
    const double z = 2 * uniform(rng) - 1;
    const double a = 2 * M_PI * uniform(rng);
    const double s = std::sqrt(1 - z * z);
    return {s * std::cos(a), s * std::sin(a), z};
}

// Face f, texel coordinates -1..1 -> direction (not normalised).
Vec3 face_direction(int f, double u, double v)
{
    switch (f) {
    case 0: return {1, u, v};
    case 1: return {-1, u, v};
    case 2: return {u, 1, v};
    case 3: return {u, -1, v};
    case 4: return {u, v, 1};
    default: return {u, v, -1};
    }
}

} // namespace

Mat3 multiply(const Mat3 &a, const Mat3 &b)
{
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
    return r;
}

Mat3 diagonal(double x, double y, double z) { return {x, 0, 0, 0, y, 0, 0, 0, z}; }

Mat3 rotation(Vec3 axis, double radians)
{
    const Vec3 a = normalized(axis);
    const double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    return {t * a.x * a.x + c, t * a.x * a.y - s * a.z, t * a.x * a.z + s * a.y,
            t * a.x * a.y + s * a.z, t * a.y * a.y + c, t * a.y * a.z - s * a.x,
            t * a.x * a.z - s * a.y, t * a.y * a.z + s * a.x, t * a.z * a.z + c};
}

Body::Body(const Recipe &recipe)
    : m_faces(6 * N * N)
{
    std::mt19937 rng(recipe.seed);
    const Noise shape(recipe.seed), detail(recipe.seed + 101), warp(recipe.seed + 202),
        colour(recipe.seed + 303);

    // Crater sizes follow a steep power law: a few big bowls, many small pits.
    std::vector<Crater> craters;
    for (int i = 0; i < recipe.craters; ++i) {
        const double size = 0.07 + 0.38 * std::pow(uniform(rng), 2.6);
        Crater c;
        c.centre = random_direction(rng);
        c.radius = size * recipe.crater_size;
        c.depth = c.radius * (0.28 + 0.12 * uniform(rng));
        c.rim = c.radius * (0.09 + 0.06 * uniform(rng));
        c.cos_reach = std::cos(std::min(M_PI, 2.0 * c.radius));
        craters.push_back(c);
    }

    for (int f = 0; f < 6; ++f) {
        for (int j = 0; j < N; ++j) {
            for (int i = 0; i < N; ++i) {
                const Vec3 d = normalized(
                    face_direction(f, -1 + 2.0 * i / (N - 1), -1 + 2.0 * j / (N - 1)));

                // Warping the lookup point turns round blobs into irregular lobes.
                const Vec3 w = d * 1.2
                               + Vec3{warp(d * 1.6), warp(d * 1.6 + Vec3{31, 7, 3}),
                                      warp(d * 1.6 + Vec3{5, 43, 11})}
                                     * 0.45;
                double r = 1 + recipe.lumps * shape.fbm(w, 3);
                r += recipe.roughness * detail.fbm(d * 5.5, 4, 0.55);

                double bowl_sum = 0, rim_sum = 0;
                for (const Crater &c : craters) {
                    const double cd = dot(d, c.centre);
                    if (cd < c.cos_reach)
                        continue;
                    const double x = std::acos(std::min(1.0, cd)) / c.radius;
                    const double bowl = x < 1 ? (1 - x * x) * (1 - x * x) : 0;
                    const double rim = std::exp(-(x - 1) * (x - 1) / 0.08);
                    r += -c.depth * bowl + c.rim * rim;
                    bowl_sum += bowl;
                    rim_sum += rim * (c.radius < 0.14 ? 1.0 : 0.4);
                }

                Texel &t = m_faces[(f * N + j) * N + i];
                t.radius = float(r);
                // Crater floors collect dark dust; small fresh rims stay bright.
                t.albedo = float(1 + 0.3 * colour.fbm(d * 2.6, 4) + 0.06 * detail(d * 23)
                                 - 0.10 * std::min(1.0, bowl_sum) + 0.08 * std::min(1.0, rim_sum));
                t.tint = float(std::clamp(recipe.warmth + 1.6 * colour.fbm(d * 1.4 + Vec3{9, 9, 9}, 3), -1.0, 1.0));
            }
        }
    }
}

Body::Texel Body::lookup(const Vec3 &q) const
{
    const double ax = std::abs(q.x), ay = std::abs(q.y), az = std::abs(q.z);
    int f;
    double u, v;
    if (ax >= ay && ax >= az) {
        f = q.x > 0 ? 0 : 1;
        u = q.y / ax;
        v = q.z / ax;
    } else if (ay >= az) {
        f = q.y > 0 ? 2 : 3;
        u = q.x / ay;
        v = q.z / ay;
    } else {
        f = q.z > 0 ? 4 : 5;
        u = q.x / az;
        v = q.y / az;
    }
    const double fu = (u + 1) * 0.5 * (N - 1), fv = (v + 1) * 0.5 * (N - 1);
    const int i = std::clamp(int(fu), 0, N - 2), j = std::clamp(int(fv), 0, N - 2);
    const float s = float(fu - i), t = float(fv - j);
    const Texel *row0 = &m_faces[(f * N + j) * N + i];
    const Texel *row1 = row0 + N;
    auto mix = [&](float a00, float a10, float a01, float a11) {
        return (a00 * (1 - s) + a10 * s) * (1 - t) + (a01 * (1 - s) + a11 * s) * t;
    };
    return {mix(row0[0].radius, row0[1].radius, row1[0].radius, row1[1].radius),
            mix(row0[0].albedo, row0[1].albedo, row1[0].albedo, row1[1].albedo),
            mix(row0[0].tint, row0[1].tint, row1[0].tint, row1[1].tint)};
}

double Body::radius(const Vec3 &q) const { return lookup(q).radius; }

void Body::material(const Vec3 &q, double &albedo, double &tint) const
{
    const Texel t = lookup(q);
    albedo = t.albedo;
    tint = t.tint;
}

std::vector<Vec3> Body::surface_points() const
{
    std::vector<Vec3> points;
    for (int f = 0; f < 6; ++f)
        for (int j = 0; j < N; j += 2)
            for (int i = 0; i < N; i += 2) {
                const Vec3 d = normalized(
                    face_direction(f, -1 + 2.0 * i / (N - 1), -1 + 2.0 * j / (N - 1)));
                points.push_back(d * m_faces[(f * N + j) * N + i].radius);
            }
    return points;
}

QImage render(const Body &body, const Mat3 &to_view, Vec3 shift, int w, int h, int ss)
{
    const Mat3 to_body = inverse(to_view);
    double bound = 0;
    for (const Vec3 &p : body.surface_points())
        bound = std::max(bound, length(apply(to_view, p)));
    bound += 1;

    // Upper-left light, slightly towards the viewer: every rock shares it.
    const Vec3 light = normalized({-1.0, 1.0, 0.6});
    const double exposure = 1.8;
    // Linear-light albedo colours of grey regolith and warmer, iron-rich rock.
    const Vec3 grey{0.205, 0.195, 0.180}, warm{0.265, 0.180, 0.120};

    auto inside = [&](Vec3 p) {
        const Vec3 q = apply(to_body, p);
        return length(q) - body.radius(q);
    };
    auto to_srgb = [](double c) {
        c = std::clamp(c, 0.0, 1.0);
        c = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
        return int(std::lround(c * 255));
    };

    const double step = 0.5; // pixels along a ray
    QImage out(w * ss, h * ss, QImage::Format_ARGB32_Premultiplied);
    out.fill(0);
    for (int j = 0; j < h * ss; ++j) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(j));
        for (int i = 0; i < w * ss; ++i) {
            const double x = (i + 0.5) / ss - w * 0.5 - shift.x;
            const double y = h * 0.5 - (j + 0.5) / ss - shift.y;
            const double rr = bound * bound - x * x - y * y;
            if (rr <= 0)
                continue;
            const double top = std::sqrt(rr);
            double z = top, prev = top;
            bool hit = false;
            for (; z > -top; z -= step) {
                if (inside({x, y, z}) < 0) {
                    hit = true;
                    break;
                }
                prev = z;
            }
            if (!hit)
                continue;
            double hi = prev, lo = z; // surface lies between
            for (int k = 0; k < 12; ++k) {
                const double mid = 0.5 * (hi + lo);
                (inside({x, y, mid}) < 0 ? lo : hi) = mid;
            }
            const Vec3 p{x, y, 0.5 * (hi + lo)};

            const double e = 0.2;
            const Vec3 n = normalized({inside(p + Vec3{e, 0, 0}) - inside(p - Vec3{e, 0, 0}),
                                       inside(p + Vec3{0, e, 0}) - inside(p - Vec3{0, e, 0}),
                                       inside(p + Vec3{0, 0, e}) - inside(p - Vec3{0, 0, e})});
            double lambert = std::max(0.0, dot(n, light));
            if (lambert > 0) {
                // Hard shadow: walk towards the light until the ray leaves the rock.
                Vec3 s = p + n * 0.35 + light * 0.6;
                while (dot(s, s) < bound * bound) {
                    if (inside(s) < 0) {
                        lambert = 0;
                        break;
                    }
                    s = s + light * step;
                }
            }
            double albedo, tint;
            body.material(apply(to_body, p), albedo, tint);
            const double k = 0.5 + 0.5 * tint;
            const Vec3 base = grey * (1 - k) + warm * k;
            // A little ambient, stronger on faces turned to the viewer, keeps the
            // night side's shape readable.
            const double ambient = 0.03 + 0.05 * std::max(0.0, n.z);
            const double shade = albedo * (ambient + (1 - ambient) * lambert) * exposure;
            line[i] = qRgb(to_srgb(base.x * shade), to_srgb(base.y * shade), to_srgb(base.z * shade));
        }
    }
    return out;
}

} // namespace assetgen::rock

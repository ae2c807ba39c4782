#include "scenes_render.h"

#include <random>

namespace assetgen {

namespace {

double srgb_to_linear(double v)
{
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double linear_to_srgb(double v)
{
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

// Highlights roll off towards white instead of clipping hard, so glows and
// bright cores keep a soft edge.
double shoulder(double v)
{
    constexpr double knee = 0.75;
    if (v <= knee)
        return std::max(v, 0.0);
    return knee + (1 - knee) * (1 - std::exp(-(v - knee) / (1 - knee)));
}

// Height of a crater at `r` crater radii from its centre: a flat-floored bowl, a
// raised rim and ejecta that fade out by 2.2 radii.
double crater_profile(double r, double depth)
{
    if (r >= 2.2)
        return 0;
    const double rim = depth * 0.35;
    if (r < 1) {
        // Bowl with a flat floor (smooth maximum of the two) and a raised rim crest.
        const double bowl = depth * (r * r - 1);
        const double floor = -depth * 0.7;
        const double k = depth * 0.2;
        const double blend = std::max(k - std::abs(bowl - floor), 0.0) / k;
        return std::max(bowl, floor) + blend * blend * k * 0.25 + rim * smoothstep(0.5, 1.0, r);
    }
    const double t = (r - 1) / 1.2;
    return rim * std::exp(-3.2 * (r - 1)) * (1 - t * t);
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double grad(int h, double x, double y, double z)
{
    switch (h & 15) {
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
    case 11: return -y - z;
    case 12: return x + y;
    case 13: return -y + z;
    case 14: return -x + y;
    default: return -y - z;
    }
}

// Fixed rotation between octaves (about an oblique axis, by an irrational angle).
const Mat3 &octave_rotation()
{
    static const Mat3 m = Mat3::rot_x(0.61) * Mat3::rot_y(1.13) * Mat3::rot_z(0.37);
    return m;
}

} // namespace

Vec3 srgb(int r, int g, int b)
{
    return {srgb_to_linear(r / 255.0), srgb_to_linear(g / 255.0), srgb_to_linear(b / 255.0)};
}

double luminance(const Vec3 &c) { return 0.2126 * c.x + 0.7152 * c.y + 0.0722 * c.z; }

Mat3 Mat3::operator*(const Mat3 &o) const
{
    const Mat3 t = o.transposed();
    Mat3 m;
    for (int i = 0; i < 3; ++i)
        m.r[i] = {dot(r[i], t.r[0]), dot(r[i], t.r[1]), dot(r[i], t.r[2])};
    return m;
}

Mat3 Mat3::transposed() const
{
    Mat3 m;
    m.r[0] = {r[0].x, r[1].x, r[2].x};
    m.r[1] = {r[0].y, r[1].y, r[2].y};
    m.r[2] = {r[0].z, r[1].z, r[2].z};
    return m;
}

Mat3 Mat3::rot_x(double a)
{
    Mat3 m;
    m.r[1] = {0, std::cos(a), -std::sin(a)};
    m.r[2] = {0, std::sin(a), std::cos(a)};
    return m;
}

Mat3 Mat3::rot_y(double a)
{
    Mat3 m;
    m.r[0] = {std::cos(a), 0, std::sin(a)};
    m.r[2] = {-std::sin(a), 0, std::cos(a)};
    return m;
}

Mat3 Mat3::rot_z(double a)
{
    Mat3 m;
    m.r[0] = {std::cos(a), -std::sin(a), 0};
    m.r[1] = {std::sin(a), std::cos(a), 0};
    return m;
}

Noise::Noise(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::array<uint8_t, 256> p{};
    for (int i = 0; i < 256; ++i)
        p[i] = uint8_t(i);
    for (int i = 255; i > 0; --i)
        std::swap(p[i], p[rng() % uint32_t(i + 1)]);
    for (int i = 0; i < 512; ++i)
        perm_[i] = p[i & 255];
}

double Noise::operator()(const Vec3 &p) const
{
    const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    const int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
    const double x = p.x - fx, y = p.y - fy, z = p.z - fz;
    const double u = fade(x), v = fade(y), w = fade(z);
    const int A = perm_[X] + Y, AA = perm_[A] + Z, AB = perm_[A + 1] + Z;
    const int B = perm_[X + 1] + Y, BA = perm_[B] + Z, BB = perm_[B + 1] + Z;
    const double r = mix(mix(mix(grad(perm_[AA], x, y, z), grad(perm_[BA], x - 1, y, z), u),
                             mix(grad(perm_[AB], x, y - 1, z), grad(perm_[BB], x - 1, y - 1, z), u), v),
                         mix(mix(grad(perm_[AA + 1], x, y, z - 1), grad(perm_[BA + 1], x - 1, y, z - 1), u),
                             mix(grad(perm_[AB + 1], x, y - 1, z - 1),
                                 grad(perm_[BB + 1], x - 1, y - 1, z - 1), u),
                             v),
                         w);
    return r;
}

double Noise::fbm(Vec3 p, int octaves, double gain, double lacunarity) const
{
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * (*this)(p);
        norm += amp;
        amp *= gain;
        p = octave_rotation() * p * lacunarity + Vec3(17.3, -9.1, 5.7);
    }
    return sum / norm * 1.6;
}

double Noise::fbm_soft(Vec3 p, double octaves, double gain) const
{
    // Normalised by the infinite series, so the large scales keep their amplitude
    // whatever the octave count.
    double sum = 0, amp = 1;
    for (int i = 0; i < int(std::ceil(octaves)); ++i) {
        sum += amp * std::min(1.0, octaves - i) * (*this)(p);
        amp *= gain;
        p = octave_rotation() * p * 2.03 + Vec3(17.3, -9.1, 5.7);
    }
    return sum * (1 - gain) * 1.6;
}

double Noise::ridged(Vec3 p, int octaves, double gain, double lacunarity) const
{
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        const double n = 1 - std::abs((*this)(p));
        sum += amp * n * n;
        norm += amp;
        amp *= gain;
        p = octave_rotation() * p * lacunarity + Vec3(-4.9, 11.2, 3.3);
    }
    return sum / norm;
}

Canvas::Canvas(int out_w, int out_h, int ss)
    : w_(out_w * ss), h_(out_h * ss), ss_(ss), unit_(double(out_w * ss) / 640.0),
      px_(size_t(w_) * h_)
{
}

void Canvas::shade(const std::function<void(double, double, Vec3 &)> &f, double x0, double y0,
                   double x1, double y1)
{
    const int i0 = std::max(0, int(std::floor(x0 * unit_)));
    const int j0 = std::max(0, int(std::floor(y0 * unit_)));
    const int i1 = std::min(w_, int(std::ceil(x1 * unit_)) + 1);
    const int j1 = std::min(h_, int(std::ceil(y1 * unit_)) + 1);
    for (int j = j0; j < j1; ++j)
        for (int i = i0; i < i1; ++i)
            f((i + 0.5) / unit_, (j + 0.5) / unit_, at(i, j));
}

void Canvas::splat(double x, double y, double sigma, const Vec3 &colour)
{
    const double s = std::max(sigma * unit_, 0.35);
    const double cx = x * unit_, cy = y * unit_;
    const int rad = int(std::ceil(3.2 * s));
    const int i0 = std::max(0, int(cx) - rad), i1 = std::min(w_ - 1, int(cx) + rad);
    const int j0 = std::max(0, int(cy) - rad), j1 = std::min(h_ - 1, int(cy) + rad);
    const double k = -0.5 / (s * s);
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
            const double dx = i + 0.5 - cx, dy = j + 0.5 - cy;
            at(i, j) += colour * std::exp((dx * dx + dy * dy) * k);
        }
}

QImage Canvas::finish() const
{
    const int ow = w_ / ss_, oh = h_ / ss_;
    QImage img(ow, oh, QImage::Format_RGB32);
    const double norm = 1.0 / (ss_ * ss_);
    auto encode = [](double v) { return int(std::lround(255 * linear_to_srgb(clamp01(shoulder(v))))); };
    for (int y = 0; y < oh; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < ow; ++x) {
            Vec3 sum;
            for (int j = 0; j < ss_; ++j)
                for (int i = 0; i < ss_; ++i)
                    sum += at(x * ss_ + i, y * ss_ + j);
            sum *= norm;
            line[x] = qRgb(encode(sum.x), encode(sum.y), encode(sum.z));
        }
    }
    return img;
}

Vec3 star_colour(double kelvin)
{
    // Fit of the black-body colour, normalised so the brightest channel is 1.
    const double t = kelvin / 100;
    double r, g, b;
    if (t <= 66) {
        r = 255;
        g = 99.47 * std::log(t) - 161.12;
        b = t <= 19 ? 0 : 138.52 * std::log(t - 10) - 305.04;
    } else {
        r = 329.7 * std::pow(t - 60, -0.1332);
        g = 288.12 * std::pow(t - 60, -0.0755);
        b = 255;
    }
    Vec3 c = srgb(std::clamp(int(r), 0, 255), std::clamp(int(g), 0, 255), std::clamp(int(b), 0, 255));
    return c / std::max({c.x, c.y, c.z});
}

void add_glint(Canvas &canvas, double x0, double y0, const Vec3 &colour, double sigma, double spike_length)
{
    canvas.splat(x0, y0, sigma * 3.5, colour * 0.07);
    canvas.splat(x0, y0, sigma * 9, colour * 0.012);
    const double half = 0.42 * canvas.out_px();
    const double decay = spike_length * 0.3;
    canvas.shade(
        [&](double x, double y, Vec3 &c) {
            const double dx = std::abs(x - x0), dy = std::abs(y - y0);
            const double v = std::exp(-dx / decay) * std::exp(-0.5 * dy * dy / (half * half)) +
                             std::exp(-dy / decay) * std::exp(-0.5 * dx * dx / (half * half));
            c += colour * (0.4 * v);
        },
        x0 - spike_length * 1.8, y0 - spike_length * 1.8, x0 + spike_length * 1.8, y0 + spike_length * 1.8);
}

void add_stars(Canvas &canvas, const StarField &f)
{
    struct Star
    {
        double x, y, b;
        Vec3 colour;
    };
    std::mt19937 rng(f.seed);
    std::uniform_real_distribution<double> uni(0, 1);
    const double W = canvas.ref_w(), H = canvas.ref_h();
    const int wanted = int(f.count * H / 480.0);
    std::vector<Star> stars;
    stars.reserve(wanted);
    for (int attempts = 0; int(stars.size()) < wanted && attempts < wanted * 200; ++attempts) {
        const double x = uni(rng) * W, y = uni(rng) * H;
        const double u = uni(rng);
        const double accept = uni(rng);
        const double tsel = uni(rng), tvar = uni(rng);
        if (f.density && accept > f.density(x, y))
            continue;
        double b = f.faintest * std::pow(1 - u, -1 / f.slope);
        b = std::min(b, f.brightest);
        if (f.dimming)
            b *= f.dimming(x, y);
        // Mostly sun-like and white stars, some blue, a few orange and red.
        double kelvin;
        if (tsel < 0.12)
            kelvin = 3200 + 1300 * tvar;
        else if (tsel < 0.45)
            kelvin = 4500 + 1800 * tvar;
        else if (tsel < 0.85)
            kelvin = 6300 + 3000 * tvar;
        else
            kelvin = 9500 + 9000 * tvar;
        // Real star colours are subtle: keep them pale.
        const Vec3 colour = mix(Vec3(1, 1, 1), star_colour(kelvin), 0.55);
        stars.push_back({x, y, b, colour});
    }
    std::stable_sort(stars.begin(), stars.end(), [](const Star &a, const Star &b) { return a.b > b.b; });
    // A small picture holds fewer resolvable stars: keep the brightest.
    const double keep = std::min(1.0, std::pow(canvas.w() / canvas.ss() / 640.0, 1.3));
    stars.resize(std::min(stars.size(), size_t(std::max(double(f.glowing), stars.size() * keep))));

    const double px = canvas.out_px();
    for (size_t i = 0; i < stars.size(); ++i) {
        const Star &s = stars[i];
        const double rel = std::clamp(std::log10(s.b / f.faintest) / 2.0, 0.0, 1.0);
        const double sigma = (0.5 + 0.3 * rel) * px;
        canvas.splat(s.x, s.y, sigma, s.colour * s.b);
        if (int(i) >= f.glowing)
            continue;
        // Shorter spikes for the fainter of the glowing stars.
        add_glint(canvas, s.x, s.y, s.colour * s.b, sigma, f.spike_length * std::sqrt(s.b / f.brightest));
    }
}

SphereHit hit_sphere(double x, double y, double cx, double cy, double r, double aa)
{
    SphereHit h;
    const double dx = x - cx, dy = y - cy;
    const double dist = std::sqrt(dx * dx + dy * dy);
    h.coverage = clamp01((r - dist) / aa + 0.5);
    if (h.coverage <= 0)
        return h;
    const double nx = dx / r, ny = -dy / r;
    const double nz2 = 1 - nx * nx - ny * ny;
    h.n = normalize(Vec3(nx, ny, std::sqrt(std::max(nz2, 1e-6))));
    return h;
}

CraterField::CraterField(std::vector<Crater> craters, double cell)
    : cell_(cell), craters_(std::move(craters))
{
    if (craters_.empty())
        return;
    Vec3 lo(1e30, 1e30, 1e30), hi(-1e30, -1e30, -1e30);
    for (const Crater &c : craters_) {
        const double e = c.radius * 2.2;
        lo = {std::min(lo.x, c.c.x - e), std::min(lo.y, c.c.y - e), std::min(lo.z, c.c.z - e)};
        hi = {std::max(hi.x, c.c.x + e), std::max(hi.y, c.c.y + e), std::max(hi.z, c.c.z + e)};
    }
    lo_ = lo;
    nx_ = int((hi.x - lo.x) / cell_) + 1;
    ny_ = int((hi.y - lo.y) / cell_) + 1;
    nz_ = int((hi.z - lo.z) / cell_) + 1;
    cells_.resize(size_t(nx_) * ny_ * nz_);
    for (int n = 0; n < int(craters_.size()); ++n) {
        const Crater &c = craters_[n];
        const double e = c.radius * 2.2;
        const int i0 = int((c.c.x - e - lo.x) / cell_), i1 = int((c.c.x + e - lo.x) / cell_);
        const int j0 = int((c.c.y - e - lo.y) / cell_), j1 = int((c.c.y + e - lo.y) / cell_);
        const int k0 = int((c.c.z - e - lo.z) / cell_), k1 = int((c.c.z + e - lo.z) / cell_);
        for (int k = k0; k <= std::min(k1, nz_ - 1); ++k)
            for (int j = j0; j <= std::min(j1, ny_ - 1); ++j)
                for (int i = i0; i <= std::min(i1, nx_ - 1); ++i)
                    cells_[index(i, j, k)].push_back(n);
    }
}

double CraterField::height(const Vec3 &p) const
{
    if (cells_.empty())
        return 0;
    const int i = int(std::floor((p.x - lo_.x) / cell_));
    const int j = int(std::floor((p.y - lo_.y) / cell_));
    const int k = int(std::floor((p.z - lo_.z) / cell_));
    if (i < 0 || j < 0 || k < 0 || i >= nx_ || j >= ny_ || k >= nz_)
        return 0;
    double h = 0;
    for (int n : cells_[index(i, j, k)]) {
        const Crater &c = craters_[n];
        const double r = length(p - c.c) / c.radius;
        if (r < 2.2) {
            // Younger (later) craters overprint older ones instead of adding up.
            const double v = crater_profile(r, c.depth);
            const double w = smoothstep(2.2, 1.2, r);
            h = mix(h, v + h * 0.3, w);
        }
    }
    return h;
}

std::vector<CraterField::Crater> CraterField::on_sphere(uint32_t seed, int count, double rmin,
                                                       double rmax, double depth_ratio)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> uni(0, 1);
    std::vector<Crater> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double z = uni(rng) * 2 - 1, a = uni(rng) * 2 * M_PI;
        const double s = std::sqrt(1 - z * z);
        const double u = uni(rng);
        // Power law: many small craters, few large ones.
        const double r = rmin * std::pow(1 - u * (1 - std::pow(rmin / rmax, 2.0)), -0.5);
        out.push_back({{s * std::cos(a), s * std::sin(a), z}, r, r * depth_ratio * (0.7 + 0.6 * uni(rng))});
    }
    // Large (old) craters first, so small young ones overprint them.
    std::stable_sort(out.begin(), out.end(),
                     [](const Crater &a, const Crater &b) { return a.radius > b.radius; });
    return out;
}

} // namespace assetgen

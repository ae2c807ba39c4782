// Planet scenes: the blue planet, the moonscape, the ringed giant, the red
// planet and the storm-banded giant.
#include "scenes_render.h"

#include <iterator>
#include <random>
#include <utility>
#include <vector>

namespace assetgen {

namespace {

Vec3 over(const Vec3 &under, const Vec3 &top, double alpha) { return mix(under, top, clamp01(alpha)); }

// Tangent-plane normal tilt from a height function sampled around p on the unit sphere.
template<class F>
Vec3 bumped_normal(const Vec3 &p, F height, double eps, double strength)
{
    const Vec3 t1 = normalize(cross(std::abs(p.y) < 0.9 ? Vec3(0, 1, 0) : Vec3(1, 0, 0), p));
    const Vec3 t2 = cross(p, t1);
    const double h0 = height(p);
    const double h1 = height(normalize(p + t1 * eps));
    const double h2 = height(normalize(p + t2 * eps));
    return normalize(p - (t1 * ((h1 - h0) / eps) + t2 * ((h2 - h0) / eps)) * strength);
}

// Light scattered in a thin atmosphere, seen at `d` radii from the planet centre
// (d > 1 outside the disc): it falls off with the height above the surface.
double limb_glow(double d, double scale_height)
{
    if (d >= 1)
        return std::exp(-(d - 1) / scale_height);
    return 1.0;
}

// The blue planet: oceans, continents, ice, clouds with cyclones, town lights on
// the night side and a scattering atmosphere. Cyclone centres are view directions.
struct BluePlanetView
{
    double cx, cy, R;
    Vec3 light;
    Mat3 body;
    std::vector<std::pair<Vec3, double>> cyclones;
};

void draw_blue_planet(Canvas &c, const BluePlanetView &v)
{
    const double cx = v.cx, cy = v.cy, R = v.R;
    const Vec3 L = normalize(v.light);
    const Mat3 &body = v.body;
    const Noise land(11), cloud(12), fine(13);
    const double aa = 1.0 / c.unit();
    const Vec3 sky_blue = srgb(80, 140, 255), sunset = srgb(255, 140, 70);
    // The rim stays at least about one output pixel thick on a small planet.
    const double rim_h = std::max(0.006, 0.8 * c.out_px() / R);
    // Octaves that stay above the pixel size on this planet's disc.
    const double disc_px = R * c.unit();
    auto octaves = [disc_px](double base_freq, double most) {
        return std::clamp(std::log2(disc_px / (2.5 * base_freq)), 0.0, most);
    };
    std::vector<std::pair<Vec3, double>> cyclones;
    for (const auto &[dir, turn] : v.cyclones)
        cyclones.push_back({body * normalize(dir), turn});
    c.shade(
        [&](double x, double y, Vec3 &col) {
            const double dx = x - cx, dy = y - cy;
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double d = dist / R;
            const Vec3 limb_n(dx / dist, -dy / dist, 0);
            const double limb_sun = dot(limb_n, L);
            // Thin bright rim and a faint outer haze; warm where the limb meets the terminator.
            const double lit = smoothstep(-0.12, 0.35, limb_sun);
            const Vec3 rim_col = mix(sunset, sky_blue, smoothstep(-0.2, 0.12, limb_sun));
            if (d >= 1) {
                const double g = 0.9 * limb_glow(d, rim_h) + 0.12 * limb_glow(d, rim_h * 5);
                col += rim_col * (g * lit);
                if (d > 1 + aa / R)
                    return;
            }
            const SphereHit h = hit_sphere(x, y, cx, cy, R, aa);
            if (h.coverage <= 0)
                return;
            const Vec3 n = h.n;
            const Vec3 p = body * n;
            const double lat = std::asin(std::clamp(p.y, -1.0, 1.0));

            const Vec3 q = p * 1.7;
            const Vec3 warp(land.fbm(q * 1.3 + Vec3(3.1, 1.7, 7.2), 4),
                            land.fbm(q * 1.3 + Vec3(-5.3, 2.2, 1.9), 4),
                            land.fbm(q * 1.3 + Vec3(1.4, -6.1, 3.3), 4));
            const double base = land.fbm_soft(q + warp * 0.55, octaves(1.7, 9)) - 0.12;
            // Mountain ridges rise inland from the coasts.
            const double ridges = base > -0.05 ? land.ridged(p * 9 + warp, int(std::max(1.0, octaves(9, 5)))) : 0.0;
            const double e = base + 0.12 * ridges * smoothstep(-0.05, 0.2, base);
            const double land_w = smoothstep(-0.006, 0.006, e);

            const Vec3 deep = srgb(6, 22, 66), shallow = srgb(18, 72, 118), shelf = srgb(38, 118, 138);
            Vec3 water = mix(deep, shallow, smoothstep(-0.35, -0.02, e));
            water = mix(water, shelf, smoothstep(-0.05, 0.0, e) * 0.7);

            const double moist = fine.fbm(p * 3.1 + Vec3(9, 9, 9), 5) + 0.3 * std::cos(lat * 5.5) + 0.05;
            const Vec3 forest = srgb(42, 74, 34), steppe = srgb(112, 110, 62), desert = srgb(168, 144, 108);
            Vec3 ground = mix(desert, steppe, smoothstep(-0.25, 0.05, moist));
            ground = mix(ground, forest, smoothstep(0.05, 0.35, moist));
            ground = mix(ground, srgb(118, 100, 82), smoothstep(0.16, 0.34, e));
            ground *= 0.85 + 0.3 * (0.5 + 0.5 * fine.fbm_soft(p * 40, octaves(40, 4)));
            const double snow =
                std::max(smoothstep(0.46, 0.6, e + 0.08 * fine.fbm_soft(p * 30, octaves(30, 3))),
                         smoothstep(1.06, 1.2, std::abs(lat) + 0.08 * fine.fbm(p * 6, 3)));
            ground = mix(ground, srgb(232, 236, 242), snow);
            const double ice = smoothstep(1.22, 1.3, std::abs(lat) + 0.07 * fine.fbm(p * 7, 4));
            Vec3 surface = mix(mix(water, ground, land_w), srgb(230, 236, 244), ice);

            // Clouds: warped fbm broken up by fine detail, more cover in the storm belts than in
            // the subtropics, and cyclones that wind the pattern into spirals.
            const double belts = 0.16 * std::cos(lat * 6.0) * (std::abs(lat) < 0.35 ? -1 : 1) + 0.02;
            // One octave fewer on a small disc, where the finest cloudlets would only speckle.
            const double cloud_oct = octaves(3.4, 8) - smoothstep(400, 150, disc_px);
            auto cloud_at = [&](Vec3 cp) {
                for (const auto &[cb, turn] : cyclones) {
                    const double dd = length(cp - cb);
                    const double a = turn * std::exp(-dd * dd / 0.018);
                    // Rotate about the cyclone's axis (Rodrigues).
                    cp = cp * std::cos(a) + cross(cb, cp) * std::sin(a) +
                        cb * (dot(cb, cp) * (1 - std::cos(a)));
                }
                const Vec3 cq = cp * 3.4;
                const Vec3 cw(cloud.fbm(cq * 1.1 + Vec3(2, 8, 1), 4), cloud.fbm(cq * 1.1 + Vec3(7, 1, 3), 4),
                              cloud.fbm(cq * 1.1 + Vec3(4, 5, 9), 4));
                const double detail = cloud.fbm_soft(cp * 34 + cw * 0.3, octaves(34, 5));
                return cloud.fbm_soft(cq + cw * 0.3, cloud_oct) + belts + 0.3 * detail;
            };
            const double cl = cloud_at(p);
            // On a small disc the cloud edges are softer: sub-pixel cloudlets average out.
            const double soft = std::clamp(40.0 / disc_px, 0.0, 0.25);
            const double cover = smoothstep(0.1 - soft, 0.6 + soft, cl) * 0.97;
            // Thick cloud is brighter; cloud that thickens towards the sun lies in its own shade.
            const Vec3 towards_sun = body * L;
            const double sunward = cloud_at(normalize(p + (towards_sun - p * dot(towards_sun, p)) * 0.012));
            const double relief = std::clamp(1.0 - 2.2 * (sunward - cl), 0.55, 1.2);
            const Vec3 cloud_col = srgb(246, 247, 250) * (relief * (0.82 + 0.18 * smoothstep(0.3, 0.8, cl)));

            const double ndl = dot(n, L);
            const double day = smoothstep(-0.04, 0.25, ndl) * clamp01(ndl * 0.8 + 0.2);
            Vec3 lit_col = mix(surface, cloud_col, cover) * day;
            // Sun glint on open water.
            const Vec3 refl = n * (2 * ndl) - L;
            const double glint = std::pow(std::max(refl.z, 0.0), 150) * 0.35 * (1 - land_w) * (1 - cover);
            lit_col += srgb(255, 240, 210) * glint * smoothstep(0, 0.2, ndl);
            // Lights of towns on the night side.
            const double night = smoothstep(0.02, -0.18, ndl);
            if (night > 0 && land_w > 0 && octaves(48, 3) >= 1) {
                const double towns =
                    smoothstep(0.25, 0.7, fine.fbm(p * 48, 3)) * smoothstep(-0.1, 0.3, fine.fbm(p * 5, 3));
                lit_col += srgb(255, 170, 80) * (0.08 * towns * night * land_w * (1 - cover * 0.85) *
                                                  smoothstep(0.5, 0.0, snow + ice));
            }
            // Atmosphere: surface seen through more air towards the limb, blue scattering on the day side.
            const double mu = std::max(n.z, 0.0);
            const double tau = 0.05 / (mu + 0.06);
            const double sky_light = smoothstep(-0.08, 0.4, ndl);
            const Vec3 haze = mix(sunset, sky_blue, smoothstep(-0.12, 0.12, ndl));
            Vec3 planet = lit_col * std::exp(-tau * 0.8) + haze * ((1 - std::exp(-tau)) * sky_light * 0.9);
            col = over(col, planet, h.coverage);
        },
        cx - R * 1.15, cy - R * 1.15, cx + R * 1.15, cy + R * 1.15);
}

} // namespace

void scene_blue_planet(Canvas &c)
{
    StarField stars;
    stars.seed = 1001;
    stars.count = 1100;
    stars.faintest = 0.025;
    stars.brightest = 2.5;
    stars.glowing = 4;
    add_stars(c, stars);
    draw_blue_planet(c, {560, 565, 400, Vec3(-0.6, 0.58, -0.5),
                         Mat3::rot_x(0.22) * Mat3::rot_y(2.2) * Mat3::rot_z(-0.25),
                         {{Vec3(-0.5, 0.6, 0.62), 2.2}, {Vec3(0.05, 0.72, 0.69), -1.6}}});
}

void scene_moonscape(Canvas &c)
{
    // World: x right, y up, z forward from the eye; the sun low on the right and a
    // little behind the viewer, so the shadows fall away to the left.
    const Vec3 sun = normalize(Vec3(0.95, 0.075, -0.3));
    const Vec3 sun_view(sun.x, sun.y, -sun.z);

    StarField stars;
    stars.seed = 2002;
    stars.count = 800;
    stars.faintest = 0.02;
    stars.brightest = 1.6;
    stars.glowing = 3;
    add_stars(c, stars);
    draw_blue_planet(c, {168, 240, 46, sun_view, Mat3::rot_x(0.45) * Mat3::rot_y(0.9),
                         {{Vec3(0.35, 0.45, 0.82), 2.0}}});

    const double focal = 700, horizon = 272, eye = 1.8;
    const double curvature = 1.0 / (2 * 2600);   // a small body: the horizon is close
    const Noise hills(21), rough(22), tone(23);

    std::vector<CraterField::Crater> list;
    {
        std::mt19937 rng(2020);
        std::uniform_real_distribution<double> uni(0, 1);
        // Tiers of crater sizes, each only as far out as it stays visible.
        struct Tier { double rmin, rmax, half_width, zmax; };
        for (const Tier &t : {Tier{3, 14, 130, 250}, Tier{0.8, 3, 70, 120}, Tier{0.25, 0.8, 26, 42},
                              Tier{0.07, 0.25, 9, 15}}) {
            const double area = 2 * t.half_width * t.zmax;
            const int count = int(area * 0.02 * (1 / (t.rmin * t.rmin) - 1 / (t.rmax * t.rmax)));
            for (int i = 0; i < count; ++i) {
                const double u = uni(rng);
                const double r = t.rmin * std::pow(1 - u * (1 - std::pow(t.rmin / t.rmax, 2.0)), -0.5);
                const double z = 1 + uni(rng) * t.zmax, x = (uni(rng) * 2 - 1) * t.half_width;
                list.push_back({Vec3(x, z, 0), r, r * (0.28 + 0.14 * uni(rng))});
            }
        }
        std::stable_sort(list.begin(), list.end(),
                         [](const auto &a, const auto &b) { return a.radius > b.radius; });
    }
    const CraterField craters(std::move(list), 1.5);

    // Height without fine detail: used for visibility and shadows.
    auto coarse = [&](double x, double z) {
        double h = craters.height(Vec3(x, z, 0));
        h += 0.6 * hills.fbm(Vec3(x * 0.035, z * 0.035, 0.5), 3);
        // Rounded massifs beyond the near horizon.
        const double m = smoothstep(88, 130, z);
        if (m > 0)
            h += m * (9 + 16 * std::max(0.0, hills.fbm(Vec3(x * 0.011, 3.3, z * 0.011), 3) + 0.35)) *
                 (0.55 + 0.45 * hills.fbm(Vec3(x * 0.04, 7.1, z * 0.04), 3));
        return h - (x * x + z * z) * curvature;
    };

    const int W = c.w(), H = c.h();
    const double u = c.unit();
    std::vector<float> depth(size_t(W) * H, -1.0f);
    for (int i = 0; i < W; ++i) {
        const double dx = ((i + 0.5) / u - 320) / focal;
        int cur = H;
        double prev_z = 0, prev_y = 1e9;
        for (double z = 1.2; z < 300 && cur > 0; z += 0.0045 * z + 0.003) {
            const double y = (horizon - focal * (coarse(dx * z, z) - eye) / z) * u;
            for (int r = cur - 1; r >= 0 && r + 0.5 >= y; --r) {
                const double t = prev_y > 1e8 ? 1.0 : clamp01((r + 0.5 - prev_y) / (y - prev_y));
                depth[size_t(r) * W + i] = float(mix(prev_z, z, t));
                cur = r;
            }
            prev_z = z;
            prev_y = y;
        }
    }

    const Vec3 regolith = srgb(150, 147, 142), mare = srgb(92, 91, 90);
    c.shade([&](double x, double y, Vec3 &col) {
        const int i = int(x * u), j = int(y * u);
        const double z = depth[size_t(j) * W + i];
        if (z < 0)
            return;
        const double dx = (x - 320) / focal;
        const double X = dx * z;
        const double foot = z / (focal * u);
        const double detail_oct = std::clamp(std::log2(0.5 / (1.4 * foot)), 0.0, 6.0);
        auto fine = [&](double px, double pz) {
            return coarse(px, pz) + 0.05 * rough.fbm_soft(Vec3(px * 1.4, pz * 1.4, 2.5), detail_oct);
        };
        const double e = std::max(foot, 0.004);
        const double h0 = fine(X, z);
        const Vec3 n = normalize(Vec3(-(fine(X + e, z) - h0) / e, 1, -(fine(X, z + e) - h0) / e));

        // Shadow: march towards the sun over the coarse terrain; a soft edge from
        // the closest clearance.
        const Vec3 p(X, coarse(X, z) + 0.01, z);
        double clear = 1e9;
        for (double s = 0.03 + foot; s < 70; s = s * 1.2 + 0.02) {
            const Vec3 q = p + sun * s;
            clear = std::min(clear, (q.y - coarse(q.x, q.z)) / s);
            if (clear < -0.02)
                break;
        }
        const double lit = smoothstep(-0.012, 0.012, clear);

        const Vec3 view = normalize(Vec3(-X, eye - p.y, -z));
        const double mu0 = std::max(dot(n, sun), 0.0), mu = std::max(dot(n, view), 0.05);
        // Lambert mixed with the flatter Lommel-Seeliger law of dusty regolith.
        const double brdf = 0.75 * mu0 + 0.25 * mu0 / (mu0 + mu);
        const double m = smoothstep(-0.15, 0.25, tone.fbm(Vec3(X * 0.02, z * 0.02, 1.5), 4));
        Vec3 albedo = mix(regolith, mare, m) *
            (0.85 + 0.3 * (0.5 + 0.5 * tone.fbm_soft(Vec3(X * 0.6, z * 0.6, 4.5), detail_oct)));
        // Earthshine keeps the shadows from going quite black.
        col = albedo * (3.2 * brdf * lit) + albedo * srgb(120, 150, 220) * (0.03 * (0.5 + 0.5 * n.y));
    });
}
namespace {

// Opacity of the ring system at `r` planet radii: a faint inner ring, a broad
// dense ring, a dark division, the outer ring with a narrow gap, and ringlets.
double ring_opacity(double r, const Noise &n)
{
    auto band = [r](double a, double b, double soft) {
        return smoothstep(a - soft, a + soft, r) * (1 - smoothstep(b - soft, b + soft, r));
    };
    double o =
        0.1 * band(1.24, 1.53, 0.012) + 0.85 * band(1.53, 1.95, 0.006) + 0.55 * band(2.03, 2.27, 0.004);
    o *= 1 - 0.8 * band(2.2, 2.213, 0.002);
    o *= 1 - 0.35 * band(1.53, 1.62, 0.03);
    o *= (0.55 + 0.45 * (0.5 + 0.5 * n.fbm(Vec3(r * 30, 0.5, 0.5), 3))) *
        (0.8 + 0.2 * n(Vec3(r * 90, 3.5, 0.5)));
    return clamp01(o);
}

Vec3 ring_colour(double r)
{
    const Vec3 inner = srgb(128, 116, 104), middle = srgb(222, 200, 162), outer = srgb(186, 176, 160);
    if (r < 1.53)
        return mix(inner, middle, smoothstep(1.3, 1.55, r) * 0.6);
    return mix(middle, outer, smoothstep(1.9, 2.05, r));
}

// Basis whose second row is the pole, for turning view vectors into body coordinates.
Mat3 pole_frame(const Vec3 &pole)
{
    Mat3 m;
    const Vec3 e1 = normalize(cross(pole, Vec3(0, 0, 1)));
    m.r = {e1, pole, cross(e1, pole)};
    return m;
}

// A small round moon with a hazy or rocky face.
void draw_small_moon(Canvas &c, double cx, double cy, double r, const Vec3 &colour, const Vec3 &light,
                     double haze)
{
    const Vec3 L = normalize(light);
    const double aa = 1.0 / c.unit();
    c.shade(
        [&](double x, double y, Vec3 &col) {
            const SphereHit h = hit_sphere(x, y, cx, cy, r, aa);
            if (h.coverage <= 0)
                return;
            const double ndl = dot(h.n, L);
            const double lit = clamp01(ndl + haze * 0.3) / (1 + haze * 0.3);
            col = over(col, colour * (lit * (1 - haze * (1 - h.n.z))), h.coverage);
        },
        cx - r - 2, cy - r - 2, cx + r + 2, cy + r + 2);
}

} // namespace

void scene_ringed_giant(Canvas &c)
{
    StarField stars;
    stars.seed = 3003;
    stars.count = 1000;
    stars.faintest = 0.02;
    stars.brightest = 2.0;
    stars.glowing = 3;
    add_stars(c, stars);

    const double cx = 322, cy = 240, R = 88;
    const Vec3 L = normalize(Vec3(-0.55, 0.42, 0.72));
    const Vec3 N = Mat3::rot_z(-0.33) * Vec3(0, std::cos(0.43), std::sin(0.43));
    const Mat3 frame = pole_frame(N);
    const double flat = 0.9;
    const Noise rings(31), bands(32), swirl(33);
    const double aa = 1.0 / (c.unit() * R);

    draw_small_moon(c, 122, 152, 5.5, srgb(214, 160, 92), L, 0.5);

    c.shade(
        [&](double x, double y, Vec3 &col) {
            const double px = (x - cx) / R, py = -(y - cy) / R;
            // Ring plane hit along the view ray.
            const double rz = -(N.x * px + N.y * py) / N.z;
            const Vec3 rp(px, py, rz);
            const double rr = length(rp);
            double ring_a = 0;
            Vec3 ring_c;
            if (rr > 1.2 && rr < 2.3) {
                ring_a = ring_opacity(rr, rings);
                // Planet shadow: the ray from the ring point towards the sun passes the planet.
                const double b = dot(rp, L);
                const double miss = std::sqrt(std::max(dot(rp, rp) - b * b, 0.0));
                const double shadow = b < 0 ? smoothstep(0.985, 1.02, miss) : 1.0;
                ring_c = ring_colour(rr) * (0.95 * (0.35 + 0.65 * shadow));
            }
            // The planet is oblate: intersect an ellipsoid flattened along the pole.
            const Vec3 o = frame * Vec3(px, py, 0), dir = frame * Vec3(0, 0, 1);
            const Vec3 os(o.x, o.y / flat, o.z), ds(dir.x, dir.y / flat, dir.z);
            const double qa = dot(ds, ds), qb = dot(os, ds), qc = dot(os, os) - 1;
            const double disc = qb * qb - qa * qc;
            const double cover = clamp01(disc / (2 * aa) + 0.5);
            const double sz = (-qb + std::sqrt(std::max(disc, 0.0))) / qa;
            const bool ring_in_front = cover <= 0 || rz > sz;
            if (!ring_in_front)
                col = over(col, ring_c, ring_a);
            if (cover > 0) {
                const Vec3 hit = o + dir * sz;
                const Vec3 pb = normalize(Vec3(hit.x, hit.y / flat, hit.z));
                const Vec3 n = frame.transposed() * normalize(Vec3(hit.x, hit.y / (flat * flat), hit.z));
                const double lat = std::asin(std::clamp(pb.y, -1.0, 1.0));
                const Vec3 streak(pb.x * 3, pb.y * 26, pb.z * 3);
                const double wl = lat + 0.012 * swirl.fbm(streak, 5) + 0.006 * swirl.fbm(pb * 9, 4);
                const double b = 0.5 + 0.2 * std::sin(wl * 17 + 1.3) + 0.12 * std::sin(wl * 29 + 0.4) +
                    0.08 * std::sin(wl * 61 + 2.0) + 0.16 * bands.fbm(Vec3(0.3, wl * 9, 0.7), 4) +
                    0.05 * bands.fbm(streak * 2.2, 4);
                Vec3 base = mix(srgb(176, 138, 88), srgb(232, 208, 158), clamp01(b));
                base = mix(base, srgb(138, 148, 150), smoothstep(0.95, 1.3, std::abs(lat)) * 0.7);
                const double ndl = dot(n, L);
                double light = smoothstep(-0.03, 0.2, ndl) * clamp01(ndl * 0.85 + 0.15);
                // Shadow of the rings on the cloud tops.
                const double t = -dot(N, n) / dot(N, L);
                if (t > 0) {
                    const double sr = length(n + L * t);
                    light *= 1 - 0.85 * ring_opacity(sr, rings);
                }
                const double limb = 0.45 + 0.55 * std::pow(std::max(n.z, 0.0), 0.45);
                col = over(col, base * (1.1 * light * limb), cover);
            }
            if (ring_in_front)
                col = over(col, ring_c, ring_a);
        },
        cx - 2.35 * R, cy - 2.35 * R, cx + 2.35 * R, cy + 2.35 * R);
}
void scene_red_planet(Canvas &c)
{
    StarField stars;
    stars.seed = 5005;
    stars.count = 1100;
    stars.faintest = 0.02;
    stars.brightest = 2.2;
    stars.glowing = 4;
    add_stars(c, stars);

    const double cx = 276, cy = 240, R = 132;
    const Vec3 L = normalize(Vec3(0.78, 0.32, 0.55));
    const Mat3 body = Mat3::rot_x(-0.35) * Mat3::rot_y(0.6) * Mat3::rot_z(0.42);
    const Noise albedo(51), mottle(52), canyon(53);
    const CraterField craters(CraterField::on_sphere(5050, 500, 0.005, 0.13, 0.12), 0.12);
    const double aa = 1.0 / c.unit();
    const double disc_px = R * c.unit();
    auto octaves = [disc_px](double base_freq, double most) {
        return std::clamp(std::log2(disc_px / (2.5 * base_freq)), 0.0, most);
    };

    // Relief: craters and one long rift valley along the equator.
    // The rift runs across the face that looks at us, a little right of centre.
    const Vec3 rift_mid = body * normalize(Vec3(0.2, 0.0, 1.0));
    const double rift_lon = std::atan2(rift_mid.x, rift_mid.z);
    auto rift = [&](const Vec3 &p) {
        const double lat = std::asin(std::clamp(p.y, -1.0, 1.0));
        const double lon = std::remainder(std::atan2(p.x, p.z) - rift_lon, 2 * M_PI);
        const double centre = std::asin(std::clamp(rift_mid.y, -1.0, 1.0)) - 0.05 +
            0.035 * std::sin(lon * 4.0) + 0.02 * canyon.fbm(Vec3(lon * 3, 0.5, 0.5), 3);
        const double width = 0.035 * (0.5 + 1.0 * (0.5 + 0.5 * canyon.fbm(Vec3(lon * 6, 2.5, 0.5), 3)));
        const double span = smoothstep(-0.75, -0.45, lon) * smoothstep(0.5, 0.2, lon);
        const double broken = smoothstep(-0.3, 0.2, canyon.fbm(Vec3(lon * 9, lat * 30, 4.5), 3));
        return span * broken * std::exp(-std::pow((lat - centre) / width, 2.0));
    };
    auto height = [&](const Vec3 &p) { return craters.height(p) - 0.012 * rift(p); };

    c.shade(
        [&](double x, double y, Vec3 &col) {
            const double dx = x - cx, dy = y - cy;
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double d = dist / R;
            const Vec3 limb_n(dx / dist, -dy / dist, 0);
            const double limb_sun = smoothstep(-0.1, 0.4, dot(limb_n, L));
            // A thin, dusty atmosphere: a faint pale rim on the lit side.
            if (d >= 1) {
                const double rim_h = std::max(0.005, 0.7 * c.out_px() / R);
                col += srgb(236, 190, 170) * (0.22 * limb_sun * limb_glow(d, rim_h)) +
                       srgb(150, 170, 220) * (0.05 * limb_sun * limb_glow(d, rim_h * 4));
                if (d > 1 + aa / R)
                    return;
            }
            const SphereHit h = hit_sphere(x, y, cx, cy, R, aa);
            if (h.coverage <= 0)
                return;
            const Vec3 p = body * h.n;
            const double lat = std::asin(std::clamp(p.y, -1.0, 1.0));
            const Vec3 q = p * 1.7;
            const Vec3 w(albedo.fbm(q * 1.4 + Vec3(1, 5, 2), 4), albedo.fbm(q * 1.4 + Vec3(6, 2, 8), 4), 0);
            const double a = albedo.fbm_soft(q + w * 0.5, octaves(1.7, 7));
            const double dark = smoothstep(0.02, 0.38, a);
            Vec3 ground = mix(srgb(198, 112, 62), srgb(98, 56, 38), dark * 0.85);
            ground = mix(ground, srgb(222, 150, 100), smoothstep(-0.2, -0.5, a) * 0.5);
            ground *= 0.86 + 0.28 * (0.5 + 0.5 * mottle.fbm_soft(p * 14, octaves(14, 4)));
            ground *= 1 - 0.22 * rift(p);
            const double cap = smoothstep(1.27, 1.38, lat + 0.08 * mottle.fbm(p * 6, 4)) *
                                   (0.8 + 0.2 * smoothstep(-0.2, 0.3, mottle.fbm(p * 25, 3))) +
                               0.6 * smoothstep(-1.32, -1.38, lat + 0.05 * mottle.fbm(p * 7, 3));
            ground = mix(ground, srgb(238, 234, 228), clamp01(cap));

            const Vec3 nb = bumped_normal(p, height, 0.004, 1.0);
            const Vec3 n = body.transposed() * nb;
            const double ndl = dot(n, L), ndl0 = dot(h.n, L);
            const double light = clamp01(ndl) * smoothstep(-0.05, 0.1, ndl0);
            const double mu = std::max(h.n.z, 0.0);
            const double haze = 0.18 * (1 - mu) * (1 - mu);
            Vec3 lit = ground * (1.25 * light * (0.6 + 0.4 * std::pow(mu, 0.3)));
            lit = mix(lit, srgb(215, 150, 120) * smoothstep(-0.1, 0.4, ndl0), haze);
            col = over(col, lit, h.coverage);
        },
        cx - R * 1.1, cy - R * 1.1, cx + R * 1.1, cy + R * 1.1);

    // The two small moons: dark, lumpy, lit by the same sun.
    Rock phobos;
    phobos.x = 468;
    phobos.y = 158;
    phobos.radius = 15;
    phobos.axes = Vec3(1.25, 0.9, 0.95);
    phobos.orientation = Mat3::rot_z(0.5) * Mat3::rot_y(0.3);
    phobos.seed = 501;
    phobos.roughness = 0.12;
    phobos.craters = 50;
    phobos.albedo = srgb(72, 64, 58);
    phobos.light = L;
    draw_rock(c, phobos);
    Rock deimos = phobos;
    deimos.x = 556;
    deimos.y = 326;
    deimos.radius = 8;
    deimos.axes = Vec3(1.15, 0.85, 1.0);
    deimos.orientation = Mat3::rot_x(1.1) * Mat3::rot_z(-0.4);
    deimos.seed = 502;
    deimos.roughness = 0.16;
    deimos.albedo = srgb(86, 76, 66);
    draw_rock(c, deimos);
}
namespace {

// Colour of the cloud bands by latitude (degrees): light zones, brown belts.
Vec3 giant_band(double lat)
{
    struct Stop
    {
        double lat;
        Vec3 colour;
    };
    static const Stop stops[] = {
        {-90, srgb(104, 98, 94)},   {-56, srgb(136, 124, 110)}, {-46, srgb(172, 148, 120)},
        {-41, srgb(204, 184, 156)}, {-36, srgb(226, 214, 192)}, {-31, srgb(170, 128, 96)},
        {-27, srgb(178, 134, 100)}, {-24, srgb(232, 218, 196)}, {-19, srgb(236, 222, 200)},
        {-16, srgb(160, 104, 70)},  {-10, srgb(148, 96, 66)},   {-7, srgb(214, 196, 170)},
        {0, srgb(240, 230, 212)},   {6, srgb(226, 206, 178)},   {9, srgb(150, 94, 64)},
        {16, srgb(140, 88, 62)},    {19, srgb(230, 214, 190)},  {23, srgb(222, 204, 178)},
        {26, srgb(168, 128, 98)},   {30, srgb(212, 194, 168)},  {36, srgb(220, 204, 180)},
        {39, srgb(176, 146, 118)},  {45, srgb(184, 164, 140)},  {55, srgb(140, 128, 114)},
        {90, srgb(106, 100, 96)},
    };
    for (size_t i = 1; i < std::size(stops); ++i)
        if (lat <= stops[i].lat) {
            const double t = (lat - stops[i - 1].lat) / (stops[i].lat - stops[i - 1].lat);
            return mix(stops[i - 1].colour, stops[i].colour, smoothstep(0, 1, t));
        }
    return stops[std::size(stops) - 1].colour;
}

} // namespace

void scene_storm_giant(Canvas &c)
{
    StarField stars;
    stars.seed = 9009;
    stars.count = 1000;
    stars.faintest = 0.02;
    stars.brightest = 2.0;
    stars.glowing = 3;
    add_stars(c, stars);

    const double cx = 366, cy = 240, R = 134;
    const Vec3 L = normalize(Vec3(-0.62, 0.2, 0.72));
    const Mat3 body = Mat3::rot_x(0.12) * Mat3::rot_z(0.1);
    const Noise flow(91), streak(92), eddy(93);
    const double aa = 1.0 / c.unit();
    const double deg = M_PI / 180;

    // The oval storm sits on the face towards us, left of centre, 22 degrees south.
    const Vec3 storm_dir = body * normalize(Vec3(-0.28, -0.36, 0.89));
    const double storm_lon = std::atan2(storm_dir.x, storm_dir.z), storm_lat = -22 * deg;
    struct Oval { double lon, lat, a, b, spin; };
    const Oval ovals[] = {
        {storm_lon, storm_lat, 11.5 * deg, 6.2 * deg, 2.6},
        {storm_lon + 24 * deg, -30.0 * deg, 2.8 * deg, 2.0 * deg, 2.0},
        {storm_lon + 36 * deg, -29.5 * deg, 2.4 * deg, 1.8 * deg, 2.0},
        {storm_lon + 47 * deg, -30.5 * deg, 2.6 * deg, 1.9 * deg, 2.0},
        {storm_lon - 30 * deg, 41.0 * deg, 2.2 * deg, 1.6 * deg, -1.8},
    };

    // A small moon in front of the planet, and where its shadow falls on the clouds.
    const Vec3 moon(-1.12, 0.3, 1.4);
    const double moon_r = 0.04;
    Vec3 shadow_at(0, 0, -10);
    {
        const double b = dot(moon, -L), cc = dot(moon, moon) - 1;
        const double disc = b * b - cc;
        if (disc > 0)
            shadow_at = moon - L * (-b - std::sqrt(disc));
    }

    c.shade(
        [&](double x, double y, Vec3 &col) {
            const double dx = x - cx, dy = y - cy;
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double d = dist / R;
            if (d >= 1) {
                const Vec3 limb_n(dx / dist, -dy / dist, 0);
                const double rim_h = std::max(0.004, 0.7 * c.out_px() / R);
                col +=
                    srgb(230, 215, 190) * (0.1 * smoothstep(-0.1, 0.5, dot(limb_n, L)) * limb_glow(d, rim_h));
                if (d > 1 + aa / R)
                    return;
            }
            const SphereHit h = hit_sphere(x, y, cx, cy, R, aa);
            if (h.coverage <= 0)
                return;
            const Vec3 p = body * h.n;
            double lat = std::asin(std::clamp(p.y, -1.0, 1.0));
            double lon = std::atan2(p.x, p.z);

            // Vortices wind the flow around them: turn the lookup point about each centre.
            double storm = 0, collar = 0, white = 0;
            for (size_t k = 0; k < std::size(ovals); ++k) {
                const Oval &o = ovals[k];
                const double u = std::remainder(lon - o.lon, 2 * M_PI) * std::cos(o.lat);
                const double v = lat - o.lat;
                const double e = std::hypot(u / o.a, v / o.b);
                if (e > 2.2)
                    continue;
                const double turn = o.spin * std::exp(-e * e * 0.9);
                const double uu = u / o.a, vv = v / o.b;
                const double ru = uu * std::cos(turn) - vv * std::sin(turn);
                const double rv = uu * std::sin(turn) + vv * std::cos(turn);
                lon = o.lon + ru * o.a / std::cos(o.lat);
                lat = o.lat + rv * o.b;
                if (k == 0) {
                    storm = 1 - smoothstep(0.75, 1.0, e);
                    collar = smoothstep(0.85, 1.05, e) * (1 - smoothstep(1.15, 1.5, e));
                } else {
                    white = std::max(white, 0.85 * (1 - smoothstep(0.3, 1.1, e)));
                }
            }
            Vec3 sp(std::sin(lon) * std::cos(lat), std::sin(lat), std::cos(lon) * std::cos(lat));
            // Small curls everywhere, so no band edge is a clean line.
            sp += Vec3(eddy.fbm(sp * 11 + Vec3(3, 0, 0), 4), eddy.fbm(sp * 11 + Vec3(0, 5, 0), 4) * 0.5,
                       eddy.fbm(sp * 11 + Vec3(0, 0, 9), 4)) * 0.022;

            // Zonal flow: streaks stretched along the parallels, eddies at the belt edges.
            const Vec3 warp(eddy.fbm(Vec3(sp.x * 5, sp.y * 16, sp.z * 5), 4), 0,
                            eddy.fbm(Vec3(sp.x * 5 + 7, sp.y * 16, sp.z * 5 - 3), 4));
            const Vec3 sq = Vec3(sp.x * 6, sp.y * 48, sp.z * 6) + warp * 0.9;
            const double wob = flow.fbm(sq, 6);
            const double lat_w = lat / deg + 2.2 * wob + 0.9 * flow.fbm(sp * 14 + warp * 0.5, 5);
            Vec3 base = giant_band(lat_w);
            const double fine = streak.fbm(Vec3(sp.x * 12, sp.y * 110, sp.z * 12) + warp * 1.2, 5);
            const double belt = 1 - smoothstep(0.15, 0.45, luminance(base));
            base *= 0.84 + (0.3 + 0.25 * belt) * (0.5 + 0.5 * fine);
            // Darker brown knots and rifts inside the belts.
            base = mix(
                base, srgb(110, 64, 44),
                belt * smoothstep(0.2, 0.6, streak.fbm(Vec3(sp.x * 9, sp.y * 40, sp.z * 9) + warp, 4)) * 0.6);
            // Blue-grey festoons trailing from the equatorial belt's edge.
            const double fest = smoothstep(0.25, 0.6, eddy.fbm(Vec3(sp.x * 9, sp.y * 30, sp.z * 9), 4)) *
                                std::exp(-std::pow((lat_w - 6.5) / 2.2, 2.0));
            base = mix(base, srgb(110, 112, 120), fest * 0.6);
            base =
                mix(base, mix(srgb(214, 126, 84), srgb(170, 84, 56), clamp01(0.5 + 0.9 * fine)), storm * 0.8);
            base = mix(base, srgb(242, 238, 230) * (0.92 + 0.08 * fine), white);
            // Thin dark filaments along the flow.
            const double threads = flow.ridged(Vec3(sp.x * 14, sp.y * 150, sp.z * 14) + warp * 2.0, 3);
            base *= 1 - 0.14 * std::pow(threads, 6.0);
            base = mix(base, srgb(238, 226, 206), collar * 0.5);

            const double ndl = dot(h.n, L);
            double light = smoothstep(-0.04, 0.2, ndl) * clamp01(ndl * 0.9 + 0.1);
            const double sd = length(h.n - shadow_at);
            light *= 0.04 + 0.96 * smoothstep(moon_r * 0.75, moon_r * 1.2, sd);
            const double mu = std::max(h.n.z, 0.0);
            col = over(col, base * (1.15 * light * (0.35 + 0.65 * std::pow(mu, 0.5))), h.coverage);
        },
        cx - R * 1.1, cy - R * 1.1, cx + R * 1.1, cy + R * 1.1);

    // The moon itself: a small pale yellow ball, lit like the planet.
    draw_small_moon(c, cx + moon.x * R, cy - moon.y * R, moon_r * R, srgb(226, 196, 120), L, 0.0);
}

} // namespace assetgen

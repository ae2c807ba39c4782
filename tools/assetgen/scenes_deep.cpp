// Deep-sky scenes: the spiral galaxy, the emission nebula, the solar eclipse
// and the galaxy's band across the sky.
#include "scenes_render.h"

#include <random>

namespace assetgen {

namespace {

// A faint far-away galaxy: a small tilted elliptical smudge.
void distant_galaxy(Canvas &c, double x, double y, double size, double angle, double flat, const Vec3 &colour)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    c.shade(
        [&](double px, double py, Vec3 &col) {
            const double dx = px - x, dy = py - y;
            const double u = (dx * ca + dy * sa) / size, v = (-dx * sa + dy * ca) / (size * flat);
            const double r2 = u * u + v * v;
            col += colour * (std::exp(-r2 * 3.0) + 1.5 * std::exp(-r2 * 40.0));
        },
        x - size * 3, y - size * 3, x + size * 3, y + size * 3);
}

} // namespace

void scene_spiral_galaxy(Canvas &c)
{
    StarField stars;
    stars.seed = 3030;
    stars.count = 900;
    stars.faintest = 0.02;
    stars.brightest = 1.8;
    stars.glowing = 3;
    add_stars(c, stars);
    distant_galaxy(c, 92, 392, 5, 0.6, 0.45, srgb(120, 110, 100) * 0.08);
    distant_galaxy(c, 560, 96, 3.5, -0.4, 0.6, srgb(130, 120, 110) * 0.07);
    distant_galaxy(c, 598, 402, 2.6, 1.2, 0.35, srgb(110, 110, 120) * 0.06);

    const double cx = 328, cy = 236, scale = 118;
    const double incl = std::cos(52 * M_PI / 180), pa = -0.5;
    const double cp = std::cos(pa), sp = std::sin(pa);
    const double pitch = std::tan(19 * M_PI / 180);
    const Noise arms(41), clumps(42), dust(43);
    const Vec3 old_stars = srgb(255, 222, 178), young = srgb(160, 186, 255), core = srgb(255, 236, 206);

    // Galaxy-plane coordinates of a sky position: undo the tilt of the disc.
    auto to_plane = [&](double x, double y, double &gx, double &gy) {
        const double dx = (x - cx) / scale, dy = (y - cy) / scale;
        gx = dx * cp + dy * sp;
        gy = (-dx * sp + dy * cp) / incl;
    };
    auto arm_phase = [&](double gx, double gy) {
        const double r = std::max(std::hypot(gx, gy), 1e-3);
        return std::atan2(gy, gx) - std::log(r) / pitch + 0.3 * arms.fbm(Vec3(gx * 1.6, gy * 1.6, 0.5), 4);
    };

    c.shade(
        [&](double x, double y, Vec3 &col) {
            double gx, gy;
            to_plane(x, y, gx, gy);
            const double r = std::hypot(gx, gy);
            if (r > 2.6)
                return;
            const double psi = arm_phase(gx, gy);
            const double arm_zone = smoothstep(0.12, 0.45, r) * smoothstep(2.1, 0.9, r);
            const double arm = std::pow(0.5 + 0.5 * std::cos(2 * psi), 3.0) * arm_zone;
            const double disk = std::exp(-r / 0.42);
            const double clump = smoothstep(-0.25, 0.6,
                                            clumps.fbm(Vec3(gx * 7, gy * 7, 2.5), 6) +
                                                0.3 * clumps.fbm(Vec3(gx * 22, gy * 22, 6.5), 3));
            // Dust on the inner (trailing) edge of each arm, broken into filaments.
            const double lane = std::pow(0.5 + 0.5 * std::cos(2 * psi + 0.7), 6.0) * arm_zone;
            const double fil = 0.4 + 0.9 * smoothstep(-0.3, 0.5, dust.fbm(Vec3(gx * 7, gy * 7, 4.5), 5));
            const double tau =
                1.7 * lane * fil + 0.5 * disk * smoothstep(-0.1, 0.4, dust.fbm(Vec3(gx * 4, gy * 4, 1.5), 4));
            const double trans = std::exp(-tau);

            const double bu = std::hypot((x - cx) / scale, (y - cy) / (scale * 0.82));
            const double bulge = 1.6 * std::exp(-std::pow(bu / 0.11, 0.85)) + 0.3 * std::exp(-bu / 0.2);
            Vec3 light = old_stars * (0.22 * disk * (0.6 + 0.4 * arm) * (0.7 + 0.3 * clump)) +
                         young * (1.3 * arm * std::exp(-r / 0.8) * (0.35 + 1.0 * clump));
            // The near side's dust is seen against the bulge.
            const double near_side = smoothstep(-0.02, 0.08, gy);
            light = light * trans + core * (bulge * (1 - near_side * (1 - std::sqrt(trans))));
            col += light * 0.55;
        },
        cx - 2.6 * scale, cy - 2.6 * scale, cx + 2.6 * scale, cy + 2.6 * scale);

    // Star-forming knots (pink) and young clusters (blue-white) along the arms.
    std::mt19937 rng(3131);
    std::uniform_real_distribution<double> uni(0, 1);
    int knots = 0, clusters = 0;
    for (int attempt = 0; attempt < 40000 && (knots < 55 || clusters < 200); ++attempt) {
        const double r = 0.3 + 1.5 * std::sqrt(uni(rng)), a = uni(rng) * 2 * M_PI;
        const double gx = r * std::cos(a), gy = r * std::sin(a);
        const double arm = std::pow(0.5 + 0.5 * std::cos(2 * arm_phase(gx, gy) - 0.3), 6.0);
        const double pick = uni(rng), size = uni(rng), bright = uni(rng);
        if (pick > arm)
            continue;
        const double u = gx, v = gy * incl;
        const double x = cx + (u * cp - v * sp) * scale, y = cy + (u * sp + v * cp) * scale;
        const double fade = std::exp(-r / 1.1);
        if (knots < 55 && bright < 0.3) {
            c.splat(x, y, (0.5 + 0.6 * size) * c.out_px(),
                    srgb(255, 120, 170) * (0.3 * fade * (0.4 + bright)));
            ++knots;
        } else if (clusters < 200) {
            c.splat(x, y, 0.55 * c.out_px(), srgb(200, 215, 255) * (0.5 * fade * (0.3 + bright)));
            ++clusters;
        }
    }
}

void scene_emission_nebula(Canvas &c)
{
    const Noise gas(71), warp(72), fil(73), dust(74);
    const double ccx = 360, ccy = 226; // the young cluster that lights the cloud

    // Density of the dark dust at a position, shared with the star field below.
    auto dust_at = [&](double x, double y) {
        const Vec3 q(x / 210, y / 210, 0.7);
        const Vec3 w(warp.fbm(q * 1.1 + Vec3(8, 3, 0), 4), warp.fbm(q * 1.1 + Vec3(2, 9, 0), 4), 0);
        const double lanes = smoothstep(0.15, 0.55, dust.fbm(q + w * 1.1, 6));
        // A lane across the bright heart, like a river of soot.
        const double band = std::exp(
            -std::pow(((y - ccy) * 0.9 + (x - ccx) * 0.35 - 34 + 18 * warp.fbm(q * 2.5, 4)) / 13, 2.0));
        return clamp01(std::max(lanes, band * smoothstep(-0.3, 0.4, dust.fbm(q * 3, 4)) *
                                           smoothstep(260, 60, std::hypot(x - ccx, y - ccy))));
    };

    StarField stars;
    stars.seed = 4004;
    stars.count = 1300;
    stars.faintest = 0.02;
    stars.brightest = 1.8;
    stars.glowing = 3;
    stars.dimming = [&](double x, double y) { return 0.2 + 0.8 * (1 - dust_at(x, y)); };
    add_stars(c, stars);

    const Vec3 h_alpha = srgb(236, 60, 96), oxygen = srgb(70, 200, 214), sulphur = srgb(255, 150, 80);
    const Vec3 reflection = srgb(60, 80, 220);
    c.shade([&](double x, double y, Vec3 &col) {
        const Vec3 p(x / 210, y / 210, 0.3);
        // Domain warping folds the fbm into sheets; exponentiating it gives the
        // wide range of a real cloud (faint veils, a few bright walls).
        const Vec3 w1(warp.fbm(p + Vec3(1.7, 9.2, 0), 5), warp.fbm(p + Vec3(8.3, 2.8, 0), 5), 0);
        const Vec3 w2(warp.fbm(p + w1 * 1.5 + Vec3(4.1, 1.3, 0), 5),
                      warp.fbm(p + w1 * 1.5 + Vec3(6.2, 5.7, 0), 5), 0);
        const double g = gas.fbm(p * 1.4 + w2 * 1.3, 7);
        const double dx = x - ccx, dy = y - ccy;
        // An irregular cloud, longer along the diagonal, lit from the cluster.
        const double u = (dx * 0.86 - dy * 0.5) / 290, v = (dx * 0.5 + dy * 0.86) / 185;
        const double shell = std::hypot(u, v) + 0.3 * warp.fbm(p * 1.3 + Vec3(0, 0, 3), 4);
        const double envelope = smoothstep(1.1, 0.15, shell);
        if (envelope <= 0)
            return;
        const double density = std::exp(3.0 * g - 1.0) * envelope;
        const double strands =
            std::pow(fil.ridged(p * 3.2 + w2 * 1.2, 5), 6.0) * envelope * smoothstep(-0.2, 0.4, g);
        const double r = std::hypot(dx, dy);
        const double core = std::exp(-std::pow(r / 110, 2.0));

        // Oxygen glows teal near the hot stars, hydrogen red further out.
        Vec3 glow = h_alpha * ((0.2 * density + 0.45 * strands) * (1 - 0.7 * core));
        glow += oxygen * ((0.2 * density + 0.15 * strands) * core);
        glow += sulphur * (0.1 * strands * smoothstep(0.2, 0.8, shell));
        glow += reflection * (0.012 * envelope * envelope);
        col = (col + glow) * (1 - 0.93 * dust_at(x, y) * smoothstep(0.0, 0.6, envelope));
    });

    // The hot young stars in the heart of the cloud.
    std::mt19937 rng(4040);
    std::normal_distribution<double> spread(0, 16);
    std::uniform_real_distribution<double> uni(0, 1);
    for (int i = 0; i < 26; ++i) {
        const double x = ccx + spread(rng), y = ccy + spread(rng) * 0.8;
        const double b = 0.3 + 2.2 * std::pow(uni(rng), 4);
        const Vec3 colour = mix(Vec3(1, 1, 1), star_colour(14000 + 12000 * uni(rng)), 0.6);
        c.splat(x, y, 0.6 * c.out_px(), colour * b);
        c.splat(x, y, 2.2 * c.out_px(), colour * (b * 0.06));
    }
    c.splat(ccx, ccy, 26, srgb(170, 220, 255) * 0.05);
}
void scene_solar_eclipse(Canvas &c)
{
    const double cx = 322, cy = 226, rs = 57;        // the hidden sun
    const double mx = cx + 1.6, my = cy + 0.8, rm = 58.5; // the moon, a little off centre
    const Noise rays(81), plumes(82), prom(83);

    StarField stars;
    stars.seed = 7007;
    stars.count = 420;
    stars.faintest = 0.02;
    stars.brightest = 1.2;
    stars.glowing = 2;
    stars.dimming = [&](double x, double y) { return smoothstep(70, 240, std::hypot(x - cx, y - cy)); };
    add_stars(c, stars);
    // A bright planet low on the left.
    c.splat(118, 372, 0.8 * c.out_px(), srgb(255, 248, 230) * 2.2);
    c.splat(118, 372, 3.0 * c.out_px(), srgb(255, 248, 230) * 0.1);

    // Helmet streamers: angle (radians, counter-clockwise from the right), width, strength, bend.
    struct Streamer { double angle, width, strength, bend; };
    const Streamer streamers[] = {
        {0.2, 0.32, 3.2, 0.05}, {-0.4, 0.24, 2.2, -0.04}, {2.92, 0.36, 3.4, -0.05},
        {3.6, 0.26, 2.4, 0.05}, {1.1, 0.16, 0.8, 0.03},  {4.25, 0.18, 0.9, -0.03},
    };
    const Vec3 inner = srgb(255, 246, 228), outer = srgb(190, 208, 255);
    c.shade([&](double x, double y, Vec3 &col) {
        const double dx = x - cx, dy = cy - y;
        const double rho = std::hypot(dx, dy) / rs;
        const double phi = std::atan2(dy, dx);
        // Sky lit faintly by the corona.
        col += srgb(20, 36, 80) * (0.05 * std::exp(-(rho - 1) / 3.5));
        if (rho < 0.98)
            return;
        const double r = std::max(rho, 1.0);
        double streak = 0;
        for (const Streamer &s : streamers) {
            const double off = std::remainder(phi - s.angle - s.bend * (r - 1), 2 * M_PI);
            // Wide at the base, drawn out into a narrow ray.
            const double w = s.width * (0.35 + 0.65 / r);
            streak += s.strength * std::exp(-off * off / (w * w)) * std::exp(-(r - 1) / 4.0);
        }
        // Fine radial rays: noise that changes fast with angle and slowly with radius.
        const double k = 9;
        const double fine = rays.fbm(Vec3(std::cos(phi) * k, std::sin(phi) * k, r * 0.45), 5);
        const double pole = std::pow(std::abs(std::sin(phi)), 6.0);
        const double plume = pole *
            std::pow(0.5 + 0.5 * plumes(Vec3(std::cos(phi) * 40, std::sin(phi) * 40, r * 0.3)), 3.0) *
            std::exp(-(r - 1) / 0.5);
        const double base = 0.55 * std::pow(r, -8.0) + 0.22 * std::pow(r, -3.4);
        const double i = base * (0.6 + 0.5 * (0.5 + 0.5 * fine)) * (0.6 + streak) + 0.5 * plume;
        Vec3 corona = mix(inner, outer, smoothstep(1.0, 3.0, r)) * (i * 1.05);
        // Thin chromosphere and a few prominences standing off the limb.
        const double chromo = std::exp(-std::pow((rho - 1.0) / 0.012, 2.0));
        double flame = 0;
        for (const double pa : {0.72, 2.35, 4.95, 5.6}) {
            const double off = std::remainder(phi - pa, 2 * M_PI);
            const double shape = prom.fbm(Vec3(off * 14, (rho - 1) * 22, pa * 3), 4);
            const double height = 0.09 + 0.08 * (0.5 + 0.5 * prom(Vec3(pa * 5, 1, 1)));
            flame += std::exp(-off * off / 0.006) * smoothstep(height, height * 0.45, rho - 1) *
                smoothstep(-0.15, 0.25, shape);
        }
        corona =
            corona * (1 - 0.6 * clamp01(flame)) + srgb(255, 60, 100) * (0.5 * chromo + 1.4 * clamp01(flame));
        col += corona;
    });

    // The moon's disc, faintly lit by earthshine, in front of everything.
    const double aa = 1.0 / c.unit();
    c.shade(
        [&](double x, double y, Vec3 &col) {
            const SphereHit h = hit_sphere(x, y, mx, my, rm, aa);
            if (h.coverage > 0)
                col = mix(col, srgb(14, 16, 22) * (0.35 + 0.65 * h.n.z), h.coverage);
        },
        mx - rm - 2, my - rm - 2, mx + rm + 2, my + rm + 2);

    // One bead of sunlight through a valley on the moon's limb.
    const double ba = 0.62;
    const double bx = mx + std::cos(ba) * rm * 0.995, by = my - std::sin(ba) * rm * 0.995;
    c.splat(bx, by, 1.0 * c.out_px(), srgb(255, 252, 245) * 6.0);
    c.splat(bx, by, 5, srgb(255, 246, 230) * 0.6);
    c.splat(bx, by, 16, srgb(255, 240, 220) * 0.1);
    add_glint(c, bx, by, srgb(255, 250, 240) * 4.0, 1.0 * c.out_px(), 30);
}
void scene_galactic_band(Canvas &c)
{
    const Noise clouds(85), lanes(86), warp(87), edge(88);
    // The band crosses the frame rising to the right; its bright core is low on the left.
    const double angle = 27 * M_PI / 180, ox = 320, oy = 250;
    const double ca = std::cos(angle), sa = std::sin(angle);
    struct BandPoint { double along, across, width, profile, dust, glow, core; };
    auto band_at = [&](double x, double y) {
        BandPoint b;
        b.along = (x - ox) * ca - (y - oy) * sa;
        b.across = (x - ox) * sa + (y - oy) * ca + 18 * edge.fbm(Vec3(b.along / 260, 0.5, 0.5), 3);
        b.core = std::exp(-std::pow((b.along + 250) / 170, 2.0));
        b.width = 50 * (1 + 0.25 * edge.fbm(Vec3(b.along / 180, 2.5, 0.5), 3)) * (1 + 0.5 * b.core);
        b.profile = std::exp(-std::pow(b.across / b.width, 2.0));
        // Structure is drawn out along the band: noise in band coordinates.
        const Vec3 q(b.along / 120, b.across / 42, 0.5);
        const Vec3 w(warp.fbm(q + Vec3(3, 1, 0), 4), warp.fbm(q + Vec3(7, 4, 0), 4), 0);
        // The dark rift: filaments of dust along the middle of the band.
        const double rift_line = b.across - 0.1 * b.width - 12 * lanes.fbm(Vec3(b.along / 110, 5.5, 0.5), 3);
        const double rift = std::exp(-std::pow(rift_line / (0.3 * b.width), 2.0));
        const double fil = smoothstep(-0.1, 0.4, lanes.fbm(q * 1.5 + w * 0.7, 6));
        b.dust =
            clamp01(rift * fil * 1.2 + 0.5 * b.profile * smoothstep(0.3, 0.65, lanes.fbm(q * 2.4 + w, 5)));
        b.glow = b.profile * (0.35 + 0.9 * smoothstep(-0.35, 0.6, clouds.fbm(q * 1.2 + w * 0.5, 6))) *
            (1 + 1.2 * b.core);
        return b;
    };

    // Most of the band's light is stars: a sparse field everywhere, and a dense
    // one of faint stars that follows the bright star clouds.
    StarField sky;
    sky.seed = 8008;
    sky.count = 1500;
    sky.faintest = 0.02;
    sky.brightest = 2.0;
    sky.glowing = 5;
    add_stars(c, sky);
    StarField band;
    band.seed = 8080;
    band.count = 24000;
    band.faintest = 0.014;
    band.brightest = 0.5;
    band.slope = 2.0;
    band.glowing = 0;
    band.density = [&](double x, double y) {
        const BandPoint b = band_at(x, y);
        return clamp01(b.glow * 0.75) * (1 - 0.9 * b.dust);
    };
    add_stars(c, band);

    const Vec3 warm = srgb(255, 224, 188), cool = srgb(200, 212, 255);
    c.shade([&](double x, double y, Vec3 &col) {
        const BandPoint b = band_at(x, y);
        if (b.profile < 1e-4)
            return;
        const Vec3 tint = mix(cool, warm, clamp01(b.core * 1.3));
        const double trans = std::exp(-2.6 * b.dust);
        // Hydrogen glows in a few ragged patches inside the band.
        const double hii =
            smoothstep(0.42, 0.7, warp.fbm(Vec3(x / 40, y / 40, 6.5), 5)) * b.profile * b.profile;
        col = col * (1 - 0.5 * b.dust) + (tint * (0.05 * b.glow) + srgb(255, 92, 128) * (0.05 * hii)) * trans;
    });
}

} // namespace assetgen

// Lumpy rocks (small moons, asteroids) and the asteroid field scene.
#include "scenes_render.h"

#include <random>

namespace assetgen {

void draw_rock(Canvas &c, const Rock &rock)
{
    const Noise shape(rock.seed), detail(rock.seed + 1), tint(rock.seed + 2);
    const CraterField craters(CraterField::on_sphere(rock.seed + 3, rock.craters, 0.06, 0.5, 0.45), 0.25);
    const Vec3 L = normalize(rock.light);
    const Mat3 &M = rock.orientation;
    const Mat3 Mt = M.transposed();
    const Vec3 &ax = rock.axes;
    const double R = rock.radius;
    const double reach = 1.15 + 2.5 * rock.roughness;
    const double ext = reach * std::max({ax.x, ax.y, ax.z});
    const double aa = 1.0 / (c.unit() * R);
    const double min_axis = std::min({ax.x, ax.y, ax.z});
    // Octaves of surface detail that stay above the pixel size.
    const double disc_px = R * c.unit();
    const double fine_oct = std::clamp(std::log2(disc_px / 12.0), 0.0, 5.0);

    // Large lumps shape the outline; fine relief and craters only tilt the normal.
    auto coarse = [&](const Vec3 &dir) { return rock.roughness * shape.fbm(dir * 1.25, 3); };
    auto relief = [&](const Vec3 &dir) {
        return coarse(dir) + rock.roughness * 0.22 * detail.fbm_soft(dir * 4.5, fine_oct, 0.42) +
               0.8 * craters.height(dir);
    };
    // Signed distance-like value in body space, with the ellipsoid stretch undone.
    auto field = [&](const Vec3 &view_p) {
        const Vec3 b = M * view_p;
        const Vec3 q(b.x / ax.x, b.y / ax.y, b.z / ax.z);
        const double len = length(q);
        return (len - (1 + coarse(q / std::max(len, 1e-9)))) * min_axis;
    };

    c.shade(
        [&](double x, double y, Vec3 &col) {
            const double px = (x - rock.x) / R, py = -(y - rock.y) / R;
            if (px * px + py * py > ext * ext)
                return;
            double z = ext, closest = 1e9;
            bool hit = false;
            for (int i = 0; i < 80 && z > -ext; ++i) {
                const double f = field(Vec3(px, py, z));
                closest = std::min(closest, f);
                if (f < 0.0005) {
                    hit = true;
                    break;
                }
                z -= std::max(f * 0.7, 0.002);
            }
            // A ray that misses still covers part of the pixel near the outline: a
            // half-pixel soft edge from its closest approach.
            const double cover = hit ? 1.0 : clamp01(0.5 - closest / aa);
            if (cover <= 0)
                return;
            const Vec3 p(px, py, z);
            const Vec3 b = M * p;
            const Vec3 q(b.x / ax.x, b.y / ax.y, b.z / ax.z);
            const Vec3 dir = normalize(q);
            // Normal of the radially displaced surface: the sphere normal minus the
            // tangential slope of the relief.
            const Vec3 t1 = normalize(cross(std::abs(dir.y) < 0.9 ? Vec3(0, 1, 0) : Vec3(1, 0, 0), dir));
            const Vec3 t2 = cross(dir, t1);
            const double e = 0.01;
            const double h0 = relief(dir);
            const double g1 = (relief(normalize(dir + t1 * e)) - h0) / e;
            const double g2 = (relief(normalize(dir + t2 * e)) - h0) / e;
            const Vec3 nq = normalize(dir * (1 + h0) - (t1 * g1 + t2 * g2));
            const Vec3 n = normalize(Mt * Vec3(nq.x / ax.x, nq.y / ax.y, nq.z / ax.z));

            // Self-shadow over the large lumps.
            double lit = 1;
            for (double s = 0.03; s < 2.5; s *= 1.35) {
                const double f = field(p + L * s);
                lit = std::min(lit, clamp01(f / (0.08 * s) + 0.5));
                if (lit <= 0)
                    break;
            }
            const double ndl = dot(n, L);
            const double diffuse = std::max(ndl, 0.0) * lit;
            const double mottled = 0.8 + 0.4 * (0.5 + 0.5 * tint.fbm(dir * 3.5, 4));
            const Vec3 albedo = rock.albedo * mottled;
            Vec3 shade = albedo * (diffuse * 2.4) + albedo * rock.ambient * (0.6 + 0.4 * n.z) +
                         albedo * rock.fill * std::max(dot(n, normalize(rock.fill_dir)), 0.0);
            col = mix(col, shade, cover);
        },
        rock.x - ext * R - 1, rock.y - ext * R - 1, rock.x + ext * R + 1, rock.y + ext * R + 1);
}

void scene_asteroid_field(Canvas &c)
{
    // A faint haze of dust far behind the rocks, then stars.
    const Noise dust(61);
    c.shade([&](double x, double y, Vec3 &col) {
        const Vec3 p(x / 260, y / 260, 0.3);
        const Vec3 w(dust.fbm(p * 1.5 + Vec3(4, 1, 0), 4), dust.fbm(p * 1.5 + Vec3(1, 7, 0), 4), 0);
        const double d = smoothstep(-0.1, 0.7, dust.fbm(p + w * 0.8, 6));
        const double fall = smoothstep(700, 100, std::hypot(x - 584, y - 118));
        col += mix(srgb(22, 26, 48), srgb(60, 40, 34), fall) * (0.25 * d * (0.35 + 0.65 * fall));
    });
    StarField stars;
    stars.seed = 6006;
    stars.count = 1200;
    stars.faintest = 0.02;
    stars.brightest = 1.8;
    stars.glowing = 3;
    add_stars(c, stars);

    // The distant sun, small and bright at the upper right.
    const double sx = 584, sy = 118;
    c.splat(sx, sy, 2.2, srgb(255, 250, 240) * 4.0);
    c.splat(sx, sy, 9, srgb(255, 236, 200) * 0.35);
    c.splat(sx, sy, 40, srgb(255, 210, 160) * 0.06);
    c.splat(sx, sy, 110, srgb(255, 200, 150) * 0.015);

    const Vec3 light(0.78, 0.52, -0.12);
    std::mt19937 rng(6060);
    std::uniform_real_distribution<double> uni(0, 1);
    auto spin = [&]() {
        const double a = uni(rng) * 6.28, b = uni(rng) * 6.28, g = uni(rng) * 6.28;
        return Mat3::rot_x(a) * Mat3::rot_y(b) * Mat3::rot_z(g);
    };
    auto rock_at = [&](double x, double y, double r, uint32_t seed, double depth) {
        Rock k;
        k.x = x;
        k.y = y;
        k.radius = r;
        k.seed = seed;
        k.orientation = spin();
        const double ax = 1.0 + 0.35 * uni(rng), ay = 0.75 + 0.2 * uni(rng), az = 0.85 + 0.2 * uni(rng);
        k.axes = Vec3(ax, ay, az);
        k.roughness = 0.14 + 0.08 * uni(rng);
        k.craters = r > 30 ? 120 : 50;
        // Farther rocks are a little darker and cooler, so the field has depth.
        k.albedo = mix(srgb(92, 84, 76), srgb(58, 60, 70), depth);
        k.light = light;
        k.ambient = 0.03;
        k.fill = srgb(70, 90, 140) * 0.3;
        return k;
    };

    // Tiny distant rocks, strung loosely along a diagonal stream.
    for (int i = 0; i < 46; ++i) {
        const double t = uni(rng);
        const double x = 40 + 560 * t + 70 * (uni(rng) - 0.5) * 2;
        const double y = 320 - 190 * t + 70 * (uni(rng) - 0.5) * 2;
        draw_rock(c, rock_at(x, y, 1.2 + 2.2 * std::pow(uni(rng), 2), 700 + i, 1.0));
    }
    const struct { double x, y, r; uint32_t seed; double depth; } rocks[] = {
        {248, 214, 12, 81, 0.8}, {548, 200, 8.5, 82, 0.9}, {168, 138, 6.5, 83, 0.9},
        {330, 305, 5.5, 84, 0.9}, {456, 236, 4.5, 85, 1.0}, {84, 205, 4, 86, 1.0},
        {396, 146, 24, 87, 0.6}, {492, 312, 50, 88, 0.3}, {142, 322, 96, 89, 0.0},
    };
    for (const auto &r : rocks)
        draw_rock(c, rock_at(r.x, r.y, r.r, r.seed, r.depth));
}

} // namespace assetgen

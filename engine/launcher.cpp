// The object launcher: eleven kinds in strict rotation, each with its limit,
// chance, images, entry edge and speeds.
#include "engine/scene_engine.h"

#include <cmath>

namespace engine {

namespace {
struct kind_rule
{
    int limit;         // no launch while more than this many are alive
    int chance;        // chance_below(1000, chance); 0 = always
    int motion_class;
};
constexpr kind_rule k_kinds_rules[12] = {
    {0, 0, 0},
    {1, 800, 1}, {0, 600, 2}, {2, 700, 3}, {4, 0, 4}, {5, 900, 3}, {0, 30, 5},
    {0, 300, 3}, {0, 100, 3}, {0, 100, 3}, {4, 800, 3}, {4, 700, 3},
};
} // namespace

int scene_engine::kind_limit(int kind)
{
    if (kind >= 1 && kind <= 11)
        return k_kinds_rules[kind].limit + 1;
    return kind == 12 ? k_slots - 1 : 0;
}

double scene_engine::roll(double n)
{
    return std::floor(random_.next() * n) + 1;
}

bool scene_engine::chance_half() { mix_clock(); return roll(1000) < 500; }
bool scene_engine::chance_fifth() { mix_clock(); return roll(1000) < 200; }
bool scene_engine::chance_twentieth() { mix_clock(); return roll(1000) < 50; }
bool scene_engine::chance_below(double range, double limit) { mix_clock(); return roll(range) < limit; }

void scene_engine::launch_object(int slot)
{
    mix_clock();
    next_launch_kind += 1;
    if (next_launch_kind > 11)
        next_launch_kind = 1;
    const int k = next_launch_kind;
    const kind_rule &rule = k_kinds_rules[k];
    if (kind_count[k] > rule.limit)
        return;
    if (rule.chance != 0 && !chance_below(1000, rule.chance))
        return;

    sprite_off(slot, true);

    const double W = screen_width;
    const double H = screen_height;
    const auto &dsx = depth_speed_x;
    const auto &dsy = depth_speed_y;
    auto speed = [](const std::array<double, 21> &table, double index) { return table[static_cast<int>(index)]; };
    auto width_of = [&](int image) { return static_cast<double>(image_catalogue[image][3]); };
    double &x = sprite_x[slot];
    double &y = sprite_y[slot];
    double &vx = velocity_x[slot];
    double &vy = velocity_y[slot];

    switch (k) {
    case 1: // side-view shuttle
        if (chance_half()) {
            sprite_image[slot] = 12; x = W; vx = -speed(dsx, roll(10));
        } else {
            sprite_image[slot] = 11; x = -144; vx = speed(dsx, roll(10));
        }
        y = roll(H);
        vy = chance_fifth() ? speed(dsy, roll(20)) : -speed(dsy, roll(20));
        break;
    case 2: // rocket
        sprite_image[slot] = 16;
        x = roll(W);
        y = H;
        vx = chance_fifth() ? speed(dsx, roll(5)) : -speed(dsx, roll(5));
        vy = -speed(dsy, roll(5));
        break;
    case 3: { // astronaut, three sizes; the larger, the faster
        const double s = roll(3);
        sprite_image[slot] = static_cast<int>(12 + s);
        const double factor = 4 - s;
        if (chance_half()) {
            x = -width_of(sprite_image[slot]); y = roll(H / 2);
            vx = factor * speed(dsx, roll(3) + 8); vy = speed(dsy, roll(5));
        } else {
            x = W; y = H - roll(H / 2);
            vx = -factor * speed(dsx, roll(3) + 8); vy = -speed(dsy, roll(5));
        }
        break;
    }
    case 4: // satellite: comes in fast and brakes against its entry speed
        sprite_image[slot] = static_cast<int>(roll(5));
        if (chance_half()) {
            x = -width_of(sprite_image[slot]); y = roll(H / 2);
            vx = 6 * speed(dsx, roll(10) + 10); accel_x[slot] = -speed(dsx, roll(3)) / 16;
            vy = speed(dsy, roll(15) + 5);
        } else {
            x = W; y = H - roll(H / 2);
            vx = -6 * speed(dsx, roll(10) + 10); accel_x[slot] = speed(dsx, roll(3)) / 16;
            vy = -speed(dsy, roll(15) + 5);
        }
        break;
    case 5: // small rock
        sprite_image[slot] = static_cast<int>(6 + roll(3));
        if (chance_half()) {
            x = -width_of(sprite_image[slot]); y = roll(H);
            vx = speed(dsx, roll(20)); vy = speed(dsy, roll(3));
        } else {
            x = W; y = roll(H);
            vx = -speed(dsx, roll(20)); vy = -speed(dsy, roll(3));
        }
        break;
    case 6: // flying saucer: drifts, its wobble comes from the motion step
        sprite_image[slot] = 6;
        if (chance_half()) {
            x = W; drift_velocity_x[slot] = -16 * speed(dsx, roll(10));
        } else {
            x = -71; drift_velocity_x[slot] = 16 * speed(dsx, roll(10));
        }
        drift_accel_x[slot] = 0;
        y = roll(H);
        drift_velocity_y[slot] = chance_half() ? speed(dsy, roll(5)) / 4 : -speed(dsy, roll(5)) / 4;
        drift_accel_y[slot] = 0;
        break;
    case 7: // shuttle seen from above
        sprite_image[slot] = 10;
        if (chance_half()) {
            x = -96; y = roll(H / 2); vx = speed(dsx, roll(20)); vy = speed(dsy, roll(5));
        } else {
            x = W; y = H - roll(H / 2); vx = -speed(dsx, roll(20)); vy = -speed(dsy, roll(5));
        }
        break;
    case 8: // shuttle at launch
        y = H - roll(H / 2);
        vy = -2 * speed(dsy, roll(10) + 10);
        if (chance_half()) {
            sprite_image[slot] = 18; x = -126; vx = speed(dsx, roll(10) + 10);
        } else {
            sprite_image[slot] = 19; x = W; vx = -speed(dsx, roll(10) + 10);
        }
        break;
    case 9: // dish probe
        sprite_image[slot] = 17;
        y = roll(H);
        vy = chance_half() ? -2 * speed(dsy, roll(10)) : 2 * speed(dsy, roll(10));
        if (chance_half()) {
            x = -128; vx = speed(dsx, roll(10) + 5);
        } else {
            x = W; vx = -speed(dsx, roll(10) + 5);
        }
        break;
    case 10:
    case 11: { // tumbling asteroids, small and large
        const bool small = k == 10;
        setsprite_anim(slot, small ? 1 : 2);
        y = roll(H);
        const double factor = small ? 4 : 3;
        if (chance_half()) {
            x = small ? -30 : -60; vx = factor * speed(dsx, roll(15) + 5);
        } else {
            x = W; vx = -factor * speed(dsx, roll(15) + 5);
        }
        vy = chance_half() ? speed(dsy, roll(5)) : -speed(dsy, roll(5));
        break;
    }
    default:
        break;
    }

    motion_class[slot] = rule.motion_class;
    sprite_alive[slot] = 1;
    sprite_kind[slot] = static_cast<std::int16_t>(k);
    kind_count[k] = static_cast<std::int16_t>(kind_count[k] + 1);
}

} // namespace engine

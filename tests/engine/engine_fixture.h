#pragma once
// A headless engine with a scripted or constant random source and a manual clock.
#include "engine/scene_engine.h"

#include <deque>
#include <initializer_list>

namespace test_engine {

// Hands out the values it was given, in order; mixing in the clock changes nothing.
class scripted_random final : public engine::random_source
{
public:
    std::deque<double> values;
    double fallback = 0.999;
    int draws = 0;
    bool ran_dry = false;
    void script(std::initializer_list<double> v) { values.assign(v); ran_dry = false; draws = 0; }
    double next() override
    {
        ++draws;
        if (values.empty()) {
            ran_dry = true;
            return fallback;
        }
        const double v = values.front();
        values.pop_front();
        return v;
    }
    void mix_clock(std::int32_t) override {}
};

struct fixture
{
    scripted_random random;
    engine::manual_clock clock;
    engine::scene_engine eng{random, clock};

    // An engine ready for frames on a W x H screen with plain-colour scenes and
    // an empty sheet (sprite black, mask white).
    explicit fixture(int w = 800, int h = 600)
    {
        eng.sprite.resize(720, 606);
        eng.mask.resize(720, 606);
        eng.mask.fill(0xffffffff);
        for (int i = 0; i < 10; ++i) {
            eng.pictures[i].resize(64, 48);
            eng.pictures[i].fill(0xff000000u | (0x10 * (i + 1)) << 8);
        }
        random.script({0.0, 0.5}); // first scene 0, then next_launch_kind 6
        eng.activate(w, h);
        random.script({});
        eng.judge_input({}); // clears the full repaint of the first frame
        eng.frame_count = 0;
    }

    // A live sprite in `slot` showing `image` at (x, y).
    void place(int slot, int image, double x, double y, int kind = 3, int motion = 3)
    {
        eng.sprite_image[slot] = image;
        eng.sprite_x[slot] = x;
        eng.sprite_y[slot] = y;
        eng.sprite_alive[slot] = 1;
        eng.sprite_kind[slot] = static_cast<std::int16_t>(kind);
        eng.motion_class[slot] = motion;
        eng.kind_count[kind] += 1;
    }
};

} // namespace test_engine

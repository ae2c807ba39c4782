// The per-frame object step: stars, the launch schedule, the motion classes,
// retirement at the screen band, and animation.
#include "engine/scene_engine.h"
#include "startup/numbers.h"

namespace engine {

void scene_engine::move_sprites()
{
    mix_clock();

    // Both draws happen every frame, the slot first, whether or not the slot is
    // free, so a taken slot does not shift the random sequence of later steps.
    int s = static_cast<int>(roll(sprite_count));
    const bool star_chance = chance_below(1000, 100);
    if (sprite_alive[s] == 0 && star_chance)
        do_star(s);

    // With launch_period 0 the timer runs on for ever: let it wrap, not overflow.
    launch_timer = static_cast<std::int32_t>(static_cast<std::uint32_t>(launch_timer) + 1u);
    if (launch_timer == launch_period) {
        launch_timer = 0;
        s = static_cast<int>(roll(sprite_count));
        if (sprite_alive[s] == 0)
            launch_object(s);
    }

    for (int i = 1; i <= sprite_count; ++i) {
        if (sprite_alive[i] != 1)
            continue;
        switch (motion_class[i]) {
        case 1:
            sprite_x[i] += velocity_x[i];
            sprite_y[i] += velocity_y[i];
            band_test(i);
            if (velocity_x[i] > 0)
                velocity_x[i] += depth_speed_x[1] / 4;
            else
                velocity_x[i] -= depth_speed_x[1] / 4;
            break;
        case 2:
            sprite_x[i] += velocity_x[i];
            sprite_y[i] += velocity_y[i];
            band_test(i);
            velocity_y[i] -= depth_speed_y[1] / 4;
            break;
        case 3:
            sprite_x[i] += velocity_x[i];
            sprite_y[i] += velocity_y[i];
            band_test(i);
            break;
        case 4:
            sprite_x[i] += velocity_x[i];
            sprite_y[i] += velocity_y[i];
            band_test(i);
            velocity_x[i] += accel_x[i];
            break;
        case 5:
            drift_velocity_x[i] += drift_accel_x[i];
            drift_velocity_y[i] += drift_accel_y[i];
            if (chance_half()) {
                if (drift_velocity_y[i] > 0)
                    drift_accel_y[i] -= depth_speed_y[static_cast<int>(roll(10))] / 8;
                else
                    drift_accel_y[i] += depth_speed_y[static_cast<int>(roll(10))] / 8;
            }
            if (chance_twentieth()) {
                if (drift_velocity_x[i] > 0)
                    drift_accel_x[i] -= depth_speed_x[static_cast<int>(roll(10))] / 16;
                else
                    drift_accel_x[i] += depth_speed_x[static_cast<int>(roll(10))] / 16;
            }
            sprite_x[i] += drift_velocity_x[i];
            sprite_y[i] += drift_velocity_y[i];
            band_test(i);
            break;
        default: // stars stay put and are never band-tested
            break;
        }
        if (sprite_alive[i] == 1 && sprite_anim[i] != 0)
            animation_step(i);
    }

    handle_picture_rotation();
}

void scene_engine::band_test(int i)
{
    const int w = image_catalogue[sprite_image[i]][3];
    const int h = image_catalogue[sprite_image[i]][4];
    if (sprite_x[i] > screen_width + 8 || sprite_x[i] + w < -8 || sprite_y[i] > screen_height + 8 || sprite_y[i] + h < -8) {
        if (retired_count_ < k_slots)
            retired_rects_[static_cast<std::size_t>(retired_count_++)] =
                QRect(static_cast<int>(numbers::round_even(sprite_old_x[i])), static_cast<int>(numbers::round_even(sprite_old_y[i])), w, h);
        sprite_off(i);
    }
}

void scene_engine::do_star(int s)
{
    sprite_off(s, true);
    sprite_x[s] = roll(screen_width);
    sprite_y[s] = roll(screen_height);
    anim_end_mode[s] = 1;
    motion_class[s] = 0;
    sprite_masked[s] = 0;
    setsprite_anim(s, static_cast<int>(roll(3) + 2));
    sprite_alive[s] = 1;
    sprite_kind[s] = 12;
    kind_count[12] = static_cast<std::int16_t>(kind_count[12] + 1);
}

} // namespace engine

// The sprite table: catalogue of the sheet's images, animations, speed levels,
// and the operations that empty slots and start animations.
#include "engine/scene_engine.h"

#include <cmath>

namespace engine {

namespace {
struct catalogue_row { int x, y, w, h, depth; };
// Images 1..19 of the sheet: rectangle and drawing depth.
constexpr catalogue_row k_fixed_images[20] = {
    {0, 0, 0, 0, -1},
    {3, 2, 94, 82, 6},      {103, 1, 89, 89, 7},    {196, 2, 70, 59, 8},    {272, 2, 89, 66, 9},
    {367, 1, 80, 60, 10},   {449, 1, 71, 28, 4},    {521, 3, 21, 15, 3},    {545, 4, 18, 15, 2},
    {570, 2, 17, 13, 1},    {3, 96, 96, 151, 14},   {110, 97, 144, 60, 13}, {110, 162, 144, 60, 12},
    {265, 81, 125, 144, 21}, {401, 118, 59, 69, 20}, {469, 112, 30, 35, 19}, {560, 60, 28, 166, 5},
    {592, 40, 128, 158, 18}, {3, 262, 126, 167, 17}, {170, 263, 126, 168, 16},
};
} // namespace

void scene_engine::init_sprites()
{
    caption_index = 0;
    scroller_countdown = scroller_interval;
    scroller_state = 0;

    init_depth_speeds();
    launch_timer = launch_period - 10;

    for (auto &row : image_catalogue)
        for (auto &v : row)
            v = 0;
    for (int n = 0; n < 20; ++n) {
        const catalogue_row &r = k_fixed_images[n];
        image_catalogue[n][1] = r.x;
        image_catalogue[n][2] = r.y;
        image_catalogue[n][3] = r.w;
        image_catalogue[n][4] = r.h;
        image_catalogue[n][5] = r.depth;
    }
    // The two asteroid animations: 4 rows of 6 square frames each, numbered row by row.
    auto asteroid_grid = [this](int first_image, int x0, int y0, int size, int depth) {
        int image = first_image;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c, ++image) {
                auto *row = image_catalogue[image];
                row[1] = x0 + size * c; row[2] = y0 + size * r; row[3] = size; row[4] = size; row[5] = depth;
            }
    };
    asteroid_grid(20, 0, 480, 30, 11);
    asteroid_grid(44, 360, 240, 60, 15);
    for (int c = 0; c < 6; ++c) {
        auto *row = image_catalogue[68 + c];
        row[1] = 340 + 12 * c; row[2] = 516; row[3] = 9; row[4] = 9; row[5] = 0;
    }

    for (auto &row : anim_frames)
        for (auto &v : row)
            v = 0;
    for (int f = 1; f <= 24; ++f) {
        anim_frames[1][f] = 19 + f;
        anim_frames[2][f] = 43 + f;
    }
    anim_frames[1][25] = -1;
    anim_frames[2][25] = -1;
    for (int a = 3; a <= 5; ++a) {
        int f = 1;
        for (int img = 65 + a; img <= 73; ++img)
            anim_frames[a][f++] = img;
        anim_frames[a][f] = -1;
    }

    sprite_count = 25;
    sprites_reset();
    for (int i = 1; i <= sprite_count; ++i) {
        sprite_off(i);
        draw_order[i] = static_cast<std::int16_t>(i);
        sprite_masked[i] = 1;
    }
    next_launch_kind = static_cast<std::int32_t>(std::floor(random_.next() * 11 + 1));
}

void scene_engine::init_depth_speeds()
{
    double d = 2500;
    for (int k = 1; k <= 20; ++k) {
        depth_speed_x[k] = screen_width / d;
        depth_speed_y[k] = screen_height / d;
        d -= 100;
    }
}

void scene_engine::sprite_off(int slot, bool keep_count)
{
    sprite_image[slot] = 0;
    sprite_alive[slot] = 0;
    sprite_anim[slot] = 0;
    anim_end_mode[slot] = 0;
    sprite_frame[slot] = 0;
    motion_class[slot] = 0;
    drift_velocity_y[slot] = 0;
    drift_velocity_x[slot] = 0;
    drift_accel_x[slot] = 0;
    drift_accel_y[slot] = 0;
    accel_x[slot] = 0;
    sprite_masked[slot] = 1;
    if (!keep_count) {
        const int k = sprite_kind[slot];
        if (k >= 0 && k <= k_kinds) {
            kind_count[k] = static_cast<std::int16_t>(kind_count[k] - 1);
            if (kind_count[k] < 1)
                kind_count[k] = 0;
        }
    }
}

void scene_engine::setsprite_anim(int slot, int anim)
{
    sprite_anim[slot] = anim;
    sprite_frame[slot] = 0;
    sprite_image[slot] = anim_frames[anim][1];
}

void scene_engine::sprites_reset()
{
    for (int s = 1; s <= sprite_count; ++s)
        sprite_off(s);
    for (int k = 1; k <= k_kinds; ++k)
        kind_count[k] = 0;
}

void scene_engine::sprites_clear()
{
    blit_old_sprites();
    sprites_reset();
}

void scene_engine::animation_step(int slot)
{
    sprite_frame[slot] += 1;
    if (anim_frames[sprite_anim[slot]][sprite_frame[slot]] == -1) {
        if (anim_end_mode[slot] == 0) {
            sprite_frame[slot] = 1;
        } else {
            sprite_off(slot);
            return;
        }
    }
    sprite_image[slot] = anim_frames[sprite_anim[slot]][sprite_frame[slot]];
}

} // namespace engine

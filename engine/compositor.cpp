// Drawing the sprites: erase by restoring the clean scene, draw through the
// mask into the work surface, copy only the changed rectangles to the screen.
#include "engine/scene_engine.h"
#include "startup/numbers.h"

#include <QSaveFile>

namespace engine {

using platform::BitBlt;
using platform::SRCAND;
using platform::SRCCOPY;
using platform::SRCPAINT;

namespace {
int whole(double v) { return static_cast<int>(numbers::round_even(v)); }
} // namespace

void scene_engine::blit_old_sprites()
{
    for (int k = 1; k <= sprite_count; ++k) {
        const int s = draw_order[k];
        if (sprite_alive[s] == 0)
            continue;
        const auto *img = image_catalogue[sprite_image[s]];
        BitBlt(background_work, whole(sprite_x[s]), whole(sprite_y[s]), img[3], img[4], background_copy,
               whole(sprite_x[s]), whole(sprite_y[s]), SRCCOPY);
        sprite_old_x[s] = sprite_x[s];
        sprite_old_y[s] = sprite_y[s];
    }
}

void scene_engine::draw_sprite(platform::surface &dest, int s)
{
    const auto *img = image_catalogue[sprite_image[s]];
    const int x = whole(sprite_x[s]);
    const int y = whole(sprite_y[s]);
    if (sprite_masked[s] != 0) {
        BitBlt(dest, x, y, img[3], img[4], mask, img[1], img[2], SRCAND);
        BitBlt(dest, x, y, img[3], img[4], sprite, img[1], img[2], SRCPAINT);
    } else {
        BitBlt(dest, x, y, img[3], img[4], sprite, img[1], img[2], SRCPAINT);
    }
}

void scene_engine::blit_new_sprites()
{
    if (full_repaint == 1)
        return;
    for (int k = 1; k <= sprite_count; ++k) {
        const int s = draw_order[k];
        if (sprite_alive[s] != 0)
            draw_sprite(background_work, s);
    }
}

void scene_engine::blit_flicker_free()
{
    for (int k = 1; k <= sprite_count; ++k) {
        const int s = draw_order[k];
        if (sprite_alive[s] == 0)
            continue;
        const int w = image_catalogue[sprite_image[s]][3];
        const int h = image_catalogue[sprite_image[s]][4];
        int dirty_x = whole(sprite_x[s]);
        int dirty_y = whole(sprite_y[s]);
        int dirty_width = w;
        int dirty_height = h;
        if (sprite_old_x[s] < sprite_x[s]) {
            dirty_x = whole(sprite_old_x[s]);
            dirty_width = whole(w + (sprite_x[s] - dirty_x) + 1);
        } else if (sprite_old_x[s] > sprite_x[s]) {
            dirty_width = whole(w + (sprite_old_x[s] - dirty_x) + 1);
        }
        if (sprite_old_y[s] < sprite_y[s]) {
            dirty_y = whole(sprite_old_y[s]);
            dirty_height = whole(h + (sprite_y[s] - dirty_y) + 1);
        } else if (sprite_old_y[s] > sprite_y[s]) {
            dirty_height = whole(h + (sprite_old_y[s] - dirty_y) + 1);
        }
        BitBlt(ascreen, dirty_x, dirty_y, dirty_width, dirty_height, background_work, dirty_x, dirty_y, SRCCOPY);
    }
    // Where objects retired this frame were last shown, the screen gets the
    // picture without them.
    for (int r = 0; r < retired_count_; ++r) {
        const QRect &gone = retired_rects_[static_cast<std::size_t>(r)];
        BitBlt(ascreen, gone.x(), gone.y(), gone.width(), gone.height(), background_work, gone.x(), gone.y(), SRCCOPY);
    }
    retired_count_ = 0;
}

void scene_engine::sort_sprites()
{
    for (int j = 2; j <= sprite_count; ++j) {
        const int a = draw_order[j - 1];
        const int b = draw_order[j];
        if (depth_of_slot(a) > depth_of_slot(b)) {
            draw_order[j - 1] = static_cast<std::int16_t>(b);
            draw_order[j] = static_cast<std::int16_t>(a);
        }
    }
}

void scene_engine::compose_wallpaper(platform::surface &dest)
{
    if (dest.width() != screen_width || dest.height() != screen_height)
        dest.resize(screen_width, screen_height);
    BitBlt(dest, 0, 0, screen_width, screen_height, background_copy, 0, 0, SRCCOPY);
    for (int k = 1; k <= sprite_count; ++k) {
        const int s = draw_order[k];
        if (sprite_alive[s] != 0)
            draw_sprite(dest, s);
    }
}

bool scene_engine::write_bitmap(const platform::surface &picture, const QString &file)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!picture.image().save(&out, "BMP"))
        return false;
    return out.commit();
}

} // namespace engine

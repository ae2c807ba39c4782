// Scene rotation and the three transitions that uncover the next scene.
#include "engine/scene_engine.h"
#include "startup/numbers.h"

#include <cmath>
#include <utility>
#include <vector>

namespace engine {

using platform::BitBlt;
using platform::SRCCOPY;

void scene_engine::handle_picture_rotation()
{
    mix_clock();
    // Only frames in which the caption scroller rests between captions count.
    if (!(scroller_state == 0 && scroller_countdown > 0))
        return;
    scene_frames += 1;
    if (scene_frames <= scene_duration)
        return;
    scene_frames = 0;
    scene_index += 1;
    if (scene_index == 10)
        scene_index = 0;
    background_main = pictures[scene_index];
    background_main.make_32bit(); // the scene in use is scaled from the same pixels as ever
    transition_effect += 1;
    if (transition_effect > 3)
        transition_effect = 1;
    platform::PaintPicture(background_copy, background_main, 0, 0, screen_width, screen_height);
    blit_effect(background_copy, ascreen, transition_effect);
    // Every effect covers the whole screen with background_copy, so the screen
    // now shows exactly that: take it from there rather than reading the screen
    // (which may be the display itself), and show the same whole picture once more.
    copy_whole(background_work, background_copy);
    copy_whole(ascreen, background_copy);
    sprites_clear();
}

void scene_engine::blit_effect(const platform::surface &x_from, platform::surface &x_to, int effect)
{
    auto whole = [](double v) { return static_cast<int>(numbers::round_even(v)); };
    auto wait = [this](std::int32_t ms) {
        if (wait_ticks)
            wait_ticks(ms);
    };
    const int W = screen_width;
    const int H = screen_height;

    if (effect == 1) {
        mix_clock();
        const double bw = W / 40.0;
        const double bh = H / 40.0;
        std::vector<std::pair<double, double>> cells(1601);
        for (int r = 0; r <= 39; ++r)
            for (int c = 0; c <= 39; ++c)
                cells[40 * r + c + 1] = {c * bw, r * bh};
        for (int i = 1; i <= 1600; ++i) {
            const int j = static_cast<int>(std::floor(random_.next() * 1600 + 1));
            std::swap(cells[i], cells[j]);
        }
        for (int i = 1; i <= 1600; ++i) {
            const int x = whole(cells[i].first);
            const int y = whole(cells[i].second);
            BitBlt(x_to, x, y, whole(bw + 1), whole(bh + 1), x_from, x, y, SRCCOPY);
            wait(1);
        }
    } else if (effect == 2) {
        // Rows from the top land on even rows, rows from the bottom on the other
        // parity; on an odd height both would be even, so the bottom pass takes
        // the odd rows itself and no stripe of the old scene survives.
        const int bottom_start = (H % 2 == 0) ? H - 1 : H - 2;
        for (int y = 0; y <= H; y += 2) {
            BitBlt(x_to, 0, y, W, 1, x_from, 0, y, SRCCOPY);
            BitBlt(x_to, 0, bottom_start - y, W, 1, x_from, 0, bottom_start - y, SRCCOPY);
            wait(6);
        }
    } else if (effect == 3) {
        const int right_start = (W % 2 == 0) ? W - 1 : W - 2;
        for (int x = 0; x <= W; x += 2) {
            BitBlt(x_to, x, 0, 1, H, x_from, x, 0, SRCCOPY);
            BitBlt(x_to, right_start - x, 0, 1, H, x_from, right_start - x, 0, SRCCOPY);
            wait(4);
        }
    }
}

void scene_engine::copy_whole(platform::surface &dest, const platform::surface &src)
{
    BitBlt(dest, 0, 0, screen_width, screen_height, src, 0, 0, SRCCOPY);
}

} // namespace engine

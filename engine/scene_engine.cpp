#include "engine/scene_engine.h"

#include "startup/bas_shellcode.h"

#include <QDir>
#include <cmath>

namespace engine {

using platform::BitBlt;
using platform::SRCCOPY;

scene_engine::scene_engine(random_source &random, tick_source &clock) : random_(random), clock_(clock) {}

bool scene_engine::load_pictures(const QString &folder)
{
    const QDir dir(folder);
    bool all = sprite.load(dir.filePath(QStringLiteral("sprite.png")));
    all = mask.load(dir.filePath(QStringLiteral("mask.png"))) && all;
    for (int i = 0; i < 10; ++i)
        all = pictures[i].load(dir.filePath(QStringLiteral("scene%1.png").arg(i))) && all;
    return all;
}

void scene_engine::derive_from_settings()
{
    using namespace bas_shellcode;
    scroller_interval = static_cast<std::int32_t>(static_cast<std::uint32_t>(scroller_delay) * 50u);
    scene_duration = static_cast<std::int32_t>(static_cast<std::uint32_t>(cycle_speed_value) * 80u);
    launch_period = static_cast<std::int32_t>(static_cast<std::uint32_t>(object_frequency) * 8u);
    show_time_on = text_is_nonzero(show_time);
}

void scene_engine::activate(int width, int height)
{
    screen_width = width;
    screen_height = height;
    time_box.width = k_time_box_width;
    time_box.height = k_time_box_height;
    time_box.top = 0;
    time_box.left = screen_width * twips_per_pixel_x - time_box.width;
    time_box.visible = false;

    mix_clock();
    exit_requested = 0;
    scene_frames = 0;
    scene_index = static_cast<std::int32_t>(std::floor(random_.next() * 10 + 1)) - 1;
    mouse_moves = 0;
    close_requested = 0;
    password_prompt_open = 0;
    transition_effect = 0;
    background_main = pictures[scene_index];

    ascreen.resize(screen_width, screen_height);
    platform::PaintPicture(ascreen, background_main, 0, 0, screen_width, screen_height);
    background_work.resize(screen_width, screen_height);
    BitBlt(background_work, 0, 0, screen_width, screen_height, ascreen, 0, 0, SRCCOPY);
    background_copy.resize(screen_width, screen_height);
    BitBlt(background_copy, 0, 0, screen_width, screen_height, ascreen, 0, 0, SRCCOPY);

    init_sprites();
    full_repaint = 1;
}

void scene_engine::frame()
{
    blit_old_sprites();
    move_sprites();
    blit_new_sprites();
    blit_flicker_free();
    sort_sprites();
    handle_time();
    handle_scroller();
}

input_verdict scene_engine::judge_input(const std::function<bool()> &password_required)
{
    input_verdict verdict = input_verdict::none;
    // The 80-frame input window starts again before the check looks at it.
    frame_count += 1;
    if (frame_count == 80) {
        frame_count = 0;
        mouse_moves = 0;
    }
    if (mouse_moves > mouse_move_limit || close_requested != 0) {
        mouse_moves = 0;
        close_requested = 0;
        if (preview_mode == 1) {
            exit_requested = 1;
            verdict = input_verdict::end_saver;
        } else if (password_required && password_required()) {
            if (password_prompt_open == 0) {
                password_prompt_open = 1;
                verdict = input_verdict::open_prompt;
            }
        } else {
            exit_requested = 1;
            verdict = input_verdict::end_saver;
        }
    }
    if (full_repaint == 1) {
        full_repaint = 0;
        BitBlt(ascreen, 0, 0, screen_width, screen_height, background_copy, 0, 0, SRCCOPY);
    }
    return verdict;
}

} // namespace engine

#include "engine/scene_engine.h"

#include "startup/bas_shellcode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace engine {

using platform::BitBlt;
using platform::SRCCOPY;

scene_engine::scene_engine(random_source &random, tick_source &clock) : random_(random), clock_(clock) {}

bool scene_engine::load_pictures(const QString &folder)
{
    const QDir dir(folder);
    bool all = true;
    // The saver runs without a picture it cannot read (that scene stays black),
    // but says which one, once, so a broken installation can be found.
    auto load = [&all, &dir](platform::surface &into, const QString &name, bool only_scaled = false) {
        const QString file = dir.filePath(name);
        // Scenes are only ever scaled onto the screen: they keep their 8-bit pixels.
        if (only_scaled ? into.load_picture(file) : into.load(file))
            return;
        all = false;
        const QString program = QCoreApplication::instance() ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                                                             : QStringLiteral("zentara");
        std::fprintf(stderr, "%s: cannot read the picture %s\n", qPrintable(program), QFile::encodeName(file).constData());
    };
    load(sprite, QStringLiteral("sprite.png"));
    load(mask, QStringLiteral("mask.png"));
    for (int i = 0; i < 10; ++i)
        load(pictures[i], QStringLiteral("scene%1.png").arg(i), true);
    return all;
}

namespace {
// A frame count derived from a stored setting. Negative settings count as 0 and
// huge ones stop just short of the 32-bit limit, so that no counter compared
// with the result can overflow before it reaches it.
std::int32_t frames_of(std::int32_t setting, std::int64_t factor)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t(setting) * factor, 0, INT32_MAX - 1));
}
} // namespace

std::int32_t scene_engine::frame_period_of(std::int32_t frame_rate)
{
    return std::clamp<std::int32_t>(frame_rate, 0, k_max_frame_period);
}

void scene_engine::derive_from_settings()
{
    using namespace bas_shellcode;
    scroller_interval = frames_of(scroller_delay, 50);
    scene_duration = frames_of(cycle_speed_value, 80);
    launch_period = frames_of(object_frequency, 8);
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
    background_main.make_32bit(); // the scene in use is scaled from the same pixels as ever

    // The scene is painted once and copied from there to the screen and the
    // clean copy: the same pixels everywhere, and the screen (which may be the
    // display itself) is never read back.
    ascreen.resize(screen_width, screen_height);
    background_work.resize(screen_width, screen_height);
    platform::PaintPicture(background_work, background_main, 0, 0, screen_width, screen_height);
    BitBlt(ascreen, 0, 0, screen_width, screen_height, background_work, 0, 0, SRCCOPY);
    background_copy.resize(screen_width, screen_height);
    BitBlt(background_copy, 0, 0, screen_width, screen_height, background_work, 0, 0, SRCCOPY);

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

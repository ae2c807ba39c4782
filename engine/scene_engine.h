#pragma once
// The saver's scene: surfaces, sprite table, launcher, motion, compositor, scene
// rotation, caption scroller and clock. It never asks the operating system
// anything: its clock and random numbers are injected and it draws into plain
// pixel buffers, so the same seed and clock give the same frames everywhere.
// The saver window (and the headless tools) own the display, input and pacing.
#include "engine/random.h"
#include "platform/surface.h"

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace engine {

// A text box over the picture; position and size in twips, as on the window.
struct text_box
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString text;
    bool visible = false;
};

// What the frame loop does after judging the input of a frame.
enum class input_verdict { none, end_saver, open_prompt };

class scene_engine
{
public:
    static constexpr int k_slots = 501;
    static constexpr int k_kinds = 12;
    static constexpr int k_images = 81;
    static constexpr int k_scroller_height = 420;  // twips
    static constexpr int k_time_box_width = 1035;  // twips
    static constexpr int k_time_box_height = 255;  // twips

    scene_engine(random_source &random, tick_source &clock);

    // Lets pending events run while a transition waits; headless hosts advance
    // their clock instead. Unset: the wait only advances nothing and returns.
    std::function<void(std::int32_t ms)> wait_ticks;

    // --- set-up -----------------------------------------------------------
    // Loads the ten scenes, the sheet and its mask from a pictures folder.
    bool load_pictures(const QString &folder);
    // Frame counts derived from the settings (read from the settings globals).
    void derive_from_settings();
    // The longest wait of a frame: a stored frame_rate above it waits this long,
    // so the saver still answers input within a second.
    static constexpr std::int32_t k_max_frame_period = 1000;
    // The milliseconds a frame lasts for a stored frame_rate: 0 and less wait for
    // nothing but one pass over the events, at most k_max_frame_period.
    static std::int32_t frame_period_of(std::int32_t frame_rate);
    // First activation: screen-sized surfaces, a random first scene painted over
    // the whole screen, the sprite table, and a full repaint on the first frame.
    void activate(int width, int height);

    // --- one frame ----------------------------------------------------------
    // The drawing work of a frame, in order: erase, move, draw, copy, sort, clock, captions.
    void frame();
    // After the frame's wait: the 80-frame input window, the input check and a
    // pending full repaint. `password_required` is asked only when input counts.
    input_verdict judge_input(const std::function<bool()> &password_required);
    // True when the loop should end now (the prompt, if open, must close first).
    bool loop_should_exit() const { return exit_requested != 0 && password_prompt_open == 0; }

    // Input handlers.
    void ascreen_MouseMove() { ++mouse_moves; }
    void do_keypress() { mouse_moves = static_cast<std::int16_t>(mouse_move_limit + 1); }
    // A close request from outside (the window manager's close): input that
    // always counts, whatever frame of the 80-frame window it arrives in.
    void request_close() { close_requested = 1; }

    // --- sprite table ---------------------------------------------------------
    void init_sprites();
    void init_depth_speeds();
    void sprite_off(int slot, bool keep_count = false);
    void setsprite_anim(int slot, int anim);
    void sprites_reset();
    void sprites_clear();
    void animation_step(int slot);

    // --- compositor -------------------------------------------------------------
    void blit_old_sprites();
    void blit_new_sprites();
    void blit_flicker_free();
    void sort_sprites();
    // Draws one live sprite as the compositor does (through the mask or OR only).
    void draw_sprite(platform::surface &dest, int slot);

    // --- launcher and motion ------------------------------------------------------
    void launch_object(int slot);
    // The most objects of a kind that can be alive at once (the launcher refuses
    // a kind while more than its limit fly, so one more than the limit).
    static int kind_limit(int kind);
    void move_sprites();
    void do_star(int slot);
    double roll(double n);
    bool chance_half();
    bool chance_fifth();
    bool chance_twentieth();
    bool chance_below(double range, double limit);

    // --- scenes, captions, clock ------------------------------------------------------
    void handle_picture_rotation();
    void blit_effect(const platform::surface &x_from, platform::surface &x_to, int effect);
    void handle_time();
    void handle_scroller();
    QString clock_text(const QTime &t) const;
    // A caption as the band shows it: cut to at most as many characters as the
    // band is pixels wide.
    QString band_text(const QString &caption) const;
    // The picture a closing saver leaves as wallpaper: the clean scene with every
    // live sprite in drawing order (no caption, no clock).
    void compose_wallpaper(platform::surface &dest);
    // Writes a picture as a bitmap file; an old file is replaced only once the new
    // one is complete.
    static bool write_bitmap(const platform::surface &picture, const QString &file);

    // --- state -------------------------------------------------------------
    // Surfaces.
    platform::surface ascreen, background_copy, background_work, background_main;
    std::array<platform::surface, 10> pictures;
    platform::surface sprite, mask;

    // Screen and loop.
    std::int32_t screen_width = 0, screen_height = 0;
    std::int16_t twips_per_pixel_x = 15, twips_per_pixel_y = 15;
    std::int32_t preview_mode = 0;
    std::int32_t exit_requested = 0;
    std::int16_t password_prompt_open = 0;
    std::int16_t mouse_moves = 0;
    std::int16_t mouse_move_limit = 22;
    std::int16_t close_requested = 0; // survives the 80-frame window's reset
    std::int32_t frame_count = 0;
    std::int16_t full_repaint = 0;
    std::int32_t scroller_interval = 500, scene_duration = 1040, launch_period = 40;

    // Sprite table (slots 1..sprite_count; slot 0 unused).
    std::array<double, k_slots> sprite_x{}, sprite_y{}, sprite_old_x{}, sprite_old_y{};
    std::array<double, k_slots> velocity_x{}, velocity_y{}, accel_x{};
    std::array<double, k_slots> drift_velocity_x{}, drift_velocity_y{}, drift_accel_x{}, drift_accel_y{};
    std::array<std::int32_t, k_slots> sprite_image{}, sprite_alive{}, sprite_masked{}, motion_class{};
    std::array<std::int32_t, k_slots> sprite_anim{}, sprite_frame{}, anim_end_mode{};
    std::array<std::int16_t, k_slots> sprite_kind{}, draw_order{};
    std::array<std::int16_t, k_kinds + 1> kind_count{};
    std::int32_t image_catalogue[k_images][6]{};
    std::int32_t anim_frames[11][101]{};
    std::array<double, 21> depth_speed_x{}, depth_speed_y{};
    std::int32_t sprite_count = 0;
    std::int32_t next_launch_kind = 1;
    std::int32_t launch_timer = 0;

    // Scenes.
    std::int32_t scene_index = 0, scene_frames = 0, transition_effect = 0;

    // Captions and clock.
    std::int32_t scroller_state = 0, scroller_countdown = 0, caption_index = 0;
    text_box scroller, time_box;
    bool show_time_on = true;

private:
    int depth_of_slot(int slot) const { return image_catalogue[sprite_image[slot]][5]; }
    void mix_clock() { random_.mix_clock(clock_.get_ticks()); }
    void band_test(int slot);
    void copy_whole(platform::surface &dest, const platform::surface &src);
    int window_height_twips() const { return screen_height * twips_per_pixel_y; }

    // Screen rectangles of objects retired by the band test this frame, as they
    // were last drawn: a fast object can leave the band from a place still
    // partly on the screen, and its picture there must not stay behind.
    std::array<QRect, k_slots> retired_rects_{};
    int retired_count_ = 0;

    random_source &random_;
    tick_source &clock_;
    int shown_second_ = -1; // second of the day the clock text shows
};

} // namespace engine

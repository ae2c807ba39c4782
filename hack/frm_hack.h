#pragma once
// The running scene as a display mode of a screen-saver host: the host gives a
// window (its full-screen saver window, the preview of its settings dialog, or
// the root window) and ends the program with a signal. The scene fills that
// window at whatever size it has and follows its resizes. It never reads the
// user's input, never grabs it and never touches the pointer: the host decides
// when to stop and locks the screen itself.
#include "engine/frame_host.h"
#include "engine/random.h"
#include "engine/saver_audio.h"
#include "engine/scene_engine.h"
#include "platform/foreign_window.h"

#include <QLabel>
#include <QWidget>
#include <memory>

class frm_hack : public QWidget
{
    Q_OBJECT
public:
    // `window` is the host's window; with `on_root` the program draws on the
    // desktop behind every other window instead (then `window` is the root).
    frm_hack(platform::x_window window, bool on_root);
    ~frm_hack() override;

    engine::scene_engine &scene() { return engine_; }
    saver_audio &audio() { return audio_; }

    // Settings, lists and pictures.
    void Form_Load();
    // Puts the picture into the host's window; false when that window does not exist.
    bool attach();
    // Frames until stop() or until the host's window is gone; then unloads.
    void main_loop();
    // Ends the loop after the current frame (the stop signals call it).
    void stop() { stop_requested_ = true; }
    // Sound off; with the option on, a full-screen run leaves its last frame as the wallpaper.
    void Form_Unload();

    // True when the window fills its monitor (or the whole X screen) and that
    // monitor is the primary one: only then does the scene play sound or set the
    // wallpaper, so one process of a multi-monitor host does it, not every one.
    bool full_screen_primary() const { return full_screen_primary_; }

    // Controls.
    picture_box *ascreen = nullptr;
    QLabel *scroller = nullptr;
    QLabel *time_box = nullptr;

    frame_host host{engine_};

private:
    void follow_size(const QSize &size);
    bool judge_full_screen();

    engine::system_clock clock_;
    engine::mixing_random random_;
    engine::scene_engine engine_;
    saver_audio audio_{random_, clock_};
    platform::foreign_window target_;
    bool on_root_;
    bool stop_requested_ = false;
    bool full_screen_primary_ = false;
    bool sound_started_ = false;
};

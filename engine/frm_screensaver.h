#pragma once
// The full-screen saver window: owns the scene engine, shows `ascreen`, counts
// the user's input and paces the frame loop.
#include "engine/frame_host.h"
#include "engine/random.h"
#include "engine/saver_audio.h"
#include "engine/scene_engine.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace platform { class instance_marker; }

class frm_screensaver : public QWidget
{
    Q_OBJECT
public:
    explicit frm_screensaver(QWidget *parent = nullptr);
    ~frm_screensaver() override;

    // Loads the window and shows it full screen; the frame loop starts at its
    // first activation and runs until the saver ends.
    void show_saver();

    engine::scene_engine &scene() { return engine_; }
    // Timer1, MMControl1, MMControl2 and their handlers.
    saver_audio &audio() { return audio_; }

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void main_loop();
    bool Form_Unload(); // true = the unload is refused
    void ascreen_MouseMove();
    void ascreen_KeyPress(const QString &text);
    void Form_KeyPress(const QString &text);
    void do_keypress();
    void set_mouseposition(double x, double y);
    void save_wallpaper();

    // Controls.
    picture_box *ascreen = nullptr;
    QLabel *scroller = nullptr;
    QLabel *time_box = nullptr;

    // Loop state.
    std::int32_t unload_guard = 0;
    std::int32_t activated_once = 0;
    frame_host host{engine_}; // pacing, the picture and the text boxes
    std::int32_t &frame_start = host.frame_start;
    std::int32_t &frame_period = host.frame_period;
    std::int64_t &frames_run = host.frames_run; // frames drawn since the window loaded

    // Asked when input counts: is a password required to end the saver?
    std::function<bool()> password_required;
    // Opens the password prompt (modeless) over the running saver.
    std::function<void()> open_password_prompt;
    // Holds the keyboard and pointer for the saver from its start (true) until
    // its unload (false), so no other program receives input meanwhile.
    std::function<void(bool held)> hold_input;

signals:
    // The saver is ending (its first unload, refused or not): windows over it close.
    void ending();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void cover_other_screens();

    engine::system_clock clock_;
    engine::mixing_random random_;
    engine::scene_engine engine_;
    saver_audio audio_{random_, clock_};
    std::unique_ptr<platform::instance_marker> marker_;
    std::vector<QPointer<QWidget>> covers_;
};

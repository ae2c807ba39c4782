#pragma once
// What every window that shows the running scene shares: the picture surface
// that repaints only the rectangles the engine changed, the caption and clock
// text boxes over it, the sizing of the engine to the picture, and the pacing
// of one frame (draw, then let events run until the frame period is over).
// The full-screen saver window and the display mode for screen-saver hosts
// each own one and add their own input, sound and ending rules.
#include "engine/scene_engine.h"

#include "platform/screen_output.h"

#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <memory>

// The visible picture surface. On X11 it is a window of its own that the
// engine's copies onto `ascreen` reach directly (see platform/screen_output.h);
// elsewhere (offscreen, a high-DPI scale) it paints the `ascreen` buffer through Qt.
class picture_box : public QWidget
{
    Q_OBJECT
public:
    picture_box(const platform::surface &surface, QWidget *parent);
    ~picture_box() override;

    // Switches to showing the picture straight in this widget's X window;
    // `repaint_from` holds what the window shows (for exposed areas). False,
    // and painting through Qt stays, where that is not possible.
    bool show_directly(const platform::surface &repaint_from);
    platform::screen_output *output() const { return output_.get(); }
    QPaintEngine *paintEngine() const override;

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    const platform::surface &surface_;
    const platform::surface *repaint_from_ = nullptr;
    std::unique_ptr<platform::screen_output> output_;
};

class frame_host
{
public:
    explicit frame_host(engine::scene_engine &engine) : engine_(engine) {}
    // The widgets it drives; the host window owns them and keeps them for its life.
    void attach(picture_box *picture, QLabel *scroller, QLabel *time_box);

    // The caption band and the clock as the saver shows them (plain text:
    // captions are the user's own words, never markup).
    static QLabel *make_scroller(QWidget *parent);
    static QLabel *make_time_box(QWidget *parent);

    // Puts the picture at the top-left of its window, `width` x `height` pixels.
    void place(int width, int height);
    // Builds the engine's surfaces at the placed size, paints the first scene and
    // shows it; the first frame then repaints the whole picture.
    void first_scene();
    int width() const { return width_; }
    int height() const { return height_; }

    // One frame: the engine's drawing work, the text boxes brought up to date,
    // then pending events run until `frame_period` ms after the frame began.
    void run_frame();
    // The text boxes shown as the engine has them (only what changed is touched).
    void sync_text_boxes();

    std::int32_t frame_start = 0;
    std::int32_t frame_period = 45;
    std::int64_t frames_run = 0; // frames drawn since the host started

private:
    void mirror_text_box(QLabel *label, const engine::text_box &box, QString &shown);

    engine::scene_engine &engine_;
    picture_box *picture_ = nullptr;
    QLabel *scroller_ = nullptr;
    QLabel *time_box_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    QString shown_time_;
    QString shown_caption_;
    bool output_tried_ = false;
};

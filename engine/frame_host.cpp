#include "engine/frame_host.h"

#include "platform/display.h"
#include "platform/os.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
int to_pixels(int twips, int per_pixel) { return per_pixel > 0 ? twips / per_pixel : twips; }

QLabel *text_label(QWidget *parent, QColor back, QColor fore, double point_size, bool bold)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, fore);
    label->setPalette(p);
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(point_size);
    f.setBold(bold);
    label->setFont(f);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();
    return label;
}
} // namespace

picture_box::picture_box(const platform::surface &surface, QWidget *parent) : QWidget(parent), surface_(surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

picture_box::~picture_box() = default;

bool picture_box::show_directly(const platform::surface &repaint_from)
{
    if (output_)
        return true;
    // Qt must neither paint nor flush this window: its pixels come from the engine.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    output_ = platform::screen_output::for_widget(this);
    if (!output_) {
        setAttribute(Qt::WA_PaintOnScreen, false);
        return false;
    }
    repaint_from_ = &repaint_from;
    return true;
}

QPaintEngine *picture_box::paintEngine() const { return output_ ? nullptr : QWidget::paintEngine(); }

void picture_box::paintEvent(QPaintEvent *e)
{
    if (output_) {
        // An exposed area shows the scene as the engine last drew it.
        for (const QRect &r : e->region())
            output_->put(*repaint_from_, r, r.topLeft());
        output_->flush();
        return;
    }
    QPainter p(this);
    const QImage &img = surface_.image();
    for (const QRect &r : e->region())
        p.drawImage(r, img, r);
}

void frame_host::attach(picture_box *picture, QLabel *scroller, QLabel *time_box)
{
    picture_ = picture;
    scroller_ = scroller;
    time_box_ = time_box;
}

QLabel *frame_host::make_scroller(QWidget *parent)
{
    return text_label(parent, QColor(0, 0, 128), Qt::white, 14.25, false);
}

QLabel *frame_host::make_time_box(QWidget *parent)
{
    return text_label(parent, Qt::black, QColor(255, 255, 0), 8.25, true);
}

void frame_host::place(int width, int height)
{
    width_ = width;
    height_ = height;
    picture_->setGeometry(0, 0, width, height);
}

void frame_host::first_scene()
{
    picture_box *picture = picture_;
    if (!output_tried_) {
        output_tried_ = true;
        if (picture->show_directly(engine_.background_work)) {
            platform::screen_output *out = picture->output();
            // The two surfaces the screen is copied from are shared with the X
            // server; `ascreen` is the window itself.
            auto shared = [out](int w, int h) { return out->allocate(w, h); };
            engine_.background_work.set_allocator(shared);
            engine_.background_copy.set_allocator(shared);
            engine_.ascreen.show_on_display(
                [out](const platform::surface &src, const QRect &from, const QPoint &to) { out->put(src, from, to); });
            // The text boxes are windows over the picture's window.
            for (QLabel *label : {scroller_, time_box_}) {
                label->setAttribute(Qt::WA_NativeWindow);
                label->winId();
                label->raise();
            }
        }
    }
    if (!picture->output())
        engine_.ascreen.set_change_listener([picture](const QRect &r) { picture->update(r); });
    engine_.activate(width_, height_);
    picture_->show();
    if (picture->output())
        picture->output()->flush();
    sync_text_boxes();
}

void frame_host::run_frame()
{
    frame_start = platform::get_ticks();
    engine_.frame();
    ++frames_run;
    if (picture_->output())
        picture_->output()->flush();
    sync_text_boxes();
    platform::run_events_until(static_cast<std::int32_t>(static_cast<std::uint32_t>(frame_start) + static_cast<std::uint32_t>(frame_period)));
}

void frame_host::mirror_text_box(QLabel *label, const engine::text_box &box, QString &shown)
{
    if (!box.visible)
        return;
    const QRect g(to_pixels(box.left, engine_.twips_per_pixel_x), to_pixels(box.top, engine_.twips_per_pixel_y),
                  to_pixels(box.width, engine_.twips_per_pixel_x), to_pixels(box.height, engine_.twips_per_pixel_y));
    if (label->geometry() != g)
        label->setGeometry(g);
    if (box.text != shown) {
        shown = box.text;
        // A caption wider than the band ends in an ellipsis rather than losing both ends.
        label->setText(label == scroller_ ? label->fontMetrics().elidedText(box.text, Qt::ElideRight, g.width()) : box.text);
    }
    if (!label->isVisible()) {
        label->show();
        label->raise();
    }
}

void frame_host::sync_text_boxes()
{
    mirror_text_box(time_box_, engine_.time_box, shown_time_);
    mirror_text_box(scroller_, engine_.scroller, shown_caption_);
}

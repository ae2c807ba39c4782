#include "engine/frm_screensaver.h"

#include "platform/display.h"
#include "platform/os.h"
#include "platform/wallpaper.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "startup/numbers.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {
std::uint64_t clock_seed()
{
    return static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) ^ (static_cast<std::uint64_t>(platform::get_ticks()) << 32);
}

int to_pixels(int twips, int per_pixel) { return per_pixel > 0 ? twips / per_pixel : twips; }
} // namespace

picture_box::picture_box(const platform::surface &surface, QWidget *parent) : QWidget(parent), surface_(surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void picture_box::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    const QImage &img = surface_.image();
    for (const QRect &r : e->region())
        p.drawImage(r, img, r);
}

frm_screensaver::frm_screensaver(QWidget *parent)
    : QWidget(parent), random_(clock_seed()), engine_(random_, clock_)
{
    setWindowTitle(bas_shellcode::k_saver_caption);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    ascreen = new picture_box(engine_.ascreen, this);
    ascreen->installEventFilter(this);
    ascreen->hide();

    // Captions and the clock are the user's text, never markup.
    scroller = new QLabel(this);
    scroller->setTextFormat(Qt::PlainText);
    scroller->setAlignment(Qt::AlignCenter);
    scroller->setAutoFillBackground(true);
    QPalette sp = scroller->palette();
    sp.setColor(QPalette::Window, QColor(0, 0, 128));
    sp.setColor(QPalette::WindowText, Qt::white);
    scroller->setPalette(sp);
    QFont sf(QStringLiteral("Arial"));
    sf.setPointSizeF(14.25);
    sf.setBold(false);
    scroller->setFont(sf);
    scroller->setAttribute(Qt::WA_TransparentForMouseEvents);
    scroller->hide();

    time_box = new QLabel(this);
    time_box->setTextFormat(Qt::PlainText);
    time_box->setAlignment(Qt::AlignCenter);
    time_box->setAutoFillBackground(true);
    QPalette tp = time_box->palette();
    tp.setColor(QPalette::Window, Qt::black);
    tp.setColor(QPalette::WindowText, QColor(255, 255, 0));
    time_box->setPalette(tp);
    QFont tf(QStringLiteral("Arial"));
    tf.setPointSizeF(8.25);
    tf.setBold(true);
    time_box->setFont(tf);
    time_box->setAttribute(Qt::WA_TransparentForMouseEvents);
    time_box->hide();

    engine_.wait_ticks = [](std::int32_t ms) { platform::wait_ticks(ms); };
}

frm_screensaver::~frm_screensaver()
{
    for (auto &c : covers_)
        delete c.data();
}

void frm_screensaver::show_saver()
{
    Form_Load();
    QScreen *screen = QGuiApplication::primaryScreen();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint
                   | (engine_.preview_mode == 1 ? Qt::WindowType(0) : Qt::WindowStaysOnTopHint));
    if (screen)
        setGeometry(screen->geometry()); // a bare X server without a window manager ignores full screen alone
    showFullScreen();
    activateWindow();
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frm_screensaver::Form_Load()
{
    using namespace bas_shellcode;
    marker_ = std::make_unique<platform::instance_marker>(k_saver_caption);
    saver_active = true;
    unload_guard = 1;
    engine_.mouse_move_limit = 22;
    load_settings();
    bas_usercode::load_captions();
    bas_usercode::prepare_audio();
    activated_once = 0;
    platform::hide_cursor();
    engine_.twips_per_pixel_x = twips_per_pixel_x;
    engine_.twips_per_pixel_y = twips_per_pixel_y;
    engine_.derive_from_settings();
    engine_.load_pictures(platform::pictures_folder());
    set_mouseposition(0, 0);
}

void frm_screensaver::Form_Activate()
{
    if (activated_once != 0)
        return;
    activated_once = 1;

    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    if (!isFullScreen())
        showFullScreen();
    ascreen->setGeometry(0, 0, area.width(), area.height());
    // The screen's size in twips over twips per pixel is its size in Qt's
    // logical pixels; a high-DPI display scales the picture up when shown.
    const int W = area.width();
    const int H = area.height();
    platform::do_events();

    engine_.ascreen.set_change_listener([this](const QRect &r) { ascreen->update(r); });
    engine_.activate(W, H);
    ascreen->show();
    ascreen->setFocus();
    sync_text_boxes();
    cover_other_screens();
    ascreen->update();
    platform::do_events();

    audio_.start_timer();
    platform::saver_running_on();
    if (hold_input && engine_.preview_mode != 1)
        hold_input(true);
    main_loop();
}

void frm_screensaver::main_loop()
{
    frame_period = engine::scene_engine::frame_period_of(bas_shellcode::frame_rate);
    for (;;) {
        if (!bas_shellcode::saver_active)
            break;
        frame_start = platform::get_ticks();
        engine_.frame();
        ++frames_run;
        sync_text_boxes();
        platform::run_events_until(static_cast<std::int32_t>(static_cast<std::uint32_t>(frame_start) + static_cast<std::uint32_t>(frame_period)));
        const engine::input_verdict verdict = engine_.judge_input(password_required);
        if (verdict == engine::input_verdict::open_prompt && open_password_prompt)
            open_password_prompt();
        if (!engine_.loop_should_exit())
            continue;
        break;
    }
    unload_guard = 0;
    close();
}

bool frm_screensaver::Form_Unload()
{
    audio_.audio_off();
    if (hold_input)
        hold_input(false);
    platform::show_cursor();
    platform::saver_running_off();
    bas_shellcode::saver_active = false;
    if (unload_guard == 1)
        return true;
    audio_.Timer1.stop(); // the closed window may live on (the menu's preview): no more picks
    marker_.reset();
    for (auto &c : covers_)
        if (c)
            c->close();
    if (bas_shellcode::save_as_wallpaper != 0)
        save_wallpaper();
    return false;
}

void frm_screensaver::save_wallpaper()
{
    scroller->hide();
    platform::do_events();
    time_box->hide();
    platform::do_events();
    engine_.compose_wallpaper(engine_.ascreen);
    platform::do_events();
    const QString file = bas_shellcode::windows_dir + QStringLiteral("Zentara Image.bmp");
    if (!engine::scene_engine::write_bitmap(engine_.ascreen, file))
        return;
    platform::do_events();
    platform::set_wallpaper(file);
    platform::do_events();
}

void frm_screensaver::closeEvent(QCloseEvent *e)
{
    // While a password is required, a close from outside (the window manager's
    // close, Alt+F4) is input like a key press: it asks for the password rather
    // than ending the saver. Closes from inside the program (the loop's exit,
    // the session's end) keep their orderly way.
    if (e->spontaneous() && unload_guard == 1 && engine_.preview_mode != 1 && password_required
        && password_required()) {
        e->ignore();
        do_keypress();
        return;
    }
    if (Form_Unload())
        e->ignore();
    else
        e->accept();
}

void frm_screensaver::ascreen_MouseMove() { engine_.ascreen_MouseMove(); }

void frm_screensaver::ascreen_KeyPress(const QString &text)
{
    // A key that makes no character (Shift, arrows, function keys) is no input.
    if (!text.isEmpty())
        do_keypress();
}

void frm_screensaver::Form_KeyPress(const QString &text) { ascreen_KeyPress(text); }

void frm_screensaver::do_keypress() { engine_.do_keypress(); }

void frm_screensaver::set_mouseposition(double x, double y)
{
    platform::set_pointer_position(this, static_cast<int>(numbers::round_even(x)), static_cast<int>(numbers::round_even(y)));
}

bool frm_screensaver::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && isVisible())
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    return QWidget::event(e);
}

void frm_screensaver::keyPressEvent(QKeyEvent *e) { Form_KeyPress(e->text()); }

bool frm_screensaver::eventFilter(QObject *watched, QEvent *e)
{
    // The picture and the black covers of other screens count input alike.
    if (e->type() == QEvent::MouseMove) {
        ascreen_MouseMove();
        return false;
    }
    if (e->type() == QEvent::KeyPress) {
        ascreen_KeyPress(static_cast<QKeyEvent *>(e)->text());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frm_screensaver::mirror_text_box(QLabel *label, const engine::text_box &box, QString &shown)
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
        label->setText(label == scroller ? label->fontMetrics().elidedText(box.text, Qt::ElideRight, g.width()) : box.text);
    }
    if (!label->isVisible()) {
        label->show();
        label->raise();
    }
}

void frm_screensaver::sync_text_boxes()
{
    mirror_text_box(time_box, engine_.time_box, shown_time_);
    mirror_text_box(scroller, engine_.scroller, shown_caption_);
}

void frm_screensaver::cover_other_screens()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *s : screens) {
        if (s == QGuiApplication::primaryScreen())
            continue;
        auto *cover = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint
                                               | (engine_.preview_mode == 1 ? Qt::WindowType(0) : Qt::WindowStaysOnTopHint));
        QPalette pal = cover->palette();
        pal.setColor(QPalette::Window, Qt::black);
        cover->setPalette(pal);
        cover->setAutoFillBackground(true);
        cover->setMouseTracking(true);
        cover->setCursor(Qt::BlankCursor);
        cover->installEventFilter(this);
        cover->setGeometry(s->geometry());
        cover->showFullScreen();
        covers_.emplace_back(cover);
    }
}

#include "engine/frm_screensaver.h"

#include "platform/display.h"
#include "platform/os.h"
#include "platform/screen_output.h"
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
} // namespace

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

    scroller = frame_host::make_scroller(this);
    time_box = frame_host::make_time_box(this);

    engine_.wait_ticks = [](std::int32_t ms) { platform::wait_ticks(ms); };
    host.attach(ascreen, scroller, time_box);
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
    platform::screen_output::black_by_server(this);
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
    // The screen's size in twips over twips per pixel is its size in Qt's
    // logical pixels; a high-DPI display scales the picture up when shown.
    host.place(area.width(), area.height());
    platform::do_events();

    host.first_scene();
    ascreen->setFocus();
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
        host.run_frame();
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
    const bool was_active = bas_shellcode::saver_active;
    audio_.audio_off();
    if (hold_input)
        hold_input(false);
    platform::show_cursor();
    platform::saver_running_off();
    bas_shellcode::saver_active = false;
    if (was_active)
        emit ending();
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
    // Composed apart and then shown: the screen may be the display itself,
    // which keeps no picture to write.
    platform::surface wallpaper;
    engine_.compose_wallpaper(wallpaper);
    platform::BitBlt(engine_.ascreen, 0, 0, wallpaper.width(), wallpaper.height(), wallpaper, 0, 0, platform::SRCCOPY);
    platform::do_events();
    const QString file = bas_shellcode::windows_dir + QStringLiteral("Zentara Image.bmp");
    if (!engine::scene_engine::write_bitmap(wallpaper, file))
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
        engine_.request_close();
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

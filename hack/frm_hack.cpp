#include "hack/frm_hack.h"

#include "platform/display.h"
#include "platform/os.h"
#include "platform/screen_output.h"
#include "platform/wallpaper.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {
std::uint64_t clock_seed()
{
    // Hosts start one process per monitor at the same moment: the process id
    // keeps their scenes apart.
    return static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch())
           ^ (static_cast<std::uint64_t>(platform::get_ticks()) << 32)
           ^ (static_cast<std::uint64_t>(QCoreApplication::applicationPid()) << 16);
}
} // namespace

frm_hack::frm_hack(platform::x_window window, bool on_root)
    : QWidget(nullptr), random_(clock_seed()), engine_(random_, clock_), target_(window), on_root_(on_root)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // No input at all: pointer and keys go to the host's window underneath, and
    // the pointer keeps the host's shape.
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    if (on_root_)
        flags |= Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnBottomHint;
    setWindowFlags(flags);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    ascreen = new picture_box(engine_.ascreen, this);
    ascreen->setFocusPolicy(Qt::NoFocus);
    ascreen->setMouseTracking(false);
    ascreen->hide();
    scroller = frame_host::make_scroller(this);
    time_box = frame_host::make_time_box(this);
    host.attach(ascreen, scroller, time_box);
    engine_.wait_ticks = [](std::int32_t ms) { platform::wait_ticks(ms); };
}

frm_hack::~frm_hack() = default;

void frm_hack::Form_Load()
{
    using namespace bas_shellcode;
    load_settings();
    bas_usercode::load_captions();
    bas_usercode::prepare_audio();
    engine_.mouse_move_limit = 22;
    engine_.twips_per_pixel_x = twips_per_pixel_x;
    engine_.twips_per_pixel_y = twips_per_pixel_y;
    engine_.derive_from_settings();
    engine_.load_pictures(platform::pictures_folder());
}

bool frm_hack::attach()
{
    const QSize size = target_.size();
    if (size.isEmpty())
        return false;
    if (on_root_) {
        // Drawing on the desktop itself: a window under all others, covering
        // the root window and unknown to the window manager.
        const QRect g = target_.geometry_on_root();
        setGeometry(QRect(g.topLeft(), size));
    } else {
        create();
        // Qt knows the foreign window only by its id (it reports it as 0 x 0):
        // the size comes from the X server.
        windowHandle()->setParent(QWindow::fromWinId(static_cast<WId>(target_.id())));
        setGeometry(0, 0, size.width(), size.height());
    }
    platform::screen_output::black_by_server(this);
    host.place(size.width(), size.height());
    show();
    if (on_root_)
        lower();
    platform::do_events();
    host.first_scene();
    ascreen->update();
    full_screen_primary_ = judge_full_screen();
    return true;
}

bool frm_hack::judge_full_screen()
{
    const QRect g = target_.geometry_on_root();
    if (g.isEmpty())
        return false;
    if (g.size() == target_.screen_size())
        return true; // the whole X screen (one monitor, or the host's one window over all)
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *s : screens)
        if (s->geometry().size() == g.size() && s->geometry().contains(g.center()))
            return s == QGuiApplication::primaryScreen();
    return false;
}

void frm_hack::follow_size(const QSize &size)
{
    if (size == QSize(host.width(), host.height()))
        return;
    // A new size needs new surfaces: the scene starts again at that size.
    resize(size);
    host.place(size.width(), size.height());
    host.first_scene();
    ascreen->update();
    full_screen_primary_ = judge_full_screen();
    if (full_screen_primary_ && !sound_started_) {
        audio_.start_timer();
        sound_started_ = true;
    }
}

void frm_hack::main_loop()
{
    if (full_screen_primary_) {
        audio_.start_timer();
        sound_started_ = true;
    }
    host.frame_period = bas_shellcode::frame_rate;
    while (!stop_requested_) {
        const QSize size = target_.size();
        if (size.isEmpty())
            break; // the host's window is gone: nothing left to draw into
        follow_size(size);
        host.run_frame();
        engine_.judge_input({}); // keeps the 80-frame window and the full repaints; no input ever counts
    }
    Form_Unload();
}

void frm_hack::Form_Unload()
{
    audio_.Timer1.stop();
    if (sound_started_)
        audio_.audio_off();
    if (bas_shellcode::save_as_wallpaper != 0 && full_screen_primary_) {
        scroller->hide();
        time_box->hide();
        platform::surface picture;
        engine_.compose_wallpaper(picture);
        const QString file = bas_shellcode::windows_dir + QStringLiteral("Zentara Image.bmp");
        if (engine::scene_engine::write_bitmap(picture, file))
            platform::set_wallpaper(file);
    }
    hide();
}

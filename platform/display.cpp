#include "platform/display.h"

#include "platform/os.h"
#include "platform/screen_output.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace platform {

namespace {
int g_cursor_count = 0;

Display *x11_display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

void suspend_blanking(bool suspend)
{
    Display *display = x11_display();
    if (!display)
        return;
    int event_base = 0, error_base = 0;
    if (!XScreenSaverQueryExtension(display, &event_base, &error_base))
        return;
    XScreenSaverSuspend(display, suspend ? True : False);
    XFlush(display);
}
} // namespace

int ShowCursor(bool show)
{
    const int before = g_cursor_count;
    g_cursor_count += show ? 1 : -1;
    if (!qGuiApp)
        return g_cursor_count;
    if (before >= 0 && g_cursor_count < 0)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else if (before < 0 && g_cursor_count >= 0)
        QGuiApplication::restoreOverrideCursor();
    return g_cursor_count;
}

void hide_cursor()
{
    while (ShowCursor(false) >= 0) {
    }
}

void show_cursor()
{
    while (ShowCursor(true) < 0) {
    }
}

int cursor_count() { return g_cursor_count; }

void saver_running_on() { suspend_blanking(true); }
void saver_running_off() { suspend_blanking(false); }

void run_events_until(std::int32_t deadline)
{
    static QTimer *wake = [] {
        auto *t = new QTimer(qApp);
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
        return t;
    }();
    do_events(); // shows what was drawn first
    for (;;) {
        const std::int32_t now = get_ticks();
        if (ticks_reached(now, deadline))
            break;
        const std::int32_t remaining = static_cast<std::int32_t>(static_cast<std::uint32_t>(deadline) - static_cast<std::uint32_t>(now));
        // Sleep in the event loop: any event (input, timers, repaints) wakes it,
        // and the timer wakes it at the deadline.
        wake->start(remaining);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wake->stop();
    }
}

void wait_ticks(std::int32_t ms)
{
    run_events_until(static_cast<std::int32_t>(static_cast<std::uint32_t>(get_ticks()) + static_cast<std::uint32_t>(ms)));
}

void set_pointer_position(QWidget *widget, int x, int y)
{
    if (widget)
        QCursor::setPos(widget->mapToGlobal(QPoint(x, y)));
}

} // namespace platform

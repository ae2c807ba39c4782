#include "platform/input_hold.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xlib.h>

namespace {
Display *x11_display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

// Another program may hold the keyboard when the saver starts (an open menu),
// and a grab needs the saver's window on screen: try again until it works, and
// keep renewing, since a grab of our own elsewhere would end this one.
constexpr int k_renewal_ms = 500;
} // namespace

namespace platform {

input_hold::input_hold(QWidget *saver, std::function<bool()> still_wanted)
    : QObject(saver), saver_(saver), still_wanted_(std::move(still_wanted))
{
    renewal_.setInterval(k_renewal_ms);
    connect(&renewal_, &QTimer::timeout, this, [this] { renew(); });
}

input_hold::~input_hold()
{
    release();
}

void input_hold::set_held(bool held)
{
    wanted_ = held;
    if (!held) {
        renewal_.stop();
        release();
        return;
    }
    if (!x11_display())
        return;
    renew();
    renewal_.start();
}

void input_hold::renew()
{
    Display *display = x11_display();
    if (!wanted_ || !display)
        return;
    if (still_wanted_ && !still_wanted_()) {
        release();
        return;
    }
    const Window window = static_cast<Window>(saver_->winId());
    // Owner events: input meant for any window of this program (the prompt, a
    // message box) goes there as usual; everything else comes to the saver.
    const bool keyboard = XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    const unsigned int pointer_events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask;
    const bool pointer = XGrabPointer(display, window, True, pointer_events, GrabModeAsync, GrabModeAsync, None, None,
                                      CurrentTime) == GrabSuccess;
    XFlush(display);
    keyboard_held_ = keyboard;
    pointer_held_ = pointer;
}

void input_hold::release()
{
    Display *display = x11_display();
    if (display && keyboard_held_)
        XUngrabKeyboard(display, CurrentTime);
    if (display && pointer_held_)
        XUngrabPointer(display, CurrentTime);
    if (display)
        XFlush(display);
    keyboard_held_ = false;
    pointer_held_ = false;
}

} // namespace platform

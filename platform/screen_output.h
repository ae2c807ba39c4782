#pragma once
// Showing surfaces straight in a native X window. A copy onto the display goes
// from its source surface to the window in one request; the surfaces that are
// copied often live in memory shared with the X server (MIT-SHM), so the server
// reads their pixels where they are and nothing is copied on our side. No
// screen-sized picture is kept for the window: Qt's backing store is not used.
#include "platform/surface.h"

#include <QPoint>
#include <QRect>
#include <memory>

class QWidget;

namespace platform {

class screen_output
{
public:
    // An output into `widget`'s native window, or null where there is none:
    // not on X11, a scaled (high-DPI) window, or a visual other than 24-bit
    // true colour at 32 bits a pixel. Callers then paint through Qt.
    static std::unique_ptr<screen_output> for_widget(QWidget *widget);
    ~screen_output();
    screen_output(const screen_output &) = delete;
    screen_output &operator=(const screen_output &) = delete;

    // Pixel memory the X server can read (ordinary memory where sharing is not
    // possible); for surface::set_allocator.
    QImage allocate(int width, int height);
    // The rectangle `from` of `src` shown at `to` in the window.
    void put(const surface &src, const QRect &from, const QPoint &to);
    // Sends what was put.
    void flush();
    // True when the pixels of `src` are shared with the X server.
    bool shares(const surface &src) const;

    // Lets the X server keep `window` black (its native background) instead of
    // Qt painting it, so no screen-sized buffer of Qt's ever holds that black.
    // False where there is no X11 (Qt's own painting stays).
    static bool black_by_server(QWidget *window);

    // Flushes every output (before the program waits for events).
    static void flush_all();

    struct state; // the connection and the shared blocks (screen_output.cpp)

private:
    explicit screen_output(std::shared_ptr<state> s);
    std::shared_ptr<state> s_;
};

} // namespace platform

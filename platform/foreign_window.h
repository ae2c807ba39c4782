#pragma once
// Windows of other programs on the X server: the host window of the preview and
// the window a screen-saver host gives its display mode. Every call goes through
// a connection of its own whose errors are only recorded, so a window that has
// just vanished answers "gone" and never ends the program.
#include <QRect>
#include <QSize>
#include <cstdint>

namespace platform {

using x_window = std::uint32_t; // an X11 window id

// True when an X display can be opened ($DISPLAY names a reachable server).
bool x11_display_reachable();

class foreign_window
{
public:
    explicit foreign_window(x_window id);
    foreign_window(const foreign_window &) = delete;
    foreign_window &operator=(const foreign_window &) = delete;

    x_window id() const { return id_; }
    // True while the window exists on the server.
    bool exists();
    // Its inside size in pixels; empty once it is gone.
    QSize size();
    // Where the window lies on its screen, in the root window's pixels; empty
    // once it is gone.
    QRect geometry_on_root();
    // Size of the X screen the window lies on; empty once it is gone.
    QSize screen_size();

    // The root window of the default screen, or the virtual root that a host
    // marks on one of the root's children with the __SWM_VROOT property.
    static x_window virtual_root();

private:
    x_window id_;
};

} // namespace platform

#include "platform/foreign_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

namespace {
// One connection of our own for looking at other programs' windows. Qt's
// connection is never used for this: an error there could end the program.
Display *g_display = nullptr;
int g_last_error = 0;

// Xlib's default handler ends the process on any error. Ours records the errors
// of our connection and ignores the rest: Qt talks to the server through xcb
// and handles its errors there, so nothing else arrives here but strays.
int on_x_error(Display *display, XErrorEvent *event)
{
    if (display == g_display)
        g_last_error = event->error_code;
    return 0;
}

Display *connection()
{
    if (!g_display)
        g_display = XOpenDisplay(nullptr);
    return g_display;
}

// Runs an Xlib request and waits for its answer; false when the server
// reported an error for it (the window vanished meanwhile, for example).
template <typename F> bool checked(F request)
{
    Display *display = connection();
    if (!display)
        return false;
    XSetErrorHandler(on_x_error); // again each time: a library opened later may have put its own
    XSync(display, False);
    g_last_error = 0;
    const bool ok = request(display);
    XSync(display, False);
    return ok && g_last_error == 0;
}

bool attributes(x_window id, XWindowAttributes &out)
{
    if (id == 0)
        return false;
    return checked([&](Display *d) { return XGetWindowAttributes(d, id, &out) != 0; });
}
} // namespace

bool x11_display_reachable()
{
    return connection() != nullptr;
}

foreign_window::foreign_window(x_window id) : id_(id) {}

bool foreign_window::exists()
{
    XWindowAttributes a;
    return attributes(id_, a);
}

QSize foreign_window::size()
{
    XWindowAttributes a;
    if (!attributes(id_, a))
        return {};
    return QSize(a.width, a.height);
}

QSize foreign_window::screen_size()
{
    XWindowAttributes a;
    if (!attributes(id_, a) || !a.screen)
        return {};
    return QSize(WidthOfScreen(a.screen), HeightOfScreen(a.screen));
}

QRect foreign_window::geometry_on_root()
{
    XWindowAttributes a;
    if (!attributes(id_, a))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    if (!checked([&](Display *d) { return XTranslateCoordinates(d, id_, a.root, 0, 0, &x, &y, &child) != 0; }))
        return {};
    return QRect(x, y, a.width, a.height);
}

x_window foreign_window::virtual_root()
{
    Display *display = connection();
    if (!display)
        return 0;
    const Window root = DefaultRootWindow(display);
    const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    Window found = root;
    Window root_back = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (checked([&](Display *d) { return XQueryTree(d, root, &root_back, &parent, &children, &count) != 0; })) {
        for (unsigned int i = 0; i < count && found == root; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char *data = nullptr;
            const bool ok = checked([&](Display *d) {
                return XGetWindowProperty(d, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                          &after, &data) == Success;
            });
            if (ok && type == XA_WINDOW && format == 32 && items == 1 && data)
                found = static_cast<Window>(*reinterpret_cast<unsigned long *>(data));
            if (data)
                XFree(data);
        }
        if (children)
            XFree(children);
    }
    return static_cast<x_window>(found);
}

} // namespace platform

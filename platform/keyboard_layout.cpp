#include "platform/keyboard_layout.h"

#include <QGuiApplication>
#include <QList>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

namespace {
Display *x11_display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}
} // namespace

layout_names current_layout()
{
    layout_names names;
    Display *display = x11_display();
    if (!display)
        return names;
    // The rule names the server's keymap was built from (setxkbmap records them
    // on the root window), five NUL-separated texts.
    const Atom property = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (property != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, XA_STRING, &type,
                               &format, &count, &remaining, &data) == Success
            && data) {
            if (type == XA_STRING && format == 8) {
                const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(count)).split('\0');
                QByteArray *fields[] = {&names.rules, &names.model, &names.layout, &names.variant, &names.options};
                for (qsizetype i = 0; i < parts.size() && i < 5; ++i)
                    *fields[i] = parts[i];
            }
            XFree(data);
        }
    }
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) == Success)
        names.group = state.group;
    return names;
}

} // namespace platform

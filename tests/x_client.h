#pragma once
// The test's own X connection: makes host windows, watches what other programs
// put into them and reads their pixels back.
#include <QtTest> // before Xlib, whose macros (None, Bool ...) clash with Qt names
#include <QImage>
#include <QString>
#include <QThread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

class x_client
{
public:
    explicit x_client(const QString &display)
    {
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; }); // a vanished window is no test failure
        d_ = XOpenDisplay(display.toLocal8Bit().constData());
    }
    ~x_client()
    {
        if (d_)
            XCloseDisplay(d_);
    }
    bool ok() const { return d_ != nullptr; }
    Display *display() const { return d_; }
    Window root() const { return DefaultRootWindow(d_); }

    // A mapped top-level window, black, of this size.
    Window make_window(int w, int h, int x = 0, int y = 0)
    {
        XSetWindowAttributes a{};
        a.background_pixel = BlackPixel(d_, DefaultScreen(d_));
        a.override_redirect = True; // no window manager here
        const Window win = XCreateWindow(d_, root(), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                         CopyFromParent, InputOutput, CopyFromParent,
                                         CWBackPixel | CWOverrideRedirect, &a);
        XMapWindow(d_, win);
        XSync(d_, False);
        return win;
    }
    void destroy(Window w)
    {
        XDestroyWindow(d_, w);
        XSync(d_, False);
    }
    void resize(Window w, int width, int height)
    {
        XResizeWindow(d_, w, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(d_, False);
    }
    bool exists(Window w)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(d_, w, &a) != 0;
    }
    QSize size(Window w)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d_, w, &a))
            return {};
        return QSize(a.width, a.height);
    }
    bool mapped(Window w)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable;
    }
    std::vector<Window> children(Window w)
    {
        Window r = 0, p = 0, *list = nullptr;
        unsigned int n = 0;
        std::vector<Window> out;
        if (XQueryTree(d_, w, &r, &p, &list, &n)) {
            out.assign(list, list + n);
            if (list)
                XFree(list);
        }
        return out;
    }
    // The close request a window manager sends (WM_DELETE_WINDOW).
    void send_close_request(Window w)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(d_, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(d_, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d_, w, False, NoEventMask, &e);
        XSync(d_, False);
    }
    // What the window shows, children included.
    QImage grab(Window w)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d_, w, &a))
            return {};
        XImage *xi = XGetImage(d_, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                               AllPlanes, ZPixmap);
        if (!xi)
            return {};
        QImage img(a.width, a.height, QImage::Format_RGB32);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                img.setPixel(x, y, static_cast<QRgb>(XGetPixel(xi, x, y) & 0xffffff));
        XDestroyImage(xi);
        return img;
    }

private:
    Display *d_ = nullptr;
};

// Share of sampled pixels that differ between two pictures of the same size.
inline double changed_share(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 0;
    int n = 0, changed = 0;
    for (int y = 0; y < a.height(); y += 3)
        for (int x = 0; x < a.width(); x += 3, ++n)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return n ? double(changed) / n : 0;
}

// Share of sampled pixels that are not black.
inline double lit_share(const QImage &img)
{
    int n = 0, lit = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2, ++n)
            lit += (img.pixel(x, y) & 0xffffff) != 0;
    return n ? double(lit) / n : 0;
}

// True when every part of a 3 x 3 grid over the picture shows something: a
// scene covers the whole window (space scenes are largely black, so no more
// than a few lit pixels per part can be asked for).
inline bool filled(const QImage &img)
{
    if (img.width() < 3 || img.height() < 3)
        return false;
    for (int gy = 0; gy < 3; ++gy)
        for (int gx = 0; gx < 3; ++gx) {
            const QRect cell(img.width() * gx / 3, img.height() * gy / 3, img.width() / 3, img.height() / 3);
            if (lit_share(img.copy(cell)) < 0.01)
                return false;
        }
    return true;
}

#include "platform/screen_output.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform {

namespace {
// Rows padded as the ordinary surfaces are (see surface.cpp), and a whole
// number of pixels wide, which is how the X server reads a shared image.
std::size_t row_bytes_of(int width)
{
    return (static_cast<std::size_t>(width) * 4u + 63u) / 64u * 64u + 64u;
}

Display *g_failing_display = nullptr;
int g_last_error = 0;

// Xlib's default handler ends the process on any error. A window that vanished
// under us (a host that closed its window) must only stop the drawing: errors
// of our connection are recorded, everything else is ignored as strays (Qt
// handles its own errors through xcb).
int on_x_error(Display *display, XErrorEvent *event)
{
    if (display == g_failing_display)
        g_last_error = event->error_code;
    return 0;
}

// One block of shared memory, owned by the picture that lives in it.
struct shm_block;
} // namespace

struct screen_output::state
{
    Display *display = nullptr;
    Window window = 0;
    Visual *visual = nullptr;
    int depth = 24;
    GC gc = nullptr;
    bool shm = false;
    std::vector<shm_block *> blocks;

    ~state();
    void detach(shm_block *b);
};

namespace {
struct shm_block
{
    std::weak_ptr<screen_output::state> owner;
    XShmSegmentInfo info{};
    XImage *image = nullptr; // the whole block as the X server sees it
    const uchar *base = nullptr;
};

std::vector<screen_output::state *> g_outputs;

void release_block(void *p)
{
    auto *b = static_cast<shm_block *>(p);
    if (auto owner = b->owner.lock())
        owner->detach(b);
    shmdt(b->info.shmaddr);
    delete b;
}
} // namespace

void screen_output::state::detach(shm_block *b)
{
    const auto it = std::find(blocks.begin(), blocks.end(), b);
    if (it == blocks.end())
        return;
    blocks.erase(it);
    XShmDetach(display, &b->info);
    b->image->data = nullptr; // the memory is the picture's, not Xlib's
    XDestroyImage(b->image);
    b->image = nullptr;
    XFlush(display);
}

screen_output::state::~state()
{
    while (!blocks.empty())
        detach(blocks.back()); // pictures still alive keep their memory until they go
    if (gc)
        XFreeGC(display, gc);
    if (display)
        XCloseDisplay(display);
}

std::unique_ptr<screen_output> screen_output::for_widget(QWidget *widget)
{
    if (!widget || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    if (widget->devicePixelRatioF() != 1.0)
        return nullptr; // Qt scales the picture up for a high-DPI window
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return nullptr;
    const Window window = static_cast<Window>(widget->winId());
    if (window == 0)
        return nullptr;

    // A connection of our own: our requests and their errors never get in Qt's way.
    auto s = std::make_shared<state>();
    s->display = XOpenDisplay(DisplayString(x11->display()));
    if (!s->display)
        return nullptr;
    XSetErrorHandler(on_x_error);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(s->display, window, &a) || !a.visual)
        return nullptr;
    const Visual *v = a.visual;
    int formats = 0;
    int bits_per_pixel = 0;
    if (XPixmapFormatValues *list = XListPixmapFormats(s->display, &formats)) {
        for (int i = 0; i < formats; ++i)
            if (list[i].depth == a.depth)
                bits_per_pixel = list[i].bits_per_pixel;
        XFree(list);
    }
    if ((a.depth != 24 && a.depth != 32) || bits_per_pixel != 32 || v->red_mask != 0xff0000 || v->green_mask != 0xff00
        || v->blue_mask != 0xff || ImageByteOrder(s->display) != LSBFirst)
        return nullptr;
    s->window = window;
    s->visual = a.visual;
    s->depth = a.depth;
    XGCValues values{};
    values.graphics_exposures = False;
    s->gc = XCreateGC(s->display, window, GCGraphicsExposures, &values);
    s->shm = XShmQueryExtension(s->display) != 0;
    return std::unique_ptr<screen_output>(new screen_output(std::move(s)));
}

screen_output::screen_output(std::shared_ptr<state> s) : s_(std::move(s)) { g_outputs.push_back(s_.get()); }

screen_output::~screen_output()
{
    g_outputs.erase(std::remove(g_outputs.begin(), g_outputs.end(), s_.get()), g_outputs.end());
}

QImage screen_output::allocate(int width, int height)
{
    if (!s_->shm || width <= 0 || height <= 0)
        return {};
    const std::size_t row_bytes = row_bytes_of(width);
    const std::size_t bytes = row_bytes * static_cast<std::size_t>(height);
    auto *b = new shm_block;
    b->owner = s_;
    b->info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (b->info.shmid < 0) {
        delete b;
        return {};
    }
    b->info.shmaddr = static_cast<char *>(shmat(b->info.shmid, nullptr, 0));
    b->info.readOnly = True;
    if (b->info.shmaddr == reinterpret_cast<char *>(-1)) {
        shmctl(b->info.shmid, IPC_RMID, nullptr);
        delete b;
        return {};
    }
    // A server on another machine (or one that refuses) cannot attach: fall back
    // to ordinary memory, and ask no more.
    XSetErrorHandler(on_x_error);
    g_failing_display = s_->display;
    g_last_error = 0;
    const bool attached = XShmAttach(s_->display, &b->info) != 0;
    XSync(s_->display, False);
    const bool ok = attached && g_last_error == 0;
    g_failing_display = nullptr;
    shmctl(b->info.shmid, IPC_RMID, nullptr); // freed once both sides have let go
    if (!ok) {
        s_->shm = false;
        shmdt(b->info.shmaddr);
        delete b;
        return {};
    }
    b->image = XShmCreateImage(s_->display, s_->visual, static_cast<unsigned>(s_->depth), ZPixmap, b->info.shmaddr,
                               &b->info, static_cast<unsigned>(row_bytes / 4), static_cast<unsigned>(height));
    if (!b->image || static_cast<std::size_t>(b->image->bytes_per_line) != row_bytes) {
        if (b->image) {
            b->image->data = nullptr;
            XDestroyImage(b->image);
        }
        XShmDetach(s_->display, &b->info);
        shmdt(b->info.shmaddr);
        delete b;
        return {};
    }
    b->base = reinterpret_cast<const uchar *>(b->info.shmaddr);
    s_->blocks.push_back(b);
    return QImage(reinterpret_cast<uchar *>(b->info.shmaddr), width, height, static_cast<qsizetype>(row_bytes),
                  QImage::Format_RGB32, release_block, b);
}

bool screen_output::shares(const surface &src) const
{
    const uchar *bits = src.image().constBits();
    return std::any_of(s_->blocks.begin(), s_->blocks.end(), [bits](const shm_block *b) { return b->base == bits; });
}

void screen_output::put(const surface &src, const QRect &from, const QPoint &to)
{
    const QImage &img = src.image();
    if (img.isNull() || img.format() != QImage::Format_RGB32 || from.isEmpty())
        return;
    const QRect r = from.intersected(img.rect());
    if (r.isEmpty())
        return;
    const QPoint at = to + (r.topLeft() - from.topLeft());
    const uchar *bits = img.constBits();
    for (const shm_block *b : s_->blocks) {
        if (b->base == bits) {
            XShmPutImage(s_->display, s_->window, s_->gc, b->image, r.x(), r.y(), at.x(), at.y(),
                         static_cast<unsigned>(r.width()), static_cast<unsigned>(r.height()), False);
            return;
        }
    }
    // Any other picture goes through the connection itself.
    XImage *image = XCreateImage(s_->display, s_->visual, static_cast<unsigned>(s_->depth), ZPixmap, 0,
                                 const_cast<char *>(reinterpret_cast<const char *>(bits)),
                                 static_cast<unsigned>(img.bytesPerLine() / 4), static_cast<unsigned>(img.height()), 32,
                                 static_cast<int>(img.bytesPerLine()));
    if (!image)
        return;
    XPutImage(s_->display, s_->window, s_->gc, image, r.x(), r.y(), at.x(), at.y(), static_cast<unsigned>(r.width()),
              static_cast<unsigned>(r.height()));
    image->data = nullptr;
    XDestroyImage(image);
}

void screen_output::flush() { XFlush(s_->display); }

bool screen_output::black_by_server(QWidget *window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return false;
    window->setAutoFillBackground(false);
    window->setAttribute(Qt::WA_NoSystemBackground);
    window->setAttribute(Qt::WA_OpaquePaintEvent);
    Display *d = x11->display();
    XSetWindowBackground(d, static_cast<Window>(window->winId()), BlackPixel(d, DefaultScreen(d)));
    XFlush(d);
    return true;
}

void screen_output::flush_all()
{
    for (state *s : g_outputs)
        XFlush(s->display);
}

} // namespace platform

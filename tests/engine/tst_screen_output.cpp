// The picture shown straight in its X window (a private Xvfb): what the engine
// copies onto the screen is what the window holds, exposed areas come back
// from the kept surfaces, and the text boxes stay over the picture.
#include "x_client.h" // first: Xlib's macros clash with Qt names
#include "x_server.h"

#include "engine/frame_host.h"
#include "engine/random.h"
#include "engine/scene_engine.h"
#include "platform/display.h"
#include "platform/os.h"
#include "platform/screen_output.h"
#include "test_env.h"

#include <QApplication>
#include <QtTest>
#include <memory>

namespace {
// Differences between the window and a surface, outside the rectangles to skip.
int differing_pixels(const QImage &shown, const platform::surface &s, const QList<QRect> &skip)
{
    int n = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            if (std::any_of(skip.begin(), skip.end(), [x, y](const QRect &r) { return r.contains(x, y); }))
                continue;
            if ((shown.pixel(x, y) & 0xffffffu) != (s.pixel(x, y) & 0xffffffu))
                ++n;
        }
    return n;
}
} // namespace

class tst_screen_output : public QObject
{
    Q_OBJECT
public:
    explicit tst_screen_output(const QString &display) : display_(display) {}

private:
    QString display_;

    QImage window_pixels(x_client &x, Window w, const QSize &size)
    {
        XImage *img = XGetImage(x.display(), w, 0, 0, static_cast<unsigned>(size.width()), static_cast<unsigned>(size.height()),
                                AllPlanes, ZPixmap);
        if (!img)
            return {};
        QImage out(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x2 = 0; x2 < size.width(); ++x2)
                out.setPixel(x2, y, static_cast<QRgb>(XGetPixel(img, x2, y)) | 0xff000000u);
        XDestroyImage(img);
        return out;
    }

private slots:
    void picture_reaches_the_window_and_exposes_repaint()
    {
        x_client x(display_);
        QVERIFY(x.ok());
        engine::mixing_random random(7);
        engine::system_clock clock;
        engine::scene_engine e(random, clock);
        QVERIFY(e.load_pictures(platform::pictures_folder()));
        e.wait_ticks = [](std::int32_t ms) { platform::wait_ticks(ms); };

        QWidget window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        window.setGeometry(0, 0, 400, 300);
        auto *picture = new picture_box(e.ascreen, &window);
        QLabel *scroller = frame_host::make_scroller(&window);
        QLabel *time_box = frame_host::make_time_box(&window);
        frame_host host(e);
        host.attach(picture, scroller, time_box);
        QVERIFY(platform::screen_output::black_by_server(&window));
        window.show();
        host.place(400, 300);
        platform::do_events();
        host.first_scene();
        QVERIFY2(picture->output(), "not shown straight in the X window");
        // The surfaces the screen is copied from are shared with the server;
        // the screen itself keeps no picture of its own.
        QVERIFY(picture->output()->shares(e.background_work));
        QVERIFY(picture->output()->shares(e.background_copy));
        QVERIFY(e.ascreen.is_display());
        QVERIFY(e.ascreen.image().isNull());

        host.frame_period = 20;
        // Until sprites stand in the work surface (and a few frames more).
        for (int i = 0; i < 600 && (i < 60 || e.background_work.image() == e.background_copy.image()); ++i) {
            host.run_frame();
            e.judge_input({});
        }
        platform::do_events();
        XSync(x.display(), False);
        QTest::qWait(100);

        // Sprites drawn in those frames were copied to the window: it shows
        // background_work, except where the text boxes stand over it.
        QList<QRect> labels;
        for (QLabel *l : {scroller, time_box})
            if (l->isVisible())
                labels << l->geometry();
        const Window w = x.root(); // what is on the screen (the window stands at 0, 0)
        const QImage shown = window_pixels(x, w, QSize(400, 300));
        QVERIFY(!shown.isNull());
        QCOMPARE(differing_pixels(shown, e.background_work, labels), 0);
        QVERIFY(e.background_work.image() != e.background_copy.image()); // sprites were drawn

        // The clock stands over the picture, yellow on black, top right.
        QVERIFY(time_box->isVisible());
        const QRect t = time_box->geometry();
        bool yellow = false;
        for (int y = t.top(); y <= t.bottom(); ++y)
            for (int x2 = t.left(); x2 <= t.right(); ++x2) {
                const QRgb p = shown.pixel(x2, y);
                yellow |= qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 80;
            }
        QVERIFY2(yellow, "the clock is hidden by the picture");

        // A window over the picture and gone again: the area is painted anew.
        const Window cover = x.make_window(150, 120, 60, 50);
        XSetWindowBackground(x.display(), cover, WhitePixel(x.display(), DefaultScreen(x.display())));
        XClearWindow(x.display(), cover);
        XSync(x.display(), False);
        QTest::qWait(100);
        QImage covered = window_pixels(x, w, QSize(400, 300));
        QVERIFY(differing_pixels(covered, e.background_work, labels) > 0);
        x.destroy(cover);
        QTRY_COMPARE_WITH_TIMEOUT(differing_pixels(window_pixels(x, w, QSize(400, 300)), e.background_work, labels), 0, 5000);
    }
};

int main(int argc, char **argv)
{
    test_env::isolate_profile();
    x_server server(QStringLiteral("640x480x24"));
    if (server.display().isEmpty()) {
        std::fprintf(stderr, "no Xvfb (run scripts/setup)\n");
        return 1;
    }
    qputenv("DISPLAY", server.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    tst_screen_output test(server.display());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screen_output.moc"

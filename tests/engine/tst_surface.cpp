#include "platform/surface.h"

#include <QtTest>

using namespace platform;

namespace {
surface filled(int w, int h, std::uint32_t rgb)
{
    surface s(w, h);
    s.fill(rgb);
    return s;
}
} // namespace

class tst_surface : public QObject
{
    Q_OBJECT
private slots:
    void raster_operations_data()
    {
        QTest::addColumn<quint32>("rop");
        QTest::addColumn<quint32>("dest");
        QTest::addColumn<quint32>("src");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("copy") << quint32(SRCCOPY) << 0xff123456u << 0xffabcdefu << 0xffabcdefu;
        QTest::newRow("and white mask keeps") << quint32(SRCAND) << 0xff123456u << 0xffffffffu << 0xff123456u;
        QTest::newRow("and black mask clears") << quint32(SRCAND) << 0xff123456u << 0xff000000u << 0xff000000u;
        QTest::newRow("or black leaves") << quint32(SRCPAINT) << 0xff123456u << 0xff000000u << 0xff123456u;
        QTest::newRow("or brightens") << quint32(SRCPAINT) << 0xff102030u << 0xff010101u << 0xff112131u;
    }
    void raster_operations()
    {
        QFETCH(quint32, rop);
        QFETCH(quint32, dest);
        QFETCH(quint32, src);
        QFETCH(quint32, expected);
        surface d = filled(4, 4, dest);
        const surface s = filled(4, 4, src);
        BitBlt(d, 1, 1, 2, 2, s, 0, 0, rop);
        QCOMPARE(d.pixel(1, 1), expected);
        QCOMPARE(d.pixel(2, 2), expected);
        QCOMPARE(d.pixel(0, 0), dest | 0xff000000u);
        QCOMPARE(d.pixel(3, 3), dest | 0xff000000u);
    }

    void clipping_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::addColumn<QRect>("written");
        // 3 x 3 source with distinct pixels copied 3 x 3 onto a 3 x 3 black surface.
        QTest::newRow("negative x") << -2 << 0 << 0 << 0 << QRect(0, 0, 1, 3);
        QTest::newRow("negative y") << 0 << -1 << 0 << 0 << QRect(0, 0, 3, 2);
        QTest::newRow("past the right edge") << 2 << 0 << 0 << 0 << QRect(2, 0, 1, 3);
        QTest::newRow("source past its edge") << 0 << 0 << 2 << 1 << QRect(0, 0, 1, 2);
        QTest::newRow("negative source") << 0 << 0 << -1 << 0 << QRect(1, 0, 2, 3);
        QTest::newRow("fully outside") << 5 << 5 << 0 << 0 << QRect();
    }
    void clipping()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, sx);
        QFETCH(int, sy);
        QFETCH(QRect, written);
        surface src(3, 3);
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i)
                src.set_pixel(i, j, 0x010000u * (i + 1) + 0x000100u * (j + 1));
        surface dest(3, 3);
        QRect reported;
        dest.set_change_listener([&](const QRect &r) { reported = r; });
        BitBlt(dest, x, y, 3, 3, src, sx, sy, SRCCOPY);
        QCOMPARE(reported, written);
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) {
                const std::uint32_t expected = written.contains(i, j) ? src.pixel(i - x + sx, j - y + sy) : 0xff000000u;
                QCOMPARE(dest.pixel(i, j), expected);
            }
    }

    void cover_layout_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("scaled");
        QTest::addColumn<QPoint>("offset");
        const QSize scene(640, 480);
        QTest::newRow("4:3 unchanged") << scene << QSize(1024, 768) << QSize(1024, 768) << QPoint(0, 0);
        QTest::newRow("own size") << scene << QSize(640, 480) << QSize(640, 480) << QPoint(0, 0);
        QTest::newRow("16:9") << scene << QSize(1920, 1080) << QSize(1920, 1440) << QPoint(0, 180);
        QTest::newRow("16:10") << scene << QSize(1920, 1200) << QSize(1920, 1440) << QPoint(0, 120);
        QTest::newRow("21:9") << scene << QSize(2560, 1080) << QSize(2560, 1920) << QPoint(0, 420);
        QTest::newRow("5:4") << scene << QSize(1280, 1024) << QSize(1365, 1024) << QPoint(42, 0);
        QTest::newRow("portrait") << scene << QSize(1080, 1920) << QSize(2560, 1920) << QPoint(740, 0);
        QTest::newRow("preview 300x200") << scene << QSize(300, 200) << QSize(300, 225) << QPoint(0, 12);
        QTest::newRow("1x1") << scene << QSize(1, 1) << QSize(1, 1) << QPoint(0, 0);
        // 1024.5 rows: rounded to the nearest, the odd overflow pixel goes below.
        QTest::newRow("1366x768") << scene << QSize(1366, 768) << QSize(1366, 1025) << QPoint(0, 128);
        // 801.33 columns round down onto the area's own width, never below it.
        QTest::newRow("801x601") << scene << QSize(801, 601) << QSize(801, 601) << QPoint(0, 0);
        QTest::newRow("3x1000 sliver") << scene << QSize(3, 1000) << QSize(1333, 1000) << QPoint(665, 0);
        QTest::newRow("square picture") << QSize(100, 100) << QSize(300, 200) << QSize(300, 300) << QPoint(0, 50);
        QTest::newRow("empty area") << scene << QSize(0, 0) << QSize() << QPoint();
        QTest::newRow("empty picture") << QSize(0, 480) << QSize(640, 480) << QSize() << QPoint();
    }
    void cover_layout()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QSize, scaled);
        QFETCH(QPoint, offset);
        const cover_geometry g = cover(picture, area);
        QCOMPARE(g.scaled, scaled);
        QCOMPARE(g.offset, offset);
        if (area.isEmpty() || picture.isEmpty())
            return;
        // The shown part lies inside the scaled picture, cut equally on both
        // sides, and the picture keeps its shape to within a pixel.
        QVERIFY(g.offset.x() >= 0 && g.offset.y() >= 0);
        const int right = g.scaled.width() - area.width() - g.offset.x();
        const int bottom = g.scaled.height() - area.height() - g.offset.y();
        QVERIFY(right - g.offset.x() == 0 || right - g.offset.x() == 1);
        QVERIFY(bottom - g.offset.y() == 0 || bottom - g.offset.y() == 1);
        const double shape = double(g.scaled.width()) / g.scaled.height() - double(picture.width()) / picture.height();
        QVERIFY2(std::abs(shape) * g.scaled.height() <= 1.0, qPrintable(QString::number(shape)));
    }

    void scaled_draw_covers_every_pixel_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::newRow("wider") << QSize(200, 100);
        QTest::newRow("1366x768") << QSize(1366, 768);
        QTest::newRow("801x601") << QSize(801, 601);
        QTest::newRow("1x1") << QSize(1, 1);
        QTest::newRow("sliver") << QSize(3, 1000);
        QTest::newRow("flat sliver") << QSize(1000, 2);
    }
    void scaled_draw_covers_every_pixel()
    {
        QFETCH(QSize, area);
        const surface picture = filled(64, 48, 0xff2040ffu);
        surface dest(area.width(), area.height());
        QRect reported;
        dest.set_change_listener([&](const QRect &r) { reported = r; });
        PaintPicture(dest, picture, 0, 0, area.width(), area.height());
        QCOMPARE(reported, QRect(QPoint(0, 0), area));
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                if (dest.pixel(x, y) != 0xff2040ffu)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(dest.pixel(x, y), 8, 16)));
    }

    // A round body in the picture's centre stays round and centred on any
    // screen shape; the bands at the picture's edges are what overflows.
    void scaled_draw_keeps_shape_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::newRow("4:3") << QSize(128, 96);
        QTest::newRow("16:9") << QSize(192, 108);
        QTest::newRow("21:9") << QSize(256, 108);
        QTest::newRow("portrait") << QSize(108, 192);
    }
    void scaled_draw_keeps_shape()
    {
        QFETCH(QSize, area);
        const int w = area.width(), h = area.height();
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(0xff000000u);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const double dx = x + 0.5 - 32, dy = y + 0.5 - 24;
                if (dx * dx + dy * dy < 8.0 * 8.0)
                    image.setPixel(x, y, 0xffffffffu);
                else if (y < 2 || y >= 46)
                    image.setPixel(x, y, 0xffff0000u);
                else if (x < 2 || x >= 62)
                    image.setPixel(x, y, 0xff0000ffu);
            }
        surface picture;
        picture.set_image(image);
        surface dest(w, h);
        PaintPicture(dest, picture, 0, 0, w, h);

        const double scale = std::max(w / 64.0, h / 48.0);
        auto bright = [&](int x, int y) { return (dest.pixel(x, y) & 0xffu) > 128 && ((dest.pixel(x, y) >> 16) & 0xffu) > 128; };
        int across = 0, down = 0;
        for (int x = 0; x < w; ++x)
            across += bright(x, h / 2);
        for (int y = 0; y < h; ++y)
            down += bright(w / 2, y);
        QVERIFY2(std::abs(across - 16 * scale) <= 2 && std::abs(down - 16 * scale) <= 2,
                 qPrintable(QStringLiteral("disc %1 x %2, expected %3").arg(across).arg(down).arg(16 * scale)));
        int left = 0;
        while (left < w && !bright(left, h / 2))
            ++left;
        int top = 0;
        while (top < h && !bright(w / 2, top))
            ++top;
        QVERIFY2(std::abs(left - (w - across) / 2) <= 1 && std::abs(top - (h - down) / 2) <= 1,
                 qPrintable(QStringLiteral("disc at %1,%2").arg(left).arg(top)));
        // The edge bands show only along the axis that sets the scale.
        const bool bands_cut = w * 48 > h * 64;
        const std::uint32_t top_edge = dest.pixel(w / 4, 0), side_edge = dest.pixel(0, h / 4);
        QCOMPARE(((top_edge >> 16) & 0xffu) > 128, !bands_cut || w * 48 == h * 64);
        QCOMPARE((side_edge & 0xffu) > 128, bands_cut || w * 48 == h * 64);
    }

    // A scene kept as its file's 8-bit pixels copies, scales and takes writes
    // exactly as the same picture held at 32 bits.
    void eight_bit_pictures_behave_as_32_bit()
    {
        QTemporaryDir dir;
        QImage indexed(8, 6, QImage::Format_Indexed8);
        indexed.setColorTable({0xff000000u, 0xff204080u, 0xffffffffu});
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                indexed.setPixel(x, y, static_cast<uint>((x + y) % 3));
        const QString file = dir.filePath(QStringLiteral("scene.png"));
        QVERIFY(indexed.save(file));
        surface eight, full;
        QVERIFY(eight.load_picture(file));
        QVERIFY(full.load(file));
        QCOMPARE(eight.image().format(), QImage::Format_Indexed8);
        QCOMPARE(eight.pixel(1, 0), 0xff204080u);

        surface a = filled(10, 10, 0xff010101u), b = filled(10, 10, 0xff010101u);
        BitBlt(a, -1, 2, 8, 6, eight, 0, 0, SRCPAINT);
        BitBlt(b, -1, 2, 8, 6, full, 0, 0, SRCPAINT);
        QCOMPARE(a.image(), b.image());

        BitBlt(eight, 0, 0, 2, 2, a, 0, 0, SRCAND); // a write makes it 32-bit first
        BitBlt(full, 0, 0, 2, 2, b, 0, 0, SRCAND);
        QCOMPARE(eight.image().format(), QImage::Format_RGB32);
        QCOMPARE(eight.image(), full.image());
        QVERIFY(!surface().load_picture(dir.filePath(QStringLiteral("missing.png"))));
    }

    // The display surface keeps no pixels: copies onto it are handed on,
    // clipped, and nothing can be read back from it.
    void display_surface_hands_copies_on()
    {
        struct shown { QRect from; QPoint to; std::uint32_t first; };
        QList<shown> log;
        surface screen(20, 10);
        screen.show_on_display([&log](const surface &src, const QRect &from, const QPoint &to) {
            log.append({from, to, src.pixel(from.x(), from.y())});
        });
        QVERIFY(screen.is_display());
        QVERIFY(screen.image().isNull());
        QCOMPARE(screen.width(), 20);
        screen.resize(30, 12);
        QCOMPARE(screen.width(), 30);
        QCOMPARE(screen.height(), 12);
        QVERIFY(!screen.is_null());

        surface work = filled(30, 12, 0xff00ff00u);
        work.set_pixel(0, 3, 0xffff0000u);
        BitBlt(screen, -2, 3, 6, 4, work, 0, 3, SRCCOPY);
        QCOMPARE(log.size(), 1);
        QCOMPARE(log[0].from, QRect(2, 3, 4, 4)); // the columns left of the screen are skipped
        QCOMPARE(log[0].to, QPoint(0, 3));
        BitBlt(screen, 0, 0, 5, 5, work, 0, 0, SRCPAINT); // what is shown cannot be combined with
        BitBlt(screen, 40, 0, 5, 5, work, 0, 0, SRCCOPY); // wholly outside
        QCOMPARE(log.size(), 1);

        surface back = filled(30, 12, 0xff123456u);
        BitBlt(back, 0, 0, 30, 12, screen, 0, 0, SRCCOPY);
        QCOMPARE(back.pixel(5, 5), 0xff123456u);

        screen.fill(0xff0000ffu);
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[1].from, QRect(0, 0, 30, 12));
        QCOMPARE(log[1].first, 0xff0000ffu);
    }
};

QTEST_GUILESS_MAIN(tst_surface)
#include "tst_surface.moc"

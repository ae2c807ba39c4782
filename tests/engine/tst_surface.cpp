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

    void scaled_draw_fills_the_target()
    {
        surface picture = filled(64, 48, 0xff2040ffu);
        surface dest(200, 100);
        PaintPicture(dest, picture, 0, 0, 200, 100);
        QCOMPARE(dest.pixel(0, 0), 0xff2040ffu);
        QCOMPARE(dest.pixel(199, 99), 0xff2040ffu);
        QCOMPARE(dest.pixel(100, 50), 0xff2040ffu);
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

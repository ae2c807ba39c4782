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
};

QTEST_GUILESS_MAIN(tst_surface)
#include "tst_surface.moc"

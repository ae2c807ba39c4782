// Checks the committed sprite sheet and mask against the catalogue the saver
// draws from: exact black where the mask keeps the scene, objects that fill
// their rectangles, the star twinkle frames and the asteroid turns.
#include "test_env.h"

#include <QFile>
#include <QImage>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Rect {
    int x, y, w, h;
};

// Image n (1-based) lives at catalogue()[n - 1].
const std::vector<Rect> &catalogue()
{
    static const std::vector<Rect> rects = [] {
        std::vector<Rect> r = {
            {3, 2, 94, 82},     {103, 1, 89, 89},   {196, 2, 70, 59},   {272, 2, 89, 66},
            {367, 1, 80, 60},   {449, 1, 71, 28},   {521, 3, 21, 15},   {545, 4, 18, 15},
            {570, 2, 17, 13},   {3, 96, 96, 151},   {110, 97, 144, 60}, {110, 162, 144, 60},
            {265, 81, 125, 144}, {401, 118, 59, 69}, {469, 112, 30, 35}, {560, 60, 28, 166},
            {592, 40, 128, 158}, {3, 262, 126, 167}, {170, 263, 126, 168},
        };
        for (int i = 0; i < 24; ++i)
            r.push_back({30 * (i % 6), 480 + 30 * (i / 6), 30, 30});
        for (int i = 0; i < 24; ++i)
            r.push_back({360 + 60 * (i % 6), 240 + 60 * (i / 6), 60, 60});
        for (int i = 0; i < 6; ++i)
            r.push_back({340 + 12 * i, 516, 9, 9});
        return r;
    }();
    return rects;
}

constexpr int first_small_asteroid = 20;
constexpr int first_large_asteroid = 44;
constexpr int first_star = 68;

} // namespace

class tst_sprite_assets : public QObject
{
    Q_OBJECT

    QImage m_sheet;
    QImage m_mask; // as loaded, 1 bit deep
    QString m_dir;

    bool black(int x, int y) const { return (m_sheet.pixel(x, y) & 0xffffff) == 0; }
    // The saver ANDs the mask: white keeps the scene, black clears it for the object.
    bool object(int x, int y) const { return qGray(m_mask.pixel(x, y)) < 128; }

    // Brightness of a square cell, box-blurred over a 1/15 cell wide window so
    // that comparisons follow the rock's shape and shading rather than its
    // pixel texture.
    std::vector<double> blurred(const Rect &r) const
    {
        const int radius = r.w / 30;
        std::vector<double> out(r.w * r.h);
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                double sum = 0;
                for (int j = y - radius; j <= y + radius; ++j)
                    for (int i = x - radius; i <= x + radius; ++i)
                        if (i >= 0 && j >= 0 && i < r.w && j < r.h)
                            sum += qGray(m_sheet.pixel(r.x + i, r.y + j));
                out[y * r.w + x] = sum / ((2 * radius + 1) * (2 * radius + 1));
            }
        return out;
    }

    static double difference(const std::vector<double> &a, const std::vector<double> &b)
    {
        double sum = 0;
        for (size_t i = 0; i < a.size(); ++i)
            sum += std::abs(a[i] - b[i]);
        return sum / a.size();
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        m_dir = test_env::assets_dir() + QStringLiteral("/pictures/");
        QVERIFY(m_sheet.load(m_dir + QStringLiteral("sprite.png")));
        QVERIFY(m_mask.load(m_dir + QStringLiteral("mask.png")));
    }

    void formats()
    {
        QCOMPARE(m_sheet.size(), QSize(720, 606));
        QCOMPARE(m_mask.size(), QSize(720, 606));
        QCOMPARE(m_mask.depth(), 1);
        QVERIFY(!m_sheet.hasAlphaChannel());

        // The PNG header itself: bit depth byte 24, colour type byte 25.
        QFile sheet(m_dir + QStringLiteral("sprite.png"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        const QByteArray head = sheet.read(26);
        QCOMPARE(int(head[24]), 8);
        QCOMPARE(int(head[25]), 2); // truecolour RGB, no alpha
        QFile mask(m_dir + QStringLiteral("mask.png"));
        QVERIFY(mask.open(QIODevice::ReadOnly));
        QCOMPARE(int(mask.read(26)[24]), 1);
    }

    void outsideRectanglesBlank()
    {
        std::vector<bool> covered(720 * 606, false);
        for (const Rect &r : catalogue())
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    covered[y * 720 + x] = true;
        int stray = 0;
        for (int y = 0; y < 606; ++y)
            for (int x = 0; x < 720; ++x)
                if (!covered[y * 720 + x] && (!black(x, y) || object(x, y)))
                    ++stray;
        QCOMPARE(stray, 0);
    }

    void image_data()
    {
        QTest::addColumn<int>("n");
        // Share of the rectangle's width or height the object must span.
        QTest::addColumn<double>("fill");
        const double drawn = 0.95, pebble = 0.9, tumbling = 0.82;
        for (int n = 1; n <= 72; ++n) {
            double f = 0;
            if (n <= 19)
                f = (n >= 7 && n <= 9) ? pebble : drawn;
            else if (n < first_star)
                f = tumbling;
            QTest::addRow("image %d", n) << n << f;
        }
    }

    void image()
    {
        QFETCH(int, n);
        QFETCH(double, fill);
        const Rect r = catalogue()[n - 1];
        int tinted = 0, objects = 0;
        int left = r.w, right = -1, top = r.h, bottom = -1;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                if (!object(r.x + x, r.y + y)) {
                    tinted += !black(r.x + x, r.y + y);
                    continue;
                }
                ++objects;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        QCOMPARE(tinted, 0);
        QVERIFY(objects > 0);
        const double span = std::max(double(right - left + 1) / r.w, double(bottom - top + 1) / r.h);
        QVERIFY2(span >= fill, qPrintable(QStringLiteral("spans %1 of its rectangle").arg(span)));
    }

    // Edge pixels carry the object's own colour: cut at half coverage and
    // un-premultiplied, an edge pixel is about as bright as the pixel just inside
    // it. Keeping the averaged (premultiplied) colour would darken every edge by
    // its coverage, a dark fringe against a bright scene.
    void edgesKeepOwnColour()
    {
        std::vector<double> ratios;
        for (int n = 1; n < first_star; ++n) {
            const Rect r = catalogue()[n - 1];
            auto inside = [&](int x, int y) {
                return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h && object(x, y);
            };
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x) {
                    if (!inside(x, y))
                        continue;
                    for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                        if (inside(x + d.x(), y + d.y()) || !inside(x - d.x(), y - d.y()))
                            continue;
                        ratios.push_back((qGray(m_sheet.pixel(x, y)) + 1.0)
                                         / (qGray(m_sheet.pixel(x - d.x(), y - d.y())) + 1.0));
                        break;
                    }
                }
        }
        QVERIFY(ratios.size() > 1000);
        std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 4, ratios.end());
        const double lower_quartile = ratios[ratios.size() / 4];
        QVERIFY2(lower_quartile > 0.85, qPrintable(QString::number(lower_quartile)));
    }

    // Images 11/12 and 18/19 are left-right mirrors of each other.
    void mirrored_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<double>("limit");
        QTest::newRow("side shuttle") << 11 << 12 << 0.0;
        // 19 is one pixel taller, so its drawing is scaled a hair differently.
        QTest::newRow("launch stack") << 18 << 19 << 0.06;
    }

    void mirrored()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(double, limit);
        const Rect ra = catalogue()[a - 1], rb = catalogue()[b - 1];
        int mismatched = 0, total = 0;
        for (int y = 0; y < std::min(ra.h, rb.h); ++y)
            for (int x = 0; x < ra.w; ++x) {
                const bool oa = object(ra.x + x, ra.y + y);
                const bool ob = object(rb.x + rb.w - 1 - x, rb.y + y);
                total += oa || ob;
                mismatched += oa != ob;
            }
        QVERIFY2(mismatched <= limit * total, qPrintable(QStringLiteral("%1 of %2 differ").arg(mismatched).arg(total)));
    }

    void stars_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("arm"); // -1: all black
        const int arms[] = {4, 3, 2, 1, 0, -1};
        for (int i = 0; i < 6; ++i)
            QTest::addRow("image %d", first_star + i) << first_star + i << arms[i];
    }

    void stars()
    {
        QFETCH(int, n);
        QFETCH(int, arm);
        const Rect r = catalogue()[n - 1];
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) {
                const int dx = std::abs(x - 4), dy = std::abs(y - 4);
                const bool in_cross = (dx == 0 && dy <= arm) || (dy == 0 && dx <= arm);
                QCOMPARE(!black(r.x + x, r.y + y), in_cross);
                QCOMPARE(object(r.x + x, r.y + y), in_cross);
            }
        if (arm < 1)
            return;
        // Arms fade from the bright centre to dimmer tips, the same on all four sides.
        const int cx = r.x + 4, cy = r.y + 4;
        const QRgb centre = m_sheet.pixel(cx, cy);
        QVERIFY(qGray(centre) >= 200);
        QVERIFY(qBlue(centre) >= qRed(centre)); // white to blue-white
        for (int d = 1; d <= arm; ++d) {
            const QRgb a = m_sheet.pixel(cx + d, cy);
            QVERIFY(qGray(a) < qGray(m_sheet.pixel(cx + d - 1, cy)));
            QCOMPARE(m_sheet.pixel(cx - d, cy), a);
            QCOMPARE(m_sheet.pixel(cx, cy + d), a);
            QCOMPARE(m_sheet.pixel(cx, cy - d), a);
        }
    }

    // Each asteroid loops through 24 frames of a smooth turn: every frame differs
    // from the next, and the frame most like any frame is one of its two
    // neighbours (with 24 -> 1 a neighbour too), which fails for frames out of
    // order, steps that are too big, or a loop that jumps. The lighting must not
    // turn with the rock.
    void asteroidTurn_data()
    {
        QTest::addColumn<int>("first");
        QTest::newRow("small") << first_small_asteroid;
        QTest::newRow("large") << first_large_asteroid;
    }

    void asteroidTurn()
    {
        QFETCH(int, first);
        std::vector<std::vector<double>> frames;
        for (int k = 0; k < 24; ++k)
            frames.push_back(blurred(catalogue()[first - 1 + k]));
        auto frame = [&](int k) -> const std::vector<double> & { return frames[(k + 24) % 24]; };
        for (int k = 0; k < 24; ++k) {
            const double next = difference(frame(k), frame(k + 1));
            const double neighbour = std::min(next, difference(frame(k), frame(k - 1)));
            double others = 1e9;
            for (int j = 2; j <= 22; ++j)
                others = std::min(others, difference(frame(k), frame(k + j)));
            QVERIFY2(next > 1 && neighbour < others,
                     qPrintable(QStringLiteral("frame %1: next %2, neighbour %3, nearest other %4")
                                    .arg(k).arg(next).arg(neighbour).arg(others)));

            // The light stays put while the rock turns: in every frame the lit
            // side is the upper left one.
            const Rect r = catalogue()[first - 1 + k];
            double area = 0, ax = 0, ay = 0, light = 0, lx = 0, ly = 0;
            for (int y = 0; y < r.h; ++y)
                for (int x = 0; x < r.w; ++x) {
                    if (!object(r.x + x, r.y + y))
                        continue;
                    const double g = qGray(m_sheet.pixel(r.x + x, r.y + y));
                    area += 1;
                    ax += x;
                    ay += y;
                    light += g;
                    lx += g * x;
                    ly += g * y;
                }
            QVERIFY2(lx / light < ax / area && ly / light < ay / area, qPrintable(QStringLiteral("frame %1").arg(k)));
        }
    }

    void asteroidsDiffer()
    {
        // Same frame of the small and the large rock, the large one halved.
        const Rect s = catalogue()[first_small_asteroid - 1], l = catalogue()[first_large_asteroid - 1];
        const QImage small = m_sheet.copy(s.x, s.y, s.w, s.h);
        const QImage large = m_sheet.copy(l.x, l.y, l.w, l.h).scaled(30, 30, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double sum = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                sum += std::abs(qGray(small.pixel(x, y)) - qGray(large.pixel(x, y)));
        QVERIFY(sum / 900 > 10);
    }
};

QTEST_GUILESS_MAIN(tst_sprite_assets)
#include "tst_sprite_assets.moc"

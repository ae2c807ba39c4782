// Checks on the committed scene, title and icon pictures: the sizes and storage
// the program relies on, and that each scene leaves room for the sprites.
#include "test_env.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QString picture(const QString &name)
{
    return QDir(test_env::assets_dir()).filePath(QStringLiteral("pictures/") + name);
}

// Bit depth and colour type from the PNG header (IHDR follows the signature).
struct PngHeader
{
    int bit_depth = -1, colour_type = -1;
};

PngHeader png_header(const QString &path)
{
    QFile f(path);
    PngHeader h;
    if (!f.open(QIODevice::ReadOnly))
        return h;
    const QByteArray head = f.read(26);
    if (head.size() < 26 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR")
        return h;
    h.bit_depth = uchar(head[24]);
    h.colour_type = uchar(head[25]);
    return h;
}

// Luminance of every pixel, 0..255.
std::vector<double> luma(const QImage &img)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    std::vector<double> out;
    out.reserve(size_t(rgb.width()) * rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            out.push_back(0.2126 * qRed(line[x]) + 0.7152 * qGreen(line[x]) + 0.0722 * qBlue(line[x]));
    }
    return out;
}

// Checks a picture the program loads as an 8-bit palette image.
void check_palette_picture(const QString &path, QSize size)
{
    QImageReader reader(path);
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(path + ": " + reader.errorString()));
    QCOMPARE(img.size(), size);
    QCOMPARE(img.format(), QImage::Format_Indexed8);
    QVERIFY(img.colorCount() >= 2 && img.colorCount() <= 256);
    const PngHeader h = png_header(path);
    QCOMPARE(h.colour_type, 3); // palette
    QCOMPARE(h.bit_depth, 8);
}

} // namespace

class tst_picture_assets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test_env::isolate_profile(); }

    void scene_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 10; ++i)
            QTest::addRow("scene%d", i) << i;
    }

    void scene()
    {
        QFETCH(int, index);
        const QString path = picture(QStringLiteral("scene%1.png").arg(index));
        check_palette_picture(path, QSize(640, 480));
        if (QTest::currentTestFailed())
            return;

        std::vector<double> l = luma(QImage(path));
        double mean = 0;
        for (double v : l)
            mean += v;
        mean /= double(l.size());
        double var = 0;
        for (double v : l)
            var += (v - mean) * (v - mean);
        const double deviation = std::sqrt(var / double(l.size()));
        const double bright =
            double(std::count_if(l.begin(), l.end(), [](double v) { return v > 140; })) / double(l.size());
        std::nth_element(l.begin(), l.begin() + long(l.size() / 2), l.end());
        const double median = l[l.size() / 2];
        // A real picture, not a flat fill or a faint haze.
        QVERIFY2(deviation > 12, qPrintable(QStringLiteral("luminance deviation %1").arg(deviation)));
        // Mostly dark or calm, so the sprites stand out over it.
        QVERIFY2(median < 70, qPrintable(QStringLiteral("median luminance %1").arg(median)));
        QVERIFY2(bright < 0.25, qPrintable(QStringLiteral("bright share %1").arg(bright)));
    }

    void scenes_differ()
    {
        // Compared as small colour thumbnails: two scenes that share most of
        // their layout and colours would differ little there.
        std::vector<QImage> thumbs;
        for (int i = 0; i < 10; ++i) {
            const QImage img(picture(QStringLiteral("scene%1.png").arg(i)));
            QVERIFY2(!img.isNull(), qPrintable(QStringLiteral("scene%1 missing").arg(i)));
            thumbs.push_back(img.convertToFormat(QImage::Format_RGB32)
                                 .scaled(64, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        for (int a = 0; a < 10; ++a)
            for (int b = a + 1; b < 10; ++b) {
                double diff = 0;
                for (int y = 0; y < 48; ++y)
                    for (int x = 0; x < 64; ++x) {
                        const QRgb p = thumbs[a].pixel(x, y), q = thumbs[b].pixel(x, y);
                        diff += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                                std::abs(qBlue(p) - qBlue(q));
                    }
                diff /= 64.0 * 48.0 * 3.0;
                QVERIFY2(
                    diff > 5,
                    qPrintable(
                        QStringLiteral("scene%1 and scene%2 differ by only %3").arg(a).arg(b).arg(diff)));
            }
    }

    void title_picture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("preview") << QStringLiteral("preview.png") << QSize(150, 112);
        QTest::newRow("about") << QStringLiteral("about.png") << QSize(150, 112);
        QTest::newRow("menu") << QStringLiteral("menu.png") << QSize(320, 240);
    }

    void title_picture()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        check_palette_picture(picture(name), size);
        if (QTest::currentTestFailed())
            return;
        // The lettering: a clear share of near-white pixels over a darker scene.
        const std::vector<double> l = luma(QImage(picture(name)));
        const double white =
            double(std::count_if(l.begin(), l.end(), [](double v) { return v > 215; })) / double(l.size());
        const double dark =
            double(std::count_if(l.begin(), l.end(), [](double v) { return v < 60; })) / double(l.size());
        QVERIFY2(white > 0.02, qPrintable(QStringLiteral("white share %1").arg(white)));
        QVERIFY2(dark > 0.3, qPrintable(QStringLiteral("dark share %1").arg(dark)));
    }

    void icon_data()
    {
        QTest::addColumn<int>("size");
        for (int s : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%d", s) << s;
    }

    void icon()
    {
        QFETCH(int, size);
        const QImage img(picture(QStringLiteral("icons/zentara-%1.png").arg(size)));
        QVERIFY(!img.isNull());
        QCOMPARE(img.size(), QSize(size, size));
        QVERIFY(img.hasAlphaChannel());
        const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
        // Transparent background, an opaque emblem in the middle.
        for (const QPoint corner : {QPoint(0, size - 1), QPoint(size - 1, size - 1)})
            QCOMPARE(qAlpha(argb.pixel(corner)), 0);
        QCOMPARE(qAlpha(argb.pixel(size / 2, size / 2)), 255);
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(argb.pixel(x, y)) > 128;
        QVERIFY2(opaque > size * size / 4 && opaque < size * size * 3 / 4,
                 qPrintable(QString::number(opaque)));
    }

    void button_icon_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"options-audio", "options-captions", "options-password", "options-ok", "about-web"})
            QTest::newRow(n) << QStringLiteral("buttons/%1.png").arg(QLatin1String(n));
    }

    // The big buttons' pictures: 32 x 32 over a transparent background.
    void button_icon()
    {
        QFETCH(QString, name);
        const QImage img(picture(name));
        QVERIFY(!img.isNull());
        QCOMPARE(img.size(), QSize(32, 32));
        QVERIFY(img.hasAlphaChannel());
        const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(argb.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(argb.pixel(31, 0)), 0);
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += qAlpha(argb.pixel(x, y)) > 128;
        QVERIFY2(opaque > 32 * 32 / 6 && opaque < 32 * 32 * 3 / 4, qPrintable(QString::number(opaque)));
    }

    void total_size()
    {
        qint64 total = 0;
        QDirIterator it(QDir(test_env::assets_dir()).filePath(QStringLiteral("pictures")), QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            total += it.fileInfo().size();
        }
        QVERIFY2(total > 0, "no pictures found");
        QVERIFY2(total < 3 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes").arg(total)));
    }
};

QTEST_GUILESS_MAIN(tst_picture_assets)
#include "tst_picture_assets.moc"

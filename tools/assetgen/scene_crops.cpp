// The scene crops sheet for the README: every scene as a 4:3, a 16:9 and a 21:9
// screen shows it, drawn by the saver's own scaled draw.
#include "assetgen.h"
#include "palette.h"
#include "platform/surface.h"

#include <QDir>
#include <QFont>
#include <QPainter>

#include <cstdio>

namespace assetgen {

void generate_scene_crops(const QString &assets_dir, const QString &)
{
    static const char *const names[] = {"blue planet",  "moonscape",   "ringed giant",  "spiral galaxy",
                                        "nebula",       "red planet",  "asteroid field", "solar eclipse",
                                        "galactic band", "storm giant"};
    struct Screen
    {
        const char *label;
        QSize thumb;
    };
    // One height for all three, so the rows line up; 21:9 is 2560 x 1080.
    const int th = 160;
    const Screen screens[] = {{"4:3  (1024 \u00d7 768)", {th * 4 / 3, th}},
                              {"16:9  (1920 \u00d7 1080)", {th * 16 / 9, th}},
                              {"21:9  (2560 \u00d7 1080)", {th * 2560 / 1080, th}}};
    const int margin = 16, gap = 10, label_w = 118, head_h = 50, row_gap = 12;
    int width = margin * 2 + label_w;
    for (const Screen &s : screens)
        width += s.thumb.width() + gap;
    const int height = margin * 2 + head_h + 10 * (th + row_gap);

    QImage page(width, height, QImage::Format_RGB32);
    page.fill(QColor(24, 26, 32));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(18);
    title.setBold(true);
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(13);
    const QColor text(232, 236, 244), label(176, 184, 200);
    p.setFont(title);
    p.setPen(text);
    p.drawText(QPointF(margin, margin + 16), QStringLiteral("Zentara \u2014 each scene as three screen shapes show it"));
    p.setFont(small);
    p.setPen(label);
    int x = margin + label_w;
    for (const Screen &s : screens) {
        p.drawText(QRectF(x, margin + 26, s.thumb.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(s.label));
        x += s.thumb.width() + gap;
    }

    const QDir pictures(QDir(assets_dir).filePath(QStringLiteral("pictures")));
    for (int i = 0; i < 10; ++i) {
        platform::surface scene;
        const int y = margin + head_h + i * (th + row_gap);
        p.setPen(text);
        p.drawText(QRectF(margin, y, label_w - 8, 20), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("scene%1").arg(i));
        p.setPen(label);
        p.drawText(QRectF(margin, y + 20, label_w - 8, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QLatin1String(names[i]));
        if (!scene.load(pictures.filePath(QStringLiteral("scene%1.png").arg(i)))) {
            std::fprintf(stderr, "cannot read scene%d.png\n", i);
            continue;
        }
        x = margin + label_w;
        for (const Screen &s : screens) {
            platform::surface screen(s.thumb.width(), s.thumb.height());
            platform::PaintPicture(screen, scene, 0, 0, s.thumb.width(), s.thumb.height());
            p.drawImage(x, y, screen.image());
            x += s.thumb.width() + gap;
        }
    }
    p.end();

    const QString docs = QDir::cleanPath(QDir(assets_dir).filePath(QStringLiteral("../docs")));
    QDir().mkpath(docs);
    const QString path = QDir(docs).filePath(QStringLiteral("scene-crops.png"));
    if (!save_png(palettize(page), path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("  scene crops sheet written\n");
}

} // namespace assetgen

// Title pictures (preview, about, menu), the application icon and the contact
// sheet for the README.
#include "assetgen.h"
#include "palette.h"
#include "scenes_render.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace assetgen {

namespace {

QFont title_font(double pixel_size, int weight = QFont::Bold)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(qMax(1, qRound(pixel_size)));
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Blurs the alpha of an ARGB32 premultiplied image in place (three box passes
// approximate a Gaussian).
void blur_alpha(QImage &img, int radius)
{
    if (radius <= 0)
        return;
    const int w = img.width(), h = img.height();
    std::vector<double> a(size_t(w) * h), t(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[size_t(y) * w + x] = qAlpha(line[x]);
    }
    auto pass = [&](std::vector<double> &src, std::vector<double> &dst, bool horizontal) {
        const int n = horizontal ? w : h, m = horizontal ? h : w;
        for (int j = 0; j < m; ++j) {
            double sum = 0;
            auto at = [&](int i) -> double & {
                const int c = std::clamp(i, 0, n - 1);
                return horizontal ? src[size_t(j) * w + c] : src[size_t(c) * w + j];
            };
            for (int i = -radius; i <= radius; ++i)
                sum += at(i);
            for (int i = 0; i < n; ++i) {
                (horizontal ? dst[size_t(j) * w + i] : dst[size_t(i) * w + j]) = sum / (2 * radius + 1);
                sum += at(i + radius + 1) - at(i - radius);
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(a, t, true);
        pass(t, a, false);
    }
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0, std::clamp(int(std::lround(a[size_t(y) * w + x])), 0, 255));
    }
}

struct TitleLine
{
    QString text;
    double size;     // pixel size of the font
    QPointF centre;  // centre of the line's ink box, in pixels
    double spacing;  // extra letter spacing, in pixels
};

// Letters the title over the picture: a dark soft shadow under the letters so
// they read on any part of the scene, then the letters in a pale gradient with a
// faint blue glow.
void letter(QImage &picture, const std::vector<TitleLine> &lines, double shadow_radius)
{
    const int w = picture.width(), h = picture.height();
    QPainterPath path;
    for (const TitleLine &l : lines) {
        QFont f = title_font(l.size);
        f.setLetterSpacing(QFont::AbsoluteSpacing, l.spacing);
        QPainterPath p;
        p.addText(0, 0, f, l.text);
        const QRectF box = p.boundingRect();
        p.translate(l.centre - box.center());
        path.addPath(p);
    }
    QImage mask(w, h, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, shadow_radius * 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::black);
        p.drawPath(path);
    }
    QImage shadow = mask;
    blur_alpha(shadow, qMax(1, int(std::lround(shadow_radius))));
    QImage glow = mask;
    blur_alpha(glow, qMax(1, int(std::lround(shadow_radius * 1.8))));

    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Glow first (blue, additive-looking), then the shadow that carves the letters out.
    {
        QImage tinted(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            const auto *g = reinterpret_cast<const QRgb *>(glow.constScanLine(y));
            auto *o = reinterpret_cast<QRgb *>(tinted.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = qAlpha(g[x]) * 70 / 255;
                o[x] = qPremultiply(qRgba(110, 170, 255, a));
            }
        }
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        p.drawImage(0, 0, tinted);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.setOpacity(0.85);
    p.drawImage(0, 0, shadow);
    p.setOpacity(1.0);
    const QRectF box = path.boundingRect();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, QColor(255, 255, 255));
    fill.setColorAt(0.55, QColor(226, 236, 255));
    fill.setColorAt(1.0, QColor(168, 196, 246));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
}

QImage title_picture(int scene, int w, int h, const std::vector<TitleLine> &lines, double shadow_radius)
{
    QImage img = render_scene(scene, w, h).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    letter(img, lines, shadow_radius);
    return img.convertToFormat(QImage::Format_RGB32);
}

// The emblem: a blue planet inside a tilted golden ring, with a small moon.
QImage icon(int size)
{
    // Drawn large and scaled down, so edges are smooth at every size.
    const int ss = size <= 32 ? 8 : 4;
    const int px = size * ss;
    const double S = px;
    QImage big(px, px, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(0.47 * S, 0.53 * S);
    const double pr = (size <= 16 ? 0.33 : 0.3) * S;
    const double tilt = -24;
    const double ring_w = (size <= 16 ? 0.1 : 0.075) * S;
    const double outline = std::max(S / 36.0, double(ss) * 0.9);

    QLinearGradient gold(QPointF(0, -0.2 * S), QPointF(0, 0.2 * S));
    gold.setColorAt(0, QColor(255, 226, 132));
    gold.setColorAt(1, QColor(236, 146, 50));
    auto ring = [&](bool front) {
        p.save();
        p.translate(c);
        p.rotate(tilt);
        // The back half lies above the ring's major axis, the front half below it.
        p.setClipRect(QRectF(-S, front ? 0 : -S, 2 * S, S));
        const QRectF e(-0.47 * S, -0.15 * S, 0.94 * S, 0.3 * S);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(12, 18, 48), ring_w + 2 * outline));
        p.drawEllipse(e);
        p.setPen(QPen(QBrush(gold), ring_w));
        p.drawEllipse(e);
        p.restore();
    };
    ring(false);

    QRadialGradient body(c + QPointF(-0.35 * pr, -0.4 * pr), 1.45 * pr);
    body.setColorAt(0.0, QColor(150, 224, 255));
    body.setColorAt(0.45, QColor(52, 128, 230));
    body.setColorAt(1.0, QColor(22, 40, 120));
    p.setPen(QPen(QColor(12, 18, 48), outline));
    p.setBrush(body);
    p.drawEllipse(c, pr, pr);
    if (size >= 32) {
        // A pale cloud band for a hint of weather.
        p.save();
        p.setClipPath([&] {
            QPainterPath cp;
            cp.addEllipse(c, pr - outline / 2, pr - outline / 2);
            return cp;
        }());
        p.translate(c);
        p.rotate(tilt);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawEllipse(QRectF(-pr * 1.2, -pr * 0.42, pr * 2.4, pr * 0.22));
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawEllipse(QRectF(-pr * 1.2, pr * 0.18, pr * 2.4, pr * 0.16));
        p.restore();
    }
    ring(true);

    // The moon, top right.
    const QPointF m(0.84 * S, 0.17 * S);
    const double mr = (size <= 16 ? 0.11 : 0.085) * S;
    QRadialGradient moon(m + QPointF(-0.3 * mr, -0.3 * mr), 1.3 * mr);
    moon.setColorAt(0, QColor(255, 255, 255));
    moon.setColorAt(1, QColor(190, 200, 220));
    p.setPen(QPen(QColor(12, 18, 48), outline));
    p.setBrush(moon);
    p.drawEllipse(m, mr, mr);
    p.end();
    return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// The 32 x 32 pictures of the big buttons (options dialog, about box), in the
// emblem's manner: glossy gradients, gold and blue, a dark navy outline.
const QColor k_outline(12, 18, 48);

QLinearGradient vertical(double top, double bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(QPointF(0, top), QPointF(0, bottom));
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QImage button_icon(const QString &what)
{
    const int size = 32, ss = 8, px = size * ss;
    const double S = px;
    QImage big(px, px, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    const double outline = S / 30.0;
    const QPen edge(k_outline, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    if (what == QLatin1String("audio")) {
        // A loudspeaker with two gold sound waves.
        QPainterPath cone;
        cone.moveTo(0.08 * S, 0.38 * S);
        cone.lineTo(0.26 * S, 0.38 * S);
        cone.lineTo(0.50 * S, 0.16 * S);
        cone.lineTo(0.50 * S, 0.84 * S);
        cone.lineTo(0.26 * S, 0.62 * S);
        cone.lineTo(0.08 * S, 0.62 * S);
        cone.closeSubpath();
        p.setPen(edge);
        p.setBrush(vertical(0.16 * S, 0.84 * S, QColor(150, 224, 255), QColor(30, 70, 170)));
        p.drawPath(cone);
        QLinearGradient gold = vertical(0.1 * S, 0.9 * S, QColor(255, 226, 132), QColor(236, 146, 50));
        for (double r : {0.17, 0.32}) {
            const QRectF arc(0.5 * S - r * S, 0.5 * S - r * S, 2 * r * S, 2 * r * S);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(k_outline, 0.09 * S + 2 * outline, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(arc.translated(0.06 * S, 0), -50 * 16, 100 * 16);
            p.setPen(QPen(QBrush(gold), 0.09 * S, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(arc.translated(0.06 * S, 0), -50 * 16, 100 * 16);
        }
    } else if (what == QLatin1String("captions")) {
        // A speech bubble with lines of text.
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(0.06 * S, 0.12 * S, 0.88 * S, 0.58 * S), 0.14 * S, 0.14 * S);
        QPainterPath tail;
        tail.moveTo(0.24 * S, 0.62 * S);
        tail.lineTo(0.20 * S, 0.90 * S);
        tail.lineTo(0.46 * S, 0.66 * S);
        tail.closeSubpath();
        bubble = bubble.united(tail);
        p.setPen(edge);
        p.setBrush(vertical(0.12 * S, 0.9 * S, QColor(255, 255, 255), QColor(168, 196, 246)));
        p.drawPath(bubble);
        p.setPen(QPen(QColor(36, 60, 150), 0.07 * S, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0.2 * S, 0.29 * S), QPointF(0.8 * S, 0.29 * S));
        p.drawLine(QPointF(0.2 * S, 0.42 * S), QPointF(0.8 * S, 0.42 * S));
        p.setPen(QPen(QColor(236, 146, 50), 0.07 * S, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0.2 * S, 0.55 * S), QPointF(0.58 * S, 0.55 * S));
    } else if (what == QLatin1String("password")) {
        // A padlock: silver shackle, gold body, dark keyhole.
        const QRectF shackle(0.27 * S, 0.08 * S, 0.46 * S, 0.52 * S);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(k_outline, 0.11 * S + 2 * outline, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(shackle, 0, 180 * 16);
        p.drawLine(QPointF(shackle.left(), shackle.center().y()), QPointF(shackle.left(), 0.5 * S));
        p.drawLine(QPointF(shackle.right(), shackle.center().y()), QPointF(shackle.right(), 0.5 * S));
        QLinearGradient silver(QPointF(0.2 * S, 0), QPointF(0.8 * S, 0));
        silver.setColorAt(0, QColor(255, 255, 255));
        silver.setColorAt(1, QColor(150, 160, 186));
        p.setPen(QPen(QBrush(silver), 0.11 * S, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(shackle, 0, 180 * 16);
        p.drawLine(QPointF(shackle.left(), shackle.center().y()), QPointF(shackle.left(), 0.5 * S));
        p.drawLine(QPointF(shackle.right(), shackle.center().y()), QPointF(shackle.right(), 0.5 * S));
        p.setPen(edge);
        p.setBrush(vertical(0.44 * S, 0.94 * S, QColor(255, 226, 132), QColor(220, 124, 36)));
        p.drawRoundedRect(QRectF(0.14 * S, 0.44 * S, 0.72 * S, 0.5 * S), 0.08 * S, 0.08 * S);
        p.setPen(Qt::NoPen);
        p.setBrush(k_outline);
        p.drawEllipse(QPointF(0.5 * S, 0.63 * S), 0.07 * S, 0.07 * S);
        p.drawRect(QRectF(0.47 * S, 0.63 * S, 0.06 * S, 0.17 * S));
    } else if (what == QLatin1String("ok")) {
        // A green tick over a small blue disc.
        p.setPen(edge);
        QRadialGradient disc(QPointF(0.4 * S, 0.38 * S), 0.55 * S);
        disc.setColorAt(0, QColor(150, 224, 255));
        disc.setColorAt(0.5, QColor(52, 128, 230));
        disc.setColorAt(1, QColor(22, 40, 120));
        p.setBrush(disc);
        p.drawEllipse(QPointF(0.5 * S, 0.5 * S), 0.42 * S, 0.42 * S);
        QPainterPath tick;
        tick.moveTo(0.26 * S, 0.52 * S);
        tick.lineTo(0.43 * S, 0.69 * S);
        tick.lineTo(0.76 * S, 0.32 * S);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(k_outline, 0.13 * S + 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(QBrush(vertical(0.3 * S, 0.7 * S, QColor(190, 255, 150), QColor(60, 190, 60))), 0.13 * S,
                      Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    } else if (what == QLatin1String("web")) {
        // A globe with meridians, ringed in gold like the emblem's planet.
        const QPointF c(0.5 * S, 0.5 * S);
        const double r = 0.4 * S;
        QRadialGradient body(c + QPointF(-0.35 * r, -0.4 * r), 1.45 * r);
        body.setColorAt(0.0, QColor(150, 224, 255));
        body.setColorAt(0.45, QColor(52, 128, 230));
        body.setColorAt(1.0, QColor(22, 40, 120));
        p.setPen(edge);
        p.setBrush(body);
        p.drawEllipse(c, r, r);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 226, 132, 220), S / 28.0));
        p.drawEllipse(c, r * 0.45, r);
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        p.drawEllipse(c, r, r * 0.42);
    }
    p.end();
    return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// The sheet's sprites composited over mid-grey through the mask (black = object).
QImage composited_sprites(const QString &dir)
{
    const QImage sheet(QDir(dir).filePath(QStringLiteral("sprite.png")));
    const QImage mask(QDir(dir).filePath(QStringLiteral("mask.png")));
    if (sheet.isNull() || mask.isNull() || sheet.size() != mask.size())
        return {};
    const QImage s = sheet.convertToFormat(QImage::Format_RGB32);
    const QImage m = mask.convertToFormat(QImage::Format_RGB32);
    QImage out(s.size(), QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y) {
        const auto *sl = reinterpret_cast<const QRgb *>(s.constScanLine(y));
        const auto *ml = reinterpret_cast<const QRgb *>(m.constScanLine(y));
        auto *o = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < s.width(); ++x)
            o[x] = qGray(ml[x]) < 128 ? sl[x] : qRgb(128, 128, 128);
    }
    return out;
}

void contact_sheet(const QString &pictures_dir, const QString &path)
{
    const QDir dir(pictures_dir);
    const int margin = 20, gap = 12, thumb_w = 208, thumb_h = 156, label_h = 18;
    const QImage sprites = composited_sprites(pictures_dir);
    const int left_w = 5 * thumb_w + 4 * gap;

    struct Item
    {
        QImage image;
        QString label;
    };
    std::vector<Item> scenes;
    for (int i = 0; i < 10; ++i) {
        const QImage img(dir.filePath(QStringLiteral("scene%1.png").arg(i)));
        if (!img.isNull())
            scenes.push_back({img.scaled(thumb_w, thumb_h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                              QString::number(i)});
    }
    std::vector<Item> titles;
    for (const char *name : {"menu", "preview", "about"}) {
        const QImage img(dir.filePath(QStringLiteral("%1.png").arg(QLatin1String(name))));
        if (!img.isNull())
            titles.push_back({img, QLatin1String(name)});
    }
    std::vector<Item> icons;
    for (int s : {256, 128, 64, 48, 32, 16}) {
        const QImage img(dir.filePath(QStringLiteral("icons/zentara-%1.png").arg(s)));
        if (!img.isNull())
            icons.push_back({img, QString::number(s)});
    }
    for (const char *name : {"audio", "captions", "password", "ok", "web"}) {
        const QString file = QStringLiteral("buttons/%1-%2.png")
                                 .arg(QLatin1String(std::string_view(name) == "web" ? "about" : "options"),
                                      QLatin1String(name));
        const QImage img(dir.filePath(file));
        if (!img.isNull())
            icons.push_back({img, QLatin1String(name)});
    }

    const int scene_rows = (int(scenes.size()) + 4) / 5;
    const int top = margin + 28;
    const int lower = top + scene_rows * (thumb_h + label_h + gap) + gap;
    const int sprite_h = sprites.isNull() ? 0 : sprites.height() + label_h;
    const int width = margin * 2 + left_w;
    const int right_x = margin + (sprites.isNull() ? 0 : sprites.width() + 2 * gap);
    int height = lower + sprite_h;
    // Titles and icons sit to the right of the sprite sheet, wrapping as needed.
    int cx = right_x, cy = lower, row_h = 0;
    struct Placed
    {
        QRect rect;
        const Item *item;
    };
    std::vector<Placed> placed;
    for (const auto *list : {&titles, &icons}) {
        for (const Item &it : *list) {
            if (cx + it.image.width() > width - margin && cx > right_x) {
                cx = right_x;
                cy += row_h + label_h + gap;
                row_h = 0;
            }
            placed.push_back({QRect(QPoint(cx, cy), it.image.size()), &it});
            cx += it.image.width() + gap;
            row_h = std::max(row_h, it.image.height());
        }
        cx = right_x;
        cy += row_h + label_h + gap;
        row_h = 0;
    }
    height = std::max(height, cy) + margin;

    QImage page(width, height, QImage::Format_RGB32);
    page.fill(QColor(24, 26, 32));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(QColor(232, 236, 244));
    p.setFont(title_font(18));
    p.drawText(QPointF(margin, margin + 16), QStringLiteral("Zentara Screen Saver \u2014 pictures"));
    p.setFont(title_font(12, QFont::Normal));
    const QColor label(176, 184, 200);
    for (size_t i = 0; i < scenes.size(); ++i) {
        const int x = margin + int(i % 5) * (thumb_w + gap), y = top + int(i / 5) * (thumb_h + label_h + gap);
        p.drawImage(x, y, scenes[i].image);
        p.setPen(label);
        p.drawText(QRectF(x, y + thumb_h, thumb_w, label_h), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("scene%1").arg(scenes[i].label));
    }
    if (!sprites.isNull()) {
        p.drawImage(margin, lower, sprites);
        p.setPen(label);
        p.drawText(QRectF(margin, lower + sprites.height(), sprites.width(), label_h),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("sprite sheet through its mask, over grey"));
    }
    for (const Placed &pl : placed) {
        if (pl.item->image.hasAlphaChannel()) {
            // Icons on a checkerboard, so their transparency shows.
            for (int y = 0; y < pl.rect.height(); y += 8)
                for (int x = 0; x < pl.rect.width(); x += 8)
                    p.fillRect(QRect(pl.rect.x() + x, pl.rect.y() + y, 8, 8).intersected(pl.rect),
                               ((x + y) / 8) % 2 ? QColor(70, 74, 84) : QColor(110, 114, 124));
        }
        p.drawImage(pl.rect.topLeft(), pl.item->image);
        p.setPen(label);
        p.drawText(QRectF(pl.rect.x(), pl.rect.bottom() + 1, std::max(pl.rect.width(), 40), label_h),
                   Qt::AlignLeft | Qt::AlignVCenter, pl.item->label);
    }
    p.end();
    if (!save_png(palettize(page), path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

void generate_pictures(const QString &assets_dir, const QString &)
{
    const QDir pictures(QDir(assets_dir).filePath(QStringLiteral("pictures")));
    auto save_indexed = [&](const QImage &truecolour, const QString &name) {
        const QImage indexed = palettize(truecolour);
        const QString path = pictures.filePath(name);
        if (!save_png(indexed, path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        else
            std::printf("  %s  %.1f dB\n", qPrintable(name), psnr(truecolour, indexed));
    };

    // The small pictures: "Zentara" large, "Screen Saver" smaller, over the blue
    // planet (preview) and the moonscape (about); the menu shows the ringed giant.
    save_indexed(title_picture(0, 150, 112, {{QStringLiteral("Zentara"), 30, {58, 28}, 0.5},
                                             {QStringLiteral("Screen Saver"), 13, {58, 51}, 0.6}},
                               2.0),
                 QStringLiteral("preview.png"));
    save_indexed(title_picture(1, 150, 112, {{QStringLiteral("Zentara"), 29, {90, 21}, 0.4},
                                             {QStringLiteral("Screen Saver"), 13, {96, 42}, 0.5}},
                               2.0),
                 QStringLiteral("about.png"));
    save_indexed(title_picture(2, 320, 240, {{QStringLiteral("Zentara"), 50, {166, 34}, 1.0},
                                             {QStringLiteral("Screen Saver"), 24, {160, 206}, 1.5}},
                               3.0),
                 QStringLiteral("menu.png"));

    pictures.mkpath(QStringLiteral("icons"));
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = pictures.filePath(QStringLiteral("icons/zentara-%1.png").arg(size));
        if (!save_png(icon(size), path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }

    pictures.mkpath(QStringLiteral("buttons"));
    const std::pair<const char *, const char *> buttons[] = {{"audio", "options-audio"},
                                                             {"captions", "options-captions"},
                                                             {"password", "options-password"},
                                                             {"ok", "options-ok"},
                                                             {"web", "about-web"}};
    for (const auto &[what, name] : buttons) {
        const QString path = pictures.filePath(QStringLiteral("buttons/%1.png").arg(QLatin1String(name)));
        if (!save_png(button_icon(QLatin1String(what)), path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }

    const QString docs = QDir::cleanPath(QDir(assets_dir).filePath(QStringLiteral("../docs")));
    QDir().mkpath(docs);
    contact_sheet(pictures.path(), QDir(docs).filePath(QStringLiteral("contact-sheet.png")));
    std::printf("  contact sheet written\n");
}

} // namespace assetgen

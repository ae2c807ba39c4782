





#include "platform/surface.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace platform {

surface::surface(int width, int height) { resize(width, height); }

namespace {
// Screen-sized surfaces are touched one sprite rectangle at a time, a row at a
// time. Huge pages keep those scattered rows from missing the TLB, and one spare
// cache line per row stops rows that lie a power-of-two apart from competing for
// the same cache sets, so a frame costs about the same at any screen size.
QImage screen_image(int width, int height)
{
    constexpr std::size_t k_huge_page = 2u << 20;
    const std::size_t row_bytes = (static_cast<std::size_t>(width) * 4u + 63u) / 64u * 64u + 64u;
    const std::size_t bytes = row_bytes * static_cast<std::size_t>(height);
    if (bytes < k_huge_page)
        return QImage(width, height, QImage::Format_RGB32);
    const std::size_t rounded = (bytes + k_huge_page - 1) / k_huge_page * k_huge_page;
    void *memory = nullptr;
    if (posix_memalign(&memory, k_huge_page, rounded) != 0)
        return QImage(width, height, QImage::Format_RGB32);
    madvise(memory, rounded, MADV_HUGEPAGE);
    return QImage(static_cast<uchar *>(memory), width, height, static_cast<qsizetype>(row_bytes),
                  QImage::Format_RGB32, [](void *p) { std::free(p); }, memory);
}
} // namespace

void surface::resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (display_) {
        display_size_ = QSize(width, height);
        return;
    }
    img_ = QImage(); // the old pixels go before the new ones are taken
    if (allocator_)
        img_ = allocator_(width, height);
    if (img_.isNull() || img_.size() != QSize(width, height) || img_.format() != QImage::Format_RGB32)
        img_ = screen_image(width, height);
    img_.fill(0xff000000u);
}

void surface::show_on_display(display_sink show)
{
    display_size_ = display_ ? display_size_ : img_.size();
    display_ = std::move(show);
    img_ = QImage();
}

void surface::make_32bit()
{
    if (!display_ && !img_.isNull() && img_.format() != QImage::Format_RGB32)
        img_ = img_.convertToFormat(QImage::Format_RGB32);
}

void surface::set_pixel(int x, int y, std::uint32_t rgb)
{
    make_32bit();
    row(y)[x] = rgb | 0xff000000u;
}

void surface::fill(std::uint32_t rgb)
{
    if (display_) {
        // The display keeps no pixels: show a filled surface of its size instead.
        surface filled(display_size_.width(), display_size_.height());
        filled.img_.fill(rgb | 0xff000000u);
        display_(filled, filled.img_.rect(), QPoint(0, 0));
        changed(filled.img_.rect());
        return;
    }
    make_32bit();
    img_.fill(rgb | 0xff000000u);
    changed(img_.rect());
}

void surface::set_image(const QImage &image)
{
    img_ = image.convertToFormat(QImage::Format_RGB32);
    changed(img_.rect());
}

bool surface::load(const QString &file)
{
    QImageReader reader(file);
    const QImage loaded = reader.read();
    if (loaded.isNull())
        return false;
    set_image(loaded);
    return true;
}

bool surface::load_picture(const QString &file)
{
    QImageReader reader(file);
    QImage loaded = reader.read();
    if (loaded.isNull())
        return false;
    // An 8-bit picture stays 8-bit; anything else is held as 32-bit pixels.
    if (loaded.format() == QImage::Format_Indexed8 && !loaded.hasAlphaChannel())
        img_ = std::move(loaded);
    else
        img_ = loaded.convertToFormat(QImage::Format_RGB32);
    changed(img_.rect());
    return true;
}

int BitBlt(surface &dest, int x, int y, int w, int h, const surface &src, int sx, int sy, std::uint32_t rop)
{
    // Clip once against both surfaces; the row loops below then stay in bounds.
    if (sx < 0) { x -= sx; w += sx; sx = 0; }
    if (sy < 0) { y -= sy; h += sy; sy = 0; }
    if (x < 0) { sx -= x; w += x; x = 0; }
    if (y < 0) { sy -= y; h += y; y = 0; }
    w = std::min({w, dest.width() - x, src.width() - sx});
    h = std::min({h, dest.height() - y, src.height() - sy});
    if (w <= 0 || h <= 0)
        return 1;
    if (src.is_display())
        return 1; // the display keeps nothing to read
    if (src.img_.format() != QImage::Format_RGB32) {
        // A picture kept in its file's format: copy from a 32-bit piece of it.
        surface piece;
        piece.img_ = src.img_.copy(sx, sy, w, h).convertToFormat(QImage::Format_RGB32);
        return BitBlt(dest, x, y, w, h, piece, 0, 0, rop);
    }
    if (dest.is_display()) {
        if (rop == SRCCOPY)
            dest.display_(src, QRect(sx, sy, w, h), QPoint(x, y));
        dest.changed(QRect(x, y, w, h));
        return 1;
    }
    dest.make_32bit();

    for (int r = 0; r < h; ++r) {
        std::uint32_t *d = dest.row(y + r) + x;
        const std::uint32_t *s = src.row(sy + r) + sx;
        switch (rop) {
        case SRCAND:
            for (int c = 0; c < w; ++c)
                d[c] &= s[c];
            break;
        case SRCPAINT:
            for (int c = 0; c < w; ++c)
                d[c] |= s[c];
            break;
        default:
            std::memcpy(d, s, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
            break;
        }
    }
    dest.changed(QRect(x, y, w, h));
    return 1;
}

cover_geometry cover(QSize picture, QSize area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    // Whole-number arithmetic: the axis that sets the scale fills the area
    // exactly, and the other, rounded to the nearest pixel, can never come out
    // short of it (its exact size is at least the area's).
    const std::int64_t pw = picture.width(), ph = picture.height();
    const std::int64_t w = area.width(), h = area.height();
    std::int64_t sw = w, sh = h;
    if (w * ph >= h * pw)
        sh = std::max(h, (2 * ph * w + pw) / (2 * pw));
    else
        sw = std::max(w, (2 * pw * h + ph) / (2 * ph));
    return {QSize(int(sw), int(sh)), QPoint(int((sw - w) / 2), int((sh - h) / 2))};
}

void PaintPicture(surface &dest, const surface &picture, int x, int y, int w, int h)
{
    if (picture.is_null() || dest.is_null() || w <= 0 || h <= 0)
        return;
    const QImage &source = picture.image();
    const cover_geometry g = cover(source.size(), QSize(w, h));
    // Through QImage and QPainter only, so a picture held in any image format works.
    surface scaled;
    const double overflow = double(g.scaled.width()) * g.scaled.height() / (double(w) * h);
    if (overflow <= 8) {
        // The whole picture scaled (area-averaged when shrinking): every real
        // screen shape, even 32:9 or portrait, overflows by less than 2.5 times.
        scaled.set_image(source.scaled(g.scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        BitBlt(dest, x, y, w, h, scaled, g.offset.x(), g.offset.y(), SRCCOPY);
        return;
    }
    // A window far thinner than any screen: scaling all of the picture would
    // take far more memory than the window, so only the part it shows is drawn.
    const double fx = double(g.scaled.width()) / source.width(), fy = double(g.scaled.height()) / source.height();
    QImage part(w, h, QImage::Format_RGB32);
    part.fill(Qt::black);
    {
        QPainter painter(&part);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, 0, w, h), source,
                          QRectF(g.offset.x() / fx, g.offset.y() / fy, w / fx, h / fy));
    }
    scaled.set_image(part);
    BitBlt(dest, x, y, w, h, scaled, 0, 0, SRCCOPY);
}

} // namespace platform

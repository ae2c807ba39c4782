#pragma once
// Pixel surfaces and the rectangle copies the scene engine draws with.
//
// A surface is a 32-bit pixel buffer (0xffRRGGBB). The one-bit sprite mask is
// held the same way, white as all bits set and black as all bits clear, so the
// AND and OR copies need no special case for it.
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

namespace platform {

constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;

class surface
{
public:
    surface() = default;
    surface(int width, int height);

    // New size; the content becomes black.
    void resize(int width, int height);
    int width() const { return img_.width(); }
    int height() const { return img_.height(); }
    bool is_null() const { return img_.isNull(); }

    std::uint32_t pixel(int x, int y) const { return reinterpret_cast<const std::uint32_t *>(img_.constScanLine(y))[x]; }
    void set_pixel(int x, int y, std::uint32_t rgb);
    std::uint32_t *row(int y) { return reinterpret_cast<std::uint32_t *>(img_.scanLine(y)); }
    const std::uint32_t *row(int y) const { return reinterpret_cast<const std::uint32_t *>(img_.constScanLine(y)); }
    void fill(std::uint32_t rgb);

    // The picture as an image (shares the pixels until one side writes).
    const QImage &image() const { return img_; }
    // Takes any image, converted to this surface's format (alpha dropped).
    void set_image(const QImage &image);
    // Loads a picture file; false (and the surface unchanged) when it cannot.
    bool load(const QString &file);

    // Called with every rectangle written by a copy or draw (a visible surface
    // uses it to repaint just those areas on the display).
    void set_change_listener(std::function<void(const QRect &)> listener) { listener_ = std::move(listener); }
    void changed(const QRect &r) const
    {
        if (listener_)
            listener_(r);
    }

private:
    QImage img_;
    std::function<void(const QRect &)> listener_;
};

// Combines the w x h rectangle at (sx, sy) of src into dest at (x, y) with one of
// SRCCOPY, SRCAND, SRCPAINT. Parts outside either surface are skipped; coordinates
// may be negative. Returns non-zero (the copy's result is never examined).
int BitBlt(surface &dest, int x, int y, int w, int h, const surface &src, int sx, int sy, std::uint32_t rop);

// How a picture covers a w x h area at one scale for both axes (the larger of
// w / width and h / height), centred: `scaled` is the picture's size after
// scaling, never smaller than the area in either direction, and `offset` the
// top-left of the part the area shows. What overflows is cut off equally on both
// sides (the odd pixel, if any, on the right or bottom). Empty for an empty input.
struct cover_geometry
{
    QSize scaled;
    QPoint offset;
};
cover_geometry cover(QSize picture, QSize area);

// Draws `picture` to cover (x, y, w, h) of dest as `cover` lays it out, with a
// smooth filter, so round things stay round on any screen shape.
void PaintPicture(surface &dest, const surface &picture, int x, int y, int w, int h);

} // namespace platform

#pragma once
// Pixel surfaces and the rectangle copies the scene engine draws with.
//
// A surface is a 32-bit pixel buffer (0xffRRGGBB). The one-bit sprite mask is
// held the same way, white as all bits set and black as all bits clear, so the
// AND and OR copies need no special case for it. Two kinds differ:
// - a picture loaded with load_picture keeps its file's pixels (an 8-bit scene
//   stays 8-bit, a quarter of the memory) and becomes 32-bit only when a copy
//   writes into it;
// - a display surface is where the picture is shown: it keeps no pixels of its
//   own, and every copy onto it goes straight to the display.
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
    int width() const { return display_ ? display_size_.width() : img_.width(); }
    int height() const { return display_ ? display_size_.height() : img_.height(); }
    bool is_null() const { return display_ ? display_size_.isEmpty() : img_.isNull(); }

    std::uint32_t pixel(int x, int y) const
    {
        if (img_.format() != QImage::Format_RGB32)
            return img_.pixel(x, y) | 0xff000000u;
        return reinterpret_cast<const std::uint32_t *>(img_.constScanLine(y))[x];
    }
    void set_pixel(int x, int y, std::uint32_t rgb);
    // Rows of a 32-bit surface (the copies make a picture 32-bit before writing).
    std::uint32_t *row(int y) { return reinterpret_cast<std::uint32_t *>(img_.scanLine(y)); }
    const std::uint32_t *row(int y) const { return reinterpret_cast<const std::uint32_t *>(img_.constScanLine(y)); }
    void fill(std::uint32_t rgb);

    // The picture as an image (shares the pixels until one side writes).
    const QImage &image() const { return img_; }
    // Takes any image, converted to this surface's format (alpha dropped).
    void set_image(const QImage &image);
    // Loads a picture file; false (and the surface unchanged) when it cannot.
    bool load(const QString &file);
    // The same, keeping the file's own pixel format (for pictures that are only
    // ever scaled onto other surfaces).
    bool load_picture(const QString &file);
    // Holds a picture kept in its file's format as 32-bit pixels from now on
    // (the copies do this themselves before writing into one).
    void make_32bit();

    // Where the pixels of later resizes live (memory the display server can
    // read, for the surfaces that are copied to the screen). Unset: ordinary memory.
    using allocator = std::function<QImage(int width, int height)>;
    void set_allocator(allocator a) { allocator_ = std::move(a); }

    // Makes this the display surface: it drops its pixels and keeps only its
    // size; every SRCCOPY onto it calls `show` with the source surface, the
    // source rectangle and where it lands. Nothing can be read back from it.
    using display_sink = std::function<void(const surface &src, const QRect &from, const QPoint &to)>;
    void show_on_display(display_sink show);
    bool is_display() const { return static_cast<bool>(display_); }

    // Called with every rectangle written by a copy or draw (a visible surface
    // uses it to repaint just those areas on the display).
    void set_change_listener(std::function<void(const QRect &)> listener) { listener_ = std::move(listener); }
    void changed(const QRect &r) const
    {
        if (listener_)
            listener_(r);
    }

private:
    friend int BitBlt(surface &, int, int, int, int, const surface &, int, int, std::uint32_t);

    QImage img_;
    std::function<void(const QRect &)> listener_;
    allocator allocator_;
    display_sink display_;
    QSize display_size_;
};

// Combines the w x h rectangle at (sx, sy) of src into dest at (x, y) with one of
// SRCCOPY, SRCAND, SRCPAINT. Parts outside either surface are skipped; coordinates
// may be negative. Returns non-zero (the copy's result is never examined).
// Onto a display surface only SRCCOPY shows anything (what is shown cannot be
// combined with), and a display surface is never a source.
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

// The sprite sheet (pictures/sprite.png) and its 1-bit mask (pictures/mask.png).
//
// The saver ANDs the mask rectangle onto the scene and then ORs the sheet
// rectangle over it, so wherever the mask is white the sheet must be exactly
// black, and every object is cut out at half coverage: drawn large with
// antialiasing, averaged down, and kept where at least half a pixel is covered,
// with the object's own colour (no fringe against any background).
#include "assetgen.h"
#include "sprites_rock.h"

#include <QDir>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace assetgen {

namespace {

constexpr int sheet_width = 720;
constexpr int sheet_height = 606;

// Drawings are rendered this many times larger before being cut down.
constexpr int svg_supersampling = 8;
constexpr int rock_supersampling = 4;

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "sprites: %s\n", qPrintable(message));
    std::exit(1);
}

// Averages `ss` x `ss` blocks of premultiplied colour. A pixel belongs to the
// object where the mean coverage is at least one half; it then gets the mean
// colour divided by the coverage, i.e. the object's own colour. The result is
// ARGB32 with alpha either 0 or 255.
QImage cut_at_half_coverage(const QImage &large, int ss)
{
    const QImage src = large.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width() / ss, h = src.height() / ss;
    QImage out(w, h, QImage::Format_ARGB32);
    out.fill(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            long r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < ss; ++j) {
                const QRgb *line = reinterpret_cast<const QRgb *>(src.constScanLine(y * ss + j)) + x * ss;
                for (int i = 0; i < ss; ++i) {
                    r += qRed(line[i]);
                    g += qGreen(line[i]);
                    b += qBlue(line[i]);
                    a += qAlpha(line[i]);
                }
            }
            if (2 * a < 255L * ss * ss)
                continue;
            auto own = [a](long c) { return int(std::min(255L, (c * 255 + a / 2) / a)); };
            out.setPixel(x, y, qRgb(own(r), own(g), own(b)));
        }
    }
    return out;
}

class Sheet {
public:
    Sheet()
        : m_colour(sheet_width, sheet_height, QImage::Format_RGB888)
        , m_mask(sheet_width, sheet_height, QImage::Format_Mono)
    {
        m_colour.fill(Qt::black);
        // Index 0 white (scene kept), index 1 black (object).
        m_mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        m_mask.fill(0);
    }

    // `cut` is a cut_at_half_coverage() result; its opaque pixels become object.
    void place(const QImage &cut, int x0, int y0)
    {
        for (int y = 0; y < cut.height(); ++y)
            for (int x = 0; x < cut.width(); ++x) {
                const QRgb c = cut.pixel(x, y);
                if (qAlpha(c) == 0)
                    continue;
                m_colour.setPixel(x0 + x, y0 + y, c | 0xff000000u);
                m_mask.setPixel(x0 + x, y0 + y, 1);
            }
    }

    // Stars are ORed without a mask; the mask still marks their lit pixels.
    void set_lit(int x, int y, QRgb c)
    {
        m_colour.setPixel(x, y, c);
        m_mask.setPixel(x, y, 1);
    }

    void save(const QString &assets_dir) const
    {
        const QDir dir(QDir(assets_dir).filePath(QStringLiteral("pictures")));
        if (!m_colour.save(dir.filePath(QStringLiteral("sprite.png")), "PNG"))
            fail(QStringLiteral("cannot write sprite.png"));
        if (!m_mask.save(dir.filePath(QStringLiteral("mask.png")), "PNG"))
            fail(QStringLiteral("cannot write mask.png"));
    }

private:
    QImage m_colour;
    QImage m_mask;
};

// One drawing from assets/src/sprites, rendered into a w x h rectangle.
struct Drawing {
    int x, y, w, h;
    const char *file;
    bool mirrored;
};

constexpr Drawing drawings[] = {
    {3, 2, 94, 82, "satellite-panels.svg", false},     // 1
    {103, 1, 89, 89, "satellite-large-panel.svg", false}, // 2
    {196, 2, 70, 59, "satellite-small.svg", false},    // 3
    {272, 2, 89, 66, "satellite-cross.svg", false},    // 4
    {367, 1, 80, 60, "satellite-wing.svg", false},     // 5
    {449, 1, 71, 28, "saucer.svg", false},             // 6
    {3, 96, 96, 151, "shuttle-top.svg", false},        // 10
    {110, 97, 144, 60, "shuttle-side.svg", false},     // 11
    {110, 162, 144, 60, "shuttle-side.svg", true},     // 12
    {265, 81, 125, 144, "astronaut.svg", false},       // 13
    {401, 118, 59, 69, "astronaut.svg", false},        // 14
    {469, 112, 30, 35, "astronaut-small.svg", false},  // 15
    {560, 60, 28, 166, "rocket.svg", false},           // 16
    {592, 40, 128, 158, "probe.svg", false},           // 17
    {3, 262, 126, 167, "shuttle-launch.svg", false},   // 18
    {170, 263, 126, 168, "shuttle-launch.svg", true},  // 19
};

QImage render_drawing(const QString &sources_dir, const Drawing &d)
{
    const QString path = QDir(sources_dir).filePath(QStringLiteral("sprites/") + QLatin1String(d.file));
    QSvgRenderer svg(path);
    if (!svg.isValid())
        fail(QStringLiteral("cannot read ") + path);
    const int ss = svg_supersampling;
    QImage large(d.w * ss, d.h * ss, QImage::Format_ARGB32_Premultiplied);
    large.fill(0);
    QPainter p(&large);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (d.mirrored) {
        p.translate(large.width(), 0);
        p.scale(-1, 1);
    }
    svg.render(&p, QRectF(0, 0, large.width(), large.height()));
    p.end();
    return cut_at_half_coverage(large, ss);
}

using rock::Mat3;
using rock::Vec3;

// Grows `box` to hold the body's surface as seen through `m` (x and y only).
struct Box {
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
};

void extent(const rock::Body &body, const Mat3 &m, Box &box)
{
    for (const Vec3 &q : body.surface_points()) {
        const double x = m[0] * q.x + m[1] * q.y + m[2] * q.z;
        const double y = m[3] * q.x + m[4] * q.y + m[5] * q.z;
        box.x0 = std::min(box.x0, x);
        box.x1 = std::max(box.x1, x);
        box.y0 = std::min(box.y0, y);
        box.y1 = std::max(box.y1, y);
    }
}

// A small rock at rest, stretched to fill its rectangle.
struct Pebble {
    int x, y, w, h;
    rock::Recipe recipe;
    Vec3 stretch;
    Vec3 turn_axis;
    double turn;
};

const Pebble pebbles[] = {
    {521, 3, 21, 15, {71, 0.22, 0.05, 10, 1.3}, {1.3, 0.9, 0.85}, {0.3, 0.8, 0.2}, 0.7},  // 7
    {545, 4, 18, 15, {72, 0.26, 0.05, 9, 1.3}, {1.15, 0.95, 0.9}, {0.7, 0.2, 0.6}, 2.1}, // 8
    {570, 2, 17, 13, {73, 0.24, 0.06, 10, 1.3}, {1.2, 0.85, 0.95}, {0.1, 0.4, 0.9}, 4.0}, // 9
};

void place_pebble(Sheet &sheet, const Pebble &pb)
{
    const rock::Body body(pb.recipe);
    const Mat3 shape = rock::multiply(rock::rotation(pb.turn_axis, pb.turn),
                                      rock::diagonal(pb.stretch.x, pb.stretch.y, pb.stretch.z));
    Box box;
    extent(body, shape, box);
    const double sx = (pb.w - 0.4) / (box.x1 - box.x0), sy = (pb.h - 0.4) / (box.y1 - box.y0);
    const Mat3 view = rock::multiply(rock::diagonal(sx, sy, 0.5 * (sx + sy)), shape);
    const Vec3 shift{-0.5 * (box.x0 + box.x1) * sx, -0.5 * (box.y0 + box.y1) * sy, 0};
    const int ss = rock_supersampling * 2;
    sheet.place(cut_at_half_coverage(rock::render(body, view, shift, pb.w, pb.h, ss), ss), pb.x, pb.y);
}

// A rock turning once about a tilted axis in 24 frames of 15 degrees, laid out
// as 4 rows of 6 cells; frame 24 would equal frame 0, so the loop is seamless.
// Like real asteroids it spins about its shortest body axis (z), which the view
// sees tilted towards the viewer, so the long side stays in sight all the turn.
struct Tumbler {
    int x, y, cell;
    rock::Recipe recipe;
    Vec3 stretch;
    Vec3 spin_axis; // in the view: x right, y up, z towards the viewer
};

const Tumbler tumblers[] = {
    {0, 480, 30, {11, 0.24, 0.03, 22, 1.15, -0.5}, {1.15, 0.97, 0.85}, {0.45, 0.5, 0.75}},
    {360, 240, 60, {53, 0.2, 0.045, 28, 1.2, -0.1}, {1.06, 1.0, 0.85}, {-0.3, 0.5, 0.8}},
};

void place_tumbler(Sheet &sheet, const Tumbler &t)
{
    const rock::Body body(t.recipe);
    // Tilt the body's z onto the spin axis.
    const double len = std::sqrt(t.spin_axis.x * t.spin_axis.x + t.spin_axis.y * t.spin_axis.y
                                 + t.spin_axis.z * t.spin_axis.z);
    const Mat3 tilt = rock::rotation({-t.spin_axis.y, t.spin_axis.x, 0}, std::acos(t.spin_axis.z / len));
    auto frame_turn = [&](int k) {
        return rock::multiply(tilt, rock::multiply(rock::rotation({0, 0, 1}, k * M_PI / 12),
                                                   rock::diagonal(t.stretch.x, t.stretch.y, t.stretch.z)));
    };

    // One scale and place for all frames, so the rock keeps its size and spot
    // while it turns.
    Box box;
    for (int k = 0; k < 24; ++k)
        extent(body, frame_turn(k), box);
    const double s = (t.cell - 0.4) / std::max(box.x1 - box.x0, box.y1 - box.y0);
    const Vec3 shift{-0.5 * (box.x0 + box.x1) * s, -0.5 * (box.y0 + box.y1) * s, 0};

    const int ss = rock_supersampling;
    for (int k = 0; k < 24; ++k) {
        const Mat3 view = rock::multiply(rock::diagonal(s, s, s), frame_turn(k));
        const QImage large = rock::render(body, view, shift, t.cell, t.cell, ss);
        sheet.place(cut_at_half_coverage(large, ss), t.x + t.cell * (k % 6), t.y + t.cell * (k / 6));
    }
}

// Six twinkle frames in 9x9 cells: plus-shaped crosses 9, 7, 5 and 3 pixels
// across, a single dot, and nothing.
void place_stars(Sheet &sheet)
{
    const int arms[] = {4, 3, 2, 1, 0};
    for (int f = 0; f < 5; ++f) {
        const int cx = 340 + 12 * f + 4, cy = 516 + 4;
        const int arm = arms[f];
        // The whole star dims a little as it shrinks.
        const double peak = 1.0 - 0.06 * f;
        for (int d = -arm; d <= arm; ++d) {
            const double t = arm == 0 ? 0 : double(std::abs(d)) / (arm + 1);
            const double v = peak * std::pow(1 - 0.8 * t, 1.4);
            // Blue-white core fading to dimmer, bluer tips.
            const QRgb c = qRgb(int(std::lround(255 * v * (0.94 - 0.3 * t))),
                                int(std::lround(255 * v * (0.97 - 0.15 * t))),
                                int(std::lround(255 * v)));
            sheet.set_lit(cx + d, cy, c);
            sheet.set_lit(cx, cy + d, c);
        }
    }
}

} // namespace

void generate_sprites(const QString &assets_dir, const QString &sources_dir)
{
    Sheet sheet;
    for (const Drawing &d : drawings)
        sheet.place(render_drawing(sources_dir, d), d.x, d.y);
    for (const Pebble &p : pebbles)
        place_pebble(sheet, p);
    for (const Tumbler &t : tumblers)
        place_tumbler(sheet, t);
    place_stars(sheet);
    sheet.save(assets_dir);
}

} // namespace assetgen

#include "palette.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

namespace {

struct Entry
{
    std::array<int, 3> c;
    double weight;
};

struct Box
{
    int begin, end;
    double error; // weighted squared distance to the box mean
};

double channel_error(const std::vector<Entry> &e, int b, int end, int ch)
{
    double w = 0, s = 0, s2 = 0;
    for (int i = b; i < end; ++i) {
        w += e[i].weight;
        s += e[i].weight * e[i].c[ch];
        s2 += e[i].weight * double(e[i].c[ch]) * e[i].c[ch];
    }
    return w > 0 ? s2 - s * s / w : 0;
}

double box_error(const std::vector<Entry> &e, int b, int end)
{
    return channel_error(e, b, end, 0) + channel_error(e, b, end, 1) + channel_error(e, b, end, 2);
}

// Splits a box along its widest channel where the two halves' error is least.
int best_split(std::vector<Entry> &e, const Box &box)
{
    int ch = 0;
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double err = channel_error(e, box.begin, box.end, c);
        if (err > widest) {
            widest = err;
            ch = c;
        }
    }
    std::stable_sort(e.begin() + box.begin, e.begin() + box.end,
                     [ch](const Entry &a, const Entry &b) { return a.c[ch] < b.c[ch]; });
    const int n = box.end - box.begin;
    std::vector<double> w(n + 1), s(n + 1), s2(n + 1);
    for (int i = 0; i < n; ++i) {
        const Entry &x = e[box.begin + i];
        w[i + 1] = w[i] + x.weight;
        s[i + 1] = s[i] + x.weight * x.c[ch];
        s2[i + 1] = s2[i] + x.weight * double(x.c[ch]) * x.c[ch];
    }
    int best = box.begin + n / 2;
    double best_err = 1e300;
    for (int i = 1; i < n; ++i) {
        if (e[box.begin + i].c[ch] == e[box.begin + i - 1].c[ch])
            continue;
        const double wl = w[i], wr = w[n] - w[i];
        const double el = s2[i] - s[i] * s[i] / wl;
        const double sr = s[n] - s[i];
        const double er = (s2[n] - s2[i]) - sr * sr / wr;
        if (el + er < best_err) {
            best_err = el + er;
            best = box.begin + i;
        }
    }
    return best;
}

int nearest(const std::vector<std::array<double, 3>> &pal, double r, double g, double b)
{
    int best = 0;
    double bd = 1e300;
    for (int i = 0; i < int(pal.size()); ++i) {
        const double dr = pal[i][0] - r, dg = pal[i][1] - g, db = pal[i][2] - b;
        const double d = dr * dr + dg * dg + db * db;
        if (d < bd) {
            bd = d;
            best = i;
        }
    }
    return best;
}

std::vector<std::array<double, 3>> choose_palette(const QImage &img, int colours)
{
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(img.width()) * img.height());
    for (int y = 0; y < img.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            pixels.push_back(line[x] & 0xffffff);
    }
    std::sort(pixels.begin(), pixels.end());
    std::vector<Entry> entries;
    bool has_black = false;
    for (size_t i = 0; i < pixels.size();) {
        size_t j = i;
        while (j < pixels.size() && pixels[j] == pixels[i])
            ++j;
        const uint32_t p = pixels[i];
        if (p == 0)
            has_black = true;
        else
            entries.push_back({{int(qRed(p)), int(qGreen(p)), int(qBlue(p))}, double(j - i)});
        i = j;
    }
    const int free_entries = colours - (has_black ? 1 : 0);

    std::vector<Box> boxes;
    if (!entries.empty())
        boxes.push_back({0, int(entries.size()), box_error(entries, 0, int(entries.size()))});
    while (int(boxes.size()) < free_entries) {
        int pick = -1;
        for (int i = 0; i < int(boxes.size()); ++i)
            if (boxes[i].end - boxes[i].begin > 1 && (pick < 0 || boxes[i].error > boxes[pick].error))
                pick = i;
        if (pick < 0 || boxes[pick].error <= 0)
            break;
        const Box b = boxes[pick];
        const int mid = best_split(entries, b);
        boxes[pick] = {b.begin, mid, box_error(entries, b.begin, mid)};
        boxes.push_back({mid, b.end, box_error(entries, mid, b.end)});
    }

    std::vector<std::array<double, 3>> pal;
    for (const Box &b : boxes) {
        std::array<double, 3> sum{};
        double w = 0;
        for (int i = b.begin; i < b.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += entries[i].weight * entries[i].c[c];
            w += entries[i].weight;
        }
        pal.push_back({sum[0] / w, sum[1] / w, sum[2] / w});
    }

    // k-means refinement over the distinct colours.
    for (int iter = 0; iter < 5 && !pal.empty(); ++iter) {
        std::vector<std::array<double, 4>> acc(pal.size(), {0, 0, 0, 0});
        for (const Entry &e : entries) {
            const int k = nearest(pal, e.c[0], e.c[1], e.c[2]);
            for (int c = 0; c < 3; ++c)
                acc[k][c] += e.weight * e.c[c];
            acc[k][3] += e.weight;
        }
        for (size_t k = 0; k < pal.size(); ++k)
            if (acc[k][3] > 0)
                pal[k] = {acc[k][0] / acc[k][3], acc[k][1] / acc[k][3], acc[k][2] / acc[k][3]};
    }
    for (auto &p : pal)
        for (double &v : p)
            v = std::clamp(std::round(v), 0.0, 255.0);
    if (has_black)
        pal.push_back({0, 0, 0});
    // Darkest first: a stable, readable order.
    std::stable_sort(pal.begin(), pal.end(), [](const auto &a, const auto &b) {
        return 0.299 * a[0] + 0.587 * a[1] + 0.114 * a[2] < 0.299 * b[0] + 0.587 * b[1] + 0.114 * b[2];
    });
    pal.erase(std::unique(pal.begin(), pal.end()), pal.end());
    return pal;
}

} // namespace

QImage palettize(const QImage &truecolour, int colours)
{
    const QImage src = truecolour.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    const auto pal = choose_palette(src, std::clamp(colours, 2, 256));

    QImage out(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const auto &p : pal)
        table.append(qRgb(int(p[0]), int(p[1]), int(p[2])));
    out.setColorTable(table);

    // Error carried to the current and the next row (three channels each).
    std::vector<double> cur(size_t(w + 2) * 3), next(size_t(w + 2) * 3);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0.0);
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        uchar *dst = out.scanLine(y);
        const bool ltr = (y % 2) == 0;
        for (int n = 0; n < w; ++n) {
            const int x = ltr ? n : w - 1 - n;
            const int dir = ltr ? 1 : -1;
            const QRgb p = line[x];
            double v[3] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p))};
            if ((p & 0xffffff) == 0) {
                // Keep black sky exact; its share of error is dropped, not spread.
                dst[x] = uchar(nearest(pal, 0, 0, 0));
                continue;
            }
            for (int c = 0; c < 3; ++c)
                v[c] = std::clamp(v[c] + cur[size_t(x + 1) * 3 + c], 0.0, 255.0);
            const int k = nearest(pal, v[0], v[1], v[2]);
            dst[x] = uchar(k);
            for (int c = 0; c < 3; ++c) {
                const double e = v[c] - pal[k][c];
                cur[size_t(x + 1 + dir) * 3 + c] += e * 7 / 16;
                next[size_t(x + 1 - dir) * 3 + c] += e * 3 / 16;
                next[size_t(x + 1) * 3 + c] += e * 5 / 16;
                next[size_t(x + 1 + dir) * 3 + c] += e * 1 / 16;
            }
        }
        std::swap(cur, next);
    }
    return out;
}

double psnr(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size() || x.isNull())
        return 0;
    double se = 0;
    for (int j = 0; j < x.height(); ++j) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(j));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(j));
        for (int i = 0; i < x.width(); ++i) {
            const double dr = qRed(p[i]) - qRed(q[i]);
            const double dg = qGreen(p[i]) - qGreen(q[i]);
            const double db = qBlue(p[i]) - qBlue(q[i]);
            se += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = se / (3.0 * x.width() * x.height());
    return mse <= 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool save_png(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, "png");
    // Qt's PNG writer maps quality 0 to the strongest zlib level.
    writer.setQuality(0);
    return writer.write(image);
}

} // namespace assetgen

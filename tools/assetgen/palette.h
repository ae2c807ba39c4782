#pragma once
// Reduction of true-colour pictures to 8-bit palette PNGs.
#include <QImage>
#include <QString>

namespace assetgen {

// Chooses up to `colours` palette entries for this picture (variance-splitting
// median cut, refined by k-means) and maps it with serpentine Floyd–Steinberg
// error diffusion, so smooth gradients show no bands. Pure black, where the
// picture has it, is kept exact: empty sky stays clean and compresses well.
QImage palettize(const QImage &truecolour, int colours = 256);

// Peak signal-to-noise ratio over the R, G and B channels, in dB.
double psnr(const QImage &a, const QImage &b);

// Writes a PNG at the strongest compression; false when the file cannot be written.
bool save_png(const QImage &image, const QString &path);

} // namespace assetgen

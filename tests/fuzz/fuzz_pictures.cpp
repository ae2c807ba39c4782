// Picture loading into surfaces (scenes, sprite sheet, mask) and the copies the
// engine then makes from a picture of whatever size it turned out to be.
#include "fuzz_support.h"
#include "platform/surface.h"

#include <QImageReader>

namespace {
using platform::surface;

QString picture_file()
{
    static const QString path = fuzz::scratch() + QStringLiteral("picture.png");
    return path;
}

// Loads the bytes the way the engine loads a picture file.
bool load_into(surface &s, const QByteArray &bytes)
{
    QFile f(picture_file());
    fuzz::check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file not writable");
    f.write(bytes);
    f.close();
    return s.load(picture_file());
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::application<QGuiApplication>();
    // Pictures that decode to more than 4 MB are refused, which keeps each run
    // cheap; the program itself uses Qt's limit, which only refuses later.
    QImageReader::setAllocationLimit(4);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application<QGuiApplication>();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    surface picture(3, 2);
    picture.fill(0x123456);
    if (!load_into(picture, bytes)) {
        fuzz::check(picture.width() == 3 && picture.height() == 2 && picture.pixel(2, 1) == 0xff123456u,
                    "a failed load changed the surface");
    } else {
        fuzz::check(!picture.is_null() && picture.image().format() == QImage::Format_RGB32,
                    "a loaded picture is not a 32-bit surface");
    }

    // What the engine does with a scene, the sheet and the mask: copies of
    // catalogue rectangles partly outside either surface, and the scaled draw.
    surface screen(48, 36);
    screen.fill(0x000000);
    const int w = picture.width(), h = picture.height();
    const int offsets[][2] = {{0, 0}, {-5, -7}, {w - 3, h - 2}, {w + 4, 0}, {0, h + 4}};
    for (const auto &o : offsets)
        for (std::uint32_t rop : {platform::SRCAND, platform::SRCPAINT, platform::SRCCOPY})
            platform::BitBlt(screen, -2, 3, 40, 30, picture, o[0], o[1], rop);
    platform::PaintPicture(screen, picture, 0, 0, 48, 36);
    surface empty;
    platform::PaintPicture(screen, empty, 0, 0, 48, 36);
    return 0;
}

#include "assetgen.h"
#include "palette.h"
#include "scenes_render.h"

#include <QDir>
#include <cstdio>

namespace assetgen {

QImage render_scene(int index, int width, int height)
{
    // Supersampling: 2x at full size; small pictures take more samples so that
    // their few pixels still average out fine detail.
    const int ss = width >= 640 ? 2 : (width >= 300 ? 3 : 4);
    Canvas canvas(width, height, ss);
    using Scene = void (*)(Canvas &);
    static constexpr Scene scenes[] = {
        scene_blue_planet,   scene_moonscape,    scene_ringed_giant,    scene_spiral_galaxy,
        scene_emission_nebula, scene_red_planet, scene_asteroid_field, scene_solar_eclipse,
        scene_galactic_band, scene_storm_giant,
    };
    scenes[std::clamp(index, 0, 9)](canvas);
    return canvas.finish();
}

void generate_scenes(const QString &assets_dir, const QString &)
{
    const QDir out(QDir(assets_dir).filePath(QStringLiteral("pictures")));
    for (int i = 0; i < 10; ++i) {
        const QImage truecolour = render_scene(i, 640, 480);
        const QImage indexed = palettize(truecolour);
        const QString path = out.filePath(QStringLiteral("scene%1.png").arg(i));
        if (!save_png(indexed, path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            continue;
        }
        std::printf("  scene%d.png  %d colours, %.1f dB\n", i, int(indexed.colorCount()),
                    psnr(truecolour, indexed));
    }
}

} // namespace assetgen

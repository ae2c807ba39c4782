// zentara-assetgen [--out ASSETS_DIR] [sprites|scenes|pictures|crops|sounds|all]...
#include "assetgen.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    // Offscreen: the generator draws into images only and must run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString out = QStringLiteral(ZENTARA_ASSET_SOURCES "/..");
    QStringList what;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size())
            out = args[++i];
        else
            what << args[i];
    }
    if (what.isEmpty() || what.contains(QLatin1String("all")))
        what = {"sprites", "scenes", "pictures", "crops", "sounds"};

    const QString src = QDir(out).filePath(QStringLiteral("src"));
    QDir(out).mkpath(QStringLiteral("pictures"));
    QDir(out).mkpath(QStringLiteral("sounds"));
    for (const QString &w : what) {
        std::printf("generating %s\n", qPrintable(w));
        if (w == QLatin1String("sprites"))
            assetgen::generate_sprites(out, src);
        else if (w == QLatin1String("scenes"))
            assetgen::generate_scenes(out, src);
        else if (w == QLatin1String("pictures"))
            assetgen::generate_pictures(out, src);
        else if (w == QLatin1String("crops"))
            assetgen::generate_scene_crops(out, src);
        else if (w == QLatin1String("sounds"))
            assetgen::generate_sounds(out, src);
        else {
            std::fprintf(stderr, "unknown asset group: %s\n", qPrintable(w));
            return 2;
        }
    }
    return 0;
}

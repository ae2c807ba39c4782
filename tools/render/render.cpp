// zentara-render: runs the real scene engine headless with the settings of the
// store and a deterministic clock and random source.
//
//   zentara-render --size 1280x720 --frames 200 --seed 7 --out DIR [--every K]
//                  [--trace FILE] [--wallpaper FILE]
//
// --out writes ascreen as DIR/frame_NNNNN.png every K frames; --trace writes one
// JSON object per frame; --wallpaper writes the picture a closing saver leaves.
#include "engine/random.h"
#include "engine/scene_engine.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {
struct options
{
    int width = 1280;
    int height = 720;
    int frames = 100;
    quint64 seed = 1;
    int every = 1;
    QString out, trace, wallpaper;
};

[[noreturn]] void usage(const char *why)
{
    std::fprintf(stderr, "zentara-render: %s\n"
                         "usage: zentara-render [--size WxH] [--frames N] [--seed S] [--out DIR] [--every K]"
                         " [--trace FILE] [--wallpaper FILE]\n", why);
    std::exit(2);
}

options parse(const QStringList &args)
{
    options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                usage("missing value");
            return args[++i];
        };
        bool ok = true;
        if (a == "--size") {
            const QStringList wh = value().split('x');
            if (wh.size() != 2)
                usage("--size takes WxH");
            o.width = wh[0].toInt(&ok);
            o.height = ok ? wh[1].toInt(&ok) : 0;
        } else if (a == "--frames") o.frames = value().toInt(&ok);
        else if (a == "--seed") o.seed = value().toULongLong(&ok);
        else if (a == "--every") o.every = value().toInt(&ok);
        else if (a == "--out") o.out = value();
        else if (a == "--trace") o.trace = value();
        else if (a == "--wallpaper") o.wallpaper = value();
        else usage(qPrintable("unknown option " + a));
        if (!ok || o.width <= 0 || o.height <= 0 || o.frames < 0 || o.every <= 0)
            usage(qPrintable("bad value for " + a));
    }
    return o;
}

QJsonObject frame_object(int n, const engine::scene_engine &e)
{
    QJsonArray counts;
    for (int k = 1; k <= 12; ++k)
        counts.append(e.kind_count[k]);
    QJsonArray live;
    for (int s = 1; s <= e.sprite_count; ++s) {
        if (e.sprite_alive[s] == 0)
            continue;
        live.append(QJsonObject{
            {"slot", s}, {"sprite_kind", e.sprite_kind[s]}, {"sprite_image", e.sprite_image[s]},
            {"sprite_x", e.sprite_x[s]}, {"sprite_y", e.sprite_y[s]},
            {"velocity_x", e.velocity_x[s]}, {"velocity_y", e.velocity_y[s]}, {"accel_x", e.accel_x[s]},
            {"drift_velocity_x", e.drift_velocity_x[s]}, {"drift_velocity_y", e.drift_velocity_y[s]},
            {"motion_class", e.motion_class[s]}, {"sprite_anim", e.sprite_anim[s]}, {"sprite_frame", e.sprite_frame[s]},
        });
    }
    return QJsonObject{
        {"frame", n}, {"launch_timer", e.launch_timer}, {"next_launch_kind", e.next_launch_kind},
        {"kind_count", counts}, {"slots", live},
        {"scene_index", e.scene_index}, {"scene_frames", e.scene_frames}, {"transition_effect", e.transition_effect},
        {"scroller_state", e.scroller_state}, {"scroller_countdown", e.scroller_countdown},
        {"caption_index", e.caption_index},
        {"scroller_top", e.twips_per_pixel_y ? e.scroller.top / e.twips_per_pixel_y : e.scroller.top},
    };
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const options o = parse(app.arguments().mid(1));

    // No dialog from a tool: a missing installation path is reported on stderr.
    platform::set_message_box_handler([](const QString &text, const QString &, platform::message_icon) {
        std::fprintf(stderr, "zentara-render: %s\n", qPrintable(QString(text).replace('\n', ' ')));
    });
    bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
    bas_shellcode::load_settings();
    bas_usercode::load_captions();

    engine::mixing_random random(o.seed);
    engine::manual_clock clock;
    engine::scene_engine e(random, clock);
    e.wait_ticks = [&clock](std::int32_t ms) { clock.advance(ms); };
    e.derive_from_settings();
    if (!e.load_pictures(platform::pictures_folder()))
        std::fprintf(stderr, "zentara-render: some pictures are missing in %s\n", qPrintable(platform::pictures_folder()));
    e.activate(o.width, o.height);

    QFile trace(o.trace);
    if (!o.trace.isEmpty() && !trace.open(QIODevice::WriteOnly | QIODevice::Truncate))
        usage("cannot write the trace file");
    if (!o.out.isEmpty())
        QDir().mkpath(o.out);

    for (int n = 1; n <= o.frames; ++n) {
        e.frame();
        clock.advance(bas_shellcode::frame_rate);
        e.judge_input({});
        if (trace.isOpen())
            trace.write(QJsonDocument(frame_object(n, e)).toJson(QJsonDocument::Compact) + '\n');
        if (!o.out.isEmpty() && n % o.every == 0)
            e.ascreen.image().save(QDir(o.out).filePath(QStringLiteral("frame_%1.png").arg(n, 5, 10, QLatin1Char('0'))));
    }
    if (!o.wallpaper.isEmpty()) {
        platform::surface picture;
        e.compose_wallpaper(picture);
        if (!picture.image().save(o.wallpaper))
            usage("cannot write the wallpaper file");
    }
    return 0;
}

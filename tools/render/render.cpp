// zentara-render: runs the real scene engine headless with the settings of the
// store and a deterministic clock and random source.
//
//   zentara-render --size 1280x720 --frames 200 --seed 7 --out DIR [--every K]
//                  [--trace FILE] [--wallpaper FILE] [--write-lists]
//   zentara-render --soak N [--seed S] [--size WxH]
//
// --out writes ascreen as DIR/frame_NNNNN.png every K frames; --trace writes one
// JSON object per frame; --wallpaper writes the picture a closing saver leaves.
// The user's settings and lists are only read; --write-lists lets a first run
// write the default lists as the saver does.
// --soak runs N frames (640 x 480 unless --size says otherwise) and checks the
// engine's invariants after every one; it ends with status 1 and names the frame
// and the invariant at the first one broken.
#include "engine/random.h"
#include "engine/scene_engine.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "tools/render/soak.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <cstdio>

namespace {
struct options
{
    int width = 1280;
    int height = 720;
    int frames = 100;
    quint64 seed = 1;
    int every = 1;
    qint64 soak = -1;
    bool sized = false;
    bool write_lists = false;
    QString out, trace, wallpaper;
};

[[noreturn]] void usage(const char *why)
{
    std::fprintf(stderr, "zentara-render: %s\n"
                         "usage: zentara-render [--size WxH] [--frames N] [--seed S] [--out DIR] [--every K]"
                         " [--trace FILE] [--wallpaper FILE] [--write-lists]\n"
                         "       zentara-render --soak N [--seed S] [--size WxH]\n", why);
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
            o.sized = true;
        } else if (a == "--frames") o.frames = value().toInt(&ok);
        else if (a == "--seed") o.seed = value().toULongLong(&ok);
        else if (a == "--every") o.every = value().toInt(&ok);
        else if (a == "--out") o.out = value();
        else if (a == "--trace") o.trace = value();
        else if (a == "--wallpaper") o.wallpaper = value();
        else if (a == "--soak") { o.soak = value().toLongLong(&ok); ok = ok && o.soak >= 0; }
        else if (a == "--write-lists") o.write_lists = true;
        else usage(qPrintable("unknown option " + a));
        if (!ok || o.width <= 0 || o.height <= 0 || o.frames < 0 || o.every <= 0)
            usage(qPrintable("bad value for " + a));
    }
    if (o.soak >= 0 && !o.sized) {
        o.width = 640;
        o.height = 480;
    }
    return o;
}

// Runs the frames of a soak; the exit status of the program.
int run_soak(engine::scene_engine &e, engine::manual_clock &clock, std::int32_t period, qint64 frames, quint64 seed)
{
    soak::checker checker(e);
    QElapsedTimer timer;
    timer.start();
    const QString broken_at_start = checker.check(true);
    if (!broken_at_start.isEmpty()) {
        std::fprintf(stderr, "zentara-render: soak seed %llu: before frame 1: %s\n", seed, qPrintable(broken_at_start));
        return 1;
    }
    for (qint64 n = 1; n <= frames; ++n) {
        e.frame();
        clock.advance(period);
        e.judge_input({});
        const QString broken = checker.check(n % 256 == 0 || n == frames);
        if (!broken.isEmpty()) {
            std::fprintf(stderr, "zentara-render: soak seed %llu: frame %lld: %s\n", seed, n, qPrintable(broken));
            return 1;
        }
    }
    std::printf("zentara-render: soak seed %llu: %lld frames at %d x %d, every invariant held (%.1f s)\n", seed, frames,
                e.screen_width, e.screen_height, timer.elapsed() / 1000.0);
    return 0;
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
    bas_shellcode::load_settings(o.write_lists);
    bas_usercode::load_captions();

    engine::mixing_random random(o.seed);
    engine::manual_clock clock;
    engine::scene_engine e(random, clock);
    e.wait_ticks = [&clock](std::int32_t ms) { clock.advance(ms); };
    e.derive_from_settings();
    e.load_pictures(platform::pictures_folder()); // names every picture it cannot read
    e.activate(o.width, o.height);
    const std::int32_t period = engine::scene_engine::frame_period_of(bas_shellcode::frame_rate);
    if (o.soak >= 0)
        return run_soak(e, clock, period, o.soak, o.seed);

    QFile trace(o.trace);
    if (!o.trace.isEmpty() && !trace.open(QIODevice::WriteOnly | QIODevice::Truncate))
        usage("cannot write the trace file");
    if (!o.out.isEmpty())
        QDir().mkpath(o.out);

    for (int n = 1; n <= o.frames; ++n) {
        e.frame();
        clock.advance(period);
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

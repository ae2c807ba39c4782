// Inputs at their extremes: markup and huge captions, stored settings at the
// ends of their range, unreadable pictures, and the order of the star's draws.
#include "engine/frm_screensaver.h"
#include "engine_fixture.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using test_engine::fixture;

namespace {

// Runs the real saver until `until` holds (checked every few milliseconds), then
// presses keys until it ends. False when it did not end in time.
bool run_saver(frm_screensaver &w, const std::function<bool()> &until = {}, int timeout_ms = 15000)
{
    w.password_required = [] { return false; };
    QTimer probe;
    bool reached = !until;
    QObject::connect(&probe, &QTimer::timeout, &w, [&] {
        if (!reached && until())
            reached = true;
        if (reached)
            QTest::keyClick(w.ascreen, Qt::Key_A); // repeated: a key in the frame that closes an input window is forgotten
    });
    probe.start(reached ? 300 : 5);
    QElapsedTimer t;
    t.start();
    w.show_saver();
    while (bas_shellcode::saver_active && t.elapsed() < timeout_ms)
        QTest::qWait(20);
    return !bas_shellcode::saver_active;
}

void set_captions(const QStringList &captions)
{
    QFile f(bas_usercode::captions_file());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString &c : captions)
        f.write(c.toLocal8Bit() + "\r\n");
}

// What the process writes to its standard error while `fn` runs.
QByteArray stderr_of(const std::function<void()> &fn)
{
    QTemporaryFile file;
    if (!file.open())
        return "cannot capture";
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    fn();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class tst_bounds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        bas_shellcode::save_setting("install_path", test_env::assets_dir() + "/sounds/");
        bas_shellcode::save_setting("run_once", "1");
        bas_shellcode::save_setting("audio_on", "0");
        bas_shellcode::save_setting("scroller_delay", "0"); // the first caption starts in the first frame
        bas_shellcode::save_setting("frame_rate", "20");
    }

    void star_draws_its_slot_and_chance_every_frame()
    {
        fixture f;
        f.eng.launch_timer = 0; // no launch in these frames
        f.place(1, 3, 100, 100);
        f.eng.velocity_x[1] = f.eng.velocity_y[1] = 0;
        // Frame 1: slot 1 (taken), then the chance (0.95: no star) is drawn all the same.
        // Frame 2: slot 13 (free), chance 0.05: a star.
        f.random.script({0.0, 0.95, 0.5, 0.05, 0.0, 0.0});
        f.eng.move_sprites();
        QCOMPARE(f.random.draws, 2);
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_kind[13], std::int16_t(12));
        QCOMPARE(f.eng.sprite_alive[13], 1);
        QCOMPARE(f.eng.kind_count[12], std::int16_t(1));
    }

    // An object faster than the band's margin leaves it from a place still on
    // the screen: the screen must not keep its last picture.
    void fast_object_leaves_nothing_behind_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("vx");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("vy");
        QTest::newRow("right edge") << 775.0 << 20.0 << 100.0 << 0.0;
        QTest::newRow("left edge") << -119.0 << -20.0 << 100.0 << 0.0;
        QTest::newRow("bottom edge") << 300.0 << 0.0 << 575.0 << 20.0;
        QTest::newRow("top edge") << 300.0 << 0.0 << -35.0 << -20.0;
    }
    void fast_object_leaves_nothing_behind()
    {
        QFETCH(double, x);
        QFETCH(double, vx);
        QFETCH(double, y);
        QFETCH(double, vy);
        fixture f(800, 600);
        f.eng.sprite.fill(0xffffff); // every image a solid white block
        f.eng.mask.fill(0);
        f.eng.launch_timer = 0;
        f.place(1, 11, x, y); // 144 x 60
        f.eng.velocity_x[1] = vx;
        f.eng.velocity_y[1] = vy;
        f.eng.frame();
        QCOMPARE(f.eng.sprite_alive[1], 1);
        QVERIFY(f.eng.ascreen.image() != f.eng.background_copy.image()); // partly on the screen
        f.eng.frame();
        QCOMPARE(f.eng.sprite_alive[1], 0);
        QVERIFY(f.eng.ascreen.image() == f.eng.background_copy.image());
    }

    void caption_is_cut_to_what_the_band_shows_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("shown");
        QTest::newRow("short") << "Welcome" << 7;
        QTest::newRow("as wide as the band") << QString(800, 'w') << 800;
        QTest::newRow("a million characters") << QString(1'000'000, 'x') << 800;
        // A character outside the basic plane is never cut in half.
        QTest::newRow("astral character at the cut") << (QString(799, 'a') + QString::fromUcs4(U"\U0001F680") + "tail") << 799;
    }
    void caption_is_cut_to_what_the_band_shows()
    {
        QFETCH(QString, caption);
        QFETCH(int, shown);
        fixture f(800, 600);
        bas_shellcode::scroller_active = 1;
        bas_usercode::caption_list[1] = caption;
        bas_usercode::caption_count = 1;
        f.eng.scroller_countdown = 0;
        f.eng.handle_scroller();
        QCOMPARE(f.eng.scroller.text.size(), shown);
        QVERIFY(caption.startsWith(f.eng.scroller.text));
        bas_usercode::caption_count = 0;
    }

    void captions_show_as_plain_text_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("tags") << "a <b> c";
        QTest::newRow("picture") << "<img src=\"" + QDir::temp().filePath("zentara-tst-bounds-red.png") + "\" width=\"300\" height=\"20\">";
        QTest::newRow("entities and a table") << "&lt;x&gt; <table><tr><td>cell</td></tr></table>";
    }
    void captions_show_as_plain_text()
    {
        QFETCH(QString, caption);
        QImage red(40, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(QDir::temp().filePath("zentara-tst-bounds-red.png")));
        set_captions({caption});

        frm_screensaver w;
        QImage band;
        QVERIFY(run_saver(w, [&] {
            if (!w.scroller->isVisible() || w.scroller->text().isEmpty())
                return false;
            band = w.scroller->grab().toImage();
            return true;
        }));
        QFile::remove(QDir::temp().filePath("zentara-tst-bounds-red.png"));
        QVERIFY(!band.isNull());

        // The band looks exactly like a plain-text label of the same text.
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setAlignment(w.scroller->alignment());
        plain.setAutoFillBackground(true);
        plain.setPalette(w.scroller->palette());
        plain.setFont(w.scroller->font());
        plain.resize(w.scroller->size());
        plain.setText(caption);
        QCOMPARE(band, plain.grab().toImage());
        // Nothing was loaded from a file named in it.
        for (int y = 0; y < band.height(); ++y)
            for (int x = 0; x < band.width(); ++x)
                QVERIFY2(band.pixel(x, y) != qRgb(255, 0, 0), "the caption loaded a picture");
    }

    void huge_caption_keeps_frames_light()
    {
        set_captions({QString(1'000'000, 'W')});
        frm_screensaver w;
        QElapsedTimer t;
        qint64 first = -1, frames_at_first = 0, rise_ms = -1, rise_frames = 0;
        QVERIFY(run_saver(w, [&] {
            if (first < 0 && w.scroller->isVisible()) {
                first = 0;
                frames_at_first = w.frames_run;
                t.start();
            }
            if (first >= 0 && w.scene().scroller_state == 2) {
                rise_ms = t.elapsed();
                rise_frames = w.frames_run - frames_at_first;
                return true;
            }
            return false;
        }, 60000));
        QVERIFY(rise_frames > 10);
        qInfo("the band rose in %lld frames and %lld ms", rise_frames, rise_ms);
        // The label holds no more than one band's width of text.
        QVERIFY(w.scroller->text().size() <= w.scene().screen_width);
        QVERIFY(w.scroller->text().endsWith(QChar(0x2026)));
        QVERIFY2(rise_ms < rise_frames * 150, "frames with the caption band took far too long");
        set_captions({});
    }

    void stored_extremes_give_a_working_saver_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString min = QString::number(INT_MIN), max = QString::number(INT_MAX);
        QTest::newRow("frame_rate lowest") << "frame_rate" << min;
        QTest::newRow("frame_rate -1") << "frame_rate" << "-1";
        QTest::newRow("frame_rate 0") << "frame_rate" << "0";
        QTest::newRow("frame_rate highest") << "frame_rate" << max;
        QTest::newRow("audio_seconds 0") << "audio_seconds" << "0";
        QTest::newRow("audio_seconds lowest") << "audio_seconds" << min;
        QTest::newRow("audio_seconds highest") << "audio_seconds" << max;
        QTest::newRow("scroller_delay lowest") << "scroller_delay" << min;
        QTest::newRow("cycle_speed_value highest") << "cycle_speed_value" << max;
        QTest::newRow("object_frequency wraps to the lowest") << "object_frequency" << "268435456";
    }
    void stored_extremes_give_a_working_saver()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        set_captions({"Hello"});
        bas_shellcode::save_setting("audio_on", "1");
        bas_shellcode::save_setting(key, value);
        frm_screensaver w;
        // The saver draws frames, and a key ends it.
        const bool ended = run_saver(w, [&] { return w.frames_run >= 3; });
        const QMap<QString, QString> usual{{"frame_rate", "20"}, {"audio_seconds", "15"}, {"scroller_delay", "0"},
                                           {"cycle_speed_value", "13"}, {"object_frequency", "5"}};
        bas_shellcode::save_setting(key, usual.value(key));
        bas_shellcode::save_setting("audio_on", "0");
        QVERIFY2(ended, "the saver did not end");
        QVERIFY(w.frames_run >= 3);
    }

    void unreadable_pictures_are_named()
    {
        QTemporaryDir dir;
        const QDir shipped(test_env::assets_dir() + "/pictures");
        for (const QString &name : shipped.entryList({"*.png"}, QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(name), dir.filePath(name)));
        QVERIFY(QFile::remove(dir.filePath("scene3.png")));
        {
            QFile broken(dir.filePath("scene5.png"));
            QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
            broken.write("\x89PNG\r\n\x1a\n but nothing after it");
        }
        test_engine::scripted_random random;
        random.fallback = 0.3;
        engine::manual_clock clock;
        engine::scene_engine e(random, clock);
        bool all = true;
        const QByteArray said = stderr_of([&] { all = e.load_pictures(dir.path()); });
        QVERIFY(!all);
        QList<QByteArray> lines;
        for (const QByteArray &line : said.split('\n'))
            if (line.contains("cannot read the picture"))
                lines << line;
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].contains(QFile::encodeName(dir.filePath("scene3.png"))));
        QVERIFY(lines[1].contains(QFile::encodeName(dir.filePath("scene5.png"))));

        // The saver runs on through every scene, the missing ones black.
        e.activate(320, 240);
        e.scene_duration = 0;
        for (int n = 0; n < 25; ++n) {
            e.frame();
            e.judge_input({});
        }
        QVERIFY(e.scene_frames >= 0);
    }
};

QTEST_MAIN(tst_bounds)
#include "tst_bounds.moc"

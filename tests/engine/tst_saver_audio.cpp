// The saver's sound picks, heard through SDL's disk driver: the rules of the
// timer's pick with a scripted random source, then a run of the real saver window.
#include "engine/frm_screensaver.h"
#include "engine/saver_audio.h"
#include "platform/os.h"
#include "platform/sound_system.h"
#include "platform/sound_fixtures.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <deque>

using platform::media_device;
using namespace sound_fixtures;

namespace {

// Hands out the scripted draws and records the order of reseeds and draws.
class scripted_random final : public engine::random_source
{
public:
    std::deque<double> draws;
    QStringList calls;
    double next() override
    {
        calls << QStringLiteral("draw");
        const double r = draws.empty() ? 0.0 : draws.front();
        if (!draws.empty())
            draws.pop_front();
        return r;
    }
    void mix_clock(std::int32_t ticks) override { calls << QStringLiteral("reseed %1").arg(ticks); }
};

struct fixture
{
    scripted_random random;
    engine::manual_clock clock;
    saver_audio audio{random, clock};

    // One pick from the list with the draw r.
    void tick(double r)
    {
        random.draws.push_back(r);
        audio.Timer1_Timer();
    }
};

void set_audio_list(const QStringList &files)
{
    bas_usercode::audio_count = static_cast<std::int32_t>(files.size());
    for (int i = 0; i < files.size(); ++i)
        bas_usercode::audio_list[static_cast<std::size_t>(i + 1)] = files[i];
}

bool untouched(const media_device &device) { return device.Mode() == media_device::mode_not_open && device.FileName.isEmpty(); }

} // namespace

class tst_saver_audio : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    disk_output disk_{dir_.filePath(QStringLiteral("played.raw"))};
    int message_boxes_ = 0;

    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir_.filePath(QStringLiteral("played.raw"))));
        platform::set_message_box_handler([this](const QString &, const QString &, platform::message_icon) { ++message_boxes_; });
        QVERIFY(write_file(path("tone.wav"), tone_wav(0.6, 440)));
        QVERIFY(write_file(path("other.wav"), tone_wav(0.6, 550)));
        QVERIFY(write_file(path("long.wav"), tone_wav(2.0, 330)));
        QVERIFY(write_file(path("chord.mid"), chord_midi()));
        QVERIFY(write_file(path("other.mid"), chord_midi()));
        QVERIFY(write_file(path("words.txt"), "no sound in here\n"));
        QVERIFY(platform::sound_available());
    }

    void init()
    {
        bas_shellcode::audio_on = QStringLiteral("1");
        bas_usercode::wav_playing = 0;
        bas_usercode::midi_playing = 0;
        set_audio_list({});
    }

    void pick_goes_by_draw_and_name_ending_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("wave");
        QTest::addColumn<QString>("file");
        const QStringList three{"/s/a.wav", "/s/b.mid", "/s/c.wav"};
        QTest::newRow("r 0: first entry") << three << 0.0 << true << "/s/a.wav";
        QTest::newRow("r 0.5 of 3: second") << three << 0.5 << false << "/s/b.mid";
        QTest::newRow("r just below 1: last") << three << 0.9999999 << true << "/s/c.wav";
        QTest::newRow("upper-case WAV") << QStringList{"/s/LOUD.WAV"} << 0.0 << true << "/s/LOUD.WAV";
        QTest::newRow("mixed-case wav") << QStringList{"/s/x.WaV"} << 0.0 << true << "/s/x.WaV";
        QTest::newRow("name ending in wav, no dot") << QStringList{"/s/my_wav"} << 0.0 << true << "/s/my_wav";
        QTest::newRow("rmi") << QStringList{"/s/song.rmi"} << 0.0 << false << "/s/song.rmi";
        QTest::newRow("any other ending") << QStringList{"/s/song.mp3"} << 0.0 << false << "/s/song.mp3";
        QTest::newRow("wav inside the name") << QStringList{"/s/wav.mid"} << 0.0 << false << "/s/wav.mid";
        QTest::newRow("name shorter than three") << QStringList{"av"} << 0.0 << false << "av";
    }

    void pick_goes_by_draw_and_name_ending()
    {
        QFETCH(QStringList, list);
        QFETCH(double, r);
        QFETCH(bool, wave);
        QFETCH(QString, file);
        fixture f;
        f.clock.ticks = 123456;
        set_audio_list(list);
        f.tick(r);
        // The generator takes in the clock before every draw.
        QCOMPARE(f.random.calls, (QStringList{"reseed 123456", "draw"}));
        media_device &chosen = wave ? f.audio.MMControl2 : f.audio.MMControl1;
        media_device &other = wave ? f.audio.MMControl1 : f.audio.MMControl2;
        QCOMPARE(chosen.FileName, file);
        QCOMPARE(chosen.DeviceType, wave ? QStringLiteral("WaveAudio") : QStringLiteral("Sequencer"));
        QCOMPARE(wave ? bas_usercode::wav_playing : bas_usercode::midi_playing, 1);
        QVERIFY(untouched(other));
        QCOMPARE(wave ? bas_usercode::midi_playing : bas_usercode::wav_playing, 0);
    }

    void no_device_is_touched_data()
    {
        QTest::addColumn<QString>("audio_on");
        QTest::addColumn<bool>("empty_list");
        QTest::newRow("audio_on 0") << "0" << false;
        QTest::newRow("audio_on 0.0") << "0.0" << false;
        QTest::newRow("empty list") << "1" << true;
    }

    void no_device_is_touched()
    {
        QFETCH(QString, audio_on);
        QFETCH(bool, empty_list);
        fixture f;
        bas_shellcode::audio_on = audio_on;
        set_audio_list(empty_list ? QStringList() : QStringList{path("tone.wav"), path("chord.mid")});
        const qint64 from = disk_.position();
        for (double r : {0.0, 0.9})
            f.tick(r);
        QTest::qWait(300);
        QVERIFY(f.random.calls.isEmpty());
        QVERIFY(untouched(f.audio.MMControl1));
        QVERIFY(untouched(f.audio.MMControl2));
        QCOMPARE(bas_usercode::wav_playing, 0);
        QCOMPARE(bas_usercode::midi_playing, 0);
        QVERIFY(disk_.peak(from, disk_.position()) <= k_silent_peak);
    }

    void pick_of_a_playing_kind_is_dropped_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("wave");
        QTest::newRow("wave") << path("tone.wav") << path("other.wav") << true;
        QTest::newRow("midi") << path("chord.mid") << path("other.mid") << false;
    }

    void pick_of_a_playing_kind_is_dropped()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, wave);
        fixture f;
        media_device &device = wave ? f.audio.MMControl2 : f.audio.MMControl1;
        const std::int32_t &flag = wave ? bas_usercode::wav_playing : bas_usercode::midi_playing;
        set_audio_list({first, second});
        f.tick(0.0);
        QCOMPARE(device.FileName, first);
        QTest::qWait(300);
        f.tick(0.9); // while the first still plays: lost, not queued
        QCOMPARE(device.FileName, first);
        QCOMPARE(device.Mode(), media_device::mode_playing);
        QTRY_COMPARE_WITH_TIMEOUT(flag, 0, 10000);
        QCOMPARE(device.FileName, first);
        const qint64 from = disk_.position();
        f.tick(0.9);
        QCOMPARE(device.FileName, second);
        QCOMPARE(flag, 1);
        QTRY_COMPARE_WITH_TIMEOUT(flag, 0, 10000);
        QVERIFY(disk_.peak(from, disk_.position()) >= k_audible_peak);
    }

    void wave_and_midi_play_together()
    {
        fixture f;
        set_audio_list({path("long.wav"), path("chord.mid")});
        f.tick(0.0);
        f.tick(0.5);
        const qint64 from = disk_.position();
        QTest::qWait(400);
        QCOMPARE(f.audio.MMControl2.Mode(), media_device::mode_playing);
        QCOMPARE(f.audio.MMControl1.Mode(), media_device::mode_playing);
        QCOMPARE(bas_usercode::wav_playing, 1);
        QCOMPARE(bas_usercode::midi_playing, 1);
        QVERIFY(disk_.peak(from, disk_.position()) >= k_audible_peak);
        // While both play, every pick is dropped.
        f.tick(0.0);
        f.tick(0.5);
        QCOMPARE(f.random.calls.count(QStringLiteral("draw")), 4);
        QCOMPARE(f.audio.MMControl2.Mode(), media_device::mode_playing);
        QCOMPARE(f.audio.MMControl1.Mode(), media_device::mode_playing);
        QTRY_COMPARE_WITH_TIMEOUT(bas_usercode::wav_playing + bas_usercode::midi_playing, 0, 10000);
    }

    void flag_clears_only_on_mode_525()
    {
        fixture f;
        media_device &wave = f.audio.MMControl2;
        f.audio.launch_wav(path("tone.wav"));
        QCOMPARE(bas_usercode::wav_playing, 1);
        emit wave.StatusUpdate(); // playing
        QCOMPARE(bas_usercode::wav_playing, 1);
        QTRY_COMPARE_WITH_TIMEOUT(wave.Mode(), media_device::mode_stopped, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(bas_usercode::wav_playing, 0, 1000);

        f.audio.launch_wav(path("tone.wav"));
        wave.Command(QStringLiteral("Close"));
        emit wave.StatusUpdate(); // not open
        QCOMPARE(bas_usercode::wav_playing, 1);
    }

    void unplayable_pick_stays_silent_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<bool>("wave");
        QTest::newRow("missing wave") << path("missing.wav") << true;
        QTest::newRow("missing midi") << path("missing.mid") << false;
        QTest::newRow("not a sound") << path("words.txt") << false;
    }

    void unplayable_pick_stays_silent()
    {
        QFETCH(QString, bad);
        QFETCH(bool, wave);
        fixture f;
        const std::int32_t &flag = wave ? bas_usercode::wav_playing : bas_usercode::midi_playing;
        set_audio_list({bad, wave ? path("tone.wav") : path("chord.mid")});
        const qint64 from = disk_.position();
        f.tick(0.0);
        QCOMPARE(flag, 1);
        QTRY_COMPARE_WITH_TIMEOUT(flag, 0, 5000); // reported stopped: the kind is free again
        QVERIFY(disk_.peak(from, disk_.position()) <= k_silent_peak);
        QCOMPARE(message_boxes_, 0);
        const qint64 next = disk_.position();
        f.tick(0.9);
        QCOMPARE(flag, 1);
        QTRY_COMPARE_WITH_TIMEOUT(flag, 0, 10000);
        QVERIFY(disk_.peak(next, disk_.position()) >= k_audible_peak);
    }

    void audio_off_data()
    {
        QTest::addColumn<QString>("audio_on");
        QTest::addColumn<bool>("closes");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("1.0") << "1.0" << true;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("0") << "0" << false;
    }

    void audio_off()
    {
        QFETCH(QString, audio_on);
        QFETCH(bool, closes);
        fixture f;
        f.audio.launch_wav(path("long.wav"));
        f.audio.launch_midi(path("chord.mid"));
        QTest::qWait(200);
        bas_shellcode::audio_on = audio_on;
        f.audio.audio_off();
        const int expected = closes ? media_device::mode_not_open : media_device::mode_playing;
        QCOMPARE(f.audio.MMControl1.Mode(), expected);
        QCOMPARE(f.audio.MMControl2.Mode(), expected);
        const qint64 off = disk_.position();
        QTest::qWait(500);
        // The flags are left as they were.
        QCOMPARE(bas_usercode::wav_playing, 1);
        QCOMPARE(bas_usercode::midi_playing, 1);
        const int peak = disk_.peak(disk_output::after(off, 0.15), disk_.position());
        QVERIFY(closes ? peak <= k_silent_peak : peak >= k_audible_peak);
    }

    void timer_follows_audio_seconds_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::newRow("1 s") << 1 << 1000;
        QTest::newRow("60 s") << 60 << 60000;
        QTest::newRow("0: no timer") << 0 << -1;
        QTest::newRow("negative: no timer") << -5 << -1;
    }

    void timer_follows_audio_seconds()
    {
        QFETCH(int, seconds);
        QFETCH(int, interval);
        fixture f;
        bas_shellcode::audio_seconds = seconds;
        f.audio.start_timer();
        bas_shellcode::audio_seconds = 15;
        QCOMPARE(f.audio.Timer1.isActive(), interval > 0);
        if (interval > 0)
            QCOMPARE(f.audio.Timer1.interval(), interval);
    }

    // The real window with the default audio list (install_path/zara1.wav ...
    // zara9.wav) and a pick every second.
    void saver_window_plays_the_default_sounds()
    {
        const QString sounds = test_env::assets_dir() + QStringLiteral("/sounds/");
        QVERIFY(QFileInfo::exists(sounds + QStringLiteral("zara1.wav")));
        bas_shellcode::save_setting(QStringLiteral("install_path"), sounds);
        bas_shellcode::save_setting(QStringLiteral("audio_seconds"), QStringLiteral("1"));
        frm_screensaver w;
        w.password_required = [] { return false; };
        // Keys until the saver ends: a key press in the frame that closes an
        // 80-frame input window is forgotten by design.
        QTimer keys;
        keys.setInterval(200);
        connect(&keys, &QTimer::timeout, &w, [&] { QTest::keyClick(w.ascreen, Qt::Key_A); });
        QTimer::singleShot(3500, &keys, qOverload<>(&QTimer::start));
        const qint64 shown = disk_.position();
        w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 15000);
        keys.stop();
        const qint64 closed = disk_.position();
        QTest::qWait(500);

        saver_audio &audio = w.audio();
        QVERIFY2(disk_.peak(shown, disk_output::after(shown, 0.8)) <= k_silent_peak, "a pick came before audio_seconds had passed");
        QVERIFY(disk_.peak(disk_output::after(shown, 1.2), closed) >= k_audible_peak);
        QVERIFY(audio.MMControl2.FileName.startsWith(sounds + QStringLiteral("zara")));
        QCOMPARE(audio.MMControl2.DeviceType, QStringLiteral("WaveAudio"));
        QVERIFY(untouched(audio.MMControl1)); // the default list holds wave files only
        // Unloading closed both devices and stopped the picks.
        QCOMPARE(audio.MMControl2.Mode(), media_device::mode_not_open);
        QVERIFY(!audio.Timer1.isActive());
        QVERIFY(disk_.peak(disk_output::after(closed, 0.15), disk_.position()) <= k_silent_peak);
        QCOMPARE(message_boxes_, 0);
    }
};

QTEST_MAIN(tst_saver_audio)
#include "tst_saver_audio.moc"

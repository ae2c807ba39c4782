// Media devices and the system sound player, heard through SDL's disk driver.
#include "platform/media_device.h"
#include "platform/os.h"
#include "platform/sound_system.h"
#include "sound_fixtures.h"
#include "test_env.h"

#include <QtTest>

using platform::media_device;
using namespace sound_fixtures;

namespace {

// The modes a device showed at its status notices, and where they ran.
struct status_log
{
    QList<int> modes;
    bool off_gui_thread = false;

    explicit status_log(media_device &device)
    {
        QObject::connect(&device, &media_device::StatusUpdate, &device, [this, &device] {
            modes << device.Mode();
            off_gui_thread |= QThread::currentThread() != qApp->thread();
        });
    }
};

// The calls of a start, timed: they must never hold up a frame.
double start(media_device &device, const QString &device_type, const QString &file)
{
    QElapsedTimer t;
    t.start();
    device.Command(QStringLiteral("Close"));
    device.DeviceType = device_type;
    device.FileName = file;
    device.Command(QStringLiteral("Open"));
    device.Command(QStringLiteral("Play"));
    return t.nsecsElapsed() / 1e6;
}

// Well inside a 45 ms frame, and far below a blocking MIDI load (about 90 ms);
// the margin allows for a busy machine.
constexpr double k_frame_budget_ms = 30;

} // namespace

class tst_media_device : public QObject
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
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir_.filePath(QStringLiteral("played.raw"))));
        platform::set_message_box_handler([this](const QString &, const QString &, platform::message_icon) { ++message_boxes_; });
        QVERIFY(write_file(path("short.wav"), tone_wav(0.25, 660)));
        QVERIFY(write_file(path("tone.wav"), tone_wav(0.6, 440)));
        QVERIFY(write_file(path("long.wav"), tone_wav(2.5, 330)));
        QVERIFY(write_file(path("chord.mid"), chord_midi()));
        QVERIFY(write_file(path("chord.rmi"), chord_rmi()));
        QVERIFY(write_file(path("words.txt"), "just words, no sound\n"));
        QVERIFY(write_file(path("empty.wav"), QByteArray()));
        QVERIFY2(QFileInfo(platform::soundfont_path()).isFile(), "no General MIDI soundfont (run scripts/setup)");
    }

    void plays_audibly_to_the_end_data()
    {
        QTest::addColumn<QString>("device_type");
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("length");
        // The first row also opens the sound output: that must not hold up the caller either.
        QTest::newRow("wave") << "WaveAudio" << path("tone.wav") << 0.6;
        QTest::newRow("wave, kind in lower case") << "waveaudio" << path("tone.wav") << 0.6;
        QTest::newRow("midi") << "Sequencer" << path("chord.mid") << 0.5;
        QTest::newRow("riff midi") << "Sequencer" << path("chord.rmi") << 0.5;
    }

    void plays_audibly_to_the_end()
    {
        QFETCH(QString, device_type);
        QFETCH(QString, file);
        QFETCH(double, length);
        media_device device;
        status_log log(device);
        const qint64 from = disk_.position();
        QElapsedTimer playing;
        playing.start();
        QVERIFY(start(device, device_type, file) < k_frame_budget_ms);
        QCOMPARE(device.Mode(), media_device::mode_playing);
        QTRY_COMPARE_WITH_TIMEOUT(device.Mode(), media_device::mode_stopped, 10000);
        QVERIFY2(playing.elapsed() >= length * 1000 - 50, "the sound ended early");
        QTest::qWait(600);
        QVERIFY(disk_.peak(from, disk_.position()) >= k_audible_peak);
        // Notices while playing, then exactly one after the end.
        QVERIFY(log.modes.size() >= 2);
        QCOMPARE(log.modes.count(media_device::mode_stopped), 1);
        QCOMPARE(log.modes.last(), media_device::mode_stopped);
        QVERIFY(!log.off_gui_thread);
        QVERIFY(platform::sound_available());
    }

    void devices_play_side_by_side_data()
    {
        QTest::addColumn<QString>("first_type");
        QTest::addColumn<QString>("first_file");
        QTest::addColumn<QString>("second_type");
        QTest::addColumn<QString>("second_file");
        QTest::addColumn<bool>("first_cut");
        QTest::newRow("wave and midi") << "WaveAudio" << path("long.wav") << "Sequencer" << path("chord.mid") << false;
        QTest::newRow("two waves") << "WaveAudio" << path("long.wav") << "WaveAudio" << path("tone.wav") << false;
        // There is one music stream: the newer MIDI file takes it, and the older device says it stopped.
        QTest::newRow("two midi files") << "Sequencer" << path("chord.mid") << "Sequencer" << path("chord.rmi") << true;
    }

    void devices_play_side_by_side()
    {
        QFETCH(QString, first_type);
        QFETCH(QString, first_file);
        QFETCH(QString, second_type);
        QFETCH(QString, second_file);
        QFETCH(bool, first_cut);
        media_device first;
        media_device second;
        status_log first_log(first);
        start(first, first_type, first_file);
        QTest::qWait(400);
        QCOMPARE(first.Mode(), media_device::mode_playing);
        const qint64 together = disk_.position();
        start(second, second_type, second_file);
        QTest::qWait(400);
        QCOMPARE(second.Mode(), media_device::mode_playing);
        QCOMPARE(first.Mode(), first_cut ? media_device::mode_stopped : media_device::mode_playing);
        QCOMPARE(first_log.modes.count(media_device::mode_stopped), first_cut ? 1 : 0);
        QVERIFY(disk_.peak(together, disk_.position()) >= k_audible_peak);
    }

    void unplayable_files_stay_silent_data()
    {
        QTest::addColumn<QString>("device_type");
        QTest::addColumn<QString>("file");
        QTest::newRow("missing wave") << "WaveAudio" << path("missing.wav");
        QTest::newRow("missing midi") << "Sequencer" << path("missing.mid");
        QTest::newRow("text as wave") << "WaveAudio" << path("words.txt");
        QTest::newRow("text as midi") << "Sequencer" << path("words.txt");
        QTest::newRow("empty file") << "WaveAudio" << path("empty.wav");
        QTest::newRow("midi on the wave device") << "WaveAudio" << path("chord.mid");
        QTest::newRow("wave on the midi device") << "Sequencer" << path("tone.wav");
        QTest::newRow("unknown kind of device") << "CDAudio" << path("tone.wav");
        QTest::newRow("no file name") << "WaveAudio" << QString();
        QTest::newRow("a folder") << "WaveAudio" << dir_.path();
    }

    void unplayable_files_stay_silent()
    {
        QFETCH(QString, device_type);
        QFETCH(QString, file);
        media_device device;
        status_log log(device);
        const qint64 from = disk_.position();
        QVERIFY(start(device, device_type, file) < k_frame_budget_ms);
        // Reported stopped, once, so that a playing flag can clear.
        QTRY_COMPARE_WITH_TIMEOUT(device.Mode(), media_device::mode_stopped, 5000);
        QTest::qWait(300);
        QCOMPARE(log.modes.count(media_device::mode_stopped), 1);
        QVERIFY(disk_.peak(from, disk_.position()) <= k_silent_peak);
        QCOMPARE(message_boxes_, 0);
        // The device goes on working.
        const qint64 again = disk_.position();
        start(device, QStringLiteral("WaveAudio"), path("short.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(device.Mode(), media_device::mode_stopped, 5000);
        QVERIFY(disk_.peak(again, disk_.position()) >= k_audible_peak);
    }

    void close_silences_at_once_data()
    {
        QTest::addColumn<int>("play_ms");
        QTest::newRow("while playing") << 300;
        QTest::newRow("before the file is ready") << 0;
    }

    void close_silences_at_once()
    {
        QFETCH(int, play_ms);
        media_device device;
        status_log log(device);
        const qint64 from = disk_.position();
        start(device, QStringLiteral("WaveAudio"), path("long.wav"));
        if (play_ms > 0)
            QTest::qWait(play_ms);
        device.Command(QStringLiteral("Close"));
        QCOMPARE(device.Mode(), media_device::mode_not_open);
        const qint64 closed = disk_.position();
        QTest::qWait(800);
        QCOMPARE(device.Mode(), media_device::mode_not_open);
        QCOMPARE(log.modes.count(media_device::mode_stopped), 0);
        QVERIFY(disk_.peak(disk_output::after(closed, 0.15), disk_.position()) <= k_silent_peak);
        if (play_ms == 0)
            QVERIFY(disk_.peak(from, disk_.position()) <= k_silent_peak);
    }

    void commands_without_an_open_file_do_nothing()
    {
        media_device device;
        status_log log(device);
        QCOMPARE(device.Mode(), media_device::mode_not_open);
        device.Command(QStringLiteral("Play"));
        device.Command(QStringLiteral("Close"));
        device.Command(QStringLiteral("Close"));
        device.Command(QStringLiteral("Eject"));
        QTest::qWait(300);
        QCOMPARE(device.Mode(), media_device::mode_not_open);
        QVERIFY(log.modes.isEmpty());
    }

    void title_loop_repeats_until_stopped()
    {
        const qint64 from = disk_.position();
        QElapsedTimer t;
        t.start();
        platform::play_sound(path("short.wav"), platform::snd_async | platform::snd_loop);
        QVERIFY(t.nsecsElapsed() / 1e6 < k_frame_budget_ms);
        QTest::qWait(1500);
        // Sound in every tenth of a second long after the 0.25 s file's end: it repeats without a gap.
        for (double s = 0.3; s < 1.3; s += 0.1)
            QVERIFY2(disk_.peak(disk_output::after(from, s), disk_output::after(from, s + 0.1)) >= k_audible_peak,
                     qPrintable(QStringLiteral("silent at %1 s").arg(s)));
        platform::play_sound(QStringLiteral("1"), platform::snd_async);
        const qint64 stopped = disk_.position();
        QTest::qWait(600);
        QVERIFY(disk_.peak(disk_output::after(stopped, 0.15), disk_.position()) <= k_silent_peak);
    }

    void system_player_calls_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("loop_before");
        QTest::addColumn<bool>("returns_at_once");
        QTest::addColumn<bool>("audible");
        QTest::newRow("asynchronous, once") << path("short.wav") << 1 << false << true << true;
        QTest::newRow("synchronous") << path("tone.wav") << 0 << false << false << true;
        QTest::newRow("replaces a looping sound") << path("short.wav") << 1 << true << true << true;
        QTest::newRow("\"1\" stops a looping sound") << "1" << 1 << true << true << false;
        QTest::newRow("missing file, looping") << path("missing.wav") << 9 << false << true << false;
    }

    // After each call only its own sound plays, and it ends: nothing loops on.
    void system_player_calls()
    {
        QFETCH(QString, file);
        QFETCH(int, flags);
        QFETCH(bool, loop_before);
        QFETCH(bool, returns_at_once);
        QFETCH(bool, audible);
        if (loop_before) {
            platform::play_sound(path("long.wav"), platform::snd_async | platform::snd_loop);
            QTest::qWait(300);
        }
        const qint64 from = disk_.position();
        QElapsedTimer t;
        t.start();
        platform::play_sound(file, static_cast<std::uint32_t>(flags));
        const double ms = t.nsecsElapsed() / 1e6;
        if (returns_at_once)
            QVERIFY(ms < k_frame_budget_ms);
        else
            QVERIFY2(ms >= 550, "a synchronous call returned before the sound's end");
        const qint64 returned = disk_.position();
        QTest::qWait(1000);
        // A loop that was playing may still be heard for a buffer's length.
        const int peak = disk_.peak(disk_output::after(from, loop_before ? 0.15 : 0.0), disk_.position());
        QVERIFY(audible ? peak >= k_audible_peak : peak <= k_silent_peak);
        QVERIFY(disk_.peak(disk_output::after(returned, 0.5), disk_.position()) <= k_silent_peak);
    }

    // A device left open plays silence and wakes the program for every buffer:
    // it closes a while after the last sound and opens again for the next one.
    // (The disk driver starts its file anew when the device opens again.)
    void output_closes_while_nothing_plays()
    {
        media_device wave;
        media_device midi;
        start(wave, QStringLiteral("WaveAudio"), path("short.wav"));
        QTRY_VERIFY(platform::sound_output_open());
        QTRY_COMPARE_WITH_TIMEOUT(wave.Mode(), media_device::mode_stopped, 10000);
        QTest::qWait(1000);
        QVERIFY2(platform::sound_output_open(), "closed at once: every pick would open it again");
        QTRY_VERIFY_WITH_TIMEOUT(!platform::sound_output_open(), 8000);

        // A file still open but silent keeps nothing open; the next sound is heard.
        for (media_device *device : {&wave, &midi}) {
            const bool is_wave = device == &wave;
            QVERIFY(start(*device, is_wave ? QStringLiteral("WaveAudio") : QStringLiteral("Sequencer"),
                          is_wave ? path("tone.wav") : path("chord.mid"))
                    < k_frame_budget_ms);
            QTRY_VERIFY(platform::sound_output_open());
            QCOMPARE(device->Mode(), media_device::mode_playing);
            QTRY_COMPARE_WITH_TIMEOUT(device->Mode(), media_device::mode_stopped, 10000);
            QVERIFY(disk_.peak(0, disk_.position()) >= k_audible_peak);
            QTRY_VERIFY_WITH_TIMEOUT(!platform::sound_output_open(), 8000);
        }

        // While a sound plays, the output stays open however long it lasts.
        platform::play_sound(path("short.wav"), platform::snd_async | platform::snd_loop);
        QTest::qWait(5000);
        QVERIFY(platform::sound_output_open());
        platform::play_sound(QStringLiteral("1"), platform::snd_async);
        QTRY_VERIFY_WITH_TIMEOUT(!platform::sound_output_open(), 8000);
    }
};

QTEST_MAIN(tst_media_device)
#include "tst_media_device.moc"

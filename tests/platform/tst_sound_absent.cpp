// Without a usable sound output (no driver, or a device that cannot be opened)
// every player stays silent, returns at once and reports its sound as stopped.
#include "platform/media_device.h"
#include "platform/os.h"
#include "platform/sound_system.h"
#include "sound_fixtures.h"
#include "test_env.h"

#include <QtTest>

using platform::media_device;

class tst_sound_absent : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    int message_boxes_ = 0;

    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        platform::set_message_box_handler([this](const QString &, const QString &, platform::message_icon) { ++message_boxes_; });
        QVERIFY(sound_fixtures::write_file(path("tone.wav"), sound_fixtures::tone_wav(0.6, 440)));
        QVERIFY(sound_fixtures::write_file(path("chord.mid"), sound_fixtures::chord_midi()));
    }

    void devices_report_stopped_data()
    {
        QTest::addColumn<QString>("device_type");
        QTest::addColumn<QString>("file");
        QTest::newRow("wave") << "WaveAudio" << path("tone.wav");
        QTest::newRow("midi") << "Sequencer" << path("chord.mid");
    }

    void devices_report_stopped()
    {
        QFETCH(QString, device_type);
        QFETCH(QString, file);
        media_device device;
        QList<int> modes;
        connect(&device, &media_device::StatusUpdate, this, [&] { modes << device.Mode(); });
        QElapsedTimer t;
        t.start();
        device.Command(QStringLiteral("Close"));
        device.DeviceType = device_type;
        device.FileName = file;
        device.Command(QStringLiteral("Open"));
        device.Command(QStringLiteral("Play"));
        QVERIFY(t.nsecsElapsed() / 1e6 < 30); // never holds up a frame
        QTRY_COMPARE_WITH_TIMEOUT(device.Mode(), media_device::mode_stopped, 5000);
        QTest::qWait(300);
        QCOMPARE(modes.count(media_device::mode_stopped), 1);
        device.Command(QStringLiteral("Close"));
        QCOMPARE(device.Mode(), media_device::mode_not_open);
        QCOMPARE(message_boxes_, 0);
    }

    void system_player_returns_at_once()
    {
        QElapsedTimer t;
        t.start();
        platform::play_sound(path("tone.wav"), platform::snd_async | platform::snd_loop);
        platform::play_sound(path("tone.wav"), 0); // nothing to wait for
        platform::play_sound(QStringLiteral("1"), platform::snd_async);
        QVERIFY(t.elapsed() < 500);
        QCOMPARE(message_boxes_, 0);
    }

    void cleanupTestCase() { QVERIFY2(!platform::sound_available(), "this run was meant to have no sound output"); }
};

QTEST_MAIN(tst_sound_absent)
#include "tst_sound_absent.moc"

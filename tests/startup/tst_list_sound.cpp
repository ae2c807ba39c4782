// A sound whose file name is not UTF-8 (a name in a legacy encoding), reached
// through the audio list, plays: heard through SDL's disk driver.
#include "platform/media_device.h"
#include "platform/os.h"
#include "platform/sound_system.h"
#include "platform/sound_fixtures.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

using namespace sound_fixtures;

class tst_list_sound : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    disk_output disk_{dir_.filePath(QStringLiteral("played.raw"))};
    QByteArray legacy_name_; // Qt cannot remove a name that is not UTF-8: done here

private slots:
    void cleanupTestCase()
    {
        if (!legacy_name_.isEmpty())
            ::unlink(legacy_name_.constData());
    }

    void initTestCase()
    {
        test_env::isolate_profile();
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir_.filePath(QStringLiteral("played.raw"))));
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
    }

    void legacy_file_name_from_the_list_plays()
    {
        // "Sonde Mélodie.wav" in Latin-1: é is the single byte 0xE9.
        const QByteArray name = QFile::encodeName(dir_.path()) + "/Sonde M\xe9lodie.wav";
        legacy_name_ = name;
        const QByteArray wav = tone_wav(0.6, 440);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, wav.constData(), size_t(wav.size())), ssize_t(wav.size()));
        ::close(fd);

        QFile list(bas_usercode::audio_files_file());
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write(name + "\r\n");
        list.close();

        bas_usercode::prepare_audio();
        QCOMPARE(bas_usercode::audio_count, 1);
        const QString entry = bas_usercode::audio_list[1];
        QVERIFY(entry.contains(QChar(0xDCE9)));
        QCOMPARE(platform::bytes_from_text(entry).value(), name);

        platform::media_device device;
        const qint64 from = disk_.position();
        device.Command(QStringLiteral("Close"));
        device.DeviceType = QStringLiteral("WaveAudio");
        device.FileName = entry;
        device.Command(QStringLiteral("Open"));
        device.Command(QStringLiteral("Play"));
        QTRY_COMPARE_WITH_TIMEOUT(device.Mode(), platform::media_device::mode_stopped, 10000);
        QTest::qWait(600);
        QVERIFY2(disk_.peak(from, disk_.position()) >= k_audible_peak, "the sound was not heard");

        // The system sound player (the editor's preview) finds it too.
        const qint64 again = disk_.position();
        platform::play_sound(entry, 0); // returns when the sound has ended
        QTest::qWait(600);
        QVERIFY2(disk_.peak(again, disk_.position()) >= k_audible_peak, "the system player did not play it");

        // Saving the list keeps the name byte for byte.
        bas_usercode::save_audio_files();
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll(), name + "\r\n");
    }
};

QTEST_MAIN(tst_list_sound)
#include "tst_list_sound.moc"

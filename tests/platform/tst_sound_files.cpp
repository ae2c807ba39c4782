// Sound files that must not hold anything up: FIFOs, devices, huge and sparse
// files, and a loader stuck on a file at the end of the program.
#include "platform/media_device.h"
#include "platform/sound_file.h"
#include "platform/sound_system.h"
#include "sound_fixtures.h"
#include "test_env.h"

#include <QApplication>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::media_device;
using namespace sound_fixtures;

namespace {

// A wave header for `data_bytes` of 8-bit mono sound at `rate` Hz (the data itself not included).
QByteArray wave_header(quint32 rate, quint32 data_bytes)
{
    QByteArray out("RIFF");
    append_le<quint32>(out, 36 + data_bytes);
    out += "WAVEfmt ";
    append_le<quint32>(out, 16);
    append_le<quint16>(out, 1);
    append_le<quint16>(out, 1);
    append_le<quint32>(out, rate);
    append_le<quint32>(out, rate);
    append_le<quint16>(out, 1);
    append_le<quint16>(out, 8);
    out += "data";
    append_le<quint32>(out, data_bytes);
    return out;
}

// A file of `size` bytes that starts with `head` and is a hole after it.
bool write_sparse(const QString &path, const QByteArray &head, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(head) == head.size() && f.resize(size);
}

void start(media_device &device, const QString &device_type, const QString &file)
{
    device.Command(QStringLiteral("Close"));
    device.DeviceType = device_type;
    device.FileName = file;
    device.Command(QStringLiteral("Open"));
    device.Command(QStringLiteral("Play"));
}

// Run as a child process: a loading job that never returns, then the end of the program.
int stuck_loader_child(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    platform::sound_available();
    // Opening a FIFO without O_NONBLOCK waits for a writer that never comes.
    const QByteArray fifo = argv[2];
    platform::sound_internal::run_in_background([fifo] {
        const int fd = ::open(fifo.constData(), O_RDONLY);
        if (fd >= 0)
            ::close(fd);
    });
    QThread::msleep(200);
    return 0; // the application ends here, with the loader still stuck
}

} // namespace

class tst_sound_files : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    disk_output disk_{dir_.filePath(QStringLiteral("played.raw"))};

    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(path("played.raw")));
        QVERIFY(write_file(path("short.wav"), tone_wav(0.25, 660)));
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.wav")).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.mid")).constData(), 0600), 0);
        // 64 GiB that take no room on the disk; reading them would take minutes and all memory.
        QVERIFY(write_sparse(path("sparse.wav"), wave_header(22050, 0xfffffff0u), 64ll << 30));
        QVERIFY(write_sparse(path("sparse.mid"), chord_midi(), 64ll << 30));
        // One byte over the bound, every byte on the disk.
        QByteArray over = wave_header(44100, static_cast<quint32>(platform::k_max_sound_file_bytes));
        over.resize(platform::k_max_sound_file_bytes + 1, '\x80');
        QVERIFY(write_file(path("over.wav"), over));
        // Small on the disk, but 16 times as large once decoded: beyond the memory bound.
        QByteArray slow = wave_header(4000, 30'000'000);
        slow.resize(30'000'000 + 44, '\x80');
        QVERIFY(write_file(path("slow-rate.wav"), slow));
    }

    void files_that_are_no_sound_leave_the_device_silent_data()
    {
        QTest::addColumn<QString>("device_type");
        QTest::addColumn<QString>("file");
        QTest::newRow("FIFO as wave") << "WaveAudio" << path("fifo.wav");
        QTest::newRow("FIFO as MIDI") << "Sequencer" << path("fifo.mid");
        QTest::newRow("endless device as wave") << "WaveAudio" << "/dev/zero";
        QTest::newRow("terminal device as MIDI") << "Sequencer" << "/dev/tty";
        QTest::newRow("sparse 64 GiB wave") << "WaveAudio" << path("sparse.wav");
        QTest::newRow("sparse 64 GiB MIDI") << "Sequencer" << path("sparse.mid");
        QTest::newRow("one byte over the bound") << "WaveAudio" << path("over.wav");
        QTest::newRow("too large once decoded") << "WaveAudio" << path("slow-rate.wav");
    }
    void files_that_are_no_sound_leave_the_device_silent()
    {
        QFETCH(QString, device_type);
        QFETCH(QString, file);
        // Two at once: both loading threads would be taken if either got stuck.
        media_device first, second;
        start(first, device_type, file);
        start(second, device_type, file);
        QTRY_COMPARE_WITH_TIMEOUT(first.Mode(), media_device::mode_stopped, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(second.Mode(), media_device::mode_stopped, 5000);
        // Loading goes on working: a real sound after them plays.
        media_device third;
        const qint64 from = disk_.position();
        start(third, QStringLiteral("WaveAudio"), path("short.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(third.Mode(), media_device::mode_stopped, 5000);
        QVERIFY(disk_.peak(from, disk_.position()) >= k_audible_peak);
    }

    void sound_files_are_read_within_their_bound()
    {
        QCOMPARE(platform::read_sound_file(QFile::encodeName(path("short.wav"))), tone_wav(0.25, 660));
        QVERIFY(!platform::read_sound_file(QFile::encodeName(path("fifo.wav"))));
        QVERIFY(!platform::read_sound_file(QFile::encodeName(path("over.wav"))));
        QVERIFY(!platform::read_sound_file(QFile::encodeName(dir_.path())));
        QVERIFY(!platform::read_sound_file("/dev/null"));
        QByteArray at_bound = wave_header(44100, static_cast<quint32>(platform::k_max_sound_file_bytes - 44));
        at_bound.resize(platform::k_max_sound_file_bytes, '\x80');
        QVERIFY(write_file(path("at-bound.wav"), at_bound));
        QCOMPARE(platform::read_sound_file(QFile::encodeName(path("at-bound.wav")))->size(), platform::k_max_sound_file_bytes);
        QFile::remove(path("at-bound.wav"));
    }

    void end_of_program_does_not_wait_for_a_stuck_loader()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path("never-written")).constData(), 0600), 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SDL_AUDIODRIVER", "dummy");
        child.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        child.start(QCoreApplication::applicationFilePath(), {"--stuck-loader", path("never-written")});
        const bool ended = child.waitForFinished(20000);
        const qint64 ms = t.elapsed();
        if (!ended) {
            child.kill();
            child.waitForFinished();
        }
        QVERIFY2(ended, "the program's end waited for the loader");
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        qInfo("ended after %lld ms", ms);
        QVERIFY2(ms < 10000, "the program's end waited far too long for the loader");
    }

    // The real program: a saver whose audio list names FIFOs ends at once when
    // the session ends it, after its sound picks have tried them (the saver's
    // own end never waits for the loading threads; the test keeps it so).
    void saver_with_fifos_in_its_audio_list_ends()
    {
        QTemporaryDir home;
        const QString data = home.filePath("data/Krelix Zentara");
        QVERIFY(QDir().mkpath(data));
        QCOMPARE(::mkfifo(QFile::encodeName(data + "/stuck.wav").constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(data + "/stuck.mid").constData(), 0600), 0);
        QVERIFY(write_file(data + "/Zentara Audio Files.dat", QFile::encodeName(data + "/stuck.wav\r\n" + data + "/stuck.mid\r\n")));
        QVERIFY(write_file(data + "/Zentara Captions.dat", "Hello\r\n"));
        QDir().mkpath(home.filePath("config/Krelix Zentara"));
        {
            QSettings ini(home.filePath("config/Krelix Zentara/settings.ini"), QSettings::IniFormat);
            ini.setValue("Config/install_path", test_env::assets_dir() + "/sounds/");
            ini.setValue("Config/run_once", "1");
            ini.setValue("Config/audio_seconds", "1");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_DIRS", home.filePath("etc/xdg"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        QProcess saver;
        saver.setProcessEnvironment(env);
        saver.start(ZENTARA_PROGRAM, {"/s"});
        QVERIFY(saver.waitForStarted());
        QTest::qWait(3500); // three picks: both FIFOs have been tried
        QCOMPARE(saver.state(), QProcess::Running);
        QElapsedTimer t;
        t.start();
        ::kill(static_cast<pid_t>(saver.processId()), SIGTERM);
        const bool ended = saver.waitForFinished(20000);
        if (!ended) {
            saver.kill();
            saver.waitForFinished();
        }
        QVERIFY2(ended, "the saver did not end");
        qInfo("ended %lld ms after the signal", t.elapsed());
        QVERIFY2(t.elapsed() < 10000, "the saver took far too long to end");
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--stuck-loader") == 0)
        return stuck_loader_child(argc, argv);
    QApplication app(argc, argv);
    tst_sound_files t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_sound_files.moc"

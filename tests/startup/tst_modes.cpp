#include "platform/os.h"
#include "platform/settings_store.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "startup/modes.h"
#include "test_env.h"

#include <QtTest>

using startup::mode;

namespace {
struct process_ended { int code; };
}

class tst_modes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::save_setting(QStringLiteral("install_path"), QStringLiteral("/opt/zentara/sounds"));
        platform::set_end_handler([](int code) { throw process_ended{code}; });
    }

    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("what");
        QTest::addColumn<int>("window");
        QTest::newRow("/s") << "/s" << int(mode::saver) << 0;
        QTest::newRow("/S") << "/S" << int(mode::saver) << 0;
        QTest::newRow("/Saver") << "/Saver" << int(mode::saver) << 0;
        QTest::newRow("blank before /s") << " /s" << int(mode::none) << 0;
        QTest::newRow("empty") << "" << int(mode::configure) << 0;
        QTest::newRow("/c") << "/c" << int(mode::configure) << 0;
        QTest::newRow("/c:1234") << "/c:1234" << int(mode::configure) << 0;
        QTest::newRow("/p 1234") << "/p 1234" << int(mode::preview) << 1234;
        QTest::newRow("/p1234") << "/p1234" << int(mode::preview) << 1234;
        QTest::newRow("/p:1234") << "/p:1234" << int(mode::preview) << 0;
        QTest::newRow("/P 12 34") << "/P 12 34" << int(mode::preview) << 1234;
        QTest::newRow("/p 2.5 rounds to even") << "/p 2.5" << int(mode::preview) << 2;
        QTest::newRow("/p too large") << "/p 99999999999" << int(mode::preview) << 0;
        QTest::newRow("/a 77") << "/a 77" << int(mode::change_password) << 77;
        QTest::newRow("/A") << "/A" << int(mode::change_password) << 0;
        QTest::newRow("unknown") << "/x" << int(mode::none) << 0;
        QTest::newRow("one character") << "/" << int(mode::none) << 0;
        QTest::newRow("-s") << "-s" << int(mode::none) << 0;
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(int, what);
        QFETCH(int, window);
        const startup::command c = startup::parse_command_line(line);
        QCOMPARE(int(c.what), what);
        QCOMPARE(c.window, window);
    }

    void dispatch_opens_one_window_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("after");
        QTest::newRow("saver") << "/S" << "saver" << int(startup::after::wait_for_saver);
        QTest::newRow("configure") << "" << "configuration" << int(startup::after::run_events);
        QTest::newRow("preview") << "/p 42" << "preview" << int(startup::after::run_events);
        QTest::newRow("password") << "/a 42" << "change_password" << int(startup::after::run_events);
        QTest::newRow("unknown") << "/z" << "" << int(startup::after::end);
    }
    void dispatch_opens_one_window()
    {
        QFETCH(QString, line);
        QFETCH(QString, opened);
        QFETCH(int, after);
        QStringList log;
        startup::windows open;
        open.saver = [&] { log << "saver"; QVERIFY(bas_shellcode::saver_active); };
        open.configuration = [&] { log << "configuration"; };
        open.preview = [&] { log << "preview"; };
        open.change_password = [&] { log << "change_password"; };
        bas_shellcode::saver_active = false;
        bas_shellcode::parent_window = 0;
        QCOMPARE(int(startup::start(line, open)), after);
        QCOMPARE(log.join(","), opened);
        if (opened == "preview" || opened == "change_password")
            QCOMPARE(bas_shellcode::parent_window, 42);
        QVERIFY(bas_shellcode::app_path.endsWith('/'));
        QVERIFY(bas_shellcode::windows_dir.endsWith('/'));
        QCOMPARE(bas_shellcode::twips_per_pixel_x, std::int16_t(15));
        QCOMPARE(bas_shellcode::audio_browse_folder, bas_shellcode::app_path);
    }

    void modes_without_a_window_end_quietly()
    {
        QCOMPARE(int(startup::start("/S", {})), int(startup::after::end));
        QCOMPARE(int(startup::start("/C", {})), int(startup::after::end));
    }

    void second_saver_opens_nothing()
    {
        platform::instance_marker running(bas_shellcode::k_saver_caption);
        QVERIFY(running.held());
        QVERIFY(!bas_shellcode::window_absent(bas_shellcode::k_saver_caption));
        bool opened = false;
        startup::windows open;
        open.saver = [&] { opened = true; };
        QCOMPARE(int(startup::start("/s", open)), int(startup::after::end));
        QVERIFY(!opened);
    }

    void second_configuration_ends_at_once()
    {
        platform::instance_marker menu(bas_shellcode::k_configuration_caption);
        bool opened = false, ended = false;
        startup::windows open;
        open.configuration = [&] { opened = true; };
        try {
            startup::start("/c", open);
        } catch (const process_ended &) {
            ended = true;
        }
        QVERIFY(ended);
        QVERIFY(!opened);
    }

    void marker_of_a_dead_process_is_ignored()
    {
        const QString caption = bas_shellcode::k_saver_caption;
        QVERIFY(bas_shellcode::window_absent(caption));
        {
            platform::instance_marker held(caption);
            QVERIFY(!bas_shellcode::window_absent(caption));
        }
        QVERIFY(bas_shellcode::window_absent(caption));

        // A marker left behind by a process that no longer runs.
        QProcess dead;
        dead.start("true");
        QVERIFY(dead.waitForStarted());
        const qint64 dead_pid = dead.processId();
        QVERIFY(dead.waitForFinished());
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        const QString path = QDir(dir).filePath("Krelix Zentara - " + caption + ".lock");
        QByteArray content;
        {
            platform::instance_marker held(caption);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
        }
        const QByteArray own_pid = QByteArray::number(QCoreApplication::applicationPid());
        QVERIFY(content.startsWith(own_pid + '\n'));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray::number(dead_pid) + content.mid(own_pid.size()));
        stale.close();
        QVERIFY(bas_shellcode::window_absent(caption));
    }

    // The real program with an empty profile and the installer's system-wide store.
    void program_first_run_writes_defaults()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_DIRS", home.filePath("etc/xdg"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const QString sys = home.filePath("etc/xdg/Krelix Zentara/settings.ini");
        QDir().mkpath(QFileInfo(sys).absolutePath());
        {
            QSettings ini(sys, QSettings::IniFormat);
            ini.setValue("Config/install_path", "/usr/share/zentara/sounds/");
        }
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(ZENTARA_PROGRAM, {"/x"}); // a mode that opens nothing
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);

        const QString user = home.filePath("config/Krelix Zentara/settings.ini");
        QSettings ini(user, QSettings::IniFormat);
        QCOMPARE(ini.value("Config/run_once").toString(), QStringLiteral("1"));
        QVERIFY(!ini.contains("Config/install_path")); // the program never writes it
        QFile audio(home.filePath("data/Krelix Zentara/Zentara Audio Files.dat"));
        QVERIFY(audio.open(QIODevice::ReadOnly));
        QVERIFY(audio.readAll().startsWith("/usr/share/zentara/sounds/zara1.wav\r\n"));
        QVERIFY(QFile::exists(home.filePath("data/Krelix Zentara/Zentara Captions.dat")));
    }

    void program_without_display_says_so()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(ZENTARA_PROGRAM, {"/s"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.contains("no display"));
    }
};

QTEST_MAIN(tst_modes)
#include "tst_modes.moc"

#include "platform/os.h"
#include "platform/settings_store.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace bas_shellcode;

namespace {
struct process_ended { int code; };

QString user_file() { return platform::user_settings_file(k_application); }

void reset_store(const QString &install = QStringLiteral("/opt/zentara/sounds"))
{
    QFile::remove(user_file());
    if (!install.isNull())
        save_setting(QStringLiteral("install_path"), install);
}
} // namespace

class tst_settings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        windows_dir = get_windows_directory();
        platform::set_end_handler([](int code) { throw process_ended{code}; });
    }

    void fresh_profile_takes_defaults_and_writes_lists()
    {
        reset_store();
        load_settings();
        QCOMPARE(install_path, QStringLiteral("/opt/zentara/sounds/"));
        QCOMPARE(frame_rate, 45);
        QCOMPARE(save_as_wallpaper, std::int16_t(0));
        QCOMPARE(scroller_delay, 10);
        QCOMPARE(scroller_active, 1);
        QCOMPARE(show_time, QStringLiteral("1"));
        QCOMPARE(audio_seconds, 15);
        QCOMPARE(cycle_speed_value, 13);
        QCOMPARE(object_frequency, 5);
        QCOMPARE(audio_on, QStringLiteral("1"));
        QCOMPARE(saver_password, QString());
        QCOMPARE(run_once, 1);
        QCOMPARE(get_setting(QStringLiteral("run_once"), QString()), QStringLiteral("1"));
        QVERIFY(QFile::exists(bas_usercode::captions_file()));
        QVERIFY(QFile::exists(bas_usercode::audio_files_file()));
    }

    void install_path_gets_one_separator_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("without") << "/usr/share/zentara/sounds" << "/usr/share/zentara/sounds/";
        QTest::newRow("with") << "/usr/share/zentara/sounds/" << "/usr/share/zentara/sounds/";
        QTest::newRow("empty") << "" << "/";
    }
    void install_path_gets_one_separator()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        reset_store(stored);
        load_settings();
        QCOMPARE(install_path, expected);
    }

    void installation_error_without_install_path()
    {
        reset_store(QString());
        QString text, title;
        platform::set_message_box_handler([&](const QString &t, const QString &ti, platform::message_icon icon) {
            text = t;
            title = ti;
            QCOMPARE(icon, platform::message_icon::none);
        });
        bool ended = false;
        try {
            load_settings();
        } catch (const process_ended &) {
            ended = true;
        }
        platform::set_message_box_handler(nullptr);
        QVERIFY(ended);
        QCOMPARE(title, QStringLiteral("Zentara Screen Saver"));
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Program Error!"));
        QCOMPARE(lines[1], QStringLiteral("<Installation Path Not Found!>"));
        QCOMPARE(lines[2], QStringLiteral("Please remove this program and then install it again."));
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines[4], QStringLiteral("If the problem continues please contact Krelix Software at:"));
        QVERIFY(lines[5].contains(QLatin1Char('@')));
    }

    void install_path_from_system_store()
    {
        reset_store(QString());
        const QString sys = test_env::profile_root().filePath("etc-xdg/Krelix Zentara/settings.ini");
        QDir().mkpath(QFileInfo(sys).absolutePath());
        {
            QSettings ini(sys, QSettings::IniFormat);
            ini.setValue("Config/install_path", "/usr/local/share/zentara/sounds/");
        }
        load_settings();
        QCOMPARE(install_path, QStringLiteral("/usr/local/share/zentara/sounds/"));
        save_setting(QStringLiteral("install_path"), QStringLiteral("/home/me/zentara/"));
        load_settings();
        QCOMPARE(install_path, QStringLiteral("/home/me/zentara/")); // the user's own value wins
        QFile::remove(sys);
    }

    void text_values_read_back_exactly_data()
    {
        QTest::addColumn<QString>("value");
        for (const char *v : {"/opt/pre,fix/", "a;b", "say \"hi\"", "back\\slash\\", "  leading blanks", "trailing  ",
                              "@at", "@Invalid()", "@@", "#hash = equals", "tab\there", "Grüße €", "x, y ,z", ""})
            QTest::newRow(v) << QString::fromUtf8(v);
    }
    void text_values_read_back_exactly()
    {
        QFETCH(QString, value);
        reset_store();
        save_setting(QStringLiteral("install_path"), value);
        QCOMPARE(get_setting(QStringLiteral("install_path"), QStringLiteral("missing")), value);
    }

    void hand_written_bare_comma_keeps_its_text()
    {
        // Written by hand (or by an old installer) without quotes: QSettings reads a
        // list; the text comes back joined as it most likely was.
        reset_store(QString());
        const QString sys = test_env::profile_root().filePath("etc-xdg/Krelix Zentara/settings.ini");
        QDir().mkpath(QFileInfo(sys).absolutePath());
        QFile f(sys);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Config]\ninstall_path=/opt/pre,fix/sounds/\n");
        f.close();
        load_settings();
        QFile::remove(sys);
        QCOMPARE(install_path, QStringLiteral("/opt/pre,fix/sounds/"));
    }

    void fifo_as_settings_file_is_not_waited_on()
    {
        reset_store(QString());
        const QString sys = test_env::profile_root().filePath("etc-xdg/Krelix Zentara/settings.ini");
        QDir().mkpath(QFileInfo(sys).absolutePath());
        {
            QSettings ini(sys, QSettings::IniFormat);
            ini.setValue("Config/install_path", "/opt/z/");
        }
        const QByteArray fifo = QFile::encodeName(user_file());
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        // A reader that waits for a writer is let go after 6 s: a failure, not a hang.
        std::atomic<bool> returned{false};
        std::thread unblock([&] {
            for (int i = 0; i < 120 && !returned; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (int i = 0; i < 100 && !returned; ++i) {
                const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        QElapsedTimer t;
        t.start();
        load_settings();
        const qint64 took = t.elapsed();
        returned = true;
        unblock.join();
        QFile::remove(sys);
        QFileInfo info(user_file());
        QFile::remove(user_file());
        QCOMPARE(install_path, QStringLiteral("/opt/z/"));
        QCOMPARE(frame_rate, 45);
        QVERIFY2(took < 5000, qPrintable(QStringLiteral("took %1 ms").arg(took)));
        QVERIFY(!info.isFile()); // left as it was
    }

    void numeric_values_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "frame_rate" << "30" << 30;
        QTest::newRow("blank around") << "frame_rate" << " 30 " << 30;
        QTest::newRow("half down to even") << "frame_rate" << "44.5" << 44;
        QTest::newRow("half up to even") << "frame_rate" << "45.5" << 46;
        QTest::newRow("not a number") << "frame_rate" << "fast" << 45;
        QTest::newRow("empty") << "audio_seconds" << "" << 15;
        QTest::newRow("16-bit overflow") << "save_as_wallpaper" << "40000" << 0;
        QTest::newRow("16-bit fits") << "save_as_wallpaper" << "-1" << -1;
        QTest::newRow("32-bit overflow") << "object_frequency" << "3000000000" << 5;
        QTest::newRow("negative") << "cycle_speed_value" << "-2" << -2;
    }
    void numeric_values()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(int, expected);
        reset_store();
        save_setting(key, stored);
        load_settings();
        const QHash<QString, int> got{
            {"frame_rate", frame_rate}, {"audio_seconds", audio_seconds}, {"save_as_wallpaper", save_as_wallpaper},
            {"object_frequency", object_frequency}, {"cycle_speed_value", cycle_speed_value}};
        QCOMPARE(got.value(key), expected);
    }

    void numeric_text_settings_keep_their_text()
    {
        reset_store();
        save_setting(QStringLiteral("show_time"), QStringLiteral("0"));
        save_setting(QStringLiteral("audio_on"), QStringLiteral("yes"));
        load_settings();
        QCOMPARE(show_time, QStringLiteral("0"));
        QVERIFY(!text_is_nonzero(show_time));
        QCOMPARE(audio_on, QStringLiteral("1")); // not a number: the default
        QVERIFY(text_is_nonzero(audio_on));
    }

    void save_round_trip_leaves_installer_keys()
    {
        reset_store(QStringLiteral("/opt/z/"));
        load_settings();
        frame_rate = 60;
        save_as_wallpaper = 1;
        scroller_active = 0;
        scroller_delay = 3;
        audio_seconds = 7;
        show_time = QStringLiteral("0");
        cycle_speed_value = 2;
        object_frequency = 9;
        audio_on = QStringLiteral("0");
        saver_password = QStringLiteral("SECRET");
        run_once = 7; // must not be written
        install_path = QStringLiteral("/elsewhere/");
        save_settings();
        const QString misc = get_setting(QStringLiteral("misc"), QString());
        QCOMPARE(misc.size(), 12); // stored scrambled, two letters a character
        QVERIFY(!misc.contains(QStringLiteral("SECRET"), Qt::CaseInsensitive));

        load_settings();
        QCOMPARE(frame_rate, 60);
        QCOMPARE(save_as_wallpaper, std::int16_t(1));
        QCOMPARE(scroller_active, 0);
        QCOMPARE(scroller_delay, 3);
        QCOMPARE(audio_seconds, 7);
        QCOMPARE(show_time, QStringLiteral("0"));
        QCOMPARE(cycle_speed_value, 2);
        QCOMPARE(object_frequency, 9);
        QCOMPARE(audio_on, QStringLiteral("0"));
        QCOMPARE(saver_password, QStringLiteral("SECRET"));
        QCOMPARE(install_path, QStringLiteral("/opt/z/"));
        QCOMPARE(run_once, 1);
    }

    void store_is_owner_only_ini()
    {
        reset_store();
        load_settings();
        saver_password = QStringLiteral("x");
        save_settings();
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(user_file()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QFile f(user_file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QStringLiteral("[Config]")));
        QVERIFY(text.contains(QStringLiteral("frame_rate=45")));
        QVERIFY(user_file().endsWith(QStringLiteral("/Krelix Zentara/settings.ini")));
    }

    void scramble_known_vectors_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("scrambled");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("one") << "A" << "yj";
        QTest::newRow("six, key cycles") << "secret" << "xlyeweymybxm";
        QTest::newRow("seven") << "abcdefg" << "wjydwezkybwoyg";
        QTest::newRow("digit") << "ZENTARA1" << "zcweyjwkwfzkwatg";
    }
    void scramble_known_vectors()
    {
        QFETCH(QString, plain);
        QFETCH(QString, scrambled);
        saver_password = plain;
        scramble_password();
        QCOMPARE(scrambled_password, scrambled);
        saver_password = QStringLiteral("junk");
        unscramble_password();
        QCOMPARE(saver_password, plain);
    }

    void scramble_round_trip_every_8bit_character()
    {
        for (int start = 0; start < 256; start += 7) {
            QString plain;
            for (int i = 0; i < 11; ++i)
                plain += QChar((start + i * 23) % 256);
            saver_password = plain;
            scramble_password();
            QCOMPARE(scrambled_password.size(), 2 * plain.size());
            for (QChar c : scrambled_password)
                QVERIFY(c >= QLatin1Char('a') && c <= QLatin1Char('z'));
            unscramble_password();
            QCOMPARE(saver_password, plain);
        }
    }

    void damaged_misc_means_no_password_data()
    {
        QTest::addColumn<QString>("misc");
        QTest::newRow("odd length") << "yjy";
        QTest::newRow("capital") << "YJ";
        QTest::newRow("digit") << "y1";
        QTest::newRow("letters scrambling never makes") << "aa";
    }
    void damaged_misc_means_no_password()
    {
        QFETCH(QString, misc);
        reset_store();
        save_setting(QStringLiteral("misc"), misc);
        load_settings();
        QCOMPARE(saver_password, QString());
    }
};

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"

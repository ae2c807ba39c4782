// The real program: `zentara /S` ended by SIGTERM, SIGINT and SIGHUP while it
// runs, while it changes scenes, while its password prompt is open and while the
// prompt's wrong-password box is open; and a password in letters that the
// keyboard layout lacks, set through the real dialog of `zentara /A`. Where the
// X server's own screen saver matters the program runs under Xvfb and the test
// types through xdotool; elsewhere it runs offscreen.
#include "test_env.h"

#include <QImage>
#include <QtTest>

// After Qt: Xlib defines names that Qt uses.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char *k_secret = "xlyeweymybxm"; // "secret" scrambled

// The program under test; ZENTARA_TEST_PROGRAM names another build (an older one,
// to see a test fail before its mend).
QString program()
{
    const QByteArray other = qgetenv("ZENTARA_TEST_PROGRAM");
    return other.isEmpty() ? QStringLiteral(ZENTARA_PROGRAM) : QString::fromLocal8Bit(other);
}

// A throw-away profile for one run of the program.
struct profile
{
    QTemporaryDir root;

    profile()
    {
        for (const char *sub : {"config", "data", "runtime", "cache", "etc-xdg"})
            QDir(root.path()).mkpath(QString::fromLatin1(sub));
        ::chmod(QFile::encodeName(path("runtime")).constData(), 0700);
        set("install_path", "/opt/zentara/sounds/");
        set("save_as_wallpaper", "1");
        set("misc", k_secret);
        set("ScreenSaveUsePassword", "0", "Desktop");
    }
    QString path(const QString &sub) const { return QDir(root.path()).filePath(sub); }
    QString data_file(const QString &name) const { return path(QStringLiteral("data/Krelix Zentara/") + name); }
    void set(const char *key, const QString &value, const char *section = "Config")
    {
        QSettings ini(path(QStringLiteral("config/Krelix Zentara/settings.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("%1/%2").arg(QLatin1String(section), QLatin1String(key)), value);
    }
    QString get(const char *key) const
    {
        QSettings ini(path(QStringLiteral("config/Krelix Zentara/settings.ini")), QSettings::IniFormat);
        return ini.value(QStringLiteral("Config/%1").arg(QLatin1String(key))).toString();
    }
    QProcessEnvironment environment(const QString &display) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("XDG_CACHE_HOME", path("cache"));
        env.insert("XDG_CONFIG_DIRS", path("etc-xdg"));
        env.insert("SDL_AUDIODRIVER", "dummy");
        if (display.isEmpty()) {
            env.insert("QT_QPA_PLATFORM", "offscreen");
        } else {
            env.remove("QT_QPA_PLATFORM");
            env.insert("DISPLAY", display);
        }
        return env;
    }
    bool saver_running() const
    {
        return QFile::exists(path(QStringLiteral("runtime/Krelix Zentara - screen saver running.lock")));
    }
};

// An Xvfb of our own, with its screen saver set to blank after 1 s of idling.
struct x_server
{
    QProcess xvfb;
    QString display;
    Display *x = nullptr;

    bool start()
    {
        for (int n = 140 + ::getpid() % 300; n < 900; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
                || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            display = QStringLiteral(":%1").arg(n);
            xvfb.start(QStringLiteral("Xvfb"), {display, "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"});
            if (!xvfb.waitForStarted(5000))
                return false;
            for (int i = 0; i < 100 && !x; ++i) {
                QTest::qWait(50);
                x = XOpenDisplay(display.toLatin1().constData());
            }
            if (!x)
                return false;
            XSetScreenSaver(x, 1, 0, DontPreferBlanking, AllowExposures);
            XSync(x, False);
            return true;
        }
        return false;
    }
    ~x_server()
    {
        if (x)
            XCloseDisplay(x);
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    // The X server's own saver after `idle_ms` without input: true when it blanked.
    bool blanks_after_idling(int idle_ms = 1600)
    {
        XResetScreenSaver(x);
        XSync(x, False);
        QTest::qWait(idle_ms);
        XScreenSaverInfo *info = XScreenSaverAllocInfo();
        XScreenSaverQueryInfo(x, DefaultRootWindow(x), info);
        const bool on = info->state == ScreenSaverOn;
        XFree(info);
        return on;
    }
    int xdotool(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("LC_ALL", "C.UTF-8"); // the text to type is UTF-8
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(10000);
        return p.exitCode();
    }
    bool window_shows(const QString &title, int timeout_ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeout_ms) {
            if (xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}) == 0)
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    void type(const QString &text) { xdotool({"type", "--delay", "60", text}); }
    void key(const QString &name) { xdotool({"key", name}); }
};

bool started(QProcess &p, const profile &home)
{
    if (!p.waitForStarted(10000))
        return false;
    for (int i = 0; i < 200; ++i) {
        if (home.saver_running())
            return true;
        if (p.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return false;
}

// An orderly end: the process ran out of its own accord with code 0 (a signal's
// default action kills it instead), the wallpaper is a whole picture, and no
// half-written file is left beside it or the lists.
void verify_orderly_end(QProcess &p, const profile &home, const QByteArray &captions_before)
{
    QVERIFY2(p.waitForFinished(15000), "the saver did not end");
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QImage wallpaper(home.data_file(QStringLiteral("Zentara Image.bmp")));
    QVERIFY(!wallpaper.isNull());
    QVERIFY(wallpaper.width() >= 640 && wallpaper.height() >= 480);
    const QStringList files = QDir(home.path(QStringLiteral("data/Krelix Zentara"))).entryList(QDir::Files);
    QCOMPARE(files, QStringList({"Zentara Audio Files.dat", "Zentara Captions.dat", "Zentara Image.bmp"}));
    QFile captions(home.data_file(QStringLiteral("Zentara Captions.dat")));
    QVERIFY(captions.open(QIODevice::ReadOnly));
    QCOMPARE(captions.readAll(), captions_before);
    QVERIFY(!home.saver_running());
}

QByteArray first_run(const profile &home)
{
    // A mode that opens nothing writes the default lists.
    QProcess p;
    p.setProcessEnvironment(home.environment({}));
    p.start(program(), {"/x"});
    p.waitForFinished(20000);
    QFile captions(home.data_file(QStringLiteral("Zentara Captions.dat")));
    captions.open(QIODevice::ReadOnly);
    return captions.readAll();
}

void add_signal_rows(const QStringList &situations)
{
    QTest::addColumn<int>("sig");
    QTest::addColumn<QString>("during");
    for (const auto &[sig, name] : {std::pair{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}})
        for (const QString &during : situations)
            QTest::addRow("%s %s", name, qPrintable(during)) << sig << during;
}
} // namespace

#define NEED_X_TOOLS()                                                                               \
    do {                                                                                             \
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()                          \
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())                   \
            QSKIP("needs Xvfb and xdotool (packages xvfb, xdotool)");                                 \
    } while (false)

class tst_saver_process : public QObject
{
    Q_OBJECT
private slots:
    void signals_offscreen_data() { add_signal_rows({"running", "changing scenes"}); }
    void signals_offscreen()
    {
        QFETCH(int, sig);
        QFETCH(QString, during);
        profile home;
        const QByteArray captions = first_run(home);
        QVERIFY(!captions.isEmpty());
        if (during == QLatin1String("changing scenes")) {
            // A scene change every 80 short frames: the transitions' waits take
            // most of the time, so the signal lands in one nearly always.
            home.set("cycle_speed_value", "1");
            home.set("scroller_active", "0");
            home.set("frame_rate", "1");
        }
        QProcess p;
        p.setProcessEnvironment(home.environment({}));
        p.start(program(), {"/S"});
        QVERIFY(started(p, home));
        QTest::qWait(during == QLatin1String("running") ? 800 : 2500);
        QVERIFY(p.state() == QProcess::Running);
        ::kill(static_cast<pid_t>(p.processId()), sig);
        verify_orderly_end(p, home, captions);
    }

    void signals_under_x_data() { add_signal_rows({"running", "prompt", "wrong-password box"}); }
    void signals_under_x()
    {
        QFETCH(int, sig);
        QFETCH(QString, during);
        NEED_X_TOOLS();
        x_server xs;
        QVERIFY(xs.start());
        QVERIFY(xs.blanks_after_idling()); // the X server's saver works before
        profile home;
        const QByteArray captions = first_run(home);
        home.set("ScreenSaveUsePassword", "1", "Desktop");
        QProcess p;
        p.setProcessEnvironment(home.environment(xs.display));
        p.start(program(), {"/S"});
        QVERIFY(started(p, home));
        QTest::qWait(700);
        if (during != QLatin1String("running")) {
            xs.key("x");
            QVERIFY(xs.window_shows(QStringLiteral("Screen Saver Password")));
            QTest::qWait(300);
            if (during == QLatin1String("wrong-password box")) {
                xs.type(QStringLiteral("wrong"));
                xs.key("Return");
                QVERIFY(xs.window_shows(QStringLiteral("Passwords")));
            }
        }
        QVERIFY(!xs.blanks_after_idling()); // held off while the saver runs
        QVERIFY(p.state() == QProcess::Running);
        ::kill(static_cast<pid_t>(p.processId()), sig);
        verify_orderly_end(p, home, captions);
        QVERIFY(xs.blanks_after_idling()); // and restored
    }

    // Set through the real dialog in Cyrillic on a US layout (xdotool maps a
    // spare key for each letter, so the program sees text that no key of its
    // layout types): another text of the same length is refused, the same
    // text, in either case, ends the saver.
    void password_in_letters_the_layout_lacks()
    {
        NEED_X_TOOLS();
        x_server xs;
        QVERIFY(xs.start());
        profile home;
        first_run(home);
        const QString password = QStringLiteral("пароль");

        QProcess dialog;
        dialog.setProcessEnvironment(home.environment(xs.display));
        dialog.start(program(), {"/A"});
        QVERIFY(xs.window_shows(QStringLiteral("Change  Password")));
        QTest::qWait(300);
        xs.type(password);
        xs.key("Tab");
        xs.type(password);
        xs.key("Return");
        QVERIFY(dialog.waitForFinished(10000));
        QCOMPARE(dialog.exitCode(), 0);
        const QString stored = home.get("misc");
        QVERIFY2(stored.size() == 24, qPrintable(stored)); // two UTF-8 bytes a letter, two letters a byte
        QVERIFY(stored.contains(QRegularExpression(QStringLiteral("^[a-z]+$"))));

        home.set("ScreenSaveUsePassword", "1", "Desktop");
        QProcess saver;
        saver.setProcessEnvironment(home.environment(xs.display));
        saver.start(program(), {"/S"});
        QVERIFY(started(saver, home));
        QTest::qWait(700);
        xs.key("x");
        QVERIFY(xs.window_shows(QStringLiteral("Screen Saver Password")));
        QTest::qWait(300);
        xs.type(QStringLiteral("пароли"));
        xs.key("Return");
        QVERIFY(xs.window_shows(QStringLiteral("Passwords"))); // refused
        QVERIFY(saver.state() == QProcess::Running);
        xs.key("Return"); // closes the box
        QTest::qWait(500);
        QVERIFY(saver.state() == QProcess::Running);
        xs.type(QStringLiteral("ПАРОЛЬ"));
        xs.key("Return");
        QVERIFY2(saver.waitForFinished(10000), "the password did not end the saver");
        QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
        QCOMPARE(saver.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_saver_process)
#include "tst_saver_process.moc"

#include <QtTest>

#include "test_env.h"
#include "x_client.h"
#include "x_server.h"

#include <csignal>
#include <pwd.h>
#include <unistd.h>

// The display mode inside the screen-saver hosts that Debian ships, each run
// for real on a private X server: the build is installed into a temporary
// prefix, and the hosts start the installed program as they would for a user.
class tst_hosts : public QObject
{
    Q_OBJECT

    QTemporaryDir prefix_, home_;
    QString hack_;
    std::unique_ptr<x_server> server_;
    std::unique_ptr<x_client> x_;

    static bool have(const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

    // Process ids of running copies of the installed display mode.
    QList<qint64> hack_processes() const
    {
        QList<qint64> pids;
        for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (!number)
                continue;
            QFile cmdline("/proc/" + entry + "/cmdline");
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().startsWith(hack_.toLocal8Bit()))
                pids << pid;
        }
        return pids;
    }

    QProcessEnvironment user_env() const
    {
        QProcessEnvironment e;
        e.insert("PATH", qEnvironmentVariable("PATH"));
        e.insert("HOME", home_.path());
        e.insert("DISPLAY", server_->display());
        e.insert("XDG_CONFIG_HOME", home_.filePath(".config"));
        e.insert("XDG_DATA_HOME", home_.filePath(".local/share"));
        e.insert("XDG_RUNTIME_DIR", home_.filePath("runtime"));
        e.insert("XDG_CONFIG_DIRS", home_.filePath("no-system-config")); // the copy finds its own record
        e.insert("SDL_AUDIODRIVER", "dummy");
        return e;
    }

    // Sampled twice: the scene fills the screen and moves.
    void verify_scene_on_screen()
    {
        QTRY_VERIFY_WITH_TIMEOUT(filled(x_->grab(x_->root())), 20000);
        const QImage first = x_->grab(x_->root());
        QTRY_VERIFY_WITH_TIMEOUT(changed_share(first, x_->grab(x_->root())) > 0.0005, 15000);
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        QProcess install;
        install.start("cmake", {"--install", ZENTARA_BUILD_DIR, "--prefix", prefix_.path()});
        QVERIFY(install.waitForFinished(120000));
        QCOMPARE(install.exitCode(), 0);
        hack_ = prefix_.filePath("libexec/xscreensaver/zentara-hack");
        QVERIFY(QFile::exists(hack_));
        // The hosts run as an ordinary user, who must be able to read the copy.
        QFile::setPermissions(prefix_.path(), QFile::permissions(prefix_.path()) | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(home_.path(), QFile::permissions(home_.path()) | QFile::ReadOther | QFile::ExeOther);
        for (const char *sub : {".config", ".local/share", "runtime"})
            QDir(home_.path()).mkpath(sub);

        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            QSKIP("Xvfb is not installed: apt-get install xvfb");
    }

    // Every host gets an X server of its own: nothing one host leaves behind
    // (a daemon's window, a grab) can disturb the next.
    void init()
    {
        server_ = std::make_unique<x_server>("1024x768x24");
        QVERIFY2(!server_->display().isEmpty(), "Xvfb did not start");
        x_ = std::make_unique<x_client>(server_->display());
        QVERIFY(x_->ok());
    }

    void cleanup()
    {
        for (qint64 pid : hack_processes())
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        x_.reset();
        server_.reset();
    }

    void xscreensaver_runs_it_full_screen()
    {
        if (!have("xscreensaver") || !have("xscreensaver-command"))
            QSKIP("XScreenSaver is not installed: apt-get install xscreensaver");
        if (::geteuid() != 0 && !have("setpriv"))
            QSKIP("setpriv is missing");
        // XScreenSaver launches no display mode as root: the daemon runs as nobody.
        const passwd *nobody = ::getpwnam("nobody");
        if (::geteuid() == 0 && !nobody)
            QSKIP("there is no user nobody to run XScreenSaver as");
        QFile rc(home_.filePath(".xscreensaver"));
        QVERIFY(rc.open(QIODevice::WriteOnly | QIODevice::Truncate));
        rc.write("mode:\t\tone\nselected:\t0\nlock:\t\tFalse\nsplash:\t\tFalse\nfade:\t\tFalse\nunfade:\t\tFalse\n"
                 "timeout:\t1:00:00\ndpmsEnabled:\tFalse\n");
        rc.write(("programs:\t\t\\\n\t\t\"Zentara\" " + hack_ + " --root\t\\n\\\n\n").toLocal8Bit());
        rc.close();
        QStringList as_user;
        if (::geteuid() == 0) {
            QProcess::execute("chown", {"-R", "nobody:nogroup", home_.path()});
            as_user = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
        }
        auto command = [&](const QStringList &args) {
            QProcess p;
            p.setProcessEnvironment(user_env());
            p.start(as_user.isEmpty() ? args.first() : as_user.first(), (as_user + args).mid(1));
            p.waitForFinished(15000);
            return p.exitCode();
        };

        QProcess daemon;
        daemon.setProcessEnvironment(user_env());
        daemon.setProcessChannelMode(QProcess::ForwardedChannels);
        const QStringList args = as_user + QStringList{"xscreensaver", "--no-splash"};
        daemon.start(args.first(), args.mid(1));
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(command({"xscreensaver-command", "-version"}) == 0, 20000);

        QCOMPARE(command({"xscreensaver-command", "-activate"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!hack_processes().isEmpty(), 20000);
        verify_scene_on_screen();

        QElapsedTimer t;
        t.start();
        QCOMPARE(command({"xscreensaver-command", "-deactivate"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(hack_processes().isEmpty(), 10000);
        qInfo("display mode ended %lld ms after -deactivate", t.elapsed());
        QVERIFY2(t.elapsed() < 4000, "the display mode took far longer than 1.5 s to end");

        command({"xscreensaver-command", "-exit"});
        if (!daemon.waitForFinished(10000)) {
            daemon.terminate();
            daemon.waitForFinished(5000);
        }
    }

    void desktop_entry_runs_in_the_hosts_window()
    {
        // MATE Screensaver (and the other hosts that read these entries) run Exec
        // with XSCREENSAVER_WINDOW naming their window.
        QSettings entry(prefix_.filePath("share/applications/screensavers/zentara.desktop"), QSettings::IniFormat);
        entry.beginGroup("Desktop Entry");
        QCOMPARE(entry.value("Type").toString(), QStringLiteral("Application"));
        QVERIFY(entry.value("Categories").toString().split(';').contains("Screensaver"));
        QCOMPARE(entry.value("TryExec").toString(), hack_);
        const QStringList exec = QProcess::splitCommand(entry.value("Exec").toString());
        QCOMPARE(exec.value(0), hack_);

        const Window host = x_->make_window(1024, 768);
        QProcessEnvironment e = user_env();
        e.insert("XSCREENSAVER_WINDOW", QString::number(host));
        QProcess p;
        p.setProcessEnvironment(e);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(exec.first(), exec.mid(1));
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!x_->children(host).empty(), 20000);
        verify_scene_on_screen();
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);
        x_->destroy(host);
    }

    void xsecurelock_runs_it()
    {
        if (!have("xsecurelock"))
            QSKIP("xsecurelock is not installed: apt-get install xsecurelock");
        QProcessEnvironment e = user_env();
        e.insert("XSECURELOCK_SAVER", hack_);
        e.insert("XSECURELOCK_NO_COMPOSITE", "1");
        QProcess lock;
        lock.setProcessEnvironment(e);
        lock.setProcessChannelMode(QProcess::ForwardedChannels);
        lock.start("xsecurelock", {});
        QVERIFY(lock.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!hack_processes().isEmpty(), 20000);
        verify_scene_on_screen();
        lock.terminate(); // a test has no password to type
        if (!lock.waitForFinished(5000)) {
            lock.kill();
            lock.waitForFinished(5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(hack_processes().isEmpty(), 10000);
    }
};

QTEST_GUILESS_MAIN(tst_hosts)
#include "tst_hosts.moc"

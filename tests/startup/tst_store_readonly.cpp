// The real program started by a user whose settings store cannot be written:
// the first run can never be recorded, so every start is a first run, and the
// user's own caption and audio lists must survive it. As root permissions
// never refuse a write, the program runs as "nobody" then.
#include <QtTest>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray k_my_captions("my own caption\r\n");
const QByteArray k_my_sounds("/home/me/Music/ping.wav\r\n");

QByteArray read_file(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool write_file(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
} // namespace

class tst_store_readonly : public QObject
{
    Q_OBJECT

    bool as_root_ = ::geteuid() == 0;
    uid_t user_ = ::geteuid();
    gid_t group_ = ::getegid();

    // Hands a path to the user the program runs as, with these permissions.
    void give(const QString &path, mode_t mode)
    {
        const QByteArray name = QFile::encodeName(path);
        if (as_root_)
            QCOMPARE(::chown(name.constData(), user_, group_), 0);
        QCOMPARE(::chmod(name.constData(), mode), 0);
    }
    // Leaves a path to root (as root), or read-only to its owner (otherwise).
    void keep(const QString &path, mode_t mode)
    {
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), as_root_ ? mode : (mode & 0555)), 0);
    }

    int run_program(const QString &root)
    {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH"));
        env.insert("HOME", root);
        env.insert("XDG_CONFIG_HOME", root + "/config");
        env.insert("XDG_DATA_HOME", root + "/data");
        env.insert("XDG_RUNTIME_DIR", root + "/runtime");
        env.insert("XDG_CACHE_HOME", root + "/cache");
        env.insert("XDG_CONFIG_DIRS", root + "/system");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        QProcess p;
        p.setProcessEnvironment(env);
        QStringList args{ZENTARA_PROGRAM, "/x"}; // every mode loads the settings; this one then ends
        if (as_root_)
            args = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + args;
        p.start(as_root_ ? QStringLiteral("setpriv") : args.takeFirst(), args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (p.exitStatus() != QProcess::NormalExit)
            return -2;
        return p.exitCode();
    }

private slots:
    void initTestCase()
    {
        if (as_root_) {
            if (QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("setpriv (util-linux) is missing: cannot run the program as an unprivileged user");
            const passwd *pw = ::getpwnam("nobody");
            const group *gr = ::getgrnam("nogroup");
            if (!pw || !gr)
                QSKIP("no user nobody / group nogroup to run the program as");
            user_ = pw->pw_uid;
            group_ = gr->gr_gid;
        }
    }

    void user_lists_survive_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<bool>("lists_exist");
        QTest::addColumn<bool>("writable");
        QTest::newRow("settings folder read-only") << "folder" << true << false;
        QTest::newRow("settings file read-only, another's") << "foreign-file" << true << false;
        QTest::newRow("settings file made read-only by its owner") << "own-file" << true << false;
        QTest::newRow("config home read-only, no settings folder") << "config-home" << true << false;
        QTest::newRow("read-only store, no lists yet") << "folder" << false << false;
        QTest::newRow("writable store: a real first run") << "writable" << true << true;
    }
    void user_lists_survive()
    {
        QFETCH(QString, store);
        QFETCH(bool, lists_exist);
        QFETCH(bool, writable);
        if (store == "foreign-file" && !as_root_)
            QSKIP("needs root to leave a file to another user");

        QTemporaryDir dir;
        const QString root = dir.path();
        QCOMPARE(::chmod(QFile::encodeName(root).constData(), 0755), 0);
        for (const char *sub : {"config", "data", "runtime", "cache", "system/Krelix Zentara"})
            QVERIFY(QDir(root).mkpath(sub));
        QVERIFY(write_file(root + "/system/Krelix Zentara/settings.ini",
                           "[Config]\ninstall_path=\"/usr/share/zentara/sounds/\"\n"));
        give(root + "/runtime", 0700);
        give(root + "/cache", 0700);

        const QString lists = root + "/data/Krelix Zentara";
        QVERIFY(QDir().mkpath(lists));
        give(root + "/data", 0755);
        give(lists, 0755);
        if (lists_exist) {
            QVERIFY(write_file(lists + "/Zentara Captions.dat", k_my_captions));
            QVERIFY(write_file(lists + "/Zentara Audio Files.dat", k_my_sounds));
            give(lists + "/Zentara Captions.dat", 0644);
            give(lists + "/Zentara Audio Files.dat", 0644);
        }

        const QString folder = root + "/config/Krelix Zentara";
        const QString settings = folder + "/settings.ini";
        const QByteArray own_settings("[Config]\nframe_rate=30\n");
        if (store == "config-home") {
            keep(root + "/config", 0755);
        } else {
            give(root + "/config", 0755);
            QVERIFY(QDir().mkpath(folder));
            if (store == "folder") {
                keep(folder, 0755);
            } else if (store == "foreign-file") {
                give(folder, 0755);
                QVERIFY(write_file(settings, own_settings));
                keep(settings, 0644);
            } else if (store == "own-file") {
                QVERIFY(write_file(settings, own_settings));
                give(settings, 0400);
                give(folder, 0755);
            } else {
                give(folder, 0700);
            }
        }

        for (int start = 1; start <= 2; ++start) {
            const int code = run_program(root);
            if (code == 127 || code == 126)
                QSKIP("the unprivileged user cannot reach the program in the build folder");
            QCOMPARE(code, 0);
            const QByteArray captions = read_file(lists + "/Zentara Captions.dat");
            const QByteArray sounds = read_file(lists + "/Zentara Audio Files.dat");
            if (writable && start == 1) {
                QVERIFY(captions.startsWith("Welcome To Zentara Screen Saver\r\n"));
                QVERIFY(sounds.startsWith("/usr/share/zentara/sounds/zara1.wav\r\n"));
                QCOMPARE(QSettings(settings, QSettings::IniFormat).value("Config/run_once").toString(), "1");
                // The user's lists from now on: the next start must leave them alone.
                QVERIFY(write_file(lists + "/Zentara Captions.dat", k_my_captions));
                QVERIFY(write_file(lists + "/Zentara Audio Files.dat", k_my_sounds));
            } else if (lists_exist || writable) {
                QCOMPARE(captions, k_my_captions);
                QCOMPARE(sounds, k_my_sounds);
            } else {
                // Missing lists get the defaults, once; later starts keep them.
                QVERIFY(captions.startsWith("Welcome To Zentara Screen Saver\r\n"));
                QVERIFY(sounds.startsWith("/usr/share/zentara/sounds/zara1.wav\r\n"));
                if (start == 1) {
                    QVERIFY(write_file(lists + "/Zentara Captions.dat", k_my_captions));
                    QVERIFY(write_file(lists + "/Zentara Audio Files.dat", k_my_sounds));
                    lists_exist = true;
                }
            }
            if (store == "foreign-file" || store == "own-file")
                QCOMPARE(read_file(settings), own_settings); // and it stays read-only
        }
        if (!writable)
            QVERIFY(!QFileInfo::exists(settings) || read_file(settings).indexOf("run_once") < 0);

        if (!as_root_) { // let the temporary folder go
            for (const QString &d : {root + "/config", folder})
                ::chmod(QFile::encodeName(d).constData(), 0755);
        }
    }
};

QTEST_GUILESS_MAIN(tst_store_readonly)
#include "tst_store_readonly.moc"

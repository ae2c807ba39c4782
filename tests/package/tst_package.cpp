#include <QtTest>

// The Debian package as CPack builds it from this build: its file list, its
// control fields and the installer's record of the installation folder.
class tst_package : public QObject
{
    Q_OBJECT

    QTemporaryDir out_;
    QString deb_;

    static QString run(const QString &program, const QStringList &args, int *code = nullptr)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(600000);
        if (code)
            *code = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty() || QStandardPaths::findExecutable("dpkg-deb").isEmpty())
            QSKIP("dpkg-dev is not installed: apt-get install dpkg-dev");
        int code = -1;
        QProcess cpack;
        cpack.setWorkingDirectory(ZENTARA_BUILD_DIR);
        cpack.setProcessChannelMode(QProcess::MergedChannels);
        cpack.start("cpack", {"-G", "DEB", "-B", out_.path()});
        QVERIFY(cpack.waitForFinished(600000));
        code = cpack.exitCode();
        QVERIFY2(code == 0, cpack.readAll().constData());
        const QStringList debs = QDir(out_.path()).entryList({"zentara_*.deb"});
        QCOMPARE(debs.size(), 1);
        deb_ = out_.filePath(debs.first());
    }

    void file_name_and_control_fields()
    {
        const QString arch = run("dpkg", {"--print-architecture"}).trimmed();
        QCOMPARE(QFileInfo(deb_).fileName(), QStringLiteral("zentara_%1_%2.deb").arg(ZENTARA_VERSION, arch));
        QCOMPARE(run("dpkg-deb", {"-f", deb_, "Package"}).trimmed(), QStringLiteral("zentara"));
        QCOMPARE(run("dpkg-deb", {"-f", deb_, "Architecture"}).trimmed(), arch);
        const QString depends = run("dpkg-deb", {"-f", deb_, "Depends"});
        for (const char *lib : {"libqt6widgets6", "libsdl2-mixer-2.0-0", "libx11-6", "libxkbcommon0", "timgm6mb-soundfont"})
            QVERIFY2(depends.contains(lib), qPrintable("Depends lacks " + QString(lib) + ": " + depends));
        QVERIFY(!run("dpkg-deb", {"-f", deb_, "Description"}).trimmed().isEmpty());

        QTemporaryDir control;
        int code = -1;
        run("dpkg-deb", {"-e", deb_, control.path()}, &code);
        QCOMPARE(code, 0);
        QFile conffiles(control.filePath("conffiles"));
        QVERIFY(conffiles.open(QIODevice::ReadOnly));
        QCOMPARE(conffiles.readAll(), QByteArray("/etc/xdg/Krelix Zentara/settings.ini\n"));
    }

    void file_list()
    {
        QStringList listed;
        for (QString line : run("dpkg-deb", {"-c", deb_}).split('\n', Qt::SkipEmptyParts)) {
            const int at = line.indexOf(" ./");
            if (at >= 0)
                listed << line.mid(at + 2).section(" -> ", 0, 0);
        }
        for (const char *f : {"/usr/bin/zentara", "/usr/libexec/xscreensaver/zentara-hack",
                              "/usr/share/xscreensaver/config/zentara.xml",
                              "/usr/share/applications/zentara.desktop",
                              "/usr/share/applications/screensavers/zentara.desktop",
                              "/usr/share/icons/hicolor/48x48/apps/zentara.png",
                              "/usr/share/icons/hicolor/256x256/apps/zentara.png",
                              "/usr/share/zentara/pictures/sprite.png", "/usr/share/zentara/pictures/preview.png",
                              "/usr/share/zentara/sounds/zara1.wav", "/usr/share/zentara/sounds/title.wav",
                              "/etc/xdg/Krelix Zentara/settings.ini"})
            QVERIFY2(listed.contains(QString(f)), f);
        for (const QString &f : listed) {
            QVERIFY2(f.startsWith("/usr/") || f.startsWith("/etc/xdg/") || f == "/etc/" || f == "/usr/" || f == "/",
                     qPrintable(f));
            QVERIFY2(!f.startsWith("/usr/etc") && !f.contains("_CPack_Packages"), qPrintable(f));
        }
    }

    void recorded_paths_are_the_installed_ones()
    {
        QTemporaryDir root;
        int code = -1;
        run("dpkg-deb", {"-x", deb_, root.path()}, &code);
        QCOMPARE(code, 0);
        QSettings record(root.filePath("etc/xdg/Krelix Zentara/settings.ini"), QSettings::IniFormat);
        QCOMPARE(record.value("Config/install_path").toString(), QStringLiteral("/usr/share/zentara/sounds/"));
        QSettings entry(root.filePath("usr/share/applications/screensavers/zentara.desktop"), QSettings::IniFormat);
        QCOMPARE(entry.value("Desktop Entry/TryExec").toString(), QStringLiteral("/usr/libexec/xscreensaver/zentara-hack"));
        QVERIFY(entry.value("Desktop Entry/Exec").toString().startsWith("/usr/libexec/xscreensaver/zentara-hack"));
        QVERIFY(QFileInfo(root.filePath("usr/libexec/xscreensaver/zentara-hack")).isExecutable());
    }
};

QTEST_GUILESS_MAIN(tst_package)
#include "tst_package.moc"

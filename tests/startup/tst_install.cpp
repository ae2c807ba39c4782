#include "test_env.h"

#include <QtTest>

// Installs the build into a temporary prefix and runs the installed program with
// an empty profile: the installer's record of the installation folder must be
// found, and the first run must point the default audio list at the shipped sounds,
// whatever characters the folder's name holds.
class tst_install : public QObject
{
    Q_OBJECT
private slots:
    void installed_program_first_run_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "zentara";
        QTest::newRow("comma and semicolon") << "pre,fix;semi";
        // (CMake itself turns a backslash in the prefix into a separator.)
        QTest::newRow("double quote") << "say \"hi\"";
        QTest::newRow("blanks, at sign, hash, equals") << "  @at #hash = eq  x";
        QTest::newRow("utf-8") << "Zentara Grüße";
    }
    void installed_program_first_run()
    {
        QFETCH(QString, folder);
        QTemporaryDir base, home;
        QVERIFY(QDir(base.path()).mkdir(folder));
        const QDir prefix(base.filePath(folder));
        QProcess install;
        install.start("cmake", {"--install", ZENTARA_BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

        const QString sounds = prefix.filePath("share/zentara/sounds/");
        QVERIFY(QFile::exists(sounds + "zara1.wav"));
        QVERIFY(QFile::exists(sounds + "title.wav"));
        QFile catalogue(sounds + "Krelix_Products.html"); // the menu's product page, with this version
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        QVERIFY(catalogue.readAll().contains("Zentara Screen Saver</h2>\n    <div class=\"version\">Version 3.0.0"));
        QVERIFY(QFile::exists(prefix.filePath("share/zentara/pictures/sprite.png")));
        QVERIFY(QFile::exists(prefix.filePath("share/applications/zentara.desktop")));
        QVERIFY(QFile::exists(prefix.filePath("share/icons/hicolor/48x48/apps/zentara.png")));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_DIRS", home.filePath("no-system-config")); // only the prefix's own store
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(prefix.filePath("bin/zentara"), {"/x"});
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);

        QSettings user(home.filePath("config/Krelix Zentara/settings.ini"), QSettings::IniFormat);
        QCOMPARE(user.value("Config/run_once").toString(), QStringLiteral("1"));
        QFile audio(home.filePath("data/Krelix Zentara/Zentara Audio Files.dat"));
        QVERIFY(audio.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = audio.readAll().split('\n');
        QCOMPARE(lines.size(), 10);
        for (int i = 1; i <= 9; ++i) {
            const QString entry = sounds + QStringLiteral("zara%1.wav").arg(i);
            const QString line = entry.contains(QLatin1Char(',')) ? QLatin1Char('"') + entry + QLatin1Char('"') : entry;
            QCOMPARE(lines[i - 1], (line + QLatin1Char('\r')).toUtf8());
        }
    }
};

QTEST_GUILESS_MAIN(tst_install)
#include "tst_install.moc"

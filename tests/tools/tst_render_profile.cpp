// zentara-render only reads the user's profile unless it is asked to write.
#include "test_env.h"

#include <QtTest>

namespace {
// Every file under `root` with its contents.
QMap<QString, QByteArray> files_under(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            files.insert(f.fileName(), f.readAll());
    }
    return files;
}
} // namespace

class tst_render_profile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test_env::isolate_profile(); }

    void first_run_leaves_the_profile_alone_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("writes");
        QTest::newRow("looking only") << QStringList{} << false;
        QTest::newRow("asked to write the lists") << QStringList{"--write-lists"} << true;
    }
    void first_run_leaves_the_profile_alone()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, writes);
        QTemporaryDir home;
        // A first run: the installer's system-wide store only, and an empty profile.
        const QString sys = home.filePath("etc/xdg/Krelix Zentara/settings.ini");
        QDir().mkpath(QFileInfo(sys).absolutePath());
        {
            QSettings ini(sys, QSettings::IniFormat);
            ini.setValue("Config/install_path", test_env::assets_dir() + "/sounds/");
        }
        QDir().mkpath(home.filePath("config"));
        QDir().mkpath(home.filePath("data"));
        const QMap<QString, QByteArray> before = files_under(home.path());

        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_DIRS", home.filePath("etc/xdg"));
        p.setProcessEnvironment(env);
        p.start(ZENTARA_RENDER, QStringList{"--size", "160x120", "--frames", "3"} + extra);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());

        const QMap<QString, QByteArray> after = files_under(home.path());
        const QString captions = home.filePath("data/Krelix Zentara/Zentara Captions.dat");
        if (!writes) {
            QCOMPARE(after, before);
            return;
        }
        QVERIFY(after.contains(captions));
        QVERIFY(after.contains(home.filePath("data/Krelix Zentara/Zentara Audio Files.dat")));
        QSettings user(home.filePath("config/Krelix Zentara/settings.ini"), QSettings::IniFormat);
        QCOMPARE(user.value("Config/run_once").toString(), QStringLiteral("1"));
    }
};

QTEST_MAIN(tst_render_profile)
#include "tst_render_profile.moc"

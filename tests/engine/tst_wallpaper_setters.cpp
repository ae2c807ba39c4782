// The wallpaper setters of a bare X session, run as programs found on PATH
// (stand-ins that record how they were called).
#include "platform/wallpaper.h"
#include "test_env.h"

#include <QtTest>

class tst_wallpaper_setters : public QObject
{
    Q_OBJECT

    QTemporaryDir bin_;
    QString record_;

    void install(const QString &program)
    {
        QFile f(bin_.filePath(program));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("#!/bin/sh\necho \"${0##*/} $*\" >> \"$ZENTARA_TEST_RECORD\"\n");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        record_ = bin_.filePath("calls.txt");
        qputenv("ZENTARA_TEST_RECORD", QFile::encodeName(record_));
        qputenv("PATH", QFile::encodeName(bin_.path()));
        qputenv("XDG_CURRENT_DESKTOP", "");
        qputenv("DESKTOP_SESSION", "");
    }

    // The setter chosen is one that stores the picture so that the next log-in sets it again.
    void bare_session_uses_a_setter_that_persists_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("call");
        const QString p = "/home/u/.local/share/Krelix Zentara/Zentara Image.bmp";
        QTest::newRow("feh writes ~/.fehbg") << QStringList{"feh", "nitrogen", "xwallpaper"} << "feh --bg-fill " + p;
        QTest::newRow("nitrogen saves its choice") << QStringList{"nitrogen", "xwallpaper"} << "nitrogen --set-zoom-fill --save " + p;
        QTest::newRow("xwallpaper as the last resort") << QStringList{"xwallpaper"} << "xwallpaper --zoom " + p;
    }
    void bare_session_uses_a_setter_that_persists()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, call);
        for (const QString &f : QDir(bin_.path()).entryList(QDir::Files))
            QFile::remove(bin_.filePath(f));
        for (const QString &program : installed)
            install(program);
        platform::set_wallpaper("/home/u/.local/share/Krelix Zentara/Zentara Image.bmp");
        QFile calls(record_);
        QVERIFY(calls.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(calls.readAll()).trimmed(), call);
    }
};

QTEST_MAIN(tst_wallpaper_setters)
#include "tst_wallpaper_setters.moc"

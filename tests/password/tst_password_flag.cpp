#include "password/bas_password.h"
#include "platform/settings_store.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QtTest>

class tst_password_flag : public QObject
{
    Q_OBJECT

    QString file() const { return platform::user_settings_file(bas_shellcode::k_application); }

    // Writes the user's settings file as a user would (no file for a null text).
    void write_file(const QByteArray &text)
    {
        QFile::remove(file());
        if (text.isNull())
            return;
        QDir().mkpath(QFileInfo(file()).absolutePath());
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        // QSettings trusts its cache while a file's size and time stay the same,
        // and two rows may differ in one character only.
        static QDateTime stamp = QDateTime::currentDateTime().addDays(-1);
        stamp = stamp.addSecs(1);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

private slots:
    void initTestCase() { test_env::isolate_profile(); }

    void flag_reading_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("required");
        const QByteArray config = "[Config]\ninstall_path=/opt/zentara/sounds/\n";
        QTest::newRow("000") << config + "[Desktop]\nScreenSaveUsePassword=000\n" << false;
        QTest::newRow("001") << config + "[Desktop]\nScreenSaveUsePassword=001\n" << true;
        QTest::newRow("1") << config + "[Desktop]\nScreenSaveUsePassword=1\n" << true;
        QTest::newRow("blank 1") << config + "[Desktop]\nScreenSaveUsePassword=\" 1\"\n" << true;
        QTest::newRow("abc") << config + "[Desktop]\nScreenSaveUsePassword=abc\n" << false;
        QTest::newRow("number then text") << config + "[Desktop]\nScreenSaveUsePassword=2 keys\n" << true;
        QTest::newRow("empty") << config + "[Desktop]\nScreenSaveUsePassword=\n" << false;
        QTest::newRow("missing value") << config + "[Desktop]\nScreenSaveActive=1\n" << false;
        QTest::newRow("missing group") << config + "ScreenSaveUsePassword=1\n" << false;
        QTest::newRow("missing file") << QByteArray() << false;
    }
    void flag_reading()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, required);
        write_file(settings);
        QCOMPARE(bas_password::use_password_enabled(), required);
    }

    void only_the_current_user_has_values_data()
    {
        QTest::addColumn<int>("root");
        QTest::addColumn<QString>("key_path");
        QTest::addColumn<QString>("value");
        QTest::newRow("current user") << int(bas_password::HKEY_CURRENT_USER) << "Control Panel\\Desktop" << "7";
        QTest::newRow("local machine") << int(bas_password::HKEY_LOCAL_MACHINE) << "Control Panel\\Desktop" << "";
        QTest::newRow("not a root key") << 5 << "Control Panel\\Desktop" << "";
        QTest::newRow("other key") << int(bas_password::HKEY_CURRENT_USER) << "Control Panel\\Mouse" << "";
    }
    void only_the_current_user_has_values()
    {
        QFETCH(int, root);
        QFETCH(QString, key_path);
        QFETCH(QString, value);
        write_file("[Desktop]\nScreenSaveUsePassword=7\n");
        QCOMPARE(bas_password::read_registry_value(root, key_path, QStringLiteral("ScreenSaveUsePassword")), value);
    }
};

QTEST_MAIN(tst_password_flag)
#include "tst_password_flag.moc"

#include "hack/hack_options.h"

#include <QtTest>

using hack::window_source;

class tst_hack_options : public QObject
{
    Q_OBJECT
private slots:
    void window_choice_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<int>("source");
        QTest::addColumn<uint>("window");
        QTest::addColumn<int>("warnings");
        const int id = int(window_source::window_id), env = int(window_source::environment),
                  root = int(window_source::root), none = int(window_source::none);
        QTest::newRow("decimal id") << QStringList{"--window-id", "4194311"} << "" << id << 4194311u << 0;
        QTest::newRow("hex id") << QStringList{"--window-id", "0x400007"} << "" << id << 0x400007u << 0;
        QTest::newRow("upper-case hex") << QStringList{"--window-id", "0X40000A"} << "" << id << 0x40000au << 0;
        QTest::newRow("single dash") << QStringList{"-window-id", "77"} << "" << id << 77u << 0;
        QTest::newRow("with equals") << QStringList{"--window-id=0x51"} << "" << id << 0x51u << 0;
        QTest::newRow("id beats environment and root")
            << QStringList{"--root", "--window-id", "12"} << "0x99" << id << 12u << 0;
        QTest::newRow("environment beats root") << QStringList{"--root"} << "0x2a00003" << env << 0x2a00003u << 0;
        QTest::newRow("decimal environment") << QStringList{} << "4194311" << env << 4194311u << 0;
        QTest::newRow("root") << QStringList{"--root"} << "" << root << 0u << 0;
        QTest::newRow("single-dash root") << QStringList{"-root"} << "" << root << 0u << 0;
        QTest::newRow("unknown options ignored")
            << QStringList{"--fps", "-delay", "20000", "--root", "--mono"} << "" << root << 0u << 0;
        QTest::newRow("nothing given") << QStringList{} << "" << none << 0u << 0;
        QTest::newRow("bad id falls back to environment")
            << QStringList{"--window-id", "banana"} << "0x10" << env << 0x10u << 1;
        QTest::newRow("zero is no window") << QStringList{"--window-id", "0", "--root"} << "" << root << 0u << 1;
        QTest::newRow("id too large") << QStringList{"--window-id", "0x1ffffffff"} << "" << none << 0u << 1;
        QTest::newRow("id value missing") << QStringList{"--root", "--window-id"} << "" << root << 0u << 1;
        QTest::newRow("bad environment, then root") << QStringList{"-root"} << "garbage" << root << 0u << 1;
        QTest::newRow("negative id") << QStringList{"--window-id", "-5"} << "" << none << 0u << 1;
    }
    void window_choice()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, environment);
        QFETCH(int, source);
        QFETCH(uint, window);
        QFETCH(int, warnings);
        const hack::window_choice c = hack::choose_window(args, environment);
        QCOMPARE(int(c.source), source);
        QCOMPARE(uint(c.window), window);
        QCOMPARE(int(c.warnings.size()), warnings);
    }
};

QTEST_APPLESS_MAIN(tst_hack_options)
#include "tst_hack_options.moc"

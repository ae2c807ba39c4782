#include "platform/display.h"
#include "platform/os.h"

#include <QtTest>
#include <ctime>

class tst_frame_wait : public QObject
{
    Q_OBJECT
private slots:
    void waits_last_their_time_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("count");
        QTest::newRow("dissolve steps of 1 ms") << 1 << 400;
        QTest::newRow("row sweep steps of 6 ms") << 6 << 80;
        QTest::newRow("frames of 45 ms") << 45 << 12;
    }
    void waits_last_their_time()
    {
        QFETCH(int, ms);
        QFETCH(int, count);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < count; ++i)
            platform::wait_ticks(ms);
        const qint64 took = t.elapsed();
        // Ticks are whole milliseconds: the first wait may start late in one.
        QVERIFY2(took >= qint64(ms) * count - 1, qPrintable(QString::number(took)));
        // Never twice as long: a wait that rounded up to a coarse timer would be
        // many times over, while a loaded machine (or a sanitizer build) adds a
        // fraction of a millisecond to each wait.
        QVERIFY2(took <= qint64(ms) * count * 2 + 50, qPrintable(QString::number(took)));
    }

    void waiting_does_not_burn_the_processor()
    {
        const std::clock_t before = std::clock();
        platform::wait_ticks(1000);
        const double cpu_ms = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC;
        QVERIFY2(cpu_ms < 50, qPrintable(QString::number(cpu_ms)));
    }

    void events_run_while_waiting()
    {
        bool fired = false;
        QTimer::singleShot(20, [&] { fired = true; });
        platform::wait_ticks(60);
        QVERIFY(fired);
        // At least one pass even when the deadline has passed already.
        bool posted = false;
        QMetaObject::invokeMethod(qApp, [&] { posted = true; }, Qt::QueuedConnection);
        platform::run_events_until(platform::get_ticks() - 10);
        QVERIFY(posted);
    }
};

QTEST_MAIN(tst_frame_wait)
#include "tst_frame_wait.moc"

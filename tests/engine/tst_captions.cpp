#include "engine_fixture.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QLocale>
#include <QtTest>

using test_engine::fixture;

namespace {
void set_captions(const QStringList &captions)
{
    bas_usercode::caption_count = captions.size();
    for (int i = 0; i < captions.size(); ++i)
        bas_usercode::caption_list[i + 1] = captions[i];
}
} // namespace

class tst_captions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        bas_shellcode::scroller_active = 1;
        set_captions({"one", "two", "three"});
    }

    void band_rises_stays_and_sinks()
    {
        fixture f(800, 600);
        f.eng.scroller_interval = 3;
        f.eng.scroller_countdown = 3;
        int first_frame = 0, up = 0, down = 0, still = 0;
        int previous = 9000; // the band starts just below the 600-pixel screen
        for (int frame = 1; frame <= 400; ++frame) {
            f.eng.mouse_moves = 0;
            f.eng.handle_scroller();
            if (first_frame == 0 && f.eng.scroller.visible)
                first_frame = frame;
            if (first_frame == 0)
                continue;
            const int now = f.eng.scroller.top;
            up += now < previous;
            down += now > previous;
            still += now == previous;
            QCOMPARE(f.eng.mouse_moves, std::int16_t(now != previous ? 11 : 0)); // a moving band is no input
            previous = now;
            if (f.eng.scroller_state == 0)
                break;
        }
        QCOMPARE(first_frame, 3); // the first caption comes in frame scroller_interval
        QCOMPARE(f.eng.scroller.text, QStringLiteral("one"));
        QCOMPARE(up, 28);
        QCOMPARE(down, 35);
        QCOMPARE(f.eng.scroller.top, 9000 + 105); // 7 pixels below the edge
        QCOMPARE(f.eng.scroller_countdown, 3);
        QVERIFY(still >= 149);
    }

    void captions_come_in_list_order()
    {
        fixture f(800, 100);
        f.eng.scroller_interval = 1;
        f.eng.scroller_countdown = 1;
        QStringList shown;
        for (int frame = 0; frame < 2000 && shown.size() < 5; ++frame) {
            const int before = f.eng.caption_index;
            f.eng.handle_scroller();
            if (f.eng.caption_index != before)
                shown << f.eng.scroller.text;
        }
        QCOMPARE(shown, (QStringList{"one", "two", "three", "one", "two"}));
    }

    void nothing_without_captions_data()
    {
        QTest::addColumn<int>("active");
        QTest::addColumn<int>("count");
        QTest::newRow("no captions") << 1 << 0;
        QTest::newRow("scroller off") << 0 << 3;
    }
    void nothing_without_captions()
    {
        QFETCH(int, active);
        QFETCH(int, count);
        bas_shellcode::scroller_active = active;
        bas_usercode::caption_count = count;
        fixture f;
        f.eng.scroller_countdown = 2;
        for (int i = 0; i < 10; ++i)
            f.eng.handle_scroller();
        QVERIFY(!f.eng.scroller.visible);
        QCOMPARE(f.eng.scroller_state, 0);
        QCOMPARE(f.eng.scroller_countdown, 2);
    }

    void clock_pattern_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<bool>("afternoon");
        QTest::newRow("noon") << QTime(12, 0, 0) << "12:00:00" << true;
        QTest::newRow("midnight") << QTime(0, 0, 0) << "12:00:00" << false;
        QTest::newRow("evening") << QTime(21, 5, 7) << "09:05:07" << true;
        QTest::newRow("morning") << QTime(9, 59, 59) << "09:59:59" << false;
    }
    void clock_pattern()
    {
        QFETCH(QTime, time);
        QFETCH(QString, digits);
        QFETCH(bool, afternoon);
        fixture f;
        const QLocale l = QLocale::system();
        QCOMPARE(f.eng.clock_text(time), digits + ' ' + (afternoon ? l.pmText() : l.amText()));
    }

    void clock_follows_the_wall_clock()
    {
        fixture f;
        f.eng.show_time_on = true;
        f.clock.day_time = QTime(23, 59, 58);
        f.clock.ticks = 0;
        f.eng.handle_time();
        QVERIFY(f.eng.time_box.visible);
        const QString first = f.eng.time_box.text;
        f.clock.advance(500);
        f.eng.handle_time();
        QCOMPARE(f.eng.time_box.text, first);
        f.clock.advance(600);
        f.eng.handle_time();
        QVERIFY(f.eng.time_box.text != first);
        QVERIFY(f.eng.time_box.text.startsWith("11:59:59"));

        fixture off;
        off.eng.show_time_on = false;
        off.eng.handle_time();
        QVERIFY(!off.eng.time_box.visible);
    }
};

QTEST_GUILESS_MAIN(tst_captions)
#include "tst_captions.moc"

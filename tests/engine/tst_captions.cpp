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

    // One caption cycle, frame by frame: set up in frame `scroller_interval`,
    // one pixel up per frame until fully on the screen; in the arrival frame
    // the hold of 150 is set and the band already sinks one pixel; 149 frames
    // still; then one pixel down per frame until its top is 100 twips or more
    // below the edge, and the wait for the next caption starts.
    void band_rises_stays_and_sinks_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("tpp_x");
        QTest::addColumn<int>("tpp_y");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("up");      // frames rising
        QTest::addColumn<int>("arrival"); // frame number of the arrival
        QTest::addColumn<int>("down");    // frames sinking, the arrival frame included
        QTest::addColumn<int>("last_top");
        QTest::addColumn<int>("end");     // frame that starts the wait for the next caption
        // 28-pixel band, 600-pixel screen: 35 frames down to 7 pixels (105 twips) below.
        QTest::newRow("600 high, 15 twips") << 600 << 15 << 15 << 3 << 28 << 31 << 35 << 9000 + 105 << 215;
        QTest::newRow("480 high, interval 50") << 480 << 15 << 15 << 50 << 28 << 78 << 35 << 7200 + 105 << 262;
        // 21-pixel band; it stops exactly 100 twips below the edge.
        QTest::newRow("600 high, 12 x 20 twips") << 600 << 12 << 20 << 3 << 21 << 24 << 26 << 12000 + 100 << 199;
    }
    void band_rises_stays_and_sinks()
    {
        QFETCH(int, height);
        QFETCH(int, tpp_x);
        QFETCH(int, tpp_y);
        QFETCH(int, interval);
        QFETCH(int, up);
        QFETCH(int, arrival);
        QFETCH(int, down);
        QFETCH(int, last_top);
        QFETCH(int, end);
        fixture f(800, height);
        auto &e = f.eng;
        e.twips_per_pixel_x = static_cast<std::int16_t>(tpp_x);
        e.twips_per_pixel_y = static_cast<std::int16_t>(tpp_y);
        e.scroller_interval = interval;
        e.scroller_countdown = interval;
        const int window = height * tpp_y;
        int first_frame = 0, arrived = 0, rose = 0, sank = 0, held = 0, ended = 0;
        int previous = window;
        for (int frame = 1; frame <= 1000 && ended == 0; ++frame) {
            e.mouse_moves = 0;
            const int state_before = e.scroller_state;
            e.handle_scroller();
            if (first_frame == 0 && e.scroller.visible) {
                first_frame = frame;
                QCOMPARE(e.scroller.text, QStringLiteral("one"));
                QCOMPARE(e.scroller.left, 0);
                QCOMPARE(e.scroller.width, 800 * tpp_x);
                QCOMPARE(e.scroller.height, 420);
            }
            if (first_frame == 0)
                continue;
            const int now = e.scroller.top;
            QCOMPARE(e.mouse_moves, std::int16_t(now != previous ? 11 : 0)); // a moving band is no input
            rose += now < previous;
            sank += now > previous;
            if (state_before == 1 && e.scroller_state == 2) {
                arrived = frame;
                QCOMPARE(e.scroller_countdown, 150);
                QCOMPARE(now, window - 420 + tpp_y); // already one pixel down
            } else if (arrived != 0 && sank == 1) {
                QCOMPARE(now, previous); // the hold
                ++held;
            }
            if (state_before == 2 && e.scroller_state == 0)
                ended = frame;
            previous = now;
        }
        QCOMPARE(first_frame, interval);
        QCOMPARE(rose, up);
        QCOMPARE(arrived, arrival);
        QCOMPARE(held, 149);
        QCOMPARE(sank, down);
        QCOMPARE(e.scroller.top, last_top);
        QCOMPARE(ended, end);
        QCOMPARE(e.scroller_countdown, interval);
        QVERIFY(e.scroller.visible); // it waits below the screen
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

    void clock_sits_top_right_data()
    {
        QTest::addColumn<int>("tpp_x");
        QTest::addColumn<int>("left");
        QTest::newRow("15 twips per pixel") << 15 << 800 * 15 - 1035;
        QTest::newRow("12 twips per pixel") << 12 << 800 * 12 - 1035;
    }
    void clock_sits_top_right()
    {
        QFETCH(int, tpp_x);
        QFETCH(int, left);
        fixture f;
        auto &e = f.eng;
        e.twips_per_pixel_x = static_cast<std::int16_t>(tpp_x);
        e.twips_per_pixel_y = 20;
        e.time_box.visible = true;
        e.activate(800, 600);
        QCOMPARE(e.time_box.left, left);
        QCOMPARE(e.time_box.top, 0);
        QCOMPARE(e.time_box.width, 1035);
        QCOMPARE(e.time_box.height, 255);
        QVERIFY(!e.time_box.visible); // hidden until the first frame's clock step
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

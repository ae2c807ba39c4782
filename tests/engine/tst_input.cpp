#include "engine_fixture.h"

#include <QtTest>

using engine::input_verdict;
using test_engine::fixture;

class tst_input : public QObject
{
    Q_OBJECT
private slots:
    void mouse_moves_data()
    {
        QTest::addColumn<int>("moves");
        QTest::addColumn<bool>("ends");
        QTest::newRow("22 do nothing") << 22 << false;
        QTest::newRow("23 end the saver") << 23 << true;
    }
    void mouse_moves()
    {
        QFETCH(int, moves);
        QFETCH(bool, ends);
        fixture f;
        for (int i = 0; i < moves; ++i)
            f.eng.ascreen_MouseMove();
        const input_verdict v = f.eng.judge_input([] { return false; });
        QCOMPARE(v == input_verdict::end_saver, ends);
        QCOMPARE(f.eng.loop_should_exit(), ends);
        QCOMPARE(f.eng.mouse_moves, std::int16_t(ends ? 0 : moves));
    }

    void key_press_counts_at_once()
    {
        fixture f;
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input({}), input_verdict::end_saver);
    }

    void window_reset_comes_before_the_check()
    {
        fixture f;
        f.eng.frame_count = 79;
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input({}), input_verdict::none);
        QCOMPARE(f.eng.frame_count, 0);
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input({}), input_verdict::end_saver);
    }

    void slow_movement_never_ends_it()
    {
        fixture f;
        for (int frame = 0; frame < 80 * 10; ++frame) {
            if (frame % 4 == 0)
                f.eng.ascreen_MouseMove(); // 20 moves per 80-frame window
            QCOMPARE(f.eng.judge_input({}), input_verdict::none);
        }
    }

    void password_opens_one_prompt()
    {
        fixture f;
        int asked = 0;
        auto required = [&] { ++asked; return true; };
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input(required), input_verdict::open_prompt);
        QCOMPARE(f.eng.password_prompt_open, std::int16_t(1));
        QVERIFY(!f.eng.loop_should_exit());
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input(required), input_verdict::none); // no second prompt
        QCOMPARE(asked, 2); // asked afresh each time input counts
        QCOMPARE(f.eng.judge_input(required), input_verdict::none);
        QCOMPARE(asked, 2); // not asked without input
    }

    void preview_ends_without_prompt()
    {
        fixture f;
        f.eng.preview_mode = 1;
        bool asked = false;
        f.eng.do_keypress();
        QCOMPARE(f.eng.judge_input([&] { asked = true; return true; }), input_verdict::end_saver);
        QVERIFY(!asked);
    }

    void scroller_band_keeps_mouse_from_counting()
    {
        fixture f;
        f.eng.mouse_moves = 11; // the moving caption band sets half the limit
        for (int i = 0; i < 11; ++i)
            f.eng.ascreen_MouseMove();
        QCOMPARE(f.eng.judge_input({}), input_verdict::none);
        f.eng.mouse_moves = 11;
        for (int i = 0; i < 12; ++i)
            f.eng.ascreen_MouseMove();
        QCOMPARE(f.eng.judge_input({}), input_verdict::end_saver);
    }
};

QTEST_GUILESS_MAIN(tst_input)
#include "tst_input.moc"

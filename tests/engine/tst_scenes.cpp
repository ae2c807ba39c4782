#include "engine_fixture.h"
#include "startup/bas_shellcode.h"

#include <QtTest>

using test_engine::fixture;

namespace {
std::uint32_t scene_colour(int i) { return 0xff000000u | (0x10u * (i + 1)) << 8; }

bool all_pixels(const platform::surface &s, std::uint32_t rgb)
{
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != rgb)
                return false;
    return true;
}
} // namespace

class tst_scenes : public QObject
{
    Q_OBJECT
private slots:
    void frame_counts_follow_the_settings_data()
    {
        QTest::addColumn<int>("scroller_delay");
        QTest::addColumn<int>("cycle_speed");
        QTest::addColumn<int>("object_frequency");
        QTest::addColumn<int>("scroller_interval");
        QTest::addColumn<int>("scene_duration");
        QTest::addColumn<int>("launch_period");
        QTest::newRow("defaults") << 10 << 13 << 5 << 500 << 1040 << 40;
        QTest::newRow("smallest") << 1 << 1 << 0 << 50 << 80 << 0;
        QTest::newRow("others") << 3 << 7 << 9 << 150 << 560 << 72;
    }
    void frame_counts_follow_the_settings()
    {
        QFETCH(int, scroller_delay);
        QFETCH(int, cycle_speed);
        QFETCH(int, object_frequency);
        QFETCH(int, scroller_interval);
        QFETCH(int, scene_duration);
        QFETCH(int, launch_period);
        bas_shellcode::scroller_delay = scroller_delay;
        bas_shellcode::cycle_speed_value = cycle_speed;
        bas_shellcode::object_frequency = object_frequency;
        fixture f;
        f.eng.derive_from_settings();
        QCOMPARE(f.eng.scroller_interval, scroller_interval);
        QCOMPARE(f.eng.scene_duration, scene_duration);
        QCOMPARE(f.eng.launch_period, launch_period);
        bas_shellcode::scroller_delay = 10;
        bas_shellcode::cycle_speed_value = 13;
        bas_shellcode::object_frequency = 5;
    }

    // Activation: a random first scene fills the screen on all three surfaces,
    // the scene state starts afresh and the first frame repaints everything.
    void first_scene_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("scene");
        QTest::newRow("lowest") << 0.0 << 0;
        QTest::newRow("middle") << 0.45 << 4;
        QTest::newRow("highest") << 0.95 << 9;
    }
    void first_scene()
    {
        QFETCH(double, r);
        QFETCH(int, scene);
        fixture f(64, 48);
        auto &e = f.eng;
        e.scene_frames = 7;
        e.transition_effect = 2;
        e.exit_requested = 1;
        e.mouse_moves = 5;
        e.password_prompt_open = 1;
        f.random.script({r, 0.0});
        e.activate(64, 48);
        QCOMPARE(e.scene_index, scene);
        QCOMPARE(e.scene_frames, 0);
        QCOMPARE(e.transition_effect, 0);
        QCOMPARE(e.exit_requested, 0);
        QCOMPARE(e.mouse_moves, std::int16_t(0));
        QCOMPARE(e.password_prompt_open, std::int16_t(0));
        QCOMPARE(e.full_repaint, std::int16_t(1));
        QCOMPARE(e.next_launch_kind, 1); // the sprite table came after the scene's draw
        QVERIFY(all_pixels(e.ascreen, scene_colour(scene)));
        QVERIFY(all_pixels(e.background_work, scene_colour(scene)));
        QVERIFY(all_pixels(e.background_copy, scene_colour(scene)));
    }

    void counts_only_while_the_scroller_rests_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("countdown");
        QTest::addColumn<int>("counted");
        QTest::newRow("resting") << 0 << 5 << 1;
        QTest::newRow("about to start") << 0 << 0 << 0;
        QTest::newRow("rising") << 1 << 5 << 0;
        QTest::newRow("sinking") << 2 << 150 << 0;
    }
    void counts_only_while_the_scroller_rests()
    {
        QFETCH(int, state);
        QFETCH(int, countdown);
        QFETCH(int, counted);
        fixture f;
        f.eng.scroller_state = state;
        f.eng.scroller_countdown = countdown;
        f.eng.handle_picture_rotation();
        QCOMPARE(f.eng.scene_frames, counted);
    }

    void change_after_duration_plus_one()
    {
        fixture f(64, 48);
        f.eng.scene_duration = 80; // cycle_speed_value 1
        f.eng.scroller_countdown = 500;
        f.place(1, 7, 10, 10, 5);
        for (int i = 0; i < 80; ++i)
            f.eng.handle_picture_rotation();
        QCOMPARE(f.eng.scene_index, 0);
        f.eng.handle_picture_rotation();
        QCOMPARE(f.eng.scene_index, 1);
        QCOMPARE(f.eng.scene_frames, 0);
        QCOMPARE(f.eng.transition_effect, 1);
        // Every scene starts without objects, and all surfaces show the new scene.
        QCOMPARE(f.eng.sprite_alive[1], 0);
        QCOMPARE(f.eng.kind_count[5], std::int16_t(0));
        QVERIFY(all_pixels(f.eng.ascreen, scene_colour(1)));
        QVERIFY(all_pixels(f.eng.background_copy, scene_colour(1)));
        QVERIFY(all_pixels(f.eng.background_work, scene_colour(1)));
    }

    void scenes_wrap_and_effects_turn()
    {
        fixture f(64, 48);
        f.eng.scene_duration = 0;
        f.eng.scroller_countdown = 500;
        f.eng.scene_index = 8;
        QList<int> scenes, effects;
        for (int i = 0; i < 4; ++i) {
            f.eng.handle_picture_rotation();
            scenes << f.eng.scene_index;
            effects << f.eng.transition_effect;
        }
        QCOMPARE(scenes, (QList<int>{9, 0, 1, 2}));
        QCOMPARE(effects, (QList<int>{1, 2, 3, 1}));
    }

    // The dissolve numbers its 40 x 40 cells row by row and swaps cell i with
    // cell floor(u * 1600 + 1). With every u = 0 each cell in turn swaps with
    // cell 1, so cell 1600 is copied first and then cells 1, 2, ..., 1599.
    void dissolve_cells_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("copy");   // positions in the copy sequence
        QTest::addColumn<QList<QRect>>("rect"); // what they copied (cut at the screen's edge)
        QTest::newRow("800 x 600: blocks of 20 x 15 copied as 21 x 16")
            << 800 << 600 << QList<int>{0, 1, 2, 40, 41, 42, 1599}
            << QList<QRect>{QRect(780, 585, 20, 15), QRect(0, 0, 21, 16), QRect(20, 0, 21, 16), QRect(780, 0, 20, 16),
                            QRect(0, 15, 21, 16), QRect(20, 15, 21, 16), QRect(760, 585, 21, 15)};
        // 20.5 x 15.25 blocks: places and sizes round half to even.
        QTest::newRow("820 x 610: rounded blocks")
            << 820 << 610 << QList<int>{1, 2, 4, 41, 81, 121}
            << QList<QRect>{QRect(0, 0, 22, 16), QRect(20, 0, 22, 16), QRect(62, 0, 22, 16), QRect(0, 15, 22, 16),
                            QRect(0, 30, 22, 16), QRect(0, 46, 22, 16)};
    }
    void dissolve_cells()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<int>, copy);
        QFETCH(QList<QRect>, rect);
        fixture f(width, height);
        f.random.fallback = 0.0;
        f.eng.wait_ticks = [&](std::int32_t ms) { f.clock.advance(ms); };
        platform::surface from(width, height), to(width, height);
        from.fill(0xffabcdefu);
        QList<QRect> copies;
        QList<std::int32_t> waited_before;
        to.set_change_listener([&](const QRect &r) {
            copies << r;
            waited_before << f.clock.ticks;
        });
        f.eng.blit_effect(from, to, 1);
        QCOMPARE(f.random.draws, 1600);
        QCOMPARE(copies.size(), 1600);
        for (int i = 0; i < copy.size(); ++i)
            QCOMPARE(copies[copy[i]], rect[i]);
        QCOMPARE(waited_before[1], 1); // one 1 ms wait after each copy
        QCOMPARE(f.clock.ticks, 1600);
        QVERIFY(all_pixels(to, 0xffabcdefu));
    }

    // On an even screen the top pass copies rows 0, 2, ..., H - 2 and the bottom
    // pass rows H - 1, H - 3, ..., 1, in pairs; the last pair (H and -1) lies
    // outside and copies nothing. Columns likewise.
    void sweeps_copy_single_lines_in_pairs_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("wait");
        QTest::newRow("rows, 480 high") << 2 << 64 << 480 << 6;
        QTest::newRow("columns, 640 wide") << 3 << 640 << 48 << 4;
    }
    void sweeps_copy_single_lines_in_pairs()
    {
        QFETCH(int, effect);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, wait);
        fixture f(width, height);
        f.eng.wait_ticks = [&](std::int32_t ms) { f.clock.advance(ms); };
        platform::surface from(width, height), to(width, height);
        QList<QRect> copies;
        QList<std::int32_t> waited_before;
        to.set_change_listener([&](const QRect &r) {
            copies << r;
            waited_before << f.clock.ticks;
        });
        f.eng.blit_effect(from, to, effect);
        const int lines = effect == 2 ? height : width;
        auto line = [&](int at) { return effect == 2 ? QRect(0, at, width, 1) : QRect(at, 0, 1, height); };
        QCOMPARE(copies.size(), lines);
        for (int k = 0; k < lines / 2; ++k) {
            QCOMPARE(copies[2 * k], line(2 * k));
            QCOMPARE(copies[2 * k + 1], line(lines - 1 - 2 * k));
            QCOMPARE(waited_before[2 * k], k * wait);
        }
        QCOMPARE(f.clock.ticks, (lines / 2 + 1) * wait);
    }

    void odd_sweeps_leave_no_old_line_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("waited");
        QTest::newRow("rows, odd height") << 2 << 64 << 481 << 241 * 6;
        QTest::newRow("columns, odd width") << 3 << 641 << 48 << 321 * 4;
    }
    void odd_sweeps_leave_no_old_line()
    {
        QFETCH(int, effect);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, waited);
        fixture f(width, height);
        f.eng.wait_ticks = [&](std::int32_t ms) { f.clock.advance(ms); };
        platform::surface from(width, height), to(width, height);
        from.fill(0xff123456u);
        f.eng.blit_effect(from, to, effect);
        QVERIFY(all_pixels(to, 0xff123456u));
        QCOMPARE(f.clock.ticks, waited);
    }
};

QTEST_GUILESS_MAIN(tst_scenes)
#include "tst_scenes.moc"

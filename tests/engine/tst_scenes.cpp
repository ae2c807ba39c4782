#include "engine_fixture.h"

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

    void dissolve_covers_the_screen_in_1600_blocks()
    {
        engine::mixing_random random(5);
        engine::manual_clock clock;
        engine::scene_engine e(random, clock);
        e.screen_width = 800;
        e.screen_height = 600;
        e.wait_ticks = [&](std::int32_t ms) { clock.advance(ms); };
        platform::surface from(800, 600), to(800, 600);
        from.fill(0xffabcdefu);
        QList<QRect> copies;
        to.set_change_listener([&](const QRect &r) { copies << r; });
        e.blit_effect(from, to, 1);
        QCOMPARE(copies.size(), 1600);
        int full_blocks = 0;
        for (const QRect &r : copies)
            full_blocks += r.size() == QSize(21, 16);
        QCOMPARE(full_blocks, 39 * 39); // all but the last row and column, cut at the edge
        QVERIFY(all_pixels(to, 0xffabcdefu));
        QCOMPARE(clock.ticks, 1600);
    }

    void sweeps_cover_every_line_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("waited");
        QTest::newRow("rows, even height") << 2 << 64 << 480 << 241 * 6;
        QTest::newRow("rows, odd height") << 2 << 64 << 481 << 241 * 6;
        QTest::newRow("columns, even width") << 3 << 640 << 48 << 321 * 4;
        QTest::newRow("columns, odd width") << 3 << 641 << 48 << 321 * 4;
    }
    void sweeps_cover_every_line()
    {
        QFETCH(int, effect);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, waited);
        fixture f(width, height);
        f.eng.wait_ticks = [&](std::int32_t ms) { f.clock.advance(ms); };
        platform::surface from(width, height), to(width, height);
        from.fill(0xff123456u);
        QList<QRect> copies;
        to.set_change_listener([&](const QRect &r) { copies << r; });
        f.eng.blit_effect(from, to, effect);
        QVERIFY(all_pixels(to, 0xff123456u));
        QCOMPARE(f.clock.ticks, waited);
        // The top (left) pass lands on even lines, the other pass on odd ones.
        QCOMPARE(copies[0].topLeft(), QPoint(0, 0));
        const QRect second = copies[1];
        QCOMPARE((effect == 2 ? second.y() : second.x()) % 2, 1);
    }
};

QTEST_GUILESS_MAIN(tst_scenes)
#include "tst_scenes.moc"

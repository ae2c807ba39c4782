#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

namespace {
constexpr std::uint32_t k_scene = 0xff406080u;

// Image 7 (21 x 15 at 521, 3): a red 5 x 5 square with its top-left at (2, 2)
// of the image, black with a black mask there, white mask elsewhere.
void paint_rock(fixture &f)
{
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            f.eng.sprite.set_pixel(521 + 2 + x, 3 + 2 + y, 0xffff0000u);
            f.eng.mask.set_pixel(521 + 2 + x, 3 + 2 + y, 0xff000000u);
        }
    // A star frame (image 68 at 340, 516): one dim blue pixel in the middle.
    f.eng.sprite.set_pixel(344, 520, 0xff000040u);
    // Image 9 (17 x 13 at 570, 2): a green 5 x 5 square at (2, 2) of the image.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            f.eng.sprite.set_pixel(570 + 2 + x, 2 + 2 + y, 0xff00ff00u);
            f.eng.mask.set_pixel(570 + 2 + x, 2 + 2 + y, 0xff000000u);
        }
}

void flat_scene(fixture &f)
{
    f.eng.background_copy.fill(k_scene);
    f.eng.background_work.fill(k_scene);
    f.eng.ascreen.fill(k_scene);
}
} // namespace

class tst_compositor : public QObject
{
    Q_OBJECT
private slots:
    void masked_sprite_replaces_the_scene_on_its_shape()
    {
        fixture f;
        flat_scene(f);
        paint_rock(f);
        f.place(1, 7, 100, 50);
        f.eng.blit_new_sprites();
        const auto &w = f.eng.background_work;
        QCOMPARE(w.pixel(102, 52), 0xffff0000u);
        QCOMPARE(w.pixel(106, 56), 0xffff0000u);
        QCOMPARE(w.pixel(101, 52), k_scene);
        QCOMPARE(w.pixel(107, 56), k_scene);
    }

    void star_only_brightens()
    {
        fixture f;
        flat_scene(f);
        paint_rock(f);
        f.place(2, 68, 10, 10, 12, 0);
        f.eng.sprite_masked[2] = 0;
        f.eng.blit_new_sprites();
        QCOMPARE(f.eng.background_work.pixel(14, 14), k_scene | 0x40u);
        QCOMPARE(f.eng.background_work.pixel(13, 14), k_scene);
    }

    void dirty_rectangle_data()
    {
        QTest::addColumn<double>("old_x");
        QTest::addColumn<double>("old_y");
        QTest::addColumn<double>("new_x");
        QTest::addColumn<double>("new_y");
        QTest::addColumn<QRect>("copied");
        // Image 7 is 21 x 15.
        QTest::newRow("unmoved") << 100.0 << 50.0 << 100.0 << 50.0 << QRect(100, 50, 21, 15);
        QTest::newRow("3 right, 2 up") << 100.0 << 50.0 << 103.0 << 48.0 << QRect(100, 48, 21 + 4, 15 + 3);
        QTest::newRow("left and down") << 100.0 << 50.0 << 98.0 << 51.0 << QRect(98, 50, 21 + 3, 15 + 2);
        QTest::newRow("half pixels round to even") << 100.5 << 50.0 << 102.5 << 50.0 << QRect(100, 50, 21 + 3, 15);
        QTest::newRow("partly off screen") << -5.0 << 50.0 << -3.0 << 50.0 << QRect(0, 50, 21 - 5 + 3, 15);
    }
    void dirty_rectangle()
    {
        QFETCH(double, old_x);
        QFETCH(double, old_y);
        QFETCH(double, new_x);
        QFETCH(double, new_y);
        QFETCH(QRect, copied);
        fixture f;
        f.place(1, 7, old_x, old_y);
        f.eng.blit_old_sprites();
        f.eng.sprite_x[1] = new_x;
        f.eng.sprite_y[1] = new_y;
        QList<QRect> rects;
        f.eng.ascreen.set_change_listener([&](const QRect &r) { rects << r; });
        f.eng.blit_flicker_free();
        QCOMPARE(rects.size(), 1);
        QCOMPARE(rects[0], copied);
    }

    void erase_restores_and_remembers_unrounded_position()
    {
        fixture f;
        flat_scene(f);
        paint_rock(f);
        f.place(1, 7, 100.4, 50.6);
        f.eng.blit_new_sprites();
        QCOMPARE(f.eng.background_work.pixel(102, 53), 0xffff0000u);
        f.eng.blit_old_sprites();
        QCOMPARE(f.eng.background_work.pixel(102, 53), k_scene);
        QCOMPARE(f.eng.sprite_old_x[1], 100.4);
        QCOMPARE(f.eng.sprite_old_y[1], 50.6);
    }

    void full_repaint_frame_draws_no_sprites_then_copies_all()
    {
        fixture f;
        flat_scene(f);
        paint_rock(f);
        f.place(1, 7, 100, 50);
        f.eng.full_repaint = 1;
        QList<QRect> rects;
        f.eng.ascreen.set_change_listener([&](const QRect &r) { rects << r; });
        f.eng.blit_old_sprites();
        f.eng.blit_new_sprites();
        f.eng.blit_flicker_free();
        QCOMPARE(f.eng.background_work.pixel(102, 52), k_scene);
        QCOMPARE(f.eng.ascreen.pixel(102, 52), k_scene);
        QCOMPARE(rects.size(), 1);
        f.eng.judge_input({});
        QCOMPARE(f.eng.full_repaint, std::int16_t(0));
        QCOMPARE(rects.last(), QRect(0, 0, 800, 600));
    }

    // A frame erases at the old place, moves, draws in the drawing order of the
    // previous frame, copies to the screen, and only then sorts.
    void frame_steps_come_in_order()
    {
        fixture f;
        auto &e = f.eng;
        flat_scene(f);
        paint_rock(f);
        f.random.fallback = 0.999; // no star, no launch due
        // Rock 7 (depth 3) in slot 1 over rock 9 (depth 1) in slot 2: drawn in
        // slot order this frame although the depths say otherwise.
        f.place(1, 7, 100, 50, 5, 3);
        f.place(2, 9, 100, 50, 5, 3);
        for (int s : {1, 2}) {
            e.velocity_x[s] = 10;
            e.draw_sprite(e.background_work, s); // as the previous frame left them
            e.draw_sprite(e.ascreen, s);
        }
        e.sprite_old_x[1] = e.sprite_old_x[2] = 100;
        e.sprite_old_y[1] = e.sprite_old_y[2] = 50;
        e.frame();
        for (const platform::surface *shown : {&e.background_work, &e.ascreen}) {
            QCOMPARE(shown->pixel(102, 52), k_scene);     // erased where it was
            QCOMPARE(shown->pixel(112, 52), 0xff00ff00u); // drawn where it is, rock 9 last
        }
        QCOMPARE(e.draw_order[1], std::int16_t(2)); // sorted afterwards: rock 7 goes behind the free slots
        QCOMPARE(e.draw_order[25], std::int16_t(1));
        QCOMPARE(e.sprite_old_x[1], 100.0);
        QCOMPARE(e.scene_frames, 1); // the scene changer ends the motion step
        QVERIFY(e.time_box.visible);
        e.frame();
        QCOMPARE(e.ascreen.pixel(122, 52), 0xffff0000u); // now by depth: rock 7 in front
    }

    void one_sort_pass_per_frame()
    {
        fixture f;
        // depths: image 13 = 21 (front), image 9 = 1, image 7 = 3, free slots -1.
        f.place(1, 13, 0, 0);
        f.place(2, 9, 0, 0);
        f.place(3, 7, 0, 0);
        f.eng.sort_sprites();
        // The deepest entry travels all the way back in one pass ...
        QCOMPARE(f.eng.draw_order[25], std::int16_t(1));
        // ... while the others move at most one place toward the front.
        QCOMPARE(f.eng.draw_order[1], std::int16_t(2));
        QCOMPARE(f.eng.draw_order[2], std::int16_t(3));
        QCOMPARE(f.eng.draw_order[3], std::int16_t(4));
        for (int i = 0; i < 30; ++i)
            f.eng.sort_sprites();
        QList<int> order;
        for (int k = 1; k <= 25; ++k)
            order << f.eng.draw_order[k];
        QCOMPARE(order.mid(22), (QList<int>{2, 3, 1}));
        // Free slots of equal depth keep their relative order.
        QCOMPARE(order.mid(0, 22), (QList<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}));
    }
};

QTEST_GUILESS_MAIN(tst_compositor)
#include "tst_compositor.moc"

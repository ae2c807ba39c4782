#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

class tst_sprite_table : public QObject
{
    Q_OBJECT
private slots:
    void init_empties_the_table()
    {
        fixture f;
        auto &e = f.eng;
        QCOMPARE(e.sprite_count, 25);
        for (int i = 1; i <= 25; ++i) {
            QCOMPARE(e.draw_order[i], std::int16_t(i));
            QCOMPARE(e.sprite_alive[i], 0);
            QCOMPARE(e.sprite_image[i], 0);
            QCOMPARE(e.sprite_masked[i], 1);
        }
        QCOMPARE(e.image_catalogue[0][5], -1);
        QCOMPARE(e.launch_timer, e.launch_period - 10);
        QCOMPARE(e.scroller_countdown, e.scroller_interval);
        QCOMPARE(e.caption_index, 0);
    }

    void first_launch_kind_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("kind");
        QTest::newRow("lowest") << 0.0 << 1;
        QTest::newRow("highest") << 0.9999 << 11;
        QTest::newRow("middle") << 0.5 << 6;
    }
    void first_launch_kind()
    {
        QFETCH(double, r);
        QFETCH(int, kind);
        fixture f;
        f.random.script({r});
        f.eng.init_sprites();
        QCOMPARE(f.eng.next_launch_kind, kind);
    }

    void catalogue_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("depth");
        const QList<QRect> fixed{QRect(3, 2, 94, 82),     QRect(103, 1, 89, 89),   QRect(196, 2, 70, 59),
                                 QRect(272, 2, 89, 66),   QRect(367, 1, 80, 60),   QRect(449, 1, 71, 28),
                                 QRect(521, 3, 21, 15),   QRect(545, 4, 18, 15),   QRect(570, 2, 17, 13),
                                 QRect(3, 96, 96, 151),   QRect(110, 97, 144, 60), QRect(110, 162, 144, 60),
                                 QRect(265, 81, 125, 144), QRect(401, 118, 59, 69), QRect(469, 112, 30, 35),
                                 QRect(560, 60, 28, 166), QRect(592, 40, 128, 158), QRect(3, 262, 126, 167),
                                 QRect(170, 263, 126, 168)};
        const QList<int> depths{6, 7, 8, 9, 10, 4, 3, 2, 1, 14, 13, 12, 21, 20, 19, 5, 18, 17, 16};
        QTest::newRow("0 none") << 0 << QRect(0, 0, 0, 0) << -1;
        for (int i = 0; i < fixed.size(); ++i)
            QTest::addRow("%d", i + 1) << i + 1 << fixed[i] << depths[i];
        QTest::newRow("20 small asteroid") << 20 << QRect(0, 480, 30, 30) << 11;
        QTest::newRow("25") << 25 << QRect(150, 480, 30, 30) << 11;
        QTest::newRow("26") << 26 << QRect(0, 510, 30, 30) << 11;
        QTest::newRow("43") << 43 << QRect(150, 570, 30, 30) << 11;
        QTest::newRow("44 large asteroid") << 44 << QRect(360, 240, 60, 60) << 15;
        QTest::newRow("67") << 67 << QRect(660, 420, 60, 60) << 15;
        QTest::newRow("68 star") << 68 << QRect(340, 516, 9, 9) << 0;
        QTest::newRow("73 black star") << 73 << QRect(400, 516, 9, 9) << 0;
        QTest::newRow("74 unused") << 74 << QRect(0, 0, 0, 0) << 0;
    }
    void catalogue()
    {
        QFETCH(int, image);
        QFETCH(QRect, rect);
        QFETCH(int, depth);
        fixture f;
        const auto *row = f.eng.image_catalogue[image];
        QCOMPARE(QRect(row[1], row[2], row[3], row[4]), rect);
        QCOMPARE(row[5], depth);
    }

    void speed_levels_scale_with_the_screen()
    {
        fixture f(800, 600);
        QCOMPARE(f.eng.depth_speed_x[1], 800 / 2500.0);
        QCOMPARE(f.eng.depth_speed_x[20], 800 / 600.0);
        QCOMPARE(f.eng.depth_speed_y[1], 600 / 2500.0);
        QCOMPARE(f.eng.depth_speed_y[10], 600 / 1600.0);
    }

    void sprite_off_counts()
    {
        fixture f;
        auto &e = f.eng;
        f.place(3, 7, 12.5, 40.0, 5);
        e.velocity_x[3] = 1.5;
        QCOMPARE(e.kind_count[5], std::int16_t(1));
        e.sprite_off(3, true);
        QCOMPARE(e.kind_count[5], std::int16_t(1)); // kept
        QCOMPARE(e.sprite_alive[3], 0);
        e.sprite_off(3);
        QCOMPARE(e.kind_count[5], std::int16_t(0));
        e.sprite_off(3);
        QCOMPARE(e.kind_count[5], std::int16_t(0)); // never below 0
        // A free slot keeps its kind, position and velocity.
        QCOMPARE(e.sprite_kind[3], std::int16_t(5));
        QCOMPARE(e.sprite_x[3], 12.5);
        QCOMPARE(e.velocity_x[3], 1.5);
    }

    void reset_leaves_entry_zero()
    {
        fixture f;
        for (int i = 1; i <= 25; ++i)
            f.eng.sprite_kind[i] = 5;
        f.eng.kind_count[0] = 4;
        f.place(1, 7, 0, 0, 5);
        f.place(2, 68, 0, 0, 12, 0);
        f.eng.sprites_reset();
        QCOMPARE(f.eng.kind_count[0], std::int16_t(4));
        for (int k = 1; k <= 12; ++k)
            QCOMPARE(f.eng.kind_count[k], std::int16_t(0));
        QCOMPARE(f.eng.sprite_alive[1], 0);
    }

    void animations_data()
    {
        QTest::addColumn<int>("anim");
        QTest::addColumn<int>("end_mode");
        QTest::addColumn<QList<int>>("images"); // right after the start, then after each step; 0 = retired
        QTest::newRow("star 5 retires") << 5 << 1 << QList<int>{70, 70, 71, 72, 73, 0};
        QTest::newRow("star 3") << 3 << 1 << QList<int>{68, 68, 69, 70, 71, 72, 73, 0};
        QTest::newRow("asteroid loops") << 1 << 0 << QList<int>{20, 20, 21};
    }
    void animations()
    {
        QFETCH(int, anim);
        QFETCH(int, end_mode);
        QFETCH(QList<int>, images);
        fixture f;
        f.place(4, 1, 0, 0, 12, 0);
        f.eng.setsprite_anim(4, anim);
        f.eng.anim_end_mode[4] = end_mode;
        QCOMPARE(f.eng.sprite_image[4], images[0]);
        for (int i = 1; i < images.size(); ++i) {
            f.eng.animation_step(4);
            QCOMPARE(f.eng.sprite_image[4], images[i]);
        }
        if (images.last() == 0)
            QCOMPARE(f.eng.sprite_alive[4], 0);
    }

    void asteroid_animation_wraps_after_24()
    {
        fixture f;
        f.place(4, 1, 0, 0, 11, 3);
        f.eng.setsprite_anim(4, 2);
        QList<int> seen;
        for (int i = 0; i < 26; ++i) {
            f.eng.animation_step(4);
            seen << f.eng.sprite_image[4];
        }
        QCOMPARE(seen[0], 44);
        QCOMPARE(seen[23], 67);
        QCOMPARE(seen[24], 44);
        QCOMPARE(seen[25], 45);
    }
};

QTEST_GUILESS_MAIN(tst_sprite_table)
#include "tst_sprite_table.moc"

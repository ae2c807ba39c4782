#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

namespace {
// A random source that always answers the same: with 0.999 the star attempt
// draws slot 25 and fails its chance, every chance test fails, and the
// satellites, which have none, still launch.
void constant(fixture &f, double v)
{
    f.random.values.clear();
    f.random.fallback = v;
}

// A draw that makes roll(n) come out as k.
double roll_of(int n, int k) { return (k - 0.5) / n; }
} // namespace

class tst_motion : public QObject
{
    Q_OBJECT
private slots:
    void launch_schedule_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QList<int>>("attempts"); // move_sprites calls that attempt a launch
        QTest::newRow("default 40") << 40 << QList<int>{10, 50, 90};
        QTest::newRow("object_frequency 0") << 0 << QList<int>{10};
    }
    void launch_schedule()
    {
        QFETCH(int, period);
        QFETCH(QList<int>, attempts);
        fixture f;
        constant(f, 0.999);
        f.eng.launch_period = period;
        f.eng.init_sprites();
        QList<int> seen;
        for (int call = 1; call <= 100; ++call) {
            const int before = f.eng.next_launch_kind;
            f.eng.move_sprites();
            if (f.eng.next_launch_kind != before)
                seen << call;
            // Free every slot so that each attempt finds its drawn slot empty.
            for (int s = 1; s <= 25; ++s)
                if (f.eng.sprite_alive[s])
                    f.eng.sprite_off(s);
        }
        QCOMPARE(seen, attempts);
    }

    void taken_slot_drops_the_attempt()
    {
        fixture f;
        constant(f, 0.0); // star and launch both draw slot 1
        f.eng.launch_timer = f.eng.launch_period - 1;
        const int kind_before = f.eng.next_launch_kind;
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_kind[1], std::int16_t(12)); // the star took it
        QCOMPARE(f.eng.next_launch_kind, kind_before);     // the launch did not turn
        QCOMPARE(f.eng.launch_timer, 0);
    }

    // A star attempt: slot roll(25), chance roll(1000) < 100, then the place
    // roll(W), roll(H) and the animation roll(3) + 2; the star then shows one
    // image a frame where it stands and is retired after its last one.
    void star_attempt_data()
    {
        QTest::addColumn<int>("chance_roll");
        QTest::addColumn<double>("x_draw");
        QTest::addColumn<double>("y_draw");
        QTest::addColumn<int>("anim_roll");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QList<int>>("images"); // after the placing frame, then one per frame; empty = no star
        QTest::newRow("roll 99 places a star of animation 3")
            << 99 << 0.0 << 0.0 << 1 << 1.0 << 1.0 << QList<int>{68, 69, 70, 71, 72, 73, 0};
        QTest::newRow("animation 4 at the far corner, off screen")
            << 1 << 0.9999 << 0.9999 << 2 << 800.0 << 600.0 << QList<int>{69, 70, 71, 72, 73, 0};
        QTest::newRow("animation 5")
            << 50 << 0.5 << 0.5 << 3 << 401.0 << 301.0 << QList<int>{70, 71, 72, 73, 0};
        QTest::newRow("roll 100 places none") << 100 << 0.0 << 0.0 << 1 << 0.0 << 0.0 << QList<int>{};
    }
    void star_attempt()
    {
        QFETCH(int, chance_roll);
        QFETCH(double, x_draw);
        QFETCH(double, y_draw);
        QFETCH(int, anim_roll);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QList<int>, images);
        fixture f(800, 600);
        auto &e = f.eng;
        e.sprite_kind[3] = 5; // the slot's last occupant, a rock; two rocks still fly
        e.kind_count[5] = 2;
        f.random.script({roll_of(25, 3), roll_of(1000, chance_roll), x_draw, y_draw, roll_of(3, anim_roll)});
        f.random.fallback = 0.999;
        e.move_sprites();
        if (images.isEmpty()) {
            QCOMPARE(f.random.draws, 2);
            QCOMPARE(e.sprite_alive[3], 0);
            QCOMPARE(e.kind_count[12], std::int16_t(0));
            return;
        }
        QCOMPARE(f.random.draws, 5);
        QCOMPARE(e.sprite_alive[3], 1);
        QCOMPARE(e.sprite_kind[3], std::int16_t(12));
        QCOMPARE(e.kind_count[12], std::int16_t(1));
        QCOMPARE(e.kind_count[5], std::int16_t(2));
        QCOMPARE(e.sprite_masked[3], 0);
        QCOMPARE(e.motion_class[3], 0);
        QCOMPARE(e.anim_end_mode[3], 1);
        QCOMPARE(e.sprite_anim[3], anim_roll + 2);
        QCOMPARE(e.sprite_x[3], x);
        QCOMPARE(e.sprite_y[3], y);
        QList<int> shown{e.sprite_image[3]}; // frame 1, shown at once and stepped in the same pass
        while (e.sprite_alive[3]) {
            e.move_sprites();
            shown << e.sprite_image[3];
            if (e.sprite_alive[3]) {
                QCOMPARE(e.sprite_x[3], x); // never moved, never band-tested
                QCOMPARE(e.sprite_y[3], y);
            }
        }
        QCOMPARE(shown, images);
        QCOMPARE(e.kind_count[12], std::int16_t(0));
    }

    // The star's chance is drawn every frame, right after its slot, whether or
    // not that slot is free; the draws that follow depend on it.
    void star_chance_is_drawn_for_a_taken_slot()
    {
        fixture f(800, 600);
        auto &e = f.eng;
        f.place(3, 7, 100, 100, 5, 3);
        f.random.script({roll_of(25, 3), 0.0});
        f.random.fallback = 0.999;
        e.move_sprites();
        QCOMPARE(e.kind_count[12], std::int16_t(0));
        QCOMPARE(e.sprite_kind[3], std::int16_t(5));
        QCOMPARE(f.random.draws, 2);
    }

    void motion_classes_data()
    {
        QTest::addColumn<int>("motion");
        QTest::addColumn<double>("vx");
        QTest::addColumn<double>("vy");
        QTest::addColumn<double>("ax");
        QTest::addColumn<double>("next_vx");
        QTest::addColumn<double>("next_vy");
        // Screen 800 x 600: depth_speed_x(1) / 4 = 0.08, depth_speed_y(1) / 4 = 0.06.
        QTest::newRow("1 speeds up to the right") << 1 << 2.0 << -1.0 << 0.0 << 2.08 << -1.0;
        QTest::newRow("1 speeds up to the left") << 1 << -2.0 << 1.0 << 0.0 << -2.08 << 1.0;
        QTest::newRow("1 at rest turns left") << 1 << 0.0 << 0.0 << 0.0 << -0.08 << 0.0;
        QTest::newRow("2 climbs faster") << 2 << 0.5 << -1.0 << 0.0 << 0.5 << -1.06;
        QTest::newRow("3 straight") << 3 << 1.5 << 0.25 << 0.0 << 1.5 << 0.25;
        QTest::newRow("4 brakes") << 4 << 3.0 << 0.5 << -0.25 << 2.75 << 0.5;
    }
    void motion_classes()
    {
        QFETCH(int, motion);
        QFETCH(double, vx);
        QFETCH(double, vy);
        QFETCH(double, ax);
        QFETCH(double, next_vx);
        QFETCH(double, next_vy);
        fixture f(800, 600);
        constant(f, 0.999);
        f.place(24, 1, 300, 200, 4, motion);
        f.eng.velocity_x[24] = vx;
        f.eng.velocity_y[24] = vy;
        f.eng.accel_x[24] = ax;
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_x[24], 300 + vx);
        QCOMPARE(f.eng.sprite_y[24], 200 + vy);
        QCOMPARE(f.eng.velocity_x[24] + 1, next_vx + 1);
        QCOMPARE(f.eng.velocity_y[24] + 1, next_vy + 1);
    }

    // The saucer's wobble: half-chance vertical kick, twentieth-chance
    // horizontal kick, each against the drift it finds, then the move.
    void saucer_kicks_data()
    {
        QTest::addColumn<double>("dvx");
        QTest::addColumn<double>("dvy");
        QTest::addColumn<double>("ax");
        QTest::addColumn<double>("ay");
        QTest::addColumn<QList<double>>("draws"); // after the star attempt
        QTest::addColumn<double>("next_ax");
        QTest::addColumn<double>("next_ay");
        // Screen 800 x 600: depth_speed_x(k) = 800 / (2600 - 100 k), depth_speed_y(k) = 600 / (2600 - 100 k).
        QTest::newRow("rising: kicked down at level 1; twentieth roll 49 kicks back at level 10")
            << 2.0 << -0.5 << 0.1 << 0.0 << QList<double>{0.0, 0.0, roll_of(1000, 49), 0.99}
            << 0.1 - 800 / 1600.0 / 16 << 600 / 2500.0 / 8;
        QTest::newRow("sinking: kicked up at level 10; twentieth roll 50 does not kick")
            << -1.0 << 0.48 << 0.0 << 0.02 << QList<double>{0.0, 0.99, roll_of(1000, 50)}
            << 0.0 << 0.02 - 600 / 1600.0 / 8;
        QTest::newRow("half roll 500: no vertical kick; going left: kicked right")
            << -1.0 << 0.5 << 0.0 << 0.0 << QList<double>{roll_of(1000, 500), 0.0, 0.0}
            << 800 / 2500.0 / 16 << 0.0;
    }
    void saucer_kicks()
    {
        QFETCH(double, dvx);
        QFETCH(double, dvy);
        QFETCH(double, ax);
        QFETCH(double, ay);
        QFETCH(QList<double>, draws);
        QFETCH(double, next_ax);
        QFETCH(double, next_ay);
        fixture f(800, 600);
        auto &e = f.eng;
        f.place(1, 6, 300, 200, 6, 5);
        e.drift_velocity_x[1] = dvx;
        e.drift_velocity_y[1] = dvy;
        e.drift_accel_x[1] = ax;
        e.drift_accel_y[1] = ay;
        // The star attempt draws free slot 13 and fails its chance.
        f.random.values.assign({roll_of(25, 13), 0.999});
        f.random.values.insert(f.random.values.end(), draws.begin(), draws.end());
        e.move_sprites();
        QVERIFY2(!f.random.ran_dry && f.random.values.empty(), "the wobble used a different number of draws");
        // The drift takes the old accelerations first, then the position takes the drift.
        QCOMPARE(e.drift_velocity_x[1], dvx + ax);
        QCOMPARE(e.drift_velocity_y[1], dvy + ay);
        QCOMPARE(e.sprite_x[1], 300 + (dvx + ax));
        QCOMPARE(e.sprite_y[1], 200 + (dvy + ay));
        QCOMPARE(e.drift_accel_x[1] + 1, next_ax + 1);
        QCOMPARE(e.drift_accel_y[1] + 1, next_ay + 1);
    }

    void band_test_data()
    {
        QTest::addColumn<int>("motion");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("kept");
        // Image 7 is 21 x 15; the margin is 8 pixels on every side; the sprite
        // moves by (0, 0) so it is tested where it stands.
        QTest::newRow("just entered from the left") << 3 << -21.0 << 100.0 << true;
        QTest::newRow("right edge 8 left of the screen") << 3 << -29.0 << 100.0 << true;
        QTest::newRow("right edge past the margin") << 3 << -29.5 << 100.0 << false;
        QTest::newRow("left edge at W + 8") << 3 << 808.0 << 100.0 << true;
        QTest::newRow("left edge past W + 8") << 3 << 808.5 << 100.0 << false;
        QTest::newRow("top edge at H + 8") << 3 << 100.0 << 608.0 << true;
        QTest::newRow("top edge past H + 8") << 3 << 100.0 << 608.5 << false;
        QTest::newRow("bottom edge 8 above the screen") << 3 << 100.0 << -23.0 << true;
        QTest::newRow("bottom edge past the top margin") << 3 << 100.0 << -23.5 << false;
        QTest::newRow("out of both bands") << 3 << -100.0 << -100.0 << false;
        QTest::newRow("class 1 leaves") << 1 << 808.5 << 100.0 << false;
        QTest::newRow("class 2 leaves") << 2 << 100.0 << -23.5 << false;
        QTest::newRow("class 4 leaves") << 4 << -29.5 << 100.0 << false;
        QTest::newRow("class 5 leaves") << 5 << 100.0 << 608.5 << false;
        QTest::newRow("class 0 is never tested") << 0 << -100.0 << -100.0 << true;
    }
    void band_test()
    {
        QFETCH(int, motion);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(bool, kept);
        fixture f(800, 600);
        constant(f, 0.999); // no star, no saucer kick
        f.place(24, 7, x, y, 5, motion);
        f.place(23, 7, 100, 100, 5, 3); // a second rock keeps the count visible
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_alive[24], kept ? 1 : 0);
        QCOMPARE(f.eng.kind_count[5], std::int16_t(kept ? 2 : 1)); // retired once
    }
};

QTEST_GUILESS_MAIN(tst_motion)
#include "tst_motion.moc"

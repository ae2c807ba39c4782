#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

namespace {
// A random source that always answers the same: with 0.999 no star is placed
// and every chance test fails except the satellites', which have none.
void constant(fixture &f, double v)
{
    f.random.values.clear();
    f.random.fallback = v;
}
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

    void motion_classes_data()
    {
        QTest::addColumn<int>("motion");
        QTest::addColumn<double>("vx");
        QTest::addColumn<double>("vy");
        QTest::addColumn<double>("ax");
        QTest::addColumn<double>("next_vx"); // in units of depth_speed_x(1) / 4 added
        QTest::addColumn<double>("next_vy");
        // Screen 800 x 600: depth_speed_x(1) / 4 = 0.08, depth_speed_y(1) / 4 = 0.06.
        QTest::newRow("1 speeds up to the right") << 1 << 2.0 << -1.0 << 0.0 << 2.08 << -1.0;
        QTest::newRow("1 speeds up to the left") << 1 << -2.0 << 1.0 << 0.0 << -2.08 << 1.0;
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
        f.place(25, 1, 300, 200, 4, motion);
        f.eng.velocity_x[25] = vx;
        f.eng.velocity_y[25] = vy;
        f.eng.accel_x[25] = ax;
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_x[25], 300 + vx);
        QCOMPARE(f.eng.sprite_y[25], 200 + vy);
        QVERIFY(qFuzzyCompare(f.eng.velocity_x[25], next_vx));
        QVERIFY(qFuzzyCompare(f.eng.velocity_y[25], next_vy));
    }

    void saucer_kicks_against_its_drift()
    {
        fixture f(800, 600);
        constant(f, 0.0); // both kicks happen, at level 1
        f.place(1, 6, 300, 200, 6, 5);
        f.eng.drift_velocity_x[1] = 2.0;
        f.eng.drift_velocity_y[1] = -0.5;
        f.eng.drift_accel_x[1] = 0.1;
        f.eng.drift_accel_y[1] = 0.0;
        f.eng.move_sprites();
        QCOMPARE(f.eng.drift_velocity_x[1], 2.1);
        QCOMPARE(f.eng.drift_velocity_y[1], -0.5);
        QCOMPARE(f.eng.drift_accel_y[1], 600 / 2500.0 / 8);          // pushed down against its rising drift
        QCOMPARE(f.eng.drift_accel_x[1], 0.1 - 800 / 2500.0 / 16);   // pushed back against its way
        QCOMPARE(f.eng.sprite_x[1], 302.1);
        QCOMPARE(f.eng.sprite_y[1], 199.5);
    }

    void band_test_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("kept");
        // Image 7 is 21 x 15; the margin is 8 pixels on every side; the sprite
        // moves by (0, 0) so it is tested where it stands.
        QTest::newRow("just entered from the left") << -21.0 << 100.0 << true;
        QTest::newRow("right edge 8 left of the screen") << -29.0 << 100.0 << true;
        QTest::newRow("right edge past the margin") << -29.5 << 100.0 << false;
        QTest::newRow("left edge at W + 8") << 808.0 << 100.0 << true;
        QTest::newRow("left edge past W + 8") << 808.5 << 100.0 << false;
        QTest::newRow("below H + 8") << 100.0 << 608.5 << false;
        QTest::newRow("above the top margin") << 100.0 << -23.5 << false;
        QTest::newRow("out of both bands") << -100.0 << -100.0 << false;
    }
    void band_test()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(bool, kept);
        fixture f(800, 600);
        constant(f, 0.999);
        f.place(25, 7, x, y, 5, 3);
        f.place(24, 7, 100, 100, 5, 3); // a second rock keeps the count visible
        f.eng.move_sprites();
        QCOMPARE(f.eng.sprite_alive[25], kept ? 1 : 0);
        QCOMPARE(f.eng.kind_count[5], std::int16_t(kept ? 2 : 1)); // retired once
    }

    void stars_stay_put_and_fade_out()
    {
        fixture f(800, 600);
        // Star in slot 3 at roll(800) = 800 (off the right edge), animation roll(3) + 2 = 5.
        f.random.script({0.08, 0.0, 0.9999, 0.5, 0.99});
        f.eng.move_sprites();
        QVERIFY(!f.random.ran_dry);
        QCOMPARE(f.eng.sprite_kind[3], std::int16_t(12));
        QCOMPARE(f.eng.sprite_masked[3], 0);
        QCOMPARE(f.eng.sprite_x[3], 800.0);
        QCOMPARE(f.eng.sprite_y[3], 301.0);
        QCOMPARE(f.eng.kind_count[12], std::int16_t(1));
        QCOMPARE(f.eng.sprite_image[3], 70); // shown at once, then stepped in the same pass
        constant(f, 0.999);
        QList<int> images{f.eng.sprite_image[3]};
        while (f.eng.sprite_alive[3]) {
            f.eng.move_sprites();
            images << f.eng.sprite_image[3];
            QCOMPARE(f.eng.sprite_x[3], 800.0);
        }
        QCOMPARE(images, (QList<int>{70, 71, 72, 73, 0}));
        QCOMPARE(f.eng.kind_count[12], std::int16_t(0));
    }
};

QTEST_GUILESS_MAIN(tst_motion)
#include "tst_motion.moc"

#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

// Expected speed of one launch as a multiple of a speed level:
// {factor, level} means factor * depth_speed(level); level 0 means 0.
struct speed { double factor; int level; };
Q_DECLARE_METATYPE(speed)

namespace {
// A draw that makes roll(1000) come out as n.
double roll_of_1000(int n) { return (n - 0.5) / 1000; }
} // namespace

class tst_launcher : public QObject
{
    Q_OBJECT
private slots:
    // Every kind from both of its entry sides, with every draw scripted in the
    // order the rules take them.
    void each_kind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<int>("image");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<speed>("vx"); // drift velocities for the saucer
        QTest::addColumn<speed>("vy");
        QTest::addColumn<speed>("ax");
        QTest::addColumn<int>("motion");
        // Screen 800 x 600. The first draw of kinds with a chance test is that test (0 passes).
        const speed none{0, 0};
        QTest::newRow("1 shuttle, from the right, diving")
            << 1 << QList<double>{0, 0, 0.95, 0.5, 0.5, 0.0} << 12 << 800.0 << 301.0 << speed{-1, 10} << speed{-1, 1} << none << 1;
        QTest::newRow("1 shuttle, from the left, sinking")
            << 1 << QList<double>{0, 0.9, 0.0, 0.0, 0.0, 0.99} << 11 << -144.0 << 1.0 << speed{1, 1} << speed{1, 20} << none << 1;
        QTest::newRow("2 rocket drifting right")
            << 2 << QList<double>{0, 0.25, 0.1, 0.2, 0.4} << 16 << 201.0 << 600.0 << speed{1, 2} << speed{-1, 3} << none << 2;
        QTest::newRow("2 rocket drifting left")
            << 2 << QList<double>{0, 0.9999, 0.5, 0.99, 0.0} << 16 << 800.0 << 600.0 << speed{-1, 5} << speed{-1, 1} << none << 2;
        QTest::newRow("3 large astronaut, left")
            << 3 << QList<double>{0, 0.0, 0.0, 0.5, 0.99, 0.0} << 13 << -125.0 << 151.0 << speed{3, 11} << speed{1, 1} << none << 3;
        QTest::newRow("3 medium astronaut, right")
            << 3 << QList<double>{0, 0.5, 0.9, 0.9999, 0.5, 0.99} << 14 << 800.0 << 300.0 << speed{-2, 10} << speed{-1, 5} << none << 3;
        QTest::newRow("3 small astronaut, right")
            << 3 << QList<double>{0, 0.99, 0.9, 0.0, 0.0, 0.0} << 15 << 800.0 << 599.0 << speed{-1, 9} << speed{-1, 1} << none << 3;
        QTest::newRow("4 satellite 1, left")
            << 4 << QList<double>{0.0, 0.0, 0.0, 0.0, 0.5, 0.0} << 1 << -94.0 << 1.0 << speed{6, 11} << speed{1, 6} << speed{-1.0 / 16, 2} << 4;
        QTest::newRow("4 satellite 5, left")
            << 4 << QList<double>{0.9, 0.2, 0.9999, 0.99, 0.0, 0.5} << 5 << -80.0 << 300.0 << speed{6, 20} << speed{1, 13} << speed{-1.0 / 16, 1} << 4;
        QTest::newRow("4 satellite 2, right")
            << 4 << QList<double>{0.2, 0.9, 0.5, 0.0, 0.99, 0.99} << 2 << 800.0 << 449.0 << speed{-6, 11} << speed{-1, 20} << speed{1.0 / 16, 3} << 4;
        QTest::newRow("5 rock 7, left")
            << 5 << QList<double>{0, 0.0, 0.0, 0.1, 0.5, 0.5} << 7 << -21.0 << 61.0 << speed{1, 11} << speed{1, 2} << none << 3;
        QTest::newRow("5 rock 9, right")
            << 5 << QList<double>{0, 0.99, 0.9, 0.9999, 0.0, 0.99} << 9 << 800.0 << 600.0 << speed{-1, 1} << speed{-1, 3} << none << 3;
        QTest::newRow("6 saucer, right, rising")
            << 6 << QList<double>{0, 0.0, 0.3, 0.5, 0.9, 0.0} << 6 << 800.0 << 301.0 << speed{-16, 4} << speed{-0.25, 1} << none << 5;
        QTest::newRow("6 saucer, left, sinking")
            << 6 << QList<double>{0, 0.9, 0.99, 0.0, 0.0, 0.99} << 6 << -71.0 << 1.0 << speed{16, 10} << speed{0.25, 5} << none << 5;
        QTest::newRow("7 shuttle from above, left")
            << 7 << QList<double>{0, 0.0, 0.0, 0.99, 0.5} << 10 << -96.0 << 1.0 << speed{1, 20} << speed{1, 3} << none << 3;
        QTest::newRow("7 shuttle from above, right")
            << 7 << QList<double>{0, 0.9, 0.5, 0.0, 0.99} << 10 << 800.0 << 449.0 << speed{-1, 1} << speed{-1, 5} << none << 3;
        QTest::newRow("8 launch, left")
            << 8 << QList<double>{0, 0.5, 0.0, 0.0, 0.99} << 18 << -126.0 << 449.0 << speed{1, 20} << speed{-2, 11} << none << 3;
        QTest::newRow("8 launch, right")
            << 8 << QList<double>{0, 0.0, 0.0, 0.9, 0.0} << 19 << 800.0 << 599.0 << speed{-1, 11} << speed{-2, 11} << none << 3;
        QTest::newRow("9 probe, left, sinking")
            << 9 << QList<double>{0, 0.0, 0.9, 0.99, 0.0, 0.99} << 17 << -128.0 << 1.0 << speed{1, 15} << speed{2, 10} << none << 3;
        QTest::newRow("9 probe, right, rising")
            << 9 << QList<double>{0, 0.5, 0.0, 0.0, 0.9, 0.0} << 17 << 800.0 << 301.0 << speed{-1, 6} << speed{-2, 1} << none << 3;
        QTest::newRow("10 small asteroid, left")
            << 10 << QList<double>{0, 0.5, 0.0, 0.99, 0.9, 0.0} << 20 << -30.0 << 301.0 << speed{4, 20} << speed{-1, 1} << none << 3;
        QTest::newRow("10 small asteroid, right")
            << 10 << QList<double>{0, 0.0, 0.9, 0.0, 0.0, 0.99} << 20 << 800.0 << 1.0 << speed{-4, 6} << speed{1, 5} << none << 3;
        QTest::newRow("11 large asteroid, left")
            << 11 << QList<double>{0, 0.9999, 0.0, 0.5, 0.9, 0.0} << 44 << -60.0 << 600.0 << speed{3, 13} << speed{-1, 1} << none << 3;
        QTest::newRow("11 large asteroid, right")
            << 11 << QList<double>{0, 0.5, 0.9, 0.0, 0.0, 0.99} << 44 << 800.0 << 301.0 << speed{-3, 6} << speed{1, 5} << none << 3;
    }
    void each_kind()
    {
        QFETCH(int, kind);
        QFETCH(QList<double>, draws);
        QFETCH(int, image);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(speed, vx);
        QFETCH(speed, vy);
        QFETCH(speed, ax);
        QFETCH(int, motion);
        fixture f(800, 600);
        auto &e = f.eng;
        e.next_launch_kind = kind - 1;
        // Left-overs of an earlier occupant: the launcher resets what it does not set.
        e.velocity_x[7] = 9.0;
        e.velocity_y[7] = -3.0;
        e.accel_x[7] = 0.5;
        e.drift_accel_x[7] = 0.5;
        e.drift_accel_y[7] = 0.5;
        e.sprite_masked[7] = 0;
        f.random.values.assign(draws.begin(), draws.end());
        e.launch_object(7);
        QVERIFY2(!f.random.ran_dry && f.random.values.empty(), "the launch used a different number of draws");
        QCOMPARE(e.next_launch_kind, kind);
        QCOMPARE(e.sprite_image[7], image);
        QCOMPARE(e.sprite_x[7], x);
        QCOMPARE(e.sprite_y[7], y);
        if (kind == 6) {
            QCOMPARE(e.drift_velocity_x[7], vx.factor * e.depth_speed_x[vx.level]);
            QCOMPARE(e.drift_velocity_y[7], vy.factor * e.depth_speed_y[vy.level]);
            QCOMPARE(e.velocity_x[7], 9.0); // class 5 does not read them
            QCOMPARE(e.velocity_y[7], -3.0);
        } else {
            QCOMPARE(e.velocity_x[7], vx.factor * e.depth_speed_x[vx.level]);
            QCOMPARE(e.velocity_y[7], vy.factor * e.depth_speed_y[vy.level]);
            QCOMPARE(e.drift_velocity_x[7], 0.0);
            QCOMPARE(e.drift_velocity_y[7], 0.0);
        }
        QCOMPARE(e.accel_x[7], ax.factor * e.depth_speed_x[ax.level]);
        QCOMPARE(e.drift_accel_x[7], 0.0);
        QCOMPARE(e.drift_accel_y[7], 0.0);
        QCOMPARE(e.motion_class[7], motion);
        QCOMPARE(e.sprite_alive[7], 1);
        QCOMPARE(e.sprite_kind[7], std::int16_t(kind));
        QCOMPARE(e.kind_count[kind], std::int16_t(1));
        QCOMPARE(e.sprite_masked[7], 1);
        QCOMPARE(e.sprite_anim[7], kind == 10 ? 1 : kind == 11 ? 2 : 0);
        QCOMPARE(e.sprite_frame[7], 0);
    }

    // Each kind's limit and chance, pinned at both sides of their thresholds.
    void limits_and_chances_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("limit");  // no launch while more than this many are alive
        QTest::addColumn<int>("chance"); // launches when roll(1000) is below it; 0 = no test
        QTest::newRow("1 side-view shuttle") << 1 << 1 << 800;
        QTest::newRow("2 rocket") << 2 << 0 << 600;
        QTest::newRow("3 astronaut") << 3 << 2 << 700;
        QTest::newRow("4 satellite") << 4 << 4 << 0;
        QTest::newRow("5 small rock") << 5 << 5 << 900;
        QTest::newRow("6 saucer") << 6 << 0 << 30;
        QTest::newRow("7 shuttle from above") << 7 << 0 << 300;
        QTest::newRow("8 shuttle at launch") << 8 << 0 << 100;
        QTest::newRow("9 dish probe") << 9 << 0 << 100;
        QTest::newRow("10 small asteroid") << 10 << 4 << 800;
        QTest::newRow("11 large asteroid") << 11 << 4 << 700;
    }
    void limits_and_chances()
    {
        QFETCH(int, kind);
        QFETCH(int, limit);
        QFETCH(int, chance);
        const std::int16_t at_limit = static_cast<std::int16_t>(limit);
        {
            // At the limit, with the highest passing roll: launches.
            fixture f;
            f.eng.next_launch_kind = kind - 1;
            f.eng.kind_count[kind] = at_limit;
            f.random.fallback = 0.9999; // the set-up draws, and a failing chance if there were one
            if (chance != 0)
                f.random.values.assign({roll_of_1000(chance - 1)});
            f.eng.launch_object(3);
            QCOMPARE(f.eng.sprite_alive[3], 1);
            QCOMPARE(f.eng.kind_count[kind], std::int16_t(limit + 1));
        }
        {
            // One above the limit: no launch, and no chance is drawn.
            fixture f;
            f.eng.next_launch_kind = kind - 1;
            f.eng.kind_count[kind] = static_cast<std::int16_t>(limit + 1);
            f.random.fallback = 0.0;
            f.eng.launch_object(3);
            QCOMPARE(f.eng.sprite_alive[3], 0);
            QCOMPARE(f.random.draws, 0);
            QCOMPARE(f.eng.next_launch_kind, kind);
        }
        if (chance != 0) {
            // The lowest failing roll: one draw, no launch.
            fixture f;
            f.eng.next_launch_kind = kind - 1;
            f.random.values.assign({roll_of_1000(chance)});
            f.random.fallback = 0.0;
            f.eng.launch_object(3);
            QCOMPARE(f.eng.sprite_alive[3], 0);
            QCOMPARE(f.random.draws, 1);
            QCOMPARE(f.eng.kind_count[kind], std::int16_t(0));
        }
    }

    void turn_without_launch_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("alive");
        QTest::addColumn<QList<double>>("draws");
        QTest::newRow("rocket at its limit") << 2 << 1 << QList<double>{};
        QTest::newRow("third shuttle waits") << 1 << 2 << QList<double>{};
        QTest::newRow("saucer chance fails") << 6 << 0 << QList<double>{0.03}; // roll 31 is not below 30
        QTest::newRow("probe chance fails") << 9 << 0 << QList<double>{0.099};
    }
    void turn_without_launch()
    {
        QFETCH(int, kind);
        QFETCH(int, alive);
        QFETCH(QList<double>, draws);
        fixture f;
        auto &e = f.eng;
        e.next_launch_kind = kind - 1;
        e.kind_count[kind] = static_cast<std::int16_t>(alive);
        e.sprite_x[5] = 33.0;
        e.sprite_kind[5] = 4;
        f.random.values.assign(draws.begin(), draws.end());
        e.launch_object(5);
        QVERIFY(!f.random.ran_dry);
        QCOMPARE(e.next_launch_kind, kind);
        QCOMPARE(e.sprite_alive[5], 0);
        QCOMPARE(e.sprite_x[5], 33.0);
        QCOMPARE(e.sprite_kind[5], std::int16_t(4));
        QCOMPARE(e.kind_count[kind], std::int16_t(alive));
    }

    void rotation_runs_in_order_and_wraps()
    {
        fixture f;
        auto &e = f.eng;
        e.next_launch_kind = 9;
        f.random.fallback = 0.9999; // every chance test fails
        QList<int> kinds;
        for (int i = 0; i < 4; ++i) {
            e.launch_object(1);
            kinds << e.next_launch_kind;
        }
        QCOMPARE(kinds, (QList<int>{10, 11, 1, 2}));
    }

    void chances_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("half");
        QTest::addColumn<bool>("fifth");
        QTest::addColumn<bool>("twentieth");
        QTest::newRow("roll 1") << 0.0 << true << true << true;
        QTest::newRow("roll 49") << roll_of_1000(49) << true << true << true;
        QTest::newRow("roll 50") << roll_of_1000(50) << true << true << false;
        QTest::newRow("roll 199") << roll_of_1000(199) << true << true << false;
        QTest::newRow("roll 200") << roll_of_1000(200) << true << false << false;
        QTest::newRow("roll 499") << roll_of_1000(499) << true << false << false;
        QTest::newRow("roll 500") << roll_of_1000(500) << false << false << false;
    }
    void chances()
    {
        QFETCH(double, r);
        QFETCH(bool, half);
        QFETCH(bool, fifth);
        QFETCH(bool, twentieth);
        fixture f;
        f.random.script({r, r, r, r});
        QCOMPARE(f.eng.chance_half(), half);
        QCOMPARE(f.eng.chance_fifth(), fifth);
        QCOMPARE(f.eng.chance_twentieth(), twentieth);
        QCOMPARE(f.eng.chance_below(1000, 500), half);
        QCOMPARE(f.random.draws, 4);
    }

    void odd_height_halves_are_real()
    {
        fixture f(800, 601);
        auto &e = f.eng;
        e.next_launch_kind = 6; // kind 7, from the left: y = roll(H / 2)
        f.random.script({0, 0.0, 0.9999, 0.0, 0.0});
        e.launch_object(1);
        QCOMPARE(e.sprite_y[1], 301.0); // 1 .. (H + 1) / 2
    }
};

QTEST_GUILESS_MAIN(tst_launcher)
#include "tst_launcher.moc"

#include "engine_fixture.h"

#include <QtTest>

using test_engine::fixture;

// Expected set-up of one launch; speeds as multiples of a speed level:
// {factor, level} means factor * depth_speed(level).
struct speed { double factor; int level; };
Q_DECLARE_METATYPE(speed)

class tst_launcher : public QObject
{
    Q_OBJECT
private slots:
    void each_kind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<int>("image");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<speed>("vx");
        QTest::addColumn<speed>("vy");
        QTest::addColumn<int>("motion");
        // Screen 800 x 600. The first draw of kinds with a chance test is that test (0 passes).
        QTest::newRow("1 shuttle, from the right, diving")
            << 1 << QList<double>{0, 0, 0.95, 0.5, 0.5, 0.0} << 12 << 800.0 << 301.0 << speed{-1, 10} << speed{-1, 1} << 1;
        QTest::newRow("1 shuttle, from the left, climbing down")
            << 1 << QList<double>{0, 0.9, 0.0, 0.0, 0.0, 0.99} << 11 << -144.0 << 1.0 << speed{1, 1} << speed{1, 20} << 1;
        QTest::newRow("2 rocket") << 2 << QList<double>{0, 0.25, 0.1, 0.2, 0.4} << 16 << 201.0 << 600.0 << speed{1, 2} << speed{-1, 3} << 2;
        QTest::newRow("3 large astronaut, left") << 3 << QList<double>{0, 0.0, 0.0, 0.5, 0.99, 0.0} << 13 << -125.0 << 151.0 << speed{3, 11} << speed{1, 1} << 3;
        QTest::newRow("3 small astronaut, right") << 3 << QList<double>{0, 0.99, 0.9, 0.0, 0.0, 0.0} << 15 << 800.0 << 599.0 << speed{-1, 9} << speed{-1, 1} << 3;
        QTest::newRow("4 satellite, right") << 4 << QList<double>{0.2, 0.9, 0.5, 0.0, 0.99, 0.99} << 2 << 800.0 << 449.0 << speed{-6, 11} << speed{-1, 20} << 4;
        QTest::newRow("5 rock, left") << 5 << QList<double>{0, 0.0, 0.0, 0.1, 0.5, 0.5} << 7 << -21.0 << 61.0 << speed{1, 11} << speed{1, 2} << 3;
        QTest::newRow("7 shuttle from above, right") << 7 << QList<double>{0, 0.9, 0.5, 0.0, 0.99} << 10 << 800.0 << 449.0 << speed{-1, 1} << speed{-1, 5} << 3;
        QTest::newRow("8 launch, left") << 8 << QList<double>{0, 0.5, 0.0, 0.0, 0.99} << 18 << -126.0 << 449.0 << speed{1, 20} << speed{-2, 11} << 3;
        QTest::newRow("8 launch, right") << 8 << QList<double>{0, 0.0, 0.0, 0.9, 0.0} << 19 << 800.0 << 599.0 << speed{-1, 11} << speed{-2, 11} << 3;
        QTest::newRow("9 probe, right") << 9 << QList<double>{0, 0.5, 0.0, 0.0, 0.9, 0.0} << 17 << 800.0 << 301.0 << speed{-1, 6} << speed{-2, 1} << 3;
        QTest::newRow("10 small asteroid, left") << 10 << QList<double>{0, 0.5, 0.0, 0.99, 0.9, 0.0} << 20 << -30.0 << 301.0 << speed{4, 20} << speed{-1, 1} << 3;
        QTest::newRow("11 large asteroid, right") << 11 << QList<double>{0, 0.5, 0.9, 0.0, 0.0, 0.99} << 44 << 800.0 << 301.0 << speed{-3, 6} << speed{1, 5} << 3;
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
        QFETCH(int, motion);
        fixture f(800, 600);
        auto &e = f.eng;
        e.next_launch_kind = kind - 1;
        f.random.values.assign(draws.begin(), draws.end());
        e.launch_object(7);
        QVERIFY2(!f.random.ran_dry && f.random.values.empty(), "the launch used a different number of draws");
        QCOMPARE(e.next_launch_kind, kind);
        QCOMPARE(e.sprite_image[7], image);
        QCOMPARE(e.sprite_x[7], x);
        QCOMPARE(e.sprite_y[7], y);
        QCOMPARE(e.velocity_x[7], vx.factor * e.depth_speed_x[vx.level]);
        QCOMPARE(e.velocity_y[7], vy.factor * e.depth_speed_y[vy.level]);
        QCOMPARE(e.motion_class[7], motion);
        QCOMPARE(e.sprite_alive[7], 1);
        QCOMPARE(e.sprite_kind[7], std::int16_t(kind));
        QCOMPARE(e.kind_count[kind], std::int16_t(1));
        QCOMPARE(e.sprite_masked[7], 1);
        if (kind == 10 || kind == 11) {
            QCOMPARE(e.sprite_anim[7], kind == 10 ? 1 : 2);
            QCOMPARE(e.sprite_frame[7], 0);
        }
    }

    void satellite_brakes_against_its_entry()
    {
        fixture f;
        auto &e = f.eng;
        e.next_launch_kind = 3;
        f.random.script({0.0, 0.0, 0.0, 0.0, 0.5, 0.0}); // image 1, left, y 1, level 11, accel level 2, vy level 6
        e.launch_object(1);
        QCOMPARE(e.sprite_x[1], -94.0);
        QCOMPARE(e.velocity_x[1], 6 * e.depth_speed_x[11]);
        QCOMPARE(e.accel_x[1], -e.depth_speed_x[2] / 16);
        QCOMPARE(e.velocity_y[1], e.depth_speed_y[6]);
    }

    void saucer_drifts()
    {
        fixture f;
        auto &e = f.eng;
        e.next_launch_kind = 5;
        e.velocity_x[2] = 9.0; // left as it was
        f.random.script({0, 0.0, 0.3, 0.5, 0.9, 0.0}); // from the right, level 4, y 301, downward sign negative, level 1
        e.launch_object(2);
        QCOMPARE(e.sprite_image[2], 6);
        QCOMPARE(e.sprite_x[2], 800.0);
        QCOMPARE(e.drift_velocity_x[2], -16 * e.depth_speed_x[4]);
        QCOMPARE(e.drift_velocity_y[2], -e.depth_speed_y[1] / 4);
        QCOMPARE(e.velocity_x[2], 9.0);
        QCOMPARE(e.motion_class[2], 5);
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

    void rotation_wraps_and_satellites_always_launch()
    {
        fixture f;
        auto &e = f.eng;
        e.next_launch_kind = 11;
        f.random.script({0.9}); // kind 1's chance test fails (roll 901)
        e.launch_object(1);
        QCOMPARE(e.next_launch_kind, 1);
        e.next_launch_kind = 3;
        e.kind_count[4] = 4;
        f.random.script({0.99, 0.99, 0.99, 0.99, 0.99, 0.99}); // no chance test for satellites
        e.launch_object(1);
        QCOMPARE(e.sprite_alive[1], 1);
        QCOMPARE(e.kind_count[4], std::int16_t(5));
        QCOMPARE(e.sprite_image[1], 5);
    }

    void chances_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("half");
        QTest::addColumn<bool>("fifth");
        QTest::addColumn<bool>("twentieth");
        QTest::newRow("roll 1") << 0.0 << true << true << true;
        QTest::newRow("roll 49") << 0.0485 << true << true << true;
        QTest::newRow("roll 50") << 0.0495 << true << true << false;
        QTest::newRow("roll 199") << 0.1985 << true << true << false;
        QTest::newRow("roll 200") << 0.1995 << true << false << false;
        QTest::newRow("roll 499") << 0.4985 << true << false << false;
        QTest::newRow("roll 500") << 0.4995 << false << false << false;
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

// Long headless runs of the real engine with its invariants checked after every
// frame, with the usual settings and with stored values at their extremes.
#include "engine_fixture.h"
#include "test_env.h"
#include "tools/render/soak.h"

#include <QtTest>
#include <climits>

namespace {
struct result
{
    bool finished = false;
    int code = -1;
    QByteArray out, err;
};

result run_render_soak(const QString &profile, qint64 frames, int seed, int timeout_ms)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", profile + "/config");
    env.insert("XDG_DATA_HOME", profile + "/data");
    env.insert("XDG_CONFIG_DIRS", profile + "/etc-xdg");
    p.setProcessEnvironment(env);
    p.start(ZENTARA_RENDER, {"--soak", QString::number(frames), "--seed", QString::number(seed)});
    result r;
    r.finished = p.waitForFinished(timeout_ms);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

void write_settings(const QString &profile, const QMap<QString, QString> &values)
{
    QDir().mkpath(profile + "/config/Krelix Zentara");
    QDir().mkpath(profile + "/data/Krelix Zentara");
    QSettings ini(profile + "/config/Krelix Zentara/settings.ini", QSettings::IniFormat);
    ini.clear();
    ini.setValue("Config/install_path", test_env::assets_dir() + "/sounds/");
    ini.setValue("Config/run_once", "1");
    for (auto it = values.begin(); it != values.end(); ++it)
        ini.setValue("Config/" + it.key(), it.value());
    QFile captions(profile + "/data/Krelix Zentara/Zentara Captions.dat");
    if (captions.open(QIODevice::WriteOnly | QIODevice::Truncate))
        captions.write("Welcome To Zentara Screen Saver\r\n" + QByteArray(5000, 'W') + "\r\nThird\r\n");
}
} // namespace

class tst_soak : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test_env::isolate_profile(); }

    // Short scenes and captions so that every path of the engine comes round often.
    void hundred_thousand_frames()
    {
        QTemporaryDir profile;
        write_settings(profile.path(), {{"cycle_speed_value", "1"}, {"scroller_delay", "1"}, {"object_frequency", "1"}});
        const result r = run_render_soak(profile.path(), 100000, 20261210, 280000);
        QVERIFY2(r.finished, "the soak did not finish in time");
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.contains("100000 frames at 640 x 480, every invariant held"));
        qInfo("%s", r.out.trimmed().constData());
    }

    void stored_extremes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString min = QString::number(INT_MIN), max = QString::number(INT_MAX);
        for (const char *key : {"frame_rate", "scroller_delay", "cycle_speed_value", "object_frequency", "audio_seconds"}) {
            for (const QString &value : {min, QStringLiteral("-1"), QStringLiteral("0"), max})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(key, value))) << key << value;
        }
        // Products that wrap the 32-bit range: just past it, and onto its lowest value.
        QTest::newRow("scroller_delay wraps") << "scroller_delay" << "42949673";
        QTest::newRow("cycle_speed_value wraps") << "cycle_speed_value" << "26843546";
        QTest::newRow("object_frequency wraps") << "object_frequency" << "268435456";
    }
    void stored_extremes()
    {
        if (qEnvironmentVariableIsEmpty("ZENTARA_SOAK_EXTREMES"))
            QSKIP("run by the ctest test tst_soak_extremes");
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir profile;
        QMap<QString, QString> settings{{"cycle_speed_value", "1"}, {"scroller_delay", "1"}, {"object_frequency", "1"}};
        settings[key] = value;
        write_settings(profile.path(), settings);
        const result r = run_render_soak(profile.path(), 3000, 7, 120000);
        QVERIFY2(r.finished, "the soak did not finish in time");
        QVERIFY2(r.code == 0, r.err.constData());
    }

    // Each invariant is seen when it breaks.
    void checker_names_what_breaks_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("named");
        QTest::newRow("slot twice in the drawing order") << 0 << "draw_order";
        QTest::newRow("count without an object") << 1 << "kind_count";
        QTest::newRow("more objects than the limit") << 2 << "kind_count";
        QTest::newRow("position not a number") << 3 << "finite";
        QTest::newRow("copy beyond the screen") << 4 << "copies";
        QTest::newRow("countdown below zero") << 5 << "scroller_countdown";
        QTest::newRow("picture left on the screen") << 6 << "screen";
        QTest::newRow("object beyond the band") << 7 << "band";
    }
    void checker_names_what_breaks()
    {
        QFETCH(int, damage);
        QFETCH(QString, named);
        test_engine::fixture f(64, 48);
        soak::checker checker(f.eng);
        QCOMPARE(checker.check(true), QString());
        switch (damage) {
        case 0: f.eng.draw_order[2] = f.eng.draw_order[1]; break;
        case 1: f.eng.kind_count[4] = 1; break;
        case 2:
            for (int s = 1; s <= 3; ++s)
                f.place(s, 1, 10, 10, 1, 1); // two side-view shuttles at most
            break;
        case 3: f.place(1, 3, 10, 10); f.eng.sprite_y[1] = qQNaN(); break;
        case 4: f.eng.ascreen.changed(QRect(60, 0, 8, 8)); break;
        case 5: f.eng.scroller_countdown = -1; break;
        case 6: f.eng.ascreen.set_pixel(5, 5, 0x123456); break;
        case 7: f.place(1, 3, 100, 10); break;
        }
        const QString broken = checker.check(true);
        QVERIFY2(broken.startsWith(named + ':'), qPrintable(broken));
    }

    void usage_errors_are_clear()
    {
        QProcess p;
        p.start(ZENTARA_RENDER, {"--soak", "many"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("bad value for --soak"));
    }
};

QTEST_MAIN(tst_soak)
#include "tst_soak.moc"

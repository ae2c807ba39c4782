#include "test_env.h"

#include <QtTest>

namespace {
QByteArray run_render(const QStringList &args, const QString &profile)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", profile + "/config");
    env.insert("XDG_DATA_HOME", profile + "/data");
    p.setProcessEnvironment(env);
    p.start(ZENTARA_RENDER, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QByteArray("failed: ") + p.readAllStandardError();
    return p.readAllStandardOutput();
}

QList<QJsonObject> read_trace(const QString &file)
{
    QFile f(file);
    QList<QJsonObject> frames;
    if (!f.open(QIODevice::ReadOnly))
        return frames;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (!line.isEmpty())
            frames << QJsonDocument::fromJson(line).object();
    return frames;
}
} // namespace

class tst_render : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        QSettings ini(test_env::profile_root().filePath("config/Krelix Zentara/settings.ini"), QSettings::IniFormat);
        ini.setValue("Config/install_path", test_env::assets_dir() + "/sounds/");
        ini.setValue("Config/cycle_speed_value", "1");
        ini.setValue("Config/scroller_delay", "1");
    }

    void same_seed_same_frames()
    {
        QTemporaryDir out;
        const QString root = test_env::profile_root().path();
        const QStringList common{"--size", "320x240", "--frames", "400", "--every", "200", "--write-lists"};
        QVERIFY(run_render(common + QStringList{"--seed", "9", "--trace", out.filePath("a.jsonl"), "--out", out.filePath("a")}, root).isEmpty());
        QVERIFY(run_render(common + QStringList{"--seed", "9", "--trace", out.filePath("b.jsonl"), "--out", out.filePath("b")}, root).isEmpty());
        QVERIFY(run_render(common + QStringList{"--seed", "10", "--trace", out.filePath("c.jsonl")}, root).isEmpty());

        const QList<QJsonObject> a = read_trace(out.filePath("a.jsonl"));
        QCOMPARE(a.size(), 400);
        QCOMPARE(a, read_trace(out.filePath("b.jsonl")));
        QVERIFY(a != read_trace(out.filePath("c.jsonl")));
        for (const char *name : {"frame_00200.png", "frame_00400.png"}) {
            QFile fa(out.filePath("a/") + name), fb(out.filePath("b/") + name);
            QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
            QCOMPARE(fa.readAll(), fb.readAll());
        }

        // Every key of a frame is there, objects fly, and scenes and captions move on.
        const QStringList keys{"frame", "launch_timer", "next_launch_kind", "kind_count", "slots", "scene_index",
                               "scene_frames", "transition_effect", "scroller_state", "scroller_countdown",
                               "caption_index", "scroller_top"};
        for (const QString &k : keys)
            QVERIFY2(a.first().contains(k), qPrintable(k));
        QCOMPARE(a.first().value("frame").toInt(), 1);
        QCOMPARE(a.first().value("kind_count").toArray().size(), 12);
        bool objects = false;
        int transitions = 0, captions = 0;
        for (const QJsonObject &f : a) {
            for (const QJsonValue &s : f.value("slots").toArray()) {
                const QJsonObject slot = s.toObject();
                QVERIFY(slot.contains("sprite_x") && slot.contains("drift_velocity_y") && slot.contains("sprite_frame"));
                objects |= slot.value("sprite_kind").toInt() <= 11;
            }
            transitions = qMax(transitions, f.value("transition_effect").toInt());
            captions = qMax(captions, f.value("caption_index").toInt());
        }
        QVERIFY(objects);
        QVERIFY(transitions >= 1);
        QVERIFY(captions >= 1);
    }

    void wallpaper_picture()
    {
        QTemporaryDir out;
        QVERIFY(run_render({"--size", "200x150", "--frames", "30", "--seed", "3", "--wallpaper", out.filePath("w.bmp")},
                           test_env::profile_root().path()).isEmpty());
        QImage w(out.filePath("w.bmp"));
        QCOMPARE(w.size(), QSize(200, 150));
    }
};

QTEST_GUILESS_MAIN(tst_render)
#include "tst_render.moc"

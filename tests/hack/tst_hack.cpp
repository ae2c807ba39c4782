#include <QtTest>

#include "startup/bas_shellcode.h"
#include "test_env.h"
#include "x_client.h"
#include "x_server.h"

#include <csignal>
#include <tuple>

// zentara-hack as a screen-saver host runs it: the real program on a private
// X server, drawing into a window that the test makes, resizes and removes.
class tst_hack : public QObject
{
    Q_OBJECT

    std::unique_ptr<x_server> server_;
    std::unique_ptr<x_client> x_;
    QString data_dir_;

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", server_->display());
        e.remove("XSCREENSAVER_WINDOW");
        return e;
    }
    void start(QProcess &p, const QStringList &args, QProcessEnvironment e)
    {
        p.setProcessEnvironment(e);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(ZENTARA_HACK, args);
        QVERIFY(p.waitForStarted());
    }
    Window wait_for_child(Window host, QSize size = {})
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 20000) {
            for (Window c : x_->children(host))
                if (x_->mapped(c) && (size.isEmpty() || x_->size(c) == size))
                    return c;
            QThread::msleep(20);
        }
        return 0;
    }
    // Ends the program as hosts do and says how long it took (-1: it did not end).
    static qint64 end_with(QProcess &p, int signal)
    {
        QElapsedTimer t;
        t.start();
        ::kill(static_cast<pid_t>(p.processId()), signal);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        return t.elapsed();
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::save_setting("install_path", test_env::assets_dir() + "/sounds/");
        bas_shellcode::save_setting("run_once", "1");
        data_dir_ = bas_shellcode::get_windows_directory();
        server_ = std::make_unique<x_server>("1024x768x24");
        if (server_->display().isEmpty())
            QSKIP("Xvfb is not installed or did not start: apt-get install xvfb");
        x_ = std::make_unique<x_client>(server_->display());
        QVERIFY(x_->ok());
    }

    void draws_into_small_window_and_follows_resize()
    {
        const Window host = x_->make_window(300, 200, 40, 30);
        XSelectInput(x_->display(), host, ButtonPressMask);
        QProcess p;
        start(p, {"--window-id", QString::number(host)}, env());
        QVERIFY2(wait_for_child(host, QSize(300, 200)), "the scene never appeared in the window");
        QTRY_VERIFY_WITH_TIMEOUT(filled(x_->grab(host)), 10000); // the scene fills the window
        const QImage before = x_->grab(host);
        QTRY_VERIFY_WITH_TIMEOUT(changed_share(before, x_->grab(host)) > 0.0005, 15000); // and moves

        // Input stays the host's: its window gets the click, and nothing is grabbed.
        QProcess click;
        QProcessEnvironment ce = QProcessEnvironment::systemEnvironment();
        ce.insert("DISPLAY", server_->display());
        click.setProcessEnvironment(ce);
        click.start("xdotool", {"mousemove", "150", "120", "click", "1"});
        if (click.waitForFinished(10000) && click.exitCode() == 0) {
            bool host_clicked = false;
            QElapsedTimer t;
            t.start();
            while (!host_clicked && t.elapsed() < 5000) {
                while (XPending(x_->display())) {
                    XEvent e;
                    XNextEvent(x_->display(), &e);
                    host_clicked = host_clicked || (e.type == ButtonPress && e.xbutton.window == host);
                }
                QThread::msleep(20);
            }
            QVERIFY2(host_clicked, "a click over the scene did not reach the host's window");
        } else {
            qWarning("xdotool is missing: the click check was left out");
        }
        QCOMPARE(XGrabKeyboard(x_->display(), x_->root(), False, GrabModeAsync, GrabModeAsync, CurrentTime), GrabSuccess);
        XUngrabKeyboard(x_->display(), CurrentTime);
        XSync(x_->display(), False);

        x_->resize(host, 520, 360);
        QVERIFY2(wait_for_child(host, QSize(520, 360)), "the scene did not follow the window's new size");
        QTRY_VERIFY_WITH_TIMEOUT(filled(x_->grab(host).copy(300, 200, 220, 160)), 10000);
        QCOMPARE(p.state(), QProcess::Running); // input never ends it

        const qint64 ms = end_with(p, SIGTERM);
        qInfo("ended %lld ms after SIGTERM", ms);
        QVERIFY2(ms >= 0, "SIGTERM did not end the program");
        QVERIFY2(ms < 2000, "the program took far longer than 1 s to end after SIGTERM");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        x_->destroy(host);
    }

    // A window of another shape than the scenes shows a scene at one scale,
    // cropped equally on both sides, not squeezed: the grab matches one of the
    // ten scenes laid out that way far better than any of them stretched.
    void scene_keeps_its_shape_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("21:9") << QSize(512, 216);
        QTest::newRow("portrait") << QSize(216, 384);
        QTest::newRow("preview 300x200") << QSize(300, 200);
    }
    void scene_keeps_its_shape()
    {
        QFETCH(QSize, size);
        const Window host = x_->make_window(size.width(), size.height(), 10, 10);
        QProcess p;
        start(p, {"--window-id", QString::number(host)}, env());
        QVERIFY(wait_for_child(host, size));
        QTRY_VERIFY_WITH_TIMEOUT(filled(x_->grab(host)), 10000);
        const QImage shown = x_->grab(host);
        end_with(p, SIGTERM);
        x_->destroy(host);

        auto distance = [&](const QImage &expected) {
            double sum = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    sum += qAbs(qGray(shown.pixel(x, y)) - qGray(expected.pixel(x, y)));
            return sum / (double(shown.width()) * shown.height());
        };
        double covered = 1e9, stretched = 1e9;
        for (int i = 0; i < 10; ++i) {
            const QImage scene(test_env::assets_dir() + QStringLiteral("/pictures/scene%1.png").arg(i));
            QVERIFY(!scene.isNull());
            const QImage rgb = scene.convertToFormat(QImage::Format_RGB32);
            const QImage big = rgb.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
            const QImage cover = big.copy((big.width() - size.width()) / 2, (big.height() - size.height()) / 2,
                                          size.width(), size.height());
            covered = std::min(covered, distance(cover));
            stretched = std::min(stretched, distance(rgb.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        }
        qInfo("mean grey distance: %.1f to the covering scene, %.1f to the nearest stretched one", covered, stretched);
        QVERIFY2(covered < 8 && covered < 0.5 * stretched,
                 qPrintable(QStringLiteral("%1 against %2").arg(covered).arg(stretched)));
    }

    void any_size_and_every_stop_signal_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("signal");
        QTest::newRow("1 x 1, SIGTERM") << QSize(1, 1) << SIGTERM;
        QTest::newRow("7 x 5, SIGINT") << QSize(7, 5) << SIGINT;
        QTest::newRow("64 x 700, SIGHUP") << QSize(64, 700) << SIGHUP;
    }
    void any_size_and_every_stop_signal()
    {
        QFETCH(QSize, size);
        QFETCH(int, signal);
        const Window host = x_->make_window(size.width(), size.height(), 10, 10);
        QProcessEnvironment e = env();
        e.insert("XSCREENSAVER_WINDOW", QStringLiteral("0x%1").arg(host, 0, 16));
        QProcess p;
        start(p, {"--root"}, e); // the environment names the window, as the hosts do
        QVERIFY(wait_for_child(host, size));
        QTest::qWait(1500); // a good number of frames at this size
        QCOMPARE(p.state(), QProcess::Running);
        const qint64 ms = end_with(p, signal);
        qInfo("ended %lld ms after the signal", ms);
        QVERIFY(ms >= 0);
        QVERIFY(ms < 2000);
        QCOMPARE(p.exitCode(), 0);
        x_->destroy(host);
    }

    void ends_when_its_window_goes()
    {
        const Window host = x_->make_window(200, 100);
        QProcess p;
        start(p, {"-window-id", QStringLiteral("0x%1").arg(host, 0, 16)}, env());
        QVERIFY(wait_for_child(host));
        x_->destroy(host);
        QVERIFY2(p.waitForFinished(5000), "the program kept running without its window");
        QCOMPARE(p.exitCode(), 0);
    }

    void sound_and_wallpaper_only_full_screen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("full");
        QTest::newRow("settings-dialog preview") << QSize(300, 200) << false;
        QTest::newRow("full screen") << QSize(1024, 768) << true;
    }
    void sound_and_wallpaper_only_full_screen()
    {
        QFETCH(QSize, size);
        QFETCH(bool, full);
        bas_shellcode::save_setting("audio_on", "1");
        bas_shellcode::save_setting("audio_seconds", "1");
        bas_shellcode::save_setting("save_as_wallpaper", "1");
        QFile list(data_dir_ + "Zentara Audio Files.dat");
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write((test_env::assets_dir() + "/sounds/zara1.wav\r\n").toLocal8Bit());
        list.close();
        const QString wallpaper = data_dir_ + "Zentara Image.bmp";
        QFile::remove(wallpaper);
        QTemporaryDir tmp;
        const QString raw = tmp.filePath("out.raw");

        const Window host = x_->make_window(size.width(), size.height());
        QProcessEnvironment e = env();
        e.insert("SDL_AUDIODRIVER", "disk");
        e.insert("SDL_DISKAUDIOFILE", raw);
        QProcess p;
        start(p, {"--window-id", QString::number(host)}, e);
        QVERIFY(wait_for_child(host, size));
        QTest::qWait(3500); // the first pick comes a second after the start
        const qint64 ms = end_with(p, SIGTERM);
        qInfo("ended %lld ms after SIGTERM", ms);
        QVERIFY(ms >= 0);
        QCOMPARE(p.exitCode(), 0);
        x_->destroy(host);
        bas_shellcode::save_setting("save_as_wallpaper", "0");

        QFile out(raw);
        bool loud = false;
        if (out.open(QIODevice::ReadOnly)) {
            const QByteArray samples = out.readAll();
            for (qsizetype i = 0; i + 1 < samples.size() && !loud; i += 2)
                loud = qAbs(*reinterpret_cast<const qint16 *>(samples.constData() + i)) > 200;
        }
        QCOMPARE(loud, full);
        QCOMPARE(QFile::exists(wallpaper), full);
        if (full) {
            const QImage w(wallpaper);
            QCOMPARE(w.size(), size);
            QVERIFY(filled(w));
        }
    }

    void one_process_per_monitor_only_primary_plays()
    {
        // Two monitors side by side on one X screen, one process each, as hosts
        // run them: both draw, only the primary monitor's one plays sound.
        x_server wide("2560x720x24");
        if (wide.display().isEmpty() || QStandardPaths::findExecutable("xrandr").isEmpty())
            QSKIP("Xvfb or xrandr is missing: apt-get install xvfb x11-xserver-utils");
        QProcessEnvironment e = env();
        e.insert("DISPLAY", wide.display());
        auto xrandr = [&](const QStringList &args) {
            QProcess p;
            p.setProcessEnvironment(e);
            p.start("xrandr", args);
            return p.waitForFinished(10000) && p.exitCode() == 0;
        };
        QVERIFY(xrandr({"--setmonitor", "LEFT", "1280/338x720/190+0+0", "screen"}));
        QVERIFY(xrandr({"--setmonitor", "RIGHT", "1280/338x720/190+1280+0", "none"}));
        bas_shellcode::save_setting("audio_on", "1");
        bas_shellcode::save_setting("audio_seconds", "1");
        QFile list(data_dir_ + "Zentara Audio Files.dat");
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write((test_env::assets_dir() + "/sounds/zara1.wav\r\n").toLocal8Bit());
        list.close();

        x_client x(wide.display());
        QVERIFY(x.ok());
        QTemporaryDir tmp;
        QProcess left, right;
        const Window lw = x.make_window(1280, 720, 0, 0), rw = x.make_window(1280, 720, 1280, 0);
        for (auto [p, w, name] : {std::tuple{&left, lw, "left.raw"}, std::tuple{&right, rw, "right.raw"}}) {
            QProcessEnvironment pe = e;
            pe.insert("SDL_AUDIODRIVER", "disk");
            pe.insert("SDL_DISKAUDIOFILE", tmp.filePath(name));
            pe.insert("XSCREENSAVER_WINDOW", QString::number(w));
            start(*p, {"--root"}, pe);
        }
        QTRY_VERIFY_WITH_TIMEOUT(filled(x.grab(x.root()).copy(0, 0, 1280, 720)), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(filled(x.grab(x.root()).copy(1280, 0, 1280, 720)), 20000);
        QTest::qWait(3000);
        QVERIFY(end_with(left, SIGTERM) >= 0);
        QVERIFY(end_with(right, SIGTERM) >= 0);
        auto loud = [&](const char *name) {
            QFile out(tmp.filePath(name));
            if (!out.open(QIODevice::ReadOnly))
                return false;
            const QByteArray samples = out.readAll();
            for (qsizetype i = 0; i + 1 < samples.size(); i += 2)
                if (qAbs(*reinterpret_cast<const qint16 *>(samples.constData() + i)) > 200)
                    return true;
            return false;
        };
        QVERIFY2(loud("left.raw"), "the primary monitor's process played nothing");
        QVERIFY2(!loud("right.raw"), "the second monitor's process played sound too");
    }

    void refuses_without_window_or_display_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("code");
        QTest::newRow("no window named") << QStringList{"--fps"} << true << 2;
        QTest::newRow("window that does not exist") << QStringList{"--window-id", "0x3fffff0"} << true << 1;
        QTest::newRow("no X display") << QStringList{"--root"} << false << 1;
    }
    void refuses_without_window_or_display()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, display);
        QFETCH(int, code);
        QProcessEnvironment e = env();
        if (!display)
            e.remove("DISPLAY");
        QProcess p;
        p.setProcessEnvironment(e);
        p.start(ZENTARA_HACK, args);
        QVERIFY(p.waitForFinished(15000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        QVERIFY(p.readAllStandardError().startsWith("zentara-hack: "));
    }
};

QTEST_GUILESS_MAIN(tst_hack)
#include "tst_hack.moc"

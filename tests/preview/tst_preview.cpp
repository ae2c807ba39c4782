#include <QtTest>

#include "startup/bas_shellcode.h"
#include "test_env.h"
#include "x_client.h"
#include "x_server.h"


// "zentara /P <window>" as a host runs it: the real program on a private X
// server, with a host window that the test makes, closes and destroys.
class tst_preview : public QObject
{
    Q_OBJECT

    std::unique_ptr<x_server> server_;
    std::unique_ptr<x_client> x_;

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", server_->display());
        e.remove("WAYLAND_DISPLAY");
        return e;
    }
    void start(QProcess &p, const QString &line)
    {
        p.setProcessEnvironment(env());
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(ZENTARA_PROGRAM, QProcess::splitCommand(line));
        QVERIFY(p.waitForStarted());
    }
    // The picture's window, once the preview has put it into `host`.
    Window wait_for_picture(Window host)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000) {
            for (Window c : x_->children(host))
                if (x_->mapped(c))
                    return c;
            QThread::msleep(20);
        }
        return 0;
    }
    static qint64 time_to_end(QProcess &p, QElapsedTimer &since)
    {
        if (!p.waitForFinished(10000))
            return -1;
        return since.elapsed();
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::save_setting("install_path", "/opt/zentara/sounds/");
        server_ = std::make_unique<x_server>();
        if (server_->display().isEmpty())
            QSKIP("Xvfb is not installed or did not start: apt-get install xvfb");
        x_ = std::make_unique<x_client>(server_->display());
        QVERIFY(x_->ok());
    }

    void picture_fills_host_and_ends_with_it()
    {
        const Window host = x_->make_window(300, 200);
        QProcess p;
        start(p, QStringLiteral("/P %1").arg(host));
        const Window picture = wait_for_picture(host);
        QVERIFY2(picture, "the preview never attached to the host window");
        QCOMPARE(x_->size(picture), QSize(300, 200)); // the host's client size, from the X server
        QTRY_VERIFY_WITH_TIMEOUT(filled(x_->grab(host).copy(0, 0, 150, 112)), 5000);

        // The picture is unstretched at the top-left: it matches the shipped preview there.
        const QImage shown = x_->grab(host);
        const QImage expected = QImage(test_env::assets_dir() + "/pictures/preview.png").convertToFormat(QImage::Format_RGB32);
        int close = 0, n = 0;
        for (int y = 0; y < 112; y += 4)
            for (int x = 0; x < 150; x += 4, ++n)
                close += qAbs(qGray(shown.pixel(x, y)) - qGray(expected.pixel(x, y))) < 24;
        QVERIFY2(close > n * 9 / 10, "the host does not show the preview picture at its top-left");
        QCOMPARE(lit_share(shown.copy(160, 120, 140, 80)), 0.0); // beyond the picture: black

        QElapsedTimer since;
        since.start();
        x_->destroy(host);
        const qint64 ms = time_to_end(p, since);
        qInfo("process ended %lld ms after its host window was destroyed", ms);
        QVERIFY2(ms >= 0, "the preview outlived its host window");
        QVERIFY2(ms < 1500, "the preview took far longer than one 50 ms tick to end");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    void close_request_ends_preview_and_leaves_host()
    {
        const Window host = x_->make_window(200, 150);
        QProcess p;
        start(p, QStringLiteral("/p %1").arg(host));
        const Window picture = wait_for_picture(host);
        QVERIFY(picture);
        QElapsedTimer since;
        since.start();
        x_->send_close_request(picture);
        const qint64 ms = time_to_end(p, since);
        qInfo("process ended %lld ms after the close request", ms);
        QVERIFY2(ms >= 0, "a close request did not end the preview");
        QVERIFY(ms < 1500);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(x_->exists(host)); // the host's window is the host's
        for (Window c : x_->children(host))
            QVERIFY2(!x_->mapped(c), "the picture was left inside the host window");
        x_->destroy(host);
    }

    void no_such_window_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("unknown window") << QStringLiteral("/P 4194000");
        QTest::newRow("colon form reads as 0") << QStringLiteral("/p:%1").arg(x_ ? x_->root() : 0);
        QTest::newRow("no number") << QStringLiteral("/P");
    }
    void no_such_window()
    {
        QFETCH(QString, line);
        QProcess p;
        QElapsedTimer since;
        since.start();
        start(p, line);
        const qint64 ms = time_to_end(p, since);
        qInfo("ended after %lld ms (start-up included)", ms);
        QVERIFY2(ms >= 0, "a preview without a host window kept running");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(x_->exists(x_->root()));
    }

    void no_x_display_ends_quietly_data()
    {
        QTest::addColumn<QString>("wayland");
        QTest::newRow("no display at all") << QString();
        QTest::newRow("Wayland alone") << QStringLiteral("wayland-0");
    }
    void no_x_display_ends_quietly()
    {
        QFETCH(QString, wayland);
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove("DISPLAY");
        e.remove("WAYLAND_DISPLAY");
        if (!wayland.isEmpty())
            e.insert("WAYLAND_DISPLAY", wayland);
        QProcess p;
        p.setProcessEnvironment(e);
        p.start(ZENTARA_PROGRAM, {"/P", "1234"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_preview)
#include "tst_preview.moc"

#include "engine/frm_screensaver.h"
#include "platform/display.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QtTest>

class tst_saver_window : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        bas_shellcode::save_setting("install_path", "/opt/zentara/sounds/");
    }

    void input_judgement_of_keys_and_clicks()
    {
        frm_screensaver w;
        w.ascreen->resize(100, 100);
        QTest::keyClick(w.ascreen, Qt::Key_Shift);
        QTest::keyClick(w.ascreen, Qt::Key_Left);
        QTest::keyClick(w.ascreen, Qt::Key_F5);
        QTest::mouseClick(w.ascreen, Qt::LeftButton);
        QVERIFY(w.scene().mouse_moves <= 1); // a click carries no movement (at most the press's own)
        QTest::keyClick(w.ascreen, Qt::Key_Escape);
        QCOMPARE(w.scene().mouse_moves, std::int16_t(23));
    }

    void key_press_ends_the_running_saver()
    {
        frm_screensaver w;
        bool prompted = false;
        w.password_required = [] { return false; };
        w.open_password_prompt = [&] { prompted = true; };
        // A key pressed in the frame that closes an 80-frame input window is
        // forgotten by design: keep pressing until the saver ends.
        QTimer keys;
        connect(&keys, &QTimer::timeout, &w, [&] { QTest::keyClick(w.ascreen, Qt::Key_A); });
        keys.start(700);
        w.show_saver();
        QVERIFY(bas_shellcode::saver_active);
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 10000);
        QVERIFY(!prompted);
        QVERIFY(!w.isVisible());
        QVERIFY(platform::cursor_count() >= 0);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(bas_shellcode::window_absent(bas_shellcode::k_saver_caption));
        // The first scene fills the screen.
        const QImage shown = w.scene().ascreen.image();
        QCOMPARE(shown.size(), QGuiApplication::primaryScreen()->geometry().size());
        int lit = 0;
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7)
                lit += qGray(shown.pixel(x, y)) > 8;
        QVERIFY2(lit > 20, "the scene was not drawn");
    }

    void first_frame_comes_quickly()
    {
        frm_screensaver w;
        QElapsedTimer t;
        qint64 first = -1;
        QTimer probe;
        probe.setInterval(1);
        connect(&probe, &QTimer::timeout, [&] {
            if (first < 0 && w.frames_run > 0) {
                first = t.elapsed();
                QTest::keyClick(w.ascreen, Qt::Key_Q);
            }
        });
        probe.start();
        t.start();
        w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 10000);
        qInfo("first frame after %lld ms", first);
        QVERIFY(first >= 0);
        QVERIFY2(first < 1500, "the first frame came far too late"); // 0.5 s on an idle machine
    }

    void close_request_becomes_an_orderly_exit()
    {
        frm_screensaver w;
        QTimer::singleShot(500, &w, [&] {
            w.close(); // refused once ...
            QVERIFY(w.isVisible());
        });
        w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000); // ... then closed by the loop
        QCOMPARE(w.unload_guard, 0);
        QVERIFY(platform::cursor_count() >= 0);
    }

    void frames_keep_their_period()
    {
        bas_shellcode::save_setting("frame_rate", "20");
        frm_screensaver w;
        QElapsedTimer t;
        QTimer keys;
        connect(&keys, &QTimer::timeout, &w, [&] { QTest::keyClick(w.ascreen, Qt::Key_Space); });
        keys.start(1000);
        t.start();
        w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 10000);
        const qint64 ms = t.elapsed();
        bas_shellcode::save_setting("frame_rate", "45");
        QVERIFY2(w.frames_run <= ms / 20 + 1, "frames came faster than their period");
        QVERIFY2(w.frames_run >= ms / 20 / 2, "frames came far too slowly");
    }
};

QTEST_MAIN(tst_saver_window)
#include "tst_saver_window.moc"

// The password prompt's life inside a running saver when events cross: its
// 20-second timer, its real wrong-password box, the session's end and a close
// from the window manager, in any order. The message boxes here are the real
// ones (no recording stand-in), since what matters is their own event loop.
#include "engine/frm_screensaver.h"
#include "password/bas_password.h"
#include "password/frm_checkpassword.h"
#include "platform/display.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <csignal>
#include <unistd.h>

namespace {
void when(std::function<bool()> ready, std::function<void()> step)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ready = std::move(ready), step = std::move(step)] {
        if (!ready())
            return;
        poll->stop();
        poll->deleteLater();
        step();
    });
    poll->start();
}

QMessageBox *open_box()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible())
            return box;
    return nullptr;
}

struct protected_saver
{
    frm_screensaver w;
    int opened = 0;
    QPointer<frm_checkpassword> prompt;

    protected_saver()
    {
        // A box that nobody closes would hold the test for ever: close it, and
        // the saver, late, and fail.
        QTimer::singleShot(12000, &w, [this] {
            if (QMessageBox *box = open_box()) {
                box->done(QMessageBox::Ok);
                QTest::qFail("a message box was left open", __FILE__, __LINE__);
            }
        });
        QTimer::singleShot(15000, &w, [this] {
            if (!bas_shellcode::saver_active)
                return;
            w.close();
            QTest::qFail("the scenario did not finish", __FILE__, __LINE__);
        });
        bas_password::protect_saver(w);
        auto open = w.open_password_prompt;
        w.open_password_prompt = [this, open] {
            open();
            ++opened;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<frm_checkpassword *>(top); p && p->isVisible())
                    prompt = p;
        };
    }
    bool prompting() const { return prompt && prompt->isVisible(); }
    // Types into the prompt and presses Enter; with a wrong text this returns
    // only when the box has closed.
    void type(const QString &text)
    {
        QLineEdit *box = prompt->Text1;
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_Return, QString(QChar(13)), Qt::NoModifier);
    }
};

void set_setting(const char *key, const char *value, const char *section = "Config")
{
    bas_shellcode::save_setting(QString::fromLatin1(key), QString::fromLatin1(value), QString::fromLatin1(section));
}
} // namespace

class tst_prompt_lifecycle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        set_setting("install_path", "/opt/zentara/sounds/");
        set_setting("ScreenSaveUsePassword", "1", "Desktop");
        bas_shellcode::saver_password = QStringLiteral("SECRET");
        bas_shellcode::scramble_password();
        set_setting("misc", bas_shellcode::scrambled_password.toLatin1().constData());
    }

    void init()
    {
        set_setting("cycle_speed_value", "13");
        set_setting("scroller_active", "1");
        set_setting("save_as_wallpaper", "0");
        QFile::remove(bas_shellcode::windows_dir + QStringLiteral("Zentara Image.bmp"));
    }

    // The crash: a wrong password, the box left open until the prompt's
    // timer fires, then the box closed. The prompt closes by its timer and takes
    // the box with it; the saver keeps running and asks again on the next input.
    void timer_fires_while_the_box_is_open()
    {
        protected_saver s;
        bool returned = false;
        QString box_title, box_text;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            s.prompt->Timer1->start(800); // the 20 s, shortened
            QTimer::singleShot(300, &s.w, [&] {
                if (QMessageBox *box = open_box()) {
                    box_title = box->windowTitle();
                    box_text = box->text();
                }
            });
            QTimer::singleShot(1600, &s.w, [&] {
                if (QMessageBox *box = open_box()) // still there: the user closes it now
                    QTest::keyClick(box, Qt::Key_Return);
            });
            s.type(QStringLiteral("wrong"));
            returned = true;
        });
        when([&] { return returned && !s.prompting(); }, [&] {
            QCOMPARE(box_title, QStringLiteral("Passwords"));
            QCOMPARE(box_text, QStringLiteral("The password that you typed is not correct. Try typing it again."));
            QVERIFY(open_box() == nullptr); // the box went with the prompt
            QVERIFY(bas_shellcode::saver_active);
            QCOMPARE(s.w.scene().password_prompt_open, std::int16_t(0));
            QVERIFY(platform::cursor_count() < 0);
            QTest::keyClick(s.w.ascreen, Qt::Key_Space);
        });
        when([&] { return s.opened == 2 && s.prompting(); }, [&] { s.type(QStringLiteral("secret")); });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(s.opened, 2);
        QTRY_VERIFY(s.prompt.isNull()); // deleted once its handler had returned
        QVERIFY(platform::cursor_count() >= 0);
    }

    // The other order: the box closed first, then the timer.
    void box_closed_before_the_timer()
    {
        protected_saver s;
        bool returned = false;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            s.prompt->Timer1->start(1500);
            QTimer::singleShot(300, &s.w, [&] {
                if (QMessageBox *box = open_box())
                    QTest::keyClick(box, Qt::Key_Return);
            });
            s.type(QStringLiteral("wrong"));
            returned = true;
            QVERIFY(s.prompting()); // the box went, the prompt stays until its timer
        });
        when([&] { return returned && !s.prompting(); }, [&] {
            QVERIFY(bas_shellcode::saver_active);
            QTest::keyClick(s.w.ascreen, Qt::Key_Space);
        });
        when([&] { return s.opened == 2 && s.prompting(); }, [&] { s.type(QStringLiteral("secret")); });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(s.opened, 2);
    }

    // A close from the window manager is input that always opens the prompt,
    // also in the frame that starts the 80-frame input window again.
    void window_manager_close_at_the_input_window_reset()
    {
        protected_saver s;
        std::int64_t closed_at = -1;
        when([&] { return s.w.scene().frame_count == 79; }, [&] {
            QCloseEvent request;
            QSpontaneKeyEvent::setSpontaneous(&request);
            QApplication::instance()->notify(&s.w, &request);
            QVERIFY(!request.isAccepted());
            closed_at = s.w.frames_run;
        });
        when([&] { return closed_at >= 0 && s.w.frames_run > closed_at + 5; }, [&] {
            QCOMPARE(s.opened, 1);
            if (s.prompting())
                s.type(QStringLiteral("secret"));
            else
                s.w.close();
        });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(s.opened, 1);
    }

    // SIGTERM, SIGINT and SIGHUP end the saver orderly wherever it stands:
    // running, prompting, with the wrong-password box open, or in the middle of
    // a scene transition. The wallpaper option checks that the loop's own exit ran.
    void signals_end_the_saver_orderly_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<QString>("during");
        for (const auto &[sig, name] : {std::pair{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}})
            for (const char *during : {"running", "prompt", "box", "transition"})
                QTest::addRow("%s %s", name, during) << sig << QString::fromLatin1(during);
    }
    void signals_end_the_saver_orderly()
    {
        QFETCH(int, sig);
        QFETCH(QString, during);
        set_setting("save_as_wallpaper", "1");
        if (during == QLatin1String("transition")) {
            set_setting("cycle_speed_value", "1"); // a scene change every 80 frames
            set_setting("scroller_active", "0");   // every frame counts towards it
        }
        protected_saver s;
        bool sent = false;
        bool box_was_open = false;
        auto send = [&] {
            sent = true;
            ::kill(::getpid(), sig);
        };
        if (during == QLatin1String("running")) {
            QTimer::singleShot(700, &s.w, send);
        } else if (during == QLatin1String("transition")) {
            auto inner = s.w.scene().wait_ticks;
            s.w.scene().wait_ticks = [&, inner](std::int32_t ms) {
                if (!sent)
                    send();
                inner(ms);
            };
        } else {
            QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
            when([&] { return s.prompting(); }, [&] {
                if (during == QLatin1String("prompt")) {
                    send();
                    return;
                }
                QTimer::singleShot(300, &s.w, [&] {
                    box_was_open = open_box() != nullptr;
                    send();
                });
                s.type(QStringLiteral("wrong"));
            });
        }
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QVERIFY(sent);
        if (during == QLatin1String("box"))
            QVERIFY(box_was_open);
        QTRY_VERIFY(!s.w.isVisible());
        QCOMPARE(s.w.unload_guard, 0); // through the loop's own exit
        QVERIFY(open_box() == nullptr);
        QVERIFY(platform::cursor_count() >= 0);
        QImage wallpaper(bas_shellcode::windows_dir + QStringLiteral("Zentara Image.bmp"));
        QCOMPARE(wallpaper.size(), QGuiApplication::primaryScreen()->geometry().size());
        QTRY_VERIFY(s.prompt.isNull());
    }
};

QTEST_MAIN(tst_prompt_lifecycle)
#include "tst_prompt_lifecycle.moc"

// The password prompt inside a running saver. The saver's frame loop runs inside
// the event loop of QTRY_VERIFY, so each scenario is a script of steps that run
// between frames (`when`), as the user's input would.
#include "engine/frm_screensaver.h"
#include "password/bas_password.h"
#include "password/frm_checkpassword.h"
#include "platform/display.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <csignal>
#include <unistd.h>

namespace {
// Runs `step` between frames as soon as `ready` holds.
void when(std::function<bool()> ready, std::function<void()> step)
{
    auto *poll = new QTimer(qApp);
    poll->setObjectName(QStringLiteral("when"));
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

void set_flag(const char *value)
{
    bas_shellcode::save_setting(QStringLiteral("ScreenSaveUsePassword"), QString::fromLatin1(value), QStringLiteral("Desktop"));
}

void set_password(const QString &password)
{
    bas_shellcode::saver_password = password;
    bas_shellcode::scramble_password();
    bas_shellcode::save_setting(QStringLiteral("misc"), bas_shellcode::scrambled_password);
}

void move_mouse(QWidget *w, int times)
{
    for (int i = 0; i < times; ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10 + i, 10), w->mapToGlobal(QPointF(10 + i, 10)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
}

// A saver under password protection that counts the prompts it opens.
struct protected_saver
{
    frm_screensaver w;
    int opened = 0;
    QPointer<frm_checkpassword> prompt;

    protected_saver()
    {
        // The frame loop runs inside the event loop of QTRY: a script that
        // stalls must still end the saver, or the test would never return.
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
    // A step whose moment never came (no prompt in this scenario) must not poll
    // the next test's stack.
    ~protected_saver()
    {
        for (QTimer *poll : qApp->findChildren<QTimer *>(QStringLiteral("when"), Qt::FindDirectChildrenOnly))
            delete poll;
    }
    bool prompting() const { return prompt && prompt->isVisible(); }
    void type(const QString &text)
    {
        // keyClicks() knows ASCII only; a key event carries any character.
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, prompt->Text1, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(prompt->Text1, Qt::Key_Return);
    }
};

struct shown_message
{
    QString text;
    QString title;
    platform::message_icon icon;
};
} // namespace

class tst_checkpassword : public QObject
{
    Q_OBJECT

    QList<shown_message> messages_;

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        bas_shellcode::save_setting(QStringLiteral("install_path"), QStringLiteral("/opt/zentara/sounds/"));
        platform::set_message_box_handler([this](const QString &text, const QString &title, platform::message_icon icon) {
            messages_.append({text, title, icon});
        });
    }

    void init()
    {
        messages_.clear();
        set_flag("1");
        set_password(QStringLiteral("SECRET"));
    }

    void right_password_ends_the_saver_data()
    {
        QTest::addColumn<QString>("password"); // as set in the change-password dialog
        QTest::addColumn<QString>("typed");
        QTest::newRow("another case") << "SECRET" << "sEcReT";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("beyond 8 bits") << "ПАРОЛЬ" << "пароль";
        QTest::newRow("no key types it") << "пароль" << "ПАРОЛЬ"; // kept as typed by the dialog
    }
    void right_password_ends_the_saver()
    {
        QFETCH(QString, password);
        QFETCH(QString, typed);
        set_password(password);
        protected_saver s;
        std::int64_t frames_at_open = 0;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            frm_checkpassword *p = s.prompt;
            QVERIFY(bas_shellcode::saver_active);
            QCOMPARE(s.w.scene().password_prompt_open, std::int16_t(1));
            QCOMPARE(p->windowTitle(), QStringLiteral("Screen Saver Password"));
            QCOMPARE(p->Label1->text(), QStringLiteral("Type your screen saver password:"));
            QCOMPARE(p->Command1->text(), QStringLiteral("Ok"));
            QCOMPARE(p->Command2->text(), QStringLiteral("Cancel"));
            QCOMPARE(p->Text1->echoMode(), QLineEdit::Password);
            QCOMPARE(p->Text1->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, p->Text1), int('*'));
            QVERIFY(p->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            // Centred (the window's frame, a few pixels, is known only once it shows).
            QVERIFY((p->frameGeometry().center() - screen.center()).manhattanLength() <= 8);
            QVERIFY(platform::cursor_count() >= 0); // the pointer shows for typing
            frames_at_open = s.w.frames_run;
            QTest::keyClick(s.w.ascreen, Qt::Key_Y); // more input while it is open
        });
        when([&] { return frames_at_open > 0 && s.w.frames_run > frames_at_open + 10; }, [&] {
            QCOMPARE(s.opened, 1); // no second prompt; the scene moved on meanwhile
            s.type(typed);
        });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QTRY_VERIFY(!s.w.isVisible());
        QVERIFY(messages_.isEmpty());
        QVERIFY(s.prompt.isNull() || !s.prompt->isVisible());
        QCOMPARE(s.w.unload_guard, 0);
        QVERIFY(platform::cursor_count() >= 0); // the saver's unload shows it again
    }

    void wrong_password_keeps_the_saver_running()
    {
        protected_saver s;
        std::int64_t frames_at_message = 0;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            s.type(QStringLiteral("secrets"));
            QCOMPARE(messages_.size(), 1);
            QCOMPARE(messages_[0].text, QStringLiteral("The password that you typed is not correct. Try typing it again."));
            QCOMPARE(messages_[0].title, QStringLiteral("Passwords"));
            QCOMPARE(messages_[0].icon, platform::message_icon::exclamation);
            QVERIFY(s.prompt->Text1->text().isEmpty());
            QCOMPARE(QApplication::focusWidget(), s.prompt->Text1);
            frames_at_message = s.w.frames_run;
        });
        when([&] { return frames_at_message > 0 && s.w.frames_run > frames_at_message + 10; }, [&] {
            QVERIFY(bas_shellcode::saver_active);
            QVERIFY(s.prompting());
            QCOMPARE(s.opened, 1);
            s.type(QStringLiteral("secret"));
        });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(messages_.size(), 1);
    }

    // Characters above 255 once all became "?": any text of the same length opened the saver.
    void other_text_of_the_same_length_is_refused_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("right");
        QTest::newRow("Cyrillic") << "ПАРОЛЬ" << "пароли" << "пароль";
        QTest::newRow("Greek") << "ΚΩΔΙΚΟΣ" << "ΚΩΔΙΚΑΣ" << "κωδικοσ";
        QTest::newRow("question marks") << "ЖЖ" << "??" << "жж";
    }
    void other_text_of_the_same_length_is_refused()
    {
        QFETCH(QString, password);
        QFETCH(QString, wrong);
        QFETCH(QString, right);
        set_password(password);
        protected_saver s;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            s.type(wrong);
            QCOMPARE(messages_.size(), 1);
            QCOMPARE(messages_[0].title, QStringLiteral("Passwords"));
            QVERIFY(bas_shellcode::saver_active);
            s.type(right);
        });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(messages_.size(), 1);
    }

    void closing_without_the_password_returns_to_running_data()
    {
        QTest::addColumn<QString>("close_by");
        QTest::addColumn<bool>("back_by_key"); // else by 23 mouse moves
        QTest::newRow("Cancel") << "cancel" << false;
        QTest::newRow("time-out") << "timer" << true;
        QTest::newRow("Escape") << "escape" << false;
        QTest::newRow("close button") << "close" << true;
    }
    void closing_without_the_password_returns_to_running()
    {
        QFETCH(QString, close_by);
        QFETCH(bool, back_by_key);
        protected_saver s;
        QElapsedTimer open_for;
        qint64 closed_after = -1;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] {
            open_for.start();
            auto &scene = s.w.scene();
            connect(s.prompt, &QDialog::finished, &s.w, [&] {
                closed_after = open_for.elapsed();
                QCOMPARE(scene.password_prompt_open, std::int16_t(0));
                QCOMPARE(scene.exit_requested, 0);
                QCOMPARE(scene.mouse_moves, std::int16_t(0));
                QCOMPARE(scene.full_repaint, std::int16_t(1));
                QVERIFY(platform::cursor_count() < 0);
            });
            if (close_by == QLatin1String("cancel")) {
                QTest::mouseClick(s.prompt->Command2, Qt::LeftButton);
            } else if (close_by == QLatin1String("escape")) {
                QTest::keyClick(s.prompt->Text1, Qt::Key_Escape);
            } else if (close_by == QLatin1String("close")) {
                s.prompt->close();
            } else {
                s.prompt->Timer1->setInterval(1500);
                QTimer::singleShot(1000, s.prompt, [&] { QTest::keyClicks(s.prompt->Text1, QStringLiteral("sec")); });
            }
        });
        when([&] { return closed_after >= 0 && !s.prompting(); }, [&] {
            if (close_by == QLatin1String("timer")) {
                // Typing at 1 s did not start the 1.5 s over (a coarse timer may
                // fire up to 5 % early).
                QVERIFY2(closed_after >= 1400 && closed_after < 2400, qPrintable(QString::number(closed_after)));
            }
            QVERIFY(bas_shellcode::saver_active);
            QCOMPARE(s.opened, 1);
            if (back_by_key)
                QTest::keyClick(s.w.ascreen, Qt::Key_Space);
            else
                move_mouse(s.w.ascreen, 23);
        });
        when([&] { return s.opened == 2 && s.prompting(); }, [&] { s.type(QStringLiteral("secret")); });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QCOMPARE(s.opened, 2);
    }

    void outside_close_request_data()
    {
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<int>("preview");
        QTest::addColumn<bool>("asks");
        QTest::newRow("password required") << QByteArray("1") << 0 << true;
        QTest::newRow("no password") << QByteArray("0") << 0 << false;
        QTest::newRow("preview") << QByteArray("1") << 1 << false;
    }
    void outside_close_request()
    {
        QFETCH(QByteArray, flag);
        QFETCH(int, preview);
        QFETCH(bool, asks);
        set_flag(flag.constData());
        protected_saver s;
        s.w.scene().preview_mode = preview;
        QTimer::singleShot(500, &s.w, [&] {
            // A close from the window manager (Alt+F4) arrives as a spontaneous event.
            QCloseEvent request;
            QSpontaneKeyEvent::setSpontaneous(&request);
            QApplication::instance()->notify(&s.w, &request);
            QCOMPARE(request.isAccepted(), false); // refused either way: asked for, or ended orderly
            QCOMPARE(bas_shellcode::saver_active, asks);
        });
        when([&] { return s.prompting(); }, [&] { s.type(QStringLiteral("secret")); });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QTRY_VERIFY(!s.w.isVisible());
        QCOMPARE(s.opened, asks ? 1 : 0);
        QCOMPARE(s.w.unload_guard, 0);
    }

    void session_end_ends_the_saver_behind_the_prompt()
    {
        protected_saver s;
        QTimer::singleShot(500, &s.w, [&] { QTest::keyClick(s.w.ascreen, Qt::Key_X); });
        when([&] { return s.prompting(); }, [&] { ::kill(::getpid(), SIGTERM); });
        s.w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 20000);
        QTRY_VERIFY(!s.w.isVisible());
        QCOMPARE(s.w.unload_guard, 0); // through the loop's own exit
        QTRY_VERIFY(s.prompt.isNull());
        QVERIFY(platform::cursor_count() >= 0);
    }
};

QTEST_MAIN(tst_checkpassword)
#include "tst_checkpassword.moc"

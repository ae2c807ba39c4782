#include "password/frm_newpassword.h"
#include "platform/os.h"
#include "platform/settings_store.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

namespace {
struct shown_message
{
    QString text;
    QString title;
    platform::message_icon icon = platform::message_icon::none;
};
} // namespace

class tst_newpassword : public QObject
{
    Q_OBJECT

    QList<shown_message> messages_;

    static QString stored_password()
    {
        bas_shellcode::scrambled_password = bas_shellcode::get_setting(QStringLiteral("misc"), QStringLiteral("<none>"));
        if (bas_shellcode::scrambled_password == QLatin1String("<none>"))
            return bas_shellcode::scrambled_password;
        bas_shellcode::unscramble_password();
        return bas_shellcode::saver_password;
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        qputenv("XKB_DEFAULT_LAYOUT", "us");
        platform::set_message_box_handler([this](const QString &text, const QString &title, platform::message_icon icon) {
            messages_.append({text, title, icon});
        });
    }

    void init()
    {
        messages_.clear();
        bas_shellcode::saver_password = QStringLiteral("old");
        bas_shellcode::scramble_password();
        bas_shellcode::save_setting(QStringLiteral("misc"), bas_shellcode::scrambled_password);
    }

    void dialog_texts()
    {
        frm_newpassword dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Change  Password"));
        QCOMPARE(dialog.Label1->text(), QStringLiteral("Change password for Zentara"));
        QCOMPARE(dialog.Label2->text(), QStringLiteral("New Password:"));
        QCOMPARE(dialog.Label3->text(), QStringLiteral("Confirm new password:"));
        QCOMPARE(dialog.OK->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.Cancel->text(), QStringLiteral("Cancel"));
        for (QLineEdit *box : {dialog.NewPassword, dialog.NewPassword2}) {
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QCOMPARE(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), int('*'));
            QVERIFY(box->text().isEmpty());
        }
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY((dialog.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
    }

    void ok_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<QString>("message"); // empty: stored
        QTest::addColumn<QString>("kept");    // the first box after OK, and the stored password
        QTest::addColumn<QString>("kept2");

        const QString mismatch = QStringLiteral("The new and confirmed passwords do not match. Please type them again.");
        const QString too_long = QStringLiteral("New password too long\nMaximum length 30 chars");
        const QString a30(30, QLatin1Char('a')), A30(30, QLatin1Char('A'));
        QTest::newRow("mismatch") << "abc" << "abd" << mismatch << "ABC" << "ABD";
        QTest::newRow("mismatch before length") << QString(40, 'a') << QString(40, 'b') << mismatch
                                                << QString(40, 'A') << QString(40, 'B');
        QTest::newRow("31 characters") << a30 + "a" << a30 + "a" << too_long << A30 + "A" << A30 + "A";
        QTest::newRow("30 characters") << a30 << a30 << QString() << A30 << A30;
        QTest::newRow("case differs") << "Secret" << "sEcReT" << QString() << "SECRET" << "SECRET";
        QTest::newRow("shifted symbols") << "p@ss!" << "P@SS!" << QString() << "P2SS1" << "P2SS1";
        QTest::newRow("both empty") << QString() << QString() << QString() << QString() << QString();
    }
    void ok()
    {
        QFETCH(QString, typed);
        QFETCH(QString, confirmed);
        QFETCH(QString, message);
        QFETCH(QString, kept);
        QFETCH(QString, kept2);
        frm_newpassword dialog;
        dialog.show();
        QTest::keyClicks(dialog.NewPassword, typed);
        QTest::keyClicks(dialog.NewPassword2, confirmed);
        QTest::mouseClick(dialog.OK, Qt::LeftButton);

        QCOMPARE(dialog.NewPassword->text(), kept);
        QCOMPARE(dialog.NewPassword2->text(), kept2);
        if (!message.isEmpty()) {
            QCOMPARE(messages_.size(), 1);
            QCOMPARE(messages_[0].text, message);
            const bool mismatch = message.startsWith(QLatin1String("The new"));
            QCOMPARE(messages_[0].title, mismatch ? QStringLiteral("Microsoft Windows") : QStringLiteral("Change Password"));
            QCOMPARE(messages_[0].icon, mismatch ? platform::message_icon::stop : platform::message_icon::exclamation);
            QVERIFY(dialog.isVisible());
            QCOMPARE(stored_password(), QStringLiteral("old"));
            return;
        }
        QVERIFY(messages_.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(bas_shellcode::saver_password, kept);
        QCOMPARE(stored_password(), kept);
        // The scrambled password is for its owner's eyes only.
        const QFile::Permissions perms = QFile::permissions(platform::user_settings_file(bas_shellcode::k_application));
        QCOMPARE(perms & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }

    void cancel_stores_nothing()
    {
        frm_newpassword dialog;
        dialog.show();
        QTest::keyClicks(dialog.NewPassword, QStringLiteral("new"));
        QTest::keyClicks(dialog.NewPassword2, QStringLiteral("new"));
        QTest::mouseClick(dialog.Cancel, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(stored_password(), QStringLiteral("old"));
    }

    void closing_the_only_window_ends_the_event_loop()
    {
        // Mode "/A": the dialog is the process's only window.
        auto *dialog = new frm_newpassword;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        QTimer::singleShot(100, dialog, [dialog] {
            QTest::keyClicks(dialog->NewPassword, QStringLiteral("x"));
            QTest::keyClicks(dialog->NewPassword2, QStringLiteral("x"));
            QTest::mouseClick(dialog->OK, Qt::LeftButton);
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(stored_password(), QStringLiteral("X"));
    }
};

QTEST_MAIN(tst_newpassword)
#include "tst_newpassword.moc"

// The options dialog over the real settings store: what each bar and check box
// shows for a stored value, and what every way of closing writes back.
#include "config/frm_options.h"
#include "dialog_helpers.h"
#include "password/bas_password.h"
#include "password/frm_newpassword.h"
#include "platform/settings_store.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

using namespace bas_shellcode;

namespace {
QString stored(const QString &key, const QString &section = k_section)
{
    return platform::read_setting(k_application, section, key).value_or(QStringLiteral("<missing>"));
}

QScrollBar *bar_of(frm_options &dlg, const QString &key)
{
    if (key == QLatin1String("cycle_speed_value")) return dlg.HScroll1;
    if (key == QLatin1String("audio_seconds")) return dlg.HScroll2;
    if (key == QLatin1String("scroller_delay")) return dlg.HScroll3;
    if (key == QLatin1String("object_frequency")) return dlg.HScroll4;
    if (key == QLatin1String("frame_rate")) return dlg.HScroll5;
    return nullptr;
}

// Opens the dialog the way the menu does, runs `act` once it is up, and returns
// when it has closed.
void run_modal(const std::function<void(frm_options &)> &act)
{
    frm_options dlg;
    QTimer::singleShot(0, &dlg, [&] {
        [&] {
            QTRY_VERIFY(dlg.isActiveWindow());
            act(dlg);
        }();
        if (dlg.isVisible() && QTest::currentTestFailed())
            dlg.done(0); // never leave a failed case hanging in exec()
    });
    dlg.exec();
}
} // namespace

class tst_options : public QObject
{
    Q_OBJECT
    QTemporaryDir install_;

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        save_setting(QStringLiteral("install_path"), install_.path());
    }

    void init()
    {
        // Every case starts from the defaults and no password flag.
        QFile::remove(platform::user_settings_file(k_application));
        save_setting(QStringLiteral("install_path"), install_.path());
        save_setting(QStringLiteral("run_once"), QStringLiteral("1"));
        load_settings();
    }

    void bar_round_trip_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("back");
        QTest::newRow("frame rate default") << "frame_rate" << "45" << 9 << "45";
        QTest::newRow("frame rate 47 rounds to 45") << "frame_rate" << "47" << 9 << "45";
        QTest::newRow("frame rate 48 rounds to 50") << "frame_rate" << "48" << 10 << "50";
        QTest::newRow("frame rate 0 means 20") << "frame_rate" << "0" << 4 << "20";
        QTest::newRow("frame rate 2 stays on the bar") << "frame_rate" << "2" << 1 << "5";
        QTest::newRow("frame rate above the bar") << "frame_rate" << "5000" << 40 << "200";
        QTest::newRow("frame rate negative") << "frame_rate" << "-45" << 1 << "5";
        QTest::newRow("scene 0 shows 1") << "cycle_speed_value" << "0" << 1 << "1";
        QTest::newRow("scene default") << "cycle_speed_value" << "13" << 13 << "13";
        QTest::newRow("scene above the bar") << "cycle_speed_value" << "21" << 20 << "20";
        QTest::newRow("scene negative") << "cycle_speed_value" << "-3" << 1 << "1";
        QTest::newRow("objects 0 shows 1") << "object_frequency" << "0" << 1 << "1";
        QTest::newRow("captions 0 shows 1") << "scroller_delay" << "0" << 1 << "1";
        QTest::newRow("captions at the end") << "scroller_delay" << "20" << 20 << "20";
        QTest::newRow("audio 0 shows 1") << "audio_seconds" << "0" << 1 << "1";
        QTest::newRow("audio at its end") << "audio_seconds" << "60" << 60 << "60";
        QTest::newRow("audio above the bar") << "audio_seconds" << "61" << 60 << "60";
    }

    // Shown at load, stored back unchanged by a close with the close box.
    void bar_round_trip()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, shown);
        QFETCH(QString, back);
        save_setting(key, value);
        load_settings();
        int seen = -1;
        run_modal([&](frm_options &dlg) {
            seen = bar_of(dlg, key)->value();
            dlg.close(); // the close box
        });
        QCOMPARE(seen, shown);
        QCOMPARE(stored(key), back);
        // The other settings are written too, with their values.
        QCOMPARE(stored(QStringLiteral("object_frequency")), key == QLatin1String("object_frequency") ? back : QStringLiteral("5"));
    }

    void bars_have_the_ranges_and_steps()
    {
        frm_options dlg;
        const std::pair<QScrollBar *, int> bars[] = {{dlg.HScroll1, 20}, {dlg.HScroll4, 20}, {dlg.HScroll3, 20},
                                                     {dlg.HScroll2, 60}, {dlg.HScroll5, 40}};
        for (const auto &[bar, max] : bars) {
            QCOMPARE(bar->minimum(), 1);
            QCOMPARE(bar->maximum(), max);
            QCOMPARE(bar->singleStep(), 1);
            QCOMPARE(bar->pageStep(), 1);
        }
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Screen Saver Options"));
        // Grown only where the fonts need it, never below the design's client area.
        QVERIFY(dlg.width() >= 320 && dlg.height() >= 277);
        dlg.done(0);
    }

    // Keyboard all the way: Tab to the audio bar, End moves it to its right end,
    // Alt+O presses "&Ok".
    void keyboard_moves_a_bar_and_closes()
    {
        run_modal([](frm_options &dlg) {
            QTRY_VERIFY(dlg.HScroll1->hasFocus());
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(dlg.HScroll2->hasFocus());
            QTest::keyClick(dlg.HScroll2, Qt::Key_End);
            QTest::keyClick(&dlg, Qt::Key_Escape); // no cancel: Esc closes nothing
            QVERIFY(dlg.isVisible());
            QTest::keyClick(&dlg, Qt::Key_O, Qt::AltModifier);
            QTRY_VERIFY(!dlg.isVisible()); // a mnemonic presses its button a moment later
        });
        QCOMPARE(stored(QStringLiteral("audio_seconds")), QStringLiteral("60"));
        QCOMPARE(audio_seconds, 60);
    }

    void check_boxes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("mnemonic");
        QTest::newRow("audio on") << "audio_on" << "Config" << "1" << true << int(Qt::Key_A);
        QTest::newRow("audio off") << "audio_on" << "Config" << "0" << false << int(Qt::Key_A);
        QTest::newRow("time on") << "show_time" << "Config" << "1" << true << int(Qt::Key_T);
        QTest::newRow("time off") << "show_time" << "Config" << "0" << false << int(Qt::Key_T);
        QTest::newRow("captions on") << "scroller_active" << "Config" << "1" << true << int(Qt::Key_D);
        QTest::newRow("captions off") << "scroller_active" << "Config" << "0" << false << int(Qt::Key_D);
        QTest::newRow("wallpaper off") << "save_as_wallpaper" << "Config" << "0" << false << int(Qt::Key_W);
        QTest::newRow("wallpaper on") << "save_as_wallpaper" << "Config" << "1" << true << int(Qt::Key_W);
        QTest::newRow("password flag missing") << "ScreenSaveUsePassword" << "Desktop" << "" << false << int(Qt::Key_R);
        QTest::newRow("password flag on") << "ScreenSaveUsePassword" << "Desktop" << "1" << true << int(Qt::Key_R);
        QTest::newRow("password flag 2 counts") << "ScreenSaveUsePassword" << "Desktop" << "2" << true << int(Qt::Key_R);
        QTest::newRow("password flag not a number") << "ScreenSaveUsePassword" << "Desktop" << "yes" << false << int(Qt::Key_R);
    }

    // Each box shows its stored value; its mnemonic toggles it, and the close
    // writes the other state as 1 or 0.
    void check_boxes()
    {
        QFETCH(QString, key);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        QFETCH(int, mnemonic);
        if (!value.isEmpty())
            save_setting(key, value, section);
        load_settings();
        bool shown = !ticked;
        run_modal([&](frm_options &dlg) {
            QCheckBox *box = nullptr;
            for (QCheckBox *b : {dlg.Check1, dlg.Check2, dlg.Check3, dlg.Check4, dlg.Check5})
                if (QKeySequence::mnemonic(b->text()) == QKeySequence(Qt::ALT | Qt::Key(mnemonic)))
                    box = b;
            QVERIFY(box);
            shown = box->isChecked();
            QTest::keyClick(&dlg, Qt::Key(mnemonic), Qt::AltModifier);
            QTRY_COMPARE(box->isChecked(), !shown);
            dlg.Command1->click();
        });
        QCOMPARE(shown, ticked);
        QCOMPARE(stored(key, section), ticked ? QStringLiteral("0") : QStringLiteral("1"));
        if (key == QLatin1String("ScreenSaveUsePassword"))
            QCOMPARE(bas_password::use_password_enabled(), !ticked);
        // Through the owner-only store.
        QCOMPARE(QFile::permissions(platform::user_settings_file(k_application))
                     & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
    }

    // The password set in the nested dialog survives the options' own save on close.
    void password_from_the_nested_dialog_is_kept()
    {
        saver_password = QStringLiteral("OLD");
        save_settings();
        bool nested = false;
        run_modal([&](frm_options &dlg) {
            dialog_helpers::when_modal<frm_newpassword>(&dlg, [&](frm_newpassword *pw) {
                nested = true;
                pw->NewPassword->setText(QStringLiteral("moon"));
                pw->NewPassword2->setText(QStringLiteral("MOON"));
                pw->OK->click();
            });
            QTest::keyClick(&dlg, Qt::Key_P, Qt::AltModifier);
            QTRY_VERIFY(nested);
            QVERIFY(dlg.isVisible()); // back from the password dialog, still open
            dlg.close();
        });
        QVERIFY(nested);
        QCOMPARE(saver_password, QStringLiteral("MOON"));
        scrambled_password.clear();
        load_settings();
        QCOMPARE(saver_password, QStringLiteral("MOON"));
    }
};

QTEST_MAIN(tst_options)
#include "tst_options.moc"

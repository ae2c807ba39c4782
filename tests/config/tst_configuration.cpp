// The configuration menu with its real title sound (heard through SDL's disk
// driver), the real saver window as the preview, the real message box and the
// single-instance marker that start-up looks for.
#include "config/frm_configuration.h"
#include "config/frm_options.h"
#include "config/frm_about.h"
#include "dialog_helpers.h"
#include "engine/frm_screensaver.h"
#include "platform/os.h"
#include "platform/sound_fixtures.h"
#include "startup/bas_shellcode.h"
#include "startup/modes.h"
#include "test_env.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace sound_fixtures;

namespace {
struct process_ended { int code; };

// Half a second: a 60 ms burst of tone, then silence. Looping, it beats twice a second.
QByteArray beat_wav()
{
    const int rate = 22050;
    const quint32 samples = rate / 2;
    QByteArray out("RIFF");
    append_le<quint32>(out, 36 + samples * 2);
    out += "WAVEfmt ";
    append_le<quint32>(out, 16);
    append_le<quint16>(out, 1);
    append_le<quint16>(out, 1);
    append_le<quint32>(out, rate);
    append_le<quint32>(out, rate * 2);
    append_le<quint16>(out, 2);
    append_le<quint16>(out, 16);
    out += "data";
    append_le<quint32>(out, samples * 2);
    for (quint32 i = 0; i < samples; ++i) {
        const double v = i < quint32(rate * 0.06) ? 12000 * std::sin(2 * M_PI * 600 * i / rate) : 0;
        append_le<qint16>(out, static_cast<qint16>(v));
    }
    return out;
}

// Beats heard between two positions: rises over the audible level in 10 ms steps.
int beats(const disk_output &disk, qint64 from, qint64 to)
{
    const qint64 step = k_bytes_per_second / 100;
    int count = 0;
    bool loud = false;
    for (qint64 p = from; p + step <= to; p += step) {
        const bool now = disk.peak(p, p + step) >= k_audible_peak;
        count += now && !loud;
        loud = now;
    }
    return count;
}
} // namespace

class tst_configuration : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;
    QTemporaryDir install_;
    disk_output disk_{dir_.filePath(QStringLiteral("played.raw"))};
    QByteArray path_;

    // Over two seconds from now: the beats heard and the loudest sample.
    std::pair<int, int> listen(double seconds = 2.0)
    {
        const qint64 from = disk_.position();
        QTest::qWait(int(seconds * 1000) + 300);
        const qint64 to = disk_output::after(from, seconds);
        return {beats(disk_, from, to), disk_.peak(from, to)};
    }

    void expect_one_loop(const char *when)
    {
        const auto [count, peak] = listen();
        // Twice a second; a second copy would double the beats or their height.
        QVERIFY2(count >= 3 && count <= 5, qPrintable(QStringLiteral("%1: %2 beats in 2 s").arg(when).arg(count)));
        QVERIFY2(peak < 17000, qPrintable(QStringLiteral("%1: peak %2").arg(when).arg(peak)));
    }

    void expect_silence(const char *when, double seconds = 0.5)
    {
        const qint64 from = disk_output::after(disk_.position(), 0.15); // a buffer may still be on its way
        QTest::qWait(int(seconds * 1000) + 300);
        QVERIFY2(disk_.peak(from, disk_output::after(from, seconds)) <= k_silent_peak, when);
    }

    std::unique_ptr<frm_configuration> open_menu(bool &ended)
    {
        auto menu = std::make_unique<frm_configuration>();
        menu->end_program = [&ended] { ended = true; };
        menu->show();
        menu->activateWindow();
        return menu;
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        path_ = qgetenv("PATH");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir_.filePath(QStringLiteral("played.raw"))));
        QVERIFY(write_file(QDir(install_.path()).filePath(QStringLiteral("title.wav")), beat_wav()));
        bas_shellcode::save_setting(QStringLiteral("install_path"), install_.path());
        platform::set_end_handler([](int code) { throw process_ended{code}; });
    }

    void cleanup() { qputenv("PATH", path_); }

    void layout()
    {
        bool ended = false;
        auto menu = open_menu(ended);
        QCOMPARE(menu->windowTitle(), QStringLiteral("Zentara Screen Saver Configuration"));
        QCOMPARE(menu->Image1->pixmap().size(), QSize(320, 240));
        QVERIFY(menu->width() >= 320 && menu->height() >= 277);
        // Top row over the picture, bottom row under it.
        QVERIFY(menu->Command7->geometry().bottom() <= menu->Image1->geometry().top());
        QCOMPARE(menu->Command6->y(), menu->Command7->y());
        for (QPushButton *b : {menu->Command3, menu->Command2, menu->Command4}) {
            QVERIFY(b->geometry().top() >= menu->Image1->geometry().bottom());
            QVERIFY(b->height() >= 20);
        }
        QTest::keyClick(menu.get(), Qt::Key_Escape); // a menu, not a question
        QVERIFY(menu->isVisible());
        QVERIFY(!ended);
        menu->close();
        QVERIFY(ended);
    }

    // The loop starts once, is silent while the options dialog is open, comes
    // back once after it, goes on under the about box and ends with the menu.
    void title_sound_follows_the_dialogs()
    {
        bool ended = false;
        auto menu = open_menu(ended);
        QTRY_VERIFY(menu->isActiveWindow());
        QCOMPARE(menu->menu_activated, 1);
        expect_one_loop("first activation");

        bool options_seen = false;
        dialog_helpers::when_modal<frm_options>(menu.get(), [&](frm_options *dlg) {
            options_seen = true;
            expect_silence("options open");
            dlg->close();
        });
        QTest::mouseClick(menu->Command7, Qt::LeftButton);
        QVERIFY(options_seen);
        // The menu is activated again (a window manager does that when the dialog
        // goes): that activation must not add a second copy.
        menu->activateWindow();
        QTRY_VERIFY(menu->isActiveWindow());
        expect_one_loop("after the options");

        bool about_seen = false;
        dialog_helpers::when_modal<frm_About>(menu.get(), [&](frm_About *box) {
            about_seen = true;
            const auto [count, peak] = listen(1.0);
            QVERIFY2(count >= 1, "the title sound stopped under the about box");
            Q_UNUSED(peak);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::keyClick(menu.get(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(about_seen); // a mnemonic presses its button a moment later
        menu->activateWindow();
        QTRY_VERIFY(menu->isActiveWindow());
        expect_one_loop("after the about box");

        QTest::keyClick(menu.get(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(ended);
        QVERIFY(!menu->isVisible());
        expect_silence("menu closed");
    }

    // The real saver window as a modal preview: not topmost, ended by a key
    // without a password even when one is required, and then the title sound again.
    void preview_runs_the_saver()
    {
        bas_shellcode::save_setting(QStringLiteral("ScreenSaveUsePassword"), QStringLiteral("1"), QStringLiteral("Desktop"));
        bool ended = false;
        auto menu = open_menu(ended);
        QTRY_VERIFY(menu->isActiveWindow());

        int mode_while_running = -1;
        bool topmost = true, modal = false, silent = false;
        auto *watch = new QTimer(menu.get());
        connect(watch, &QTimer::timeout, menu.get(), [&] {
            frm_screensaver *saver = menu->preview_window();
            if (!saver || !saver->isVisible() || saver->frames_run < 20)
                return;
            watch->stop();
            mode_while_running = saver->scene().preview_mode;
            topmost = saver->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            modal = saver->windowModality() == Qt::ApplicationModal;
            const qint64 from = disk_output::after(disk_.position(), 0.15);
            QTest::qWait(700);
            silent = disk_.peak(from, disk_output::after(from, 0.5)) <= k_silent_peak;
            QTest::keyClick(saver->ascreen, Qt::Key_X);
        });
        watch->start(50);
        QTest::keyClick(menu.get(), Qt::Key_P, Qt::AltModifier);
        // Back in the menu's handler once the preview has closed.
        QTRY_VERIFY_WITH_TIMEOUT(mode_while_running == 1 && menu->preview_window()
                                     && menu->preview_window()->scene().preview_mode == 0,
                                 60000);

        frm_screensaver *saver = menu->preview_window();
        QVERIFY(saver);
        QCOMPARE(mode_while_running, 1);
        QVERIFY(!topmost);
        QVERIFY(modal);
        QVERIFY2(silent, "the title sound played during the preview");
        QCOMPARE(saver->scene().preview_mode, 0);
        QVERIFY(!saver->isVisible());
        QVERIFY(!bas_shellcode::saver_active);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible() || w == menu.get(), qPrintable(w->windowTitle())); // no password prompt
        expect_one_loop("after the preview");
        menu->close();
        bas_shellcode::save_setting(QStringLiteral("ScreenSaveUsePassword"), QStringLiteral("0"), QStringLiteral("Desktop"));
    }

    void second_menu_ends_at_once()
    {
        bool ended = false;
        auto menu = open_menu(ended);
        bool opened = false;
        startup::windows open;
        open.configuration = [&] { opened = true; };
        int code = -1;
        try {
            startup::start(QStringLiteral("/C"), open);
        } catch (const process_ended &e) {
            code = e.code;
        }
        QCOMPARE(code, 0);
        QVERIFY(!opened);
        // Two starts in the same moment: the menu that finds the marker taken ends.
        int late_code = -1;
        try {
            frm_configuration late;
        } catch (const process_ended &e) {
            late_code = e.code;
        }
        QCOMPARE(late_code, 0);
        QVERIFY(menu->isVisible());
        menu->close();
        QVERIFY(ended);
        // Closed, the menu no longer holds its marker: the next "/C" opens.
        QCOMPARE(startup::start(QStringLiteral("/C"), open), startup::after::run_events);
        QVERIFY(opened);
    }

    void catalogue_data()
    {
        QTest::addColumn<bool>("page");
        QTest::addColumn<bool>("opener");
        QTest::addColumn<int>("opener_exit"); // xdg-open's answer: 3 = no handler for the file
        QTest::newRow("page missing") << false << true << 0;
        QTest::newRow("no opener") << true << false << 0;
        QTest::newRow("no handler") << true << true << 3;
        QTest::newRow("opened") << true << true << 0;
    }

    void catalogue()
    {
        QFETCH(bool, page);
        QFETCH(bool, opener);
        QFETCH(int, opener_exit);
        QTemporaryDir bin;
        const QString log = bin.filePath(QStringLiteral("calls.log"));
        const QString file = QDir(install_.path()).filePath(QStringLiteral("Krelix_Products.html"));
        QFile::remove(file);
        if (page)
            QVERIFY(write_file(file, "<html></html>\n"));
        if (opener) {
            QFile f(bin.filePath(QStringLiteral("xdg-open")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\nexit %2\n").arg(log).arg(opener_exit).toUtf8());
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(bin.path()));

        bool ended = false;
        auto menu = open_menu(ended);
        QTRY_VERIFY(menu->isActiveWindow());
        dialog_helpers::shown_box box;
        dialog_helpers::answer_message_box(menu.get(), box);
        QTest::keyClick(menu.get(), Qt::Key_K, Qt::AltModifier);
        const bool opens = page && opener && opener_exit == 0;
        if (!opens)
            QTRY_VERIFY(box.seen);
        if (opens) {
            QTRY_COMPARE_WITH_TIMEOUT(QFile::exists(log), true, 10000);
            QFile f(log);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(f.readAll()).trimmed(), QUrl::fromLocalFile(file).toString());
            QVERIFY(!box.seen);
        } else {
            QVERIFY(box.seen);
            QCOMPARE(box.title, QStringLiteral("Error!"));
            QCOMPARE(box.text, QStringLiteral("Error Launching %1!\n\nPlease make sure you have this program installed properly!")
                                   .arg(file));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttons, 1);
        }
        QVERIFY(menu->isVisible());
        menu->close();
    }
};

QTEST_MAIN(tst_configuration)
#include "tst_configuration.moc"

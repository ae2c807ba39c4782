// The about box: its texts, the keys that close it, the web site and the system
// information tool, with stand-in programs on the PATH and the real message box.
#include "config/frm_about.h"
#include "dialog_helpers.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
// A shell script that records how it was called (its name, then its arguments).
void write_tool(const QString &dir, const QString &name, const QString &log, bool works = true)
{
    QFile f(QDir(dir).filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (works)
        f.write(QStringLiteral("#!/bin/sh\necho \"%1 $*\" >> '%2'\n").arg(name, log).toUtf8());
    else
        f.write("#!/nonexistent/interpreter\n"); // found on the PATH, but it cannot start
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString read_log(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
}
} // namespace

class tst_about : public QObject
{
    Q_OBJECT
    QTemporaryDir install_;
    QByteArray path_;

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::save_setting(QStringLiteral("install_path"), install_.path());
        path_ = qgetenv("PATH");
    }

    void cleanup() { qputenv("PATH", path_); }

    void texts()
    {
        frm_About box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Zentara Screen Saver"));
        QCOMPARE(box.lblTitle->text(), QStringLiteral("Zentara Screen Saver"));
        QCOMPARE(box.lblVersion->text(), QStringLiteral("Version 3.0.0"));
        QVERIFY(box.lblTitle->font().bold());
        QCOMPARE(box.lblTitle->font().pointSize(), 18);
        QCOMPARE(box.Image1->pixmap().size(), QSize(150, 112));
        QVERIFY(box.cmdOK->isDefault());
        // The design's client area at least (6390 x 4740 twips at 15 twips a pixel).
        QVERIFY(box.width() >= 426 && box.height() >= 316);
    }

    void close_keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("focus_on_sysinfo");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << false;
        QTest::newRow("Alt+O") << int(Qt::Key_O) << int(Qt::AltModifier) << false;
        QTest::newRow("Esc with System Info focused") << int(Qt::Key_Escape) << 0 << true;
    }

    void close_keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, focus_on_sysinfo);
        frm_About box;
        bool shown = false;
        QTimer::singleShot(0, &box, [&] {
            [&] {
                QTRY_VERIFY(box.isActiveWindow());
                shown = true;
                if (focus_on_sysinfo)
                    box.cmdSysInfo->setFocus();
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box, Qt::Key(key),
                                Qt::KeyboardModifiers(modifiers));
                QTRY_VERIFY_WITH_TIMEOUT(!box.isVisible(), 2000); // a mnemonic presses a moment later
            }();
            if (box.isVisible())
                box.done(-1);
        });
        const int result = box.exec();
        QVERIFY(shown);
        QVERIFY2(result != -1, "the key did not close the box");
    }

    void system_info_data()
    {
        QTest::addColumn<QStringList>("tools");  // stand-ins put on the PATH
        QTest::addColumn<QStringList>("broken"); // stand-ins that cannot start
        QTest::addColumn<QString>("started");    // what should have run; empty: the message
        QTest::newRow("none on the PATH") << QStringList() << QStringList() << QString();
        QTest::newRow("one tool") << QStringList{"xfce4-about"} << QStringList() << "xfce4-about";
        QTest::newRow("GNOME's panel with its page") << QStringList{"gnome-control-center"} << QStringList()
                                                     << "gnome-control-center info-overview";
        QTest::newRow("the first of the list wins") << QStringList{"xfce4-about", "hardinfo"} << QStringList()
                                                    << "hardinfo";
        QTest::newRow("first found cannot start") << QStringList{"xfce4-about"} << QStringList{"hardinfo"} << QString();
    }

    void system_info()
    {
        QFETCH(QStringList, tools);
        QFETCH(QStringList, broken);
        QFETCH(QString, started);
        QTemporaryDir bin;
        const QString log = bin.filePath(QStringLiteral("calls.log"));
        for (const QString &t : tools)
            write_tool(bin.path(), t, log);
        for (const QString &t : broken)
            write_tool(bin.path(), t, log, false);
        qputenv("PATH", QFile::encodeName(bin.path()));

        frm_About box;
        box.show();
        dialog_helpers::shown_box message;
        dialog_helpers::answer_message_box(&box, message);
        QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);
        if (started.isEmpty()) {
            QVERIFY(message.seen);
            QCOMPARE(message.text, QStringLiteral("System Information Is Unavailable At This Time"));
            QCOMPARE(message.title, QStringLiteral("scrnsave:Zentara"));
            QCOMPARE(message.icon, QMessageBox::NoIcon);
            QCOMPARE(message.buttons, 1);
            QTest::qWait(300);
            QCOMPARE(read_log(log), QString());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(read_log(log), started, 10000);
            QVERIFY(!message.seen);
        }
    }

    // No browser to start: the box says so. A stand-in opener receives the address.
    void web_site()
    {
        QTemporaryDir bin;
        const QString log = bin.filePath(QStringLiteral("calls.log"));
        qputenv("PATH", QFile::encodeName(bin.path()));
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        {
            frm_About box;
            box.show();
            dialog_helpers::shown_box message;
            dialog_helpers::answer_message_box(&box, message);
            QTest::mouseClick(box.Command1, Qt::LeftButton);
            QVERIFY(message.seen);
            QCOMPARE(message.title, QStringLiteral("Error!"));
            QCOMPARE(message.text, QStringLiteral("Error Launching Your Default Browser!\n\n"
                                                  "Please make sure you have a DEFAULT browser selected and try again."));
            QCOMPARE(message.icon, QMessageBox::NoIcon);
        }
        write_tool(bin.path(), QStringLiteral("xdg-open"), log);
        frm_About box;
        dialog_helpers::shown_box message;
        dialog_helpers::answer_message_box(&box, message);
        box.show();
        QTRY_VERIFY(box.isActiveWindow());
        QTest::keyClick(&box, Qt::Key_C, Qt::AltModifier); // the picture button's mnemonic
        QTRY_COMPARE_WITH_TIMEOUT(read_log(log), QStringLiteral("xdg-open https://www.krelix-software.example/"), 10000);
        QTest::qWait(200);
        QVERIFY(!message.seen);
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"

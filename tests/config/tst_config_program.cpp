// The real program under Xvfb and openbox: "zentara /C" opens the menu, a second
// "/C" ends at once and leaves the first alone, and "&Exit" ends the program.
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString k_caption = QStringLiteral("^Zentara Screen Saver Configuration$");

bool have(const char *program) { return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty(); }
} // namespace

class tst_config_program : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess xvfb_, wm_;
    QString display_;

    QProcessEnvironment program_env() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        return env;
    }

    QStringList menu_windows()
    {
        QProcess search;
        search.setProcessEnvironment(program_env());
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                 QStringLiteral("--name"), k_caption});
        search.waitForFinished(10000);
        return QString::fromLatin1(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void xdotool(const QStringList &args)
    {
        QProcess p;
        p.setProcessEnvironment(program_env());
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(10000);
    }

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        if (!have("Xvfb") || !have("openbox") || !have("xdotool"))
            QSKIP("needs Xvfb, openbox and xdotool (scripts/setup installs them)");
        bas_shellcode::save_setting(QStringLiteral("install_path"), QStringLiteral(ZENTARA_SOURCE_ASSETS "/sounds"));
        // The server writes its display number to the file once it accepts clients.
        const QString number = dir_.filePath(QStringLiteral("display"));
        xvfb_.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                           QStringLiteral("exec Xvfb -displayfd 3 -noreset -nolisten tcp "
                                                          "-screen 0 1280x1024x24 3>\"$0\""),
                                           number});
        QVERIFY(xvfb_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(number).size() > 0, 20000);
        QFile f(number);
        QVERIFY(f.open(QIODevice::ReadOnly));
        display_ = QStringLiteral(":") + QString::fromLatin1(f.readAll()).trimmed();
        wm_.setProcessEnvironment(program_env());
        wm_.start(QStringLiteral("openbox"), {});
        QVERIFY(wm_.waitForStarted());
        QTest::qWait(1000);
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&wm_, &xvfb_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(2000);
            }
        }
    }

    void menu_single_instance_and_exit()
    {
        QProcess menu;
        menu.setProcessEnvironment(program_env());
        menu.start(QStringLiteral(ZENTARA_PROGRAM), {QStringLiteral("/C")});
        QVERIFY(menu.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(menu_windows().size(), 1, 30000);

        // A second "/C" (here: an empty command line) ends at once, opening nothing.
        QProcess second;
        second.setProcessEnvironment(program_env());
        second.start(QStringLiteral(ZENTARA_PROGRAM), {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(menu_windows().size(), 1);
        QCOMPARE(menu.state(), QProcess::Running);

        // "&Exit" from the keyboard ends the program.
        const QString id = menu_windows().value(0);
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+e")});
        const bool ended = menu.waitForFinished(20000);
        if (!ended)
            menu.kill();
        QVERIFY2(ended, "the menu did not end on Alt+E");
        QCOMPARE(menu.exitCode(), 0);
        QCOMPARE(menu_windows().size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_config_program)
#include "tst_config_program.moc"

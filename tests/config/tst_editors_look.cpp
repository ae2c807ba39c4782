// The two editors as a person sees them: real windows on an X server of their
// own (Xvfb, 96 DPI) under a window manager (openbox), at the scale factor the
// test is run with. No text may be cut; a screenshot of each window is kept.
#include "config/file_controls.h"
#include "config/frm_audio.h"
#include "config/frm_captions.h"
#include "platform/sound_fixtures.h"
#include "platform/volumes.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QtTest>

namespace {
// The X server and window manager of this test run.
struct x_session
{
    QProcess server;
    QProcess manager;
    QString display;
    QString why_not;

    bool start()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
            why_not = "Xvfb is not installed";
            return false;
        }
        // -displayfd 1: the server picks a free display and names it on its output.
        server.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                              "-dpi", "96"});
        if (!server.waitForStarted(10000)) {
            why_not = "Xvfb did not start";
            return false;
        }
        QByteArray out;
        while (!out.contains('\n') && server.waitForReadyRead(20000))
            out += server.readAllStandardOutput();
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!ok) {
            why_not = "Xvfb named no display";
            return false;
        }
        display = QStringLiteral(":%1").arg(number);
        qputenv("DISPLAY", display.toLocal8Bit());
        if (!QStandardPaths::findExecutable("openbox").isEmpty()) {
            manager.start("openbox", {});
            manager.waitForStarted(10000);
            // Ready once it answers as the window manager.
            for (int i = 0; i < 100; ++i) {
                QProcess wmctrl;
                wmctrl.start("wmctrl", {"-m"});
                wmctrl.waitForFinished(5000);
                if (wmctrl.exitCode() == 0 && wmctrl.readAllStandardOutput().contains("Openbox"))
                    break;
                QThread::msleep(100);
            }
        }
        return true;
    }

    ~x_session()
    {
        for (QProcess *p : {&manager, &server}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(5000);
        }
    }
};

x_session *g_x = nullptr;

QString shots_folder()
{
    const QString wanted = qEnvironmentVariable("ZENTARA_SCREENSHOT_DIR");
    const QString dir = wanted.isEmpty() ? QDir::current().filePath("screenshots") : wanted;
    QDir().mkpath(dir);
    return dir;
}

QString scale_suffix()
{
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    QString suffix = scale.isEmpty() || scale == "1" ? QString() : "-" + scale + "x";
    if (qEnvironmentVariableIsSet("ZENTARA_LOOK_FONT_POINTS"))
        suffix += "-" + qEnvironmentVariable("ZENTARA_LOOK_FONT_POINTS") + "pt";
    return suffix;
}

// Every caption of a button, label or line edit has room for its text.
void no_text_cut(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        if (auto *label = qobject_cast<QLabel *>(w); label && label->wordWrap()) {
            // A wrapping text needs its height at the width it was given.
            QVERIFY2(w->height() >= label->heightForWidth(w->width()), qPrintable(label->text()));
        } else if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w)) {
            const QSize need = w->sizeHint();
            QVERIFY2(w->width() >= need.width() && w->height() >= need.height(),
                     qPrintable(QStringLiteral("%1: %2x%3 for %4x%5").arg(w->property("text").toString())
                                    .arg(w->width()).arg(w->height()).arg(need.width()).arg(need.height())));
        }
        // The window lies inside its dialog, the dialog inside the screen.
        QVERIFY(window->rect().contains(QRect(w->mapTo(window, QPoint()), w->size())));
    }
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY2(screen.contains(window->frameGeometry()), "the window does not fit on the screen");
}

void screenshot(QWidget *window, const QString &name)
{
    // The window with the frame the window manager drew, captured from the X server.
    const QString file = QDir(shots_folder()).filePath(name + scale_suffix() + ".png");
    QCOMPARE(QProcess::execute("import", {"-display", g_x->display, "-frame", "-window",
                                          QString::number(window->winId()), "-strip", "-define",
                                          "png:compression-level=9", file}),
             0);
    QImage shot(file);
    QVERIFY(!shot.isNull());
    const qreal ratio = window->devicePixelRatioF();
    QVERIFY2(shot.width() >= window->width() * ratio && shot.height() >= window->height() * ratio,
             qPrintable(QStringLiteral("%1x%2").arg(shot.width()).arg(shot.height())));
    qInfo("screenshot: %s (%dx%d)", qPrintable(file), shot.width(), shot.height());
}

void show_and_settle(QWidget *window)
{
    // A busy machine may take a while to map a window and let the manager frame it.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window, 30000));
    QTest::qWait(700); // the window manager's frame and a full repaint
}
} // namespace

class tst_editors_look : public QObject
{
    Q_OBJECT
    QTemporaryDir root_{QDir::tempPath() + "/zentara-XXXXXX"};

private slots:
    void initTestCase()
    {
        if (!g_x)
            QSKIP("No X server for this test: Xvfb is not installed");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
    }

    void captions_editor()
    {
        QFile f(bas_usercode::captions_file());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("Welcome To Zentara Screen Saver\r\n"
                "You can adjust the frame rate and how often to launch an object\r\n"
                "Thank you for previewing Zentara Screen Saver\r\n"
                "\"Look up, the stars are out\"\r\n");
        f.close();
        frm_captions editor;
        editor.Text1->setText(QStringLiteral("Next stop: Jupiter"));
        editor.List1->setCurrentRow(1);
        show_and_settle(&editor);
        no_text_cut(&editor);
        screenshot(&editor, "captions-editor");
    }

    void refusal_message()
    {
        // The box that refuses a caption, as the user sees it over the editor.
        frm_captions editor;
        show_and_settle(&editor);
        bool shot = false;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || shot)
                return;
            shot = true;
            QVERIFY(QTest::qWaitForWindowExposed(box, 30000));
            QTest::qWait(700);
            no_text_cut(box);
            screenshot(box, "caption-refused");
            box->button(QMessageBox::Ok)->click();
        });
        poll.start();
        const int before = editor.List1->count();
        editor.Text1->setText(QStringLiteral("\"Eagle\" has landed, Houston"));
        QTest::keyClick(editor.Text1, Qt::Key_Return);
        QVERIFY(shot);
        QCOMPARE(editor.List1->count(), before);
    }

    void audio_editor()
    {
        const QString music = root_.filePath("Music");
        QDir().mkpath(music + "/Space Sounds");
        QDir().mkpath(music + "/Themes");
        for (const char *name : {"countdown.wav", "liftoff.WAV", "orbit.mid", "radio chatter.wav", "stardust.rmi",
                                 "notes.txt"})
            QVERIFY(sound_fixtures::write_file(music + "/" + name, sound_fixtures::tone_wav(0.1, 440)));
        platform::set_volume_source([this] { return QStringList{"/", root_.path() + "/"}; });
        bas_shellcode::audio_browse_folder = music + "/";
        QFile f(bas_usercode::audio_files_file());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int i = 1; i <= 4; ++i)
            f.write(QStringLiteral("/usr/share/zentara/sounds/zara%1.wav\r\n").arg(i).toLocal8Bit());
        f.close();
        frm_audio editor;
        editor.File1->item(1)->setSelected(true);
        editor.File1->item(3)->setSelected(true);
        show_and_settle(&editor);
        no_text_cut(&editor);
        screenshot(&editor, "audio-editor");
    }
};

int main(int argc, char **argv)
{
    test_env::isolate_profile();
    x_session x;
    if (x.start()) {
        g_x = &x;
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qWarning("%s", qPrintable(x.why_not));
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        // A desktop whose fonts are larger than the windows were drawn for.
        if (const int points = qEnvironmentVariableIntValue("ZENTARA_LOOK_FONT_POINTS"); points > 0) {
            QFont font = QApplication::font();
            font.setPointSize(points);
            QApplication::setFont(font);
        }
        tst_editors_look test;
        result = QTest::qExec(&test, argc, argv);
    }
    return result;
}

#include "tst_editors_look.moc"

// zentara-hack: the Zentara scene as a display mode of a screen-saver host
// (XScreenSaver, MATE Screensaver, xsecurelock ...).
//
//   zentara-hack [--window-id ID | --root]      (or XSCREENSAVER_WINDOW=ID)
//
// The host chooses the window and ends the program with SIGTERM.
#include "hack/frm_hack.h"
#include "hack/hack_options.h"
#include "platform/foreign_window.h"
#include "platform/os.h"
#include "platform/stop_signals.h"
#include "startup/bas_shellcode.h"
#include "startup/numbers.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {
std::int16_t twips16(double v)
{
    return static_cast<std::int16_t>(numbers::to_whole(v, 1, 32767).value_or(15));
}

void say(const QString &text)
{
    std::fprintf(stderr, "zentara-hack: %s\n", qPrintable(text));
}
} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const hack::window_choice choice = hack::choose_window(args, qEnvironmentVariable("XSCREENSAVER_WINDOW"));
    for (const QString &w : choice.warnings)
        say(w);
    if (choice.source == hack::window_source::none) {
        say(QStringLiteral("no window to draw into: give --window-id ID or --root, or set XSCREENSAVER_WINDOW"));
        return 2;
    }
    if (!platform::x11_display_reachable()) {
        say(QStringLiteral("no X display (DISPLAY is not set or cannot be opened)"));
        return 1;
    }
    // The host's window is an X window, and its pixels are the size to draw at.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentara Screen Saver"));
    QApplication::setQuitOnLastWindowClosed(false);

    // A host shows no dialog of ours: messages go to the host's log.
    platform::set_message_box_handler([](const QString &text, const QString &, platform::message_icon) {
        say(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    });
    using namespace bas_shellcode;
    app_path = platform::program_folder();
    twips_per_pixel_x = twips16(platform::twips_per_pixel_x());
    twips_per_pixel_y = twips16(platform::twips_per_pixel_y());
    windows_dir = get_windows_directory();

    const bool on_root = choice.source == hack::window_source::root;
    const platform::x_window window = on_root ? platform::foreign_window::virtual_root() : choice.window;
    frm_hack hack(window, on_root);
    platform::on_stop_signals(&hack, [&hack] { hack.stop(); });
    hack.Form_Load();
    if (!hack.attach()) {
        say(QStringLiteral("window 0x%1 does not exist").arg(window, 0, 16));
        return 1;
    }
    hack.main_loop();
    return 0;
}

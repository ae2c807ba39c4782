// zentara: the screen saver program. "/S" runs the saver, "/P <window>" previews,
// "/C" or nothing configures, "/A <window>" changes the password.
#include "config/frm_configuration.h"
#include "engine/frm_screensaver.h"
#include "password/bas_password.h"
#include "password/frm_newpassword.h"
#include "preview/frm_preview.h"
#include "startup/modes.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {
bool display_available()
{
    auto set = [](const char *name) { const char *v = std::getenv(name); return v && *v; };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}
} // namespace

int main(int argc, char **argv)
{
    // A preview lives in a host's X window: with no X server there is nothing to show.
    if (startup::parse_command_line(startup::command_line_of(argc, argv)).what == startup::mode::preview
        && !frm_preview::use_x11())
        return 0;
    if (!display_available()) {
        std::fprintf(stderr, "zentara: no display found (DISPLAY and WAYLAND_DISPLAY are not set)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentara Screen Saver"));
    QApplication::setQuitOnLastWindowClosed(true);

    startup::windows open;
    open.saver = [] {
        auto *saver = new frm_screensaver;
        bas_password::protect_saver(*saver);
        saver->show_saver();
    };
    open.preview = [] {
        // Loaded, never shown: its picture goes into the host's window. Unloading
        // it ends the process.
        auto *preview = new frm_preview;
        preview->on_unload = [] { QCoreApplication::exit(0); };
        preview->Form_Load();
    };
    open.configuration = [] {
        // Lives until it ends the program; never deleted under a running handler.
        auto *menu = new frm_configuration;
        menu->show();
        menu->activateWindow();
    };
    open.change_password = [] {
        // The only window of its mode: the process ends when it closes.
        auto *dialog = new frm_newpassword;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        dialog->activateWindow();
    };
    return startup::run(startup::command_line_of(argc, argv), open);
}

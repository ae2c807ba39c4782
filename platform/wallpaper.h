#pragma once
// Setting the desktop wallpaper through the running desktop's own mechanism.
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

// Runs a program and returns its standard output; gives up after a short time.
// Tests record the calls instead.
struct command_runner
{
    std::function<bool(const QString &program)> available;
    std::function<QString(const QString &program, const QStringList &args)> run;
};
command_runner system_runner();

// Which desktop runs, from XDG_CURRENT_DESKTOP / DESKTOP_SESSION.
QString current_desktop();

// Sets `path` (a picture file) as the wallpaper of `desktop` (as current_desktop()
// names it): GNOME-like desktops, Cinnamon and MATE through their background
// settings, KDE Plasma through its wallpaper tool, Xfce on every monitor and
// workspace, otherwise feh or nitrogen (both store the choice so that it is set
// again at the next log-in), or xwallpaper (this session only) when installed.
// Results are ignored.
void set_wallpaper(const QString &path, const QString &desktop, const command_runner &runner);
void set_wallpaper(const QString &path);

} // namespace platform

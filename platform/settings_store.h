#pragma once
// The per-user settings store: text values keyed by application, section and key.
//
// The user's own file is ${XDG_CONFIG_HOME:-~/.config}/<application>/settings.ini
// (one INI group per section). Keys it lacks are looked up in the system-wide
// copies of the same file: each folder of XDG_CONFIG_DIRS (default /etc/xdg) and
// <prefix>/etc/xdg of the installed program, which is where the installer records
// its installation folder. Writes go to the user's file only, atomically, and the
// file stays readable by its owner alone (it holds the scrambled password); a
// file its owner made read-only stays read-only.
//
// Values are read back exactly as written. The installer writes its record in
// the same form QSettings does: a double-quoted text in which backslash, double
// quote, line ends and tabs are escaped by a backslash and a leading "@" is
// doubled. A settings file larger than 1 MiB, or anything at its name that is
// not a regular file, is not read and not written.
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

QString user_settings_file(const QString &application);
QStringList fallback_settings_files(const QString &application);

std::optional<QString> read_setting(const QString &application, const QString &section, const QString &key);
// Missing key: `fallback` as text.
QString get_setting(const QString &application, const QString &section, const QString &key, const QString &fallback);
// False when the value could not be written (a read-only file or folder).
bool save_setting(const QString &application, const QString &section, const QString &key, const QString &value);
// True when the user's file can be written: its folder (or the nearest one that
// exists, since the rest is created) and the file itself, if it exists.
bool settings_writable(const QString &application);

} // namespace platform

#pragma once
// The per-user settings store: text values keyed by application, section and key.
//
// The user's own file is ${XDG_CONFIG_HOME:-~/.config}/<application>/settings.ini
// (one INI group per section). Keys it lacks are looked up in the system-wide
// copies of the same file: each folder of XDG_CONFIG_DIRS (default /etc/xdg) and
// <prefix>/etc/xdg of the installed program, which is where the installer records
// its installation folder. Writes go to the user's file only, atomically, and the
// file stays readable by its owner alone (it holds the scrambled password).
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

QString user_settings_file(const QString &application);
QStringList fallback_settings_files(const QString &application);

std::optional<QString> read_setting(const QString &application, const QString &section, const QString &key);
// Missing key: `fallback` as text.
QString get_setting(const QString &application, const QString &section, const QString &key, const QString &fallback);
void save_setting(const QString &application, const QString &section, const QString &key, const QString &value);

} // namespace platform

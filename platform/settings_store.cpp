#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace platform {

namespace {
const QString k_file_name = QStringLiteral("settings.ini");

QString config_home()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return dir;
}

std::optional<QString> read_from(const QString &file, const QString &section, const QString &key)
{
    if (!QFileInfo::exists(file))
        return std::nullopt;
    QSettings ini(file, QSettings::IniFormat);
    const QVariant v = ini.value(section + QLatin1Char('/') + key);
    if (!v.isValid())
        return std::nullopt;
    // A value that QSettings reads as a list (it held a bare comma) is still one text.
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

constexpr QFile::Permissions k_owner_only = QFile::ReadOwner | QFile::WriteOwner;
} // namespace

QString user_settings_file(const QString &application)
{
    return QDir(config_home()).filePath(application + QLatin1Char('/') + k_file_name);
}

QStringList fallback_settings_files(const QString &application)
{
    QStringList dirs;
    const QByteArray env = qgetenv("XDG_CONFIG_DIRS");
    const QString list = env.isEmpty() ? QStringLiteral("/etc/xdg") : QString::fromLocal8Bit(env);
    for (const QString &d : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs << d;
    if (QCoreApplication::instance()) {
        dirs << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../etc/xdg"));
        // A program one folder deeper in the prefix (libexec/xscreensaver/zentara-hack).
        dirs << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../../etc/xdg"));
    }
    QStringList files;
    for (const QString &d : dirs)
        files << QDir(d).filePath(application + QLatin1Char('/') + k_file_name);
    files.removeDuplicates();
    return files;
}

std::optional<QString> read_setting(const QString &application, const QString &section, const QString &key)
{
    if (auto v = read_from(user_settings_file(application), section, key))
        return v;
    for (const QString &file : fallback_settings_files(application))
        if (auto v = read_from(file, section, key))
            return v;
    return std::nullopt;
}

QString get_setting(const QString &application, const QString &section, const QString &key, const QString &fallback)
{
    return read_setting(application, section, key).value_or(fallback);
}

void save_setting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString file = user_settings_file(application);
    QDir().mkpath(QFileInfo(file).absolutePath());
    // Create the file owner-only before QSettings writes it: its atomic save keeps
    // the permissions of the file it replaces, so the password never lies open.
    if (!QFileInfo::exists(file)) {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.close();
    }
    QFile::setPermissions(file, k_owner_only);
    {
        QSettings ini(file, QSettings::IniFormat);
        ini.setValue(section + QLatin1Char('/') + key, value);
        ini.sync();
    }
    QFile::setPermissions(file, k_owner_only);
}

} // namespace platform

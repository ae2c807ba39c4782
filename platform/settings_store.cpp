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

// A settings file is a few hundred bytes. Anything else at its name (a FIFO, a
// device, a file of megabytes) is not read: QSettings would wait on it or read
// it whole.
constexpr qint64 k_settings_file_limit = 1024 * 1024;

bool usable(const QFileInfo &file)
{
    return file.isFile() && file.size() <= k_settings_file_limit;
}

std::optional<QString> read_from(const QString &file, const QString &section, const QString &key)
{
    if (!usable(QFileInfo(file)))
        return std::nullopt;
    QSettings ini(file, QSettings::IniFormat);
    const QVariant v = ini.value(section + QLatin1Char('/') + key);
    if (!v.isValid())
        return std::nullopt;
    // A value written by hand with a bare comma reads as a list: it was one text,
    // most likely without blanks around its commas (those are lost to the reader).
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
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

bool settings_writable(const QString &application)
{
    const QFileInfo file(user_settings_file(application));
    if (file.exists())
        return usable(file) && file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
    // QSettings replaces the file through a new one beside it: the folder must take it.
    QString dir = file.absolutePath();
    while (!QFileInfo::exists(dir) && !QDir(dir).isRoot())
        dir = QFileInfo(dir).absolutePath();
    const QFileInfo folder(dir);
    return folder.isDir() && folder.isWritable();
}

bool save_setting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString file = user_settings_file(application);
    if (QFileInfo::exists(file) && !usable(QFileInfo(file)))
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    // Create the file owner-only before QSettings writes it: its atomic save keeps
    // the permissions of the file it replaces, so the password never lies open.
    // Only group and other lose their rights: the owner's own choice stays.
    if (!QFileInfo::exists(file)) {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.close();
        QFile::setPermissions(file, k_owner_only);
    }
    const auto owner_bits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(file, QFile::permissions(file) & owner_bits);
    QSettings::Status status;
    {
        QSettings ini(file, QSettings::IniFormat);
        ini.setValue(section + QLatin1Char('/') + key, value);
        ini.sync();
        status = ini.status();
    }
    QFile::setPermissions(file, QFile::permissions(file) & owner_bits);
    return status == QSettings::NoError;
}

} // namespace platform

#pragma once
// Points every per-user folder at a fresh temporary directory, so that a test
// never reads or writes the real profile of whoever runs it.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace test_env {

inline QTemporaryDir &profile_root()
{
    static QTemporaryDir dir;
    return dir;
}

// Call first thing in initTestCase() (before any QApplication-dependent path lookup).
inline void isolate_profile()
{
    const QString root = profile_root().path();
    for (const char *sub : {"config", "data", "runtime", "cache"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_CONFIG_HOME", QDir(root).filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(root).filePath("data").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", QDir(root).filePath("runtime").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", QDir(root).filePath("cache").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", QDir(root).filePath("etc-xdg").toLocal8Bit());
    QFile::setPermissions(QDir(root).filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

inline QString assets_dir() { return QStringLiteral(ZENTARA_SOURCE_ASSETS); }

} // namespace test_env

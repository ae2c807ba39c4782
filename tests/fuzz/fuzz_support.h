#pragma once
// Shared set-up of the fuzz targets: a headless Qt application, a throw-away
// profile, and a check that stops the run (a finding) when a rule is broken.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Stops with a message; libFuzzer then keeps the input as a crash.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char *what)
{
    if (!ok)
        fail(what);
}

// One folder for the whole run; every per-user location points into it.
inline const QString &scratch()
{
    // Removed again when the run ends.
    static QTemporaryDir dir;
    static const QString path = [] {
        for (const char *sub : {"config", "data", "runtime", "cache", "etc-xdg"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
        return dir.path() + QLatin1Char('/');
    }();
    return path;
}

inline void isolate_profile()
{
    const QString root = scratch();
    qputenv("XDG_CONFIG_HOME", (root + "config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + "data").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (root + "runtime").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (root + "cache").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (root + "etc-xdg").toLocal8Bit());
    QFile::setPermissions(root + "runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A Qt application for targets that need one (image plugins, locale, keymaps).
template <typename App = QCoreApplication>
inline void application()
{
    // Kept for the whole run: a Qt application torn down during exit() crashes.
    static App *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        isolate_profile();
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        return new App(argc, argv);
    }();
    (void)app;
}

} // namespace fuzz

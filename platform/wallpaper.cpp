#include "platform/wallpaper.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {
// The saver is closing while these run: none may hold it up for long.
constexpr int k_command_timeout_ms = 3000;
} // namespace

command_runner system_runner()
{
    command_runner r;
    r.available = [](const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); };
    r.run = [](const QString &program, const QStringList &args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(k_command_timeout_ms)) {
            p.kill();
            p.waitForFinished(500);
            return QString();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    };
    return r;
}

QString current_desktop()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString d = env.value(QStringLiteral("XDG_CURRENT_DESKTOP"));
    if (d.isEmpty())
        d = env.value(QStringLiteral("DESKTOP_SESSION"));
    return d;
}

void set_wallpaper(const QString &path, const QString &desktop, const command_runner &runner)
{
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    const QString d = desktop.toLower();
    auto gsettings = [&](const QString &schema, const QString &key, const QString &value) {
        runner.run(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value});
    };

    if (d.contains(QLatin1String("cinnamon"))) {
        gsettings(QStringLiteral("org.cinnamon.desktop.background"), QStringLiteral("picture-uri"), uri);
    } else if (d.contains(QLatin1String("mate"))) {
        gsettings(QStringLiteral("org.mate.background"), QStringLiteral("picture-filename"), path);
    } else if (d.contains(QLatin1String("gnome")) || d.contains(QLatin1String("unity")) || d.contains(QLatin1String("budgie"))
               || d.contains(QLatin1String("pantheon"))) {
        gsettings(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("picture-uri"), uri);
        gsettings(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("picture-uri-dark"), uri);
    } else if (d.contains(QLatin1String("kde")) || d.contains(QLatin1String("plasma"))) {
        runner.run(QStringLiteral("plasma-apply-wallpaperimage"), {path});
    } else if (d.contains(QLatin1String("xfce"))) {
        // One property per monitor and workspace: set every one of them.
        const QString list = runner.run(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")});
        for (const QString &line : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString property = line.trimmed();
            if (property.endsWith(QLatin1String("/last-image")))
                runner.run(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"),
                                                            QStringLiteral("-p"), property, QStringLiteral("-s"), path});
        }
    } else if (runner.available(QStringLiteral("feh"))) {
        // feh records the call in ~/.fehbg, which a bare X session runs at log-in.
        runner.run(QStringLiteral("feh"), {QStringLiteral("--bg-fill"), path});
    } else if (runner.available(QStringLiteral("nitrogen"))) {
        runner.run(QStringLiteral("nitrogen"), {QStringLiteral("--set-zoom-fill"), QStringLiteral("--save"), path});
    } else if (runner.available(QStringLiteral("xwallpaper"))) {
        // Stores nothing: the last resort, for this session only.

        runner.run(QStringLiteral("xwallpaper"), {QStringLiteral("--zoom"), path});
    }
}

void set_wallpaper(const QString &path)
{
    set_wallpaper(path, current_desktop(), system_runner());
}

} // namespace platform

#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {
constexpr int k_handler_answer_ms = 3000;

// On the free desktops xdg-open is the default handler's front door: it asks the
// running desktop (or its own settings) which program opens a file or address.
// Qt's desktop services need a real windowing plugin; xdg-open does not.
bool open_with_default_handler(const QUrl &url)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = find_program(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        // xdg-open hands the file to the desktop's handler and ends at once,
        // saying whether one was found. A handler that runs in its place (a bare
        // session) keeps it running: that is a success, and it is left to run.
        auto *process = new QProcess(QCoreApplication::instance());
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        // A wait that times out reports an error too: only a failed start ends the process object.
        QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                process->deleteLater();
        });
        process->start(opener, {QString::fromUtf8(url.toEncoded())});
        if (!process->waitForStarted(5000))
            return false;
        if (!process->waitForFinished(k_handler_answer_ms))
            return true;
        return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    }
#endif
    return QDesktopServices::openUrl(url);
}
} // namespace

bool open_document(const QString &path)
{
    // The handler is started detached and reports nothing back: a missing file
    // would only fail later, out of sight, so it is checked here.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    return open_with_default_handler(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

bool open_web_address(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return open_with_default_handler(url);
}

QString find_program(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

bool start_detached(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace platform

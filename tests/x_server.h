#pragma once
// A private X server for one test: Xvfb on a display number it picks itself
// (-displayfd), so parallel test runs never collide. Ended with the object.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class x_server
{
public:
    // Empty display() when Xvfb is missing or did not start.
    explicit x_server(const QString &geometry = QStringLiteral("1024x768x24"))
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return;
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        process_.setProgram(QStringLiteral("Xvfb"));
        process_.setArguments({QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-noreset"),
                               QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                               QStringLiteral("0"), geometry});
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.setChildProcessModifier([fd = fds[1]] { ::fcntl(fd, F_SETFD, 0); });
        process_.start();
        ::close(fds[1]);
        QByteArray number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 20000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (!number.isEmpty())
            display_ = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~x_server()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(2000);
        }
    }
    QString display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

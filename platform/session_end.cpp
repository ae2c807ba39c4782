#include "platform/session_end.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
// The handler only writes a byte into a pipe (all a signal handler may safely
// do); the event loop reads it and closes the window.
int g_pipe[2] = {-1, -1};
int g_windows = 0; // windows waiting for the session's end

void on_signal(int)
{
    const int saved_errno = errno; // the interrupted code may be reading it
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved_errno;
}

void set_handler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}
} // namespace

void close_on_session_end(QWidget *window)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [target] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (target)
            target->close();
    });
    QObject::connect(notifier, &QObject::destroyed, [] {
        if (--g_windows == 0)
            set_handler(SIG_DFL);
    });
    if (g_windows++ == 0)
        set_handler(on_signal);
}

} // namespace platform

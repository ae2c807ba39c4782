#pragma once
// SIGTERM, SIGINT and SIGHUP as an ordinary event: a program that a host ends
// with a signal (screen-saver hosts send SIGTERM, then SIGKILL) finishes its
// frame and cleans up instead of dying in the middle of it.
#include <QObject>
#include <functional>

namespace platform {

// From now on the three signals call `handler` on the user-interface thread
// (while `context` lives); a second signal calls it again.
void on_stop_signals(QObject *context, std::function<void()> handler);

} // namespace platform

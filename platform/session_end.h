#pragma once
// The end of the session (SIGTERM at log-out, SIGHUP when the terminal goes,
// SIGINT from Ctrl+C in the terminal that started it) ends a window through its
// orderly close instead of killing the process on the spot. For the saver that close is a request from inside the program, so it
// ends the saver even while a password is required, with the usual clean-up.
class QWidget;

namespace platform {

// Until `window` is destroyed, SIGTERM, SIGINT and SIGHUP close it; afterwards
// they end the process as usual again.
void close_on_session_end(QWidget *window);

} // namespace platform

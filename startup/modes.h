#pragma once
// The program's entry: the facts recorded at start, the settings, and the choice
// of the one window to open from the command line.
#include <QString>
#include <cstdint>
#include <functional>

namespace startup {

enum class mode { saver, preview, configure, change_password, none };

struct command
{
    mode what = mode::none;
    std::int32_t window = 0; // host window for preview and change password
};

// Only the first two characters count, in either case; an empty line configures.
command parse_command_line(const QString &line);

// The windows that the modes open. An empty opener means the mode has no window
// in this build: the process ends quietly.
struct windows
{
    std::function<void()> saver;            // shows the saver window modeless
    std::function<void()> configuration;    // shows the configuration menu
    std::function<void()> preview;          // loads the preview into parent_window
    std::function<void()> change_password;  // shows the change-password dialog
};

enum class after { run_events, wait_for_saver, end };

// Records the start-up facts, loads the settings and opens the mode's window.
// Says what the process does next: run its event loop until the last window
// closes, wait for the saver to finish, or end now.
after start(const QString &line, const windows &open);

// The whole program: start(), then the chosen way to keep running. Returns the
// process exit code.
int run(const QString &line, const windows &open);

// The argument text without the program's own path, as one line.
QString command_line_of(int argc, char **argv);

} // namespace startup

#pragma once
// The pointer, the display's own screen blanking, and the frame waits.
#include <cstdint>

class QWidget;

namespace platform {

// The pointer's display counter: hidden while it is below 0. Returns the new count.
int ShowCursor(bool show);
// Calls ShowCursor until the pointer is hidden (count below 0) / shown (0 or more).
void hide_cursor();
void show_cursor();
// The pointer's display counter as it stands.
int cursor_count();

// While the saver runs, the display server's own blanking and power saving are
// held off; afterwards they are restored. Nothing happens where there is no X server.
void saver_running_on();
void saver_running_off();

// Lets pending events run until `deadline` (a tick count) has been reached, at
// least once, blocking between events instead of spinning.
void run_events_until(std::int32_t deadline);
// run_events_until(now + ms).
void wait_ticks(std::int32_t ms);

// Moves the pointer to a point of a widget (in the widget's coordinates).
void set_pointer_position(QWidget *widget, int x, int y);

} // namespace platform

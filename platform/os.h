#pragma once
// Calls into the operating system that the rest of the program shares.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QFile;

class QWidget;

namespace platform {

// Millisecond tick count of a monotonic clock; wraps like a 32-bit counter.
std::int32_t get_ticks();
// True once `now` has reached `deadline`, also across a wrap of the counter.
inline bool ticks_reached(std::int32_t now, std::int32_t deadline)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(deadline)) >= 0;
}

// One pass over the pending window events.
void do_events();

// Ends the process without running any further window handler.
[[noreturn]] void end_at_once(int code = 0);
// Tests replace the process end (which would end the test) with their own handler.
// The handler must not return (throw to leave).
void set_end_handler(std::function<void(int)> handler);

enum class message_icon { none, exclamation, stop, information };
// A modal box with an OK button only. Carriage returns in `text` start new lines.
// With an owner, the box stands over it and closes (as if OK) when the owner
// hides or is deleted meanwhile, so that a window closed while its handler
// waits in the box neither keeps the box open nor is left to the handler.
void message_box(const QString &text, const QString &title, message_icon icon = message_icon::none,
                 QWidget *owner = nullptr);
// Tests record message boxes instead of showing them.
void set_message_box_handler(std::function<void(const QString &text, const QString &title, message_icon)> handler);

// Folder of the running program, with a trailing '/'.
QString program_folder();
// The per-user folder of the list files and the wallpaper picture, created when
// missing, always ending in '/'.
QString user_data_folder();
// Folder of the shipped pictures (installed copy first, then the source tree).
QString pictures_folder();

// File names and list lines are bytes. Bytes that are not UTF-8 (a name in a
// legacy encoding) become the lone surrogates U+DC80..U+DCFF, one per byte, and
// turn back into the same byte on the way out, so such a name survives as text.
QString text_from_bytes(const QByteArray &bytes);
// No value when the text holds a surrogate that no byte decodes to.
std::optional<QByteArray> bytes_from_text(const QString &text);
// The bytes of a file name for the operating system (as Qt would encode it when
// the text holds no escaped bytes).
QByteArray file_name_bytes(const QString &path);
// True when `path` (escaped bytes included) names a regular file.
bool is_regular_file(const QString &path);
// Opens the file named `path` (escaped bytes included) for reading.
bool open_for_reading(QFile &file, const QString &path);
// The whole of a small regular file: no value when it is missing, unreadable,
// not a regular file (a FIFO or a device is never waited on) or larger than
// `limit` bytes. Never reads more than `limit` + 1 bytes.
std::optional<QByteArray> read_small_file(const QString &path, qint64 limit);

// Twips (1/1440 inch) per screen pixel from the primary screen's logical DPI.
double twips_per_pixel_x();
double twips_per_pixel_y();

// Single-instance markers: a window that carries one of the marker captions holds
// a per-user lock named after it, so other processes can find it on any display
// server. Stale locks of dead processes do not count.
class instance_marker
{
public:
    explicit instance_marker(const QString &caption);
    ~instance_marker();
    instance_marker(const instance_marker &) = delete;
    instance_marker &operator=(const instance_marker &) = delete;
    bool held() const;

private:
    struct impl;
    impl *d;
};
// True when no running window of this user carries `caption` as a marker.
bool marker_absent(const QString &caption);

} // namespace platform

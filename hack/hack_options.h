#pragma once
// Which window zentara-hack draws into, read the way screen-saver hosts pass
// it: --window-id ID (decimal or 0x-hex), else the XSCREENSAVER_WINDOW
// variable, else --root. Single-dash spellings work too; anything else on the
// command line is ignored, since hosts add options of their own.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace hack {

enum class window_source { window_id, environment, root, none };

struct window_choice
{
    window_source source = window_source::none;
    std::uint32_t window = 0; // for window_id and environment
    QStringList warnings;     // values that could not be read (they are skipped)
};

// An X window id: decimal, or hexadecimal with 0x; nothing for anything else
// (0 is no window).
std::optional<std::uint32_t> parse_window_id(const QString &text);

// `args` without the program's name; `environment` is XSCREENSAVER_WINDOW's value.
window_choice choose_window(const QStringList &args, const QString &environment);

} // namespace hack

#pragma once
// The keyboard layout the display server types with.
#include <QByteArray>

namespace platform {

// A keyboard layout by its names, as the X server and xkbcommon know them. Empty
// names take xkbcommon's defaults (rules evdev, model pc105, layout us, unless
// the XKB_DEFAULT_* variables say otherwise). `group` picks one of several
// comma-separated layouts.
struct layout_names
{
    QByteArray rules;
    QByteArray model;
    QByteArray layout;
    QByteArray variant;
    QByteArray options;
    int group = 0;
};

// The layout the X server types with (its rule names and the active group), or
// the default names where there is no X server.
layout_names current_layout();

} // namespace platform

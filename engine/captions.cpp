// The caption band that rises from the bottom edge, and the clock.
#include "engine/scene_engine.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QLocale>
#include <algorithm>

namespace engine {

QString scene_engine::clock_text(const QTime &t) const
{
    const QLocale locale = QLocale::system();
    int hour = t.hour() % 12;
    if (hour == 0)
        hour = 12;
    const QString designator = t.hour() < 12 ? locale.amText() : locale.pmText();
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(designator);
}

QString scene_engine::band_text(const QString &caption) const
{
    // No glyph is narrower than a pixel, so the band never shows more characters
    // than it is pixels wide; a longer caption would only cost time every frame.
    const int limit = std::max(screen_width, 1);
    if (caption.size() <= limit)
        return caption;
    QString cut = caption.left(limit);
    if (cut.back().isHighSurrogate())
        cut.chop(1); // never half a character
    return cut;
}

void scene_engine::handle_time()
{
    if (!show_time_on)
        return;
    // The text changes once a second; formatting it every frame would be wasted.
    const QTime now = clock_.time_of_day();
    const int second_of_day = now.msecsSinceStartOfDay() / 1000;
    if (second_of_day != shown_second_ || time_box.text.isEmpty()) {
        shown_second_ = second_of_day;
        time_box.text = clock_text(now);
    }
    time_box.visible = true;
}

void scene_engine::handle_scroller()
{
    using bas_usercode::caption_count;
    using bas_usercode::caption_list;
    if (bas_shellcode::scroller_active == 0 || caption_count == 0)
        return;
    if (scroller_countdown != 0) {
        scroller_countdown -= 1;
        if (scroller_countdown > 0)
            return;
    }
    const int window_height = window_height_twips();
    const std::int16_t half_limit = static_cast<std::int16_t>(mouse_move_limit / 2);
    if (scroller_state == 0) {
        scroller.width = screen_width * twips_per_pixel_x;
        scroller.height = k_scroller_height;
        scroller.left = 0;
        scroller.top = window_height;
        caption_index += 1;
        if (caption_index > caption_count)
            caption_index = 1;
        scroller.text = band_text(caption_list[caption_index]);
        scroller.visible = true;
        scroller_state = 1;
    }
    if (scroller_state == 1) {
        if (static_cast<float>(window_height - scroller.height) >= static_cast<float>(scroller.top)) {
            scroller_state = 2;
            scroller_countdown = 150;
        } else {
            scroller.top -= twips_per_pixel_y;
            mouse_moves = half_limit;
        }
    }
    if (scroller_state == 2) {
        if (static_cast<float>(window_height + 100) > static_cast<float>(scroller.top)) {
            scroller.top += twips_per_pixel_y;
            mouse_moves = half_limit;
        } else {
            scroller_state = 0;
            scroller_countdown = scroller_interval;
        }
    }
}

} // namespace engine

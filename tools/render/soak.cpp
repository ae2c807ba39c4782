#include "tools/render/soak.h"

#include "startup/bas_usercode.h"

#include <cmath>

namespace soak {

checker::checker(engine::scene_engine &e) : e_(e)
{
    e_.ascreen.set_change_listener([this](const QRect &r) { copies_.push_back(r); });
}

QString checker::check(bool deep)
{
    const engine::scene_engine &e = e_;
    const int n = e.sprite_count;
    if (n < 1 || n >= engine::scene_engine::k_slots)
        return QStringLiteral("sprite_count: %1 is outside 1..%2").arg(n).arg(engine::scene_engine::k_slots - 1);

    // The drawing order holds every slot exactly once.
    std::vector<int> seen(static_cast<std::size_t>(n) + 1, 0);
    for (int k = 1; k <= n; ++k) {
        const int s = e.draw_order[k];
        if (s < 1 || s > n)
            return QStringLiteral("draw_order: position %1 holds slot %2").arg(k).arg(s);
        if (seen[s]++ != 0)
            return QStringLiteral("draw_order: slot %1 appears twice").arg(s);
    }

    // The counts of each kind are the live objects of that kind, within the limits.
    int live[engine::scene_engine::k_kinds + 1] = {};
    for (int s = 1; s <= n; ++s) {
        if (e.sprite_alive[s] == 0)
            continue;
        if (e.sprite_alive[s] != 1)
            return QStringLiteral("sprite_alive: slot %1 holds %2").arg(s).arg(e.sprite_alive[s]);
        const int kind = e.sprite_kind[s];
        if (kind < 1 || kind > engine::scene_engine::k_kinds)
            return QStringLiteral("sprite_kind: live slot %1 has kind %2").arg(s).arg(kind);
        ++live[kind];
        const int image = e.sprite_image[s];
        if (image < 1 || image >= engine::scene_engine::k_images)
            return QStringLiteral("sprite_image: live slot %1 shows image %2").arg(s).arg(image);
        const auto *r = e.image_catalogue[image];
        if (!QRect(0, 0, e.sprite.width(), e.sprite.height()).contains(QRect(r[1], r[2], r[3], r[4])))
            return QStringLiteral("image_catalogue: image %1 of slot %2 lies outside the sheet").arg(image).arg(s);
        for (const double v : {e.sprite_x[s], e.sprite_y[s], e.velocity_x[s], e.velocity_y[s], e.accel_x[s],
                               e.drift_velocity_x[s], e.drift_velocity_y[s], e.drift_accel_x[s], e.drift_accel_y[s]})
            if (!std::isfinite(v))
                return QStringLiteral("finite: slot %1 has a position or speed of %2").arg(s).arg(v);
        // A live object lies within the band the motion step keeps (stars never move).
        if (e.motion_class[s] != 0
            && (e.sprite_x[s] > e.screen_width + 8 || e.sprite_x[s] + r[3] < -8 || e.sprite_y[s] > e.screen_height + 8
                || e.sprite_y[s] + r[4] < -8))
            return QStringLiteral("band: live slot %1 at (%2, %3) lies outside the band").arg(s).arg(e.sprite_x[s]).arg(e.sprite_y[s]);
    }
    for (int k = 1; k <= engine::scene_engine::k_kinds; ++k) {
        if (e.kind_count[k] != live[k])
            return QStringLiteral("kind_count: kind %1 counts %2, %3 are alive").arg(k).arg(e.kind_count[k]).arg(live[k]);
        if (live[k] > engine::scene_engine::kind_limit(k))
            return QStringLiteral("kind_count: %1 of kind %2 alive, the limit allows %3").arg(live[k]).arg(k).arg(engine::scene_engine::kind_limit(k));
    }

    // Every rectangle copied to the screen lies on it.
    const QRect screen(0, 0, e.screen_width, e.screen_height);
    for (const QRect &r : copies_)
        if (r.isEmpty() || !screen.contains(r))
            return QStringLiteral("copies: a copy to (%1, %2, %3 x %4) leaves the %5 x %6 screen")
                .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(e.screen_width).arg(e.screen_height);
    copies_.clear();
    if (e.ascreen.width() != e.screen_width || e.ascreen.height() != e.screen_height
        || e.background_work.width() != e.screen_width || e.background_copy.height() != e.screen_height)
        return QStringLiteral("surfaces: a surface is not the size of the screen");

    // The counters of the schedule, the scenes and the captions stay in their ranges.
    if (e.scene_index < 0 || e.scene_index > 9)
        return QStringLiteral("scene_index: %1").arg(e.scene_index);
    if (e.scene_frames < 0 || e.scene_frames > e.scene_duration)
        return QStringLiteral("scene_frames: %1 with scene_duration %2").arg(e.scene_frames).arg(e.scene_duration);
    if (e.transition_effect < 0 || e.transition_effect > 3)
        return QStringLiteral("transition_effect: %1").arg(e.transition_effect);
    if (e.next_launch_kind < 1 || e.next_launch_kind > 11)
        return QStringLiteral("next_launch_kind: %1").arg(e.next_launch_kind);
    if (e.launch_timer < -10 || (e.launch_period > 0 && e.launch_timer >= e.launch_period))
        return QStringLiteral("launch_timer: %1 with launch_period %2").arg(e.launch_timer).arg(e.launch_period);
    if (e.scroller_interval < 0 || e.scene_duration < 0 || e.launch_period < 0)
        return QStringLiteral("derived: a frame count is negative (%1, %2, %3)").arg(e.scroller_interval).arg(e.scene_duration).arg(e.launch_period);
    if (e.scroller_countdown < 0 || e.scroller_countdown > std::max(e.scroller_interval, 150))
        return QStringLiteral("scroller_countdown: %1 with scroller_interval %2").arg(e.scroller_countdown).arg(e.scroller_interval);
    if (e.scroller_state < 0 || e.scroller_state > 2)
        return QStringLiteral("scroller_state: %1").arg(e.scroller_state);
    if (e.caption_index < 0 || e.caption_index > bas_usercode::caption_count)
        return QStringLiteral("caption_index: %1 of %2 captions").arg(e.caption_index).arg(bas_usercode::caption_count);
    if (e.scroller.text.size() > std::max(e.screen_width, 1))
        return QStringLiteral("scroller: a caption of %1 characters on a band %2 pixels wide").arg(e.scroller.text.size()).arg(e.screen_width);

    // The screen shows what was drawn: objects retire off the screen and
    // twinkles end black, so nothing is left behind anywhere.
    if (deep && e.ascreen.image() != e.background_work.image()) {
        for (int y = 0; y < e.screen_height; ++y)
            for (int x = 0; x < e.screen_width; ++x)
                if (e.ascreen.pixel(x, y) != e.background_work.pixel(x, y))
                    return QStringLiteral("screen: pixel (%1, %2) differs from the work surface").arg(x).arg(y);
    }
    return QString();
}

} // namespace soak

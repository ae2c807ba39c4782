#include "startup/bas_shellcode.h"

#include "platform/os.h"
#include "platform/settings_store.h"
#include "startup/bas_usercode.h"
#include "startup/numbers.h"

#include <limits>

namespace bas_shellcode {

namespace {
const QString k_support_address = QStringLiteral("support@krelix-software.example");

template <typename Int>
Int read_whole(const QString &key, Int fallback)
{
    const QString text = get_setting(key, QString::number(fallback));
    // A value that is not a number, or does not fit, counts as missing.
    if (const auto v = numbers::parse_decimal(text))
        if (const auto w = numbers::to_whole(*v, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()))
            return static_cast<Int>(*w);
    return fallback;
}

QString read_numeric_text(const QString &key, const QString &fallback)
{
    const QString text = get_setting(key, fallback);
    return numbers::parse_decimal(text) ? text : fallback;
}

// Code of a character in the 8-bit character set; others become '?', as an
// 8-bit conversion would make them.
int char_code(QChar c) { return c.unicode() <= 255 ? c.unicode() : '?'; }

int key_code(int position) // position counts from 1
{
    return k_scramble_key.at(position % 5).unicode();
}

void show_installation_error()
{
    const QChar cr(13);
    const QString text = QStringLiteral("Program Error!") + cr + QStringLiteral("<Installation Path Not Found!>") + cr
                         + QStringLiteral("Please remove this program and then install it again.") + cr + cr
                         + QStringLiteral("If the problem continues please contact Krelix Software at:") + cr
                         + k_support_address;
    platform::message_box(text, QStringLiteral("Zentara Screen Saver"), platform::message_icon::none);
}
} // namespace

QString get_setting(const QString &key, const QString &fallback, const QString &section)
{
    return platform::get_setting(k_application, section, key, fallback);
}

void save_setting(const QString &key, const QString &value, const QString &section)
{
    platform::save_setting(k_application, section, key, value);
}

bool text_is_nonzero(const QString &text)
{
    const auto v = numbers::parse_decimal(text);
    return v && *v != 0.0;
}

void load_settings(bool first_run_writes_lists)
{
    install_path = get_setting(QStringLiteral("install_path"), QStringLiteral("empty"));
    if (install_path == QLatin1String("empty")) {
        show_installation_error();
        platform::end_at_once(1);
    }
    if (!install_path.endsWith(QLatin1Char('/')))
        install_path += QLatin1Char('/');

    run_once = read_whole<std::int32_t>(QStringLiteral("run_once"), 0);
    if (first_run_writes_lists)
        bas_usercode::write_default_lists();

    frame_rate = read_whole<std::int32_t>(QStringLiteral("frame_rate"), 45);
    save_as_wallpaper = read_whole<std::int16_t>(QStringLiteral("save_as_wallpaper"), 0);
    scroller_delay = read_whole<std::int32_t>(QStringLiteral("scroller_delay"), 10);
    scroller_active = read_whole<std::int32_t>(QStringLiteral("scroller_active"), 1);
    show_time = read_numeric_text(QStringLiteral("show_time"), QStringLiteral("1"));
    audio_seconds = read_whole<std::int32_t>(QStringLiteral("audio_seconds"), 15);
    cycle_speed_value = read_whole<std::int32_t>(QStringLiteral("cycle_speed_value"), 13);
    object_frequency = read_whole<std::int32_t>(QStringLiteral("object_frequency"), 5);
    audio_on = read_numeric_text(QStringLiteral("audio_on"), QStringLiteral("1"));

    scrambled_password = get_setting(QStringLiteral("misc"), QString());
    unscramble_password();
}

void save_settings()
{
    save_setting(QStringLiteral("frame_rate"), QString::number(frame_rate));
    save_setting(QStringLiteral("save_as_wallpaper"), QString::number(save_as_wallpaper));
    save_setting(QStringLiteral("scroller_active"), QString::number(scroller_active));
    save_setting(QStringLiteral("scroller_delay"), QString::number(scroller_delay));
    save_setting(QStringLiteral("audio_seconds"), QString::number(audio_seconds));
    save_setting(QStringLiteral("show_time"), show_time);
    save_setting(QStringLiteral("cycle_speed_value"), QString::number(cycle_speed_value));
    save_setting(QStringLiteral("object_frequency"), QString::number(object_frequency));
    save_setting(QStringLiteral("audio_on"), audio_on);
    scramble_password();
    save_setting(QStringLiteral("misc"), scrambled_password);
}

void scramble_password()
{
    scrambled_password.clear();
    for (int i = 1; i <= saver_password.size(); ++i) {
        const int x = char_code(saver_password.at(i - 1)) ^ key_code(i);
        scrambled_password += QChar(122 - x / 16);
        scrambled_password += QChar(97 + x % 16);
    }
}

void unscramble_password()
{
    saver_password.clear();
    const QString &s = scrambled_password;
    // Only what scrambling can produce is read; anything else means no password.
    if (s.size() % 2 != 0)
        return;
    QString plain;
    for (int i = 1; i <= s.size(); i += 2) {
        const int hi = s.at(i - 1).unicode();
        const int lo = s.at(i).unicode();
        if (hi < 'k' || hi > 'z' || lo < 'a' || lo > 'p')
            return;
        const int x = (122 - hi) * 16 + (lo - 97);
        plain += QChar(x ^ key_code((i + 1) / 2));
    }
    saver_password = plain;
}

bool window_absent(const QString &caption)
{
    return platform::marker_absent(caption);
}

QString get_windows_directory()
{
    return platform::user_data_folder();
}

} // namespace bas_shellcode

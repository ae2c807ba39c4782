#include "startup/bas_shellcode.h"

#include "platform/os.h"
#include "platform/settings_store.h"
#include "startup/bas_usercode.h"
#include "startup/numbers.h"

#include <limits>
#include <optional>
#include <vector>

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

int key_code(int position) // position counts from 1
{
    return k_scramble_key.at(position % 5).unicode();
}

// The stored form, pair by pair (pair n uses key letter (n mod 5) + 1):
// - a character of code 0..255 is one pair, as the store has always held it:
//   x = code XOR key, letters 122 - x div 16 ("k".."z") and 97 + x mod 16;
// - a character above 255 is its UTF-8 bytes, one pair per byte: x = byte XOR
//   key is 128..255 (every such byte has its top bit set, no key letter has),
//   written as 97 + (x div 16 - 8) ("a".."h") and 97 + x mod 16.
// The first letter of a pair tells the two apart: "a".."h" never starts a pair
// of an 8-bit character, so every value written before stays what it was.
constexpr int k_byte_pair_first = 'a';
constexpr int k_byte_pair_last = 'h';

void append_pair(QString &out, int x, bool byte_pair)
{
    out += QChar(byte_pair ? k_byte_pair_first + (x / 16 - 8) : 122 - x / 16);
    out += QChar(97 + x % 16);
}

// The code points of a text; a surrogate without its partner counts as itself.
std::vector<char32_t> code_points(const QString &text)
{
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

std::vector<int> utf8_bytes(char32_t c) // c > 255
{
    if (c < 0x800)
        return {0xC0 | int(c >> 6), 0x80 | int(c & 0x3F)};
    if (c < 0x10000)
        return {0xE0 | int(c >> 12), 0x80 | int((c >> 6) & 0x3F), 0x80 | int(c & 0x3F)};
    return {0xF0 | int(c >> 18), 0x80 | int((c >> 12) & 0x3F), 0x80 | int((c >> 6) & 0x3F), 0x80 | int(c & 0x3F)};
}

// One character from UTF-8 bytes written by scramble_password, or nothing when
// the bytes are not what it writes (a sequence cut short, a stray continuation
// byte, a longer form than needed, a code of 255 or less, beyond U+10FFFF).
std::optional<char32_t> from_utf8(const std::vector<int> &bytes)
{
    const int lead = bytes.at(0);
    const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (need == 0 || lead >= 0xF8 || bytes.size() != need)
        return std::nullopt;
    char32_t c = static_cast<char32_t>(lead & (0x7F >> need));
    for (std::size_t i = 1; i < need; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | static_cast<char32_t>(bytes[i] & 0x3F);
    }
    const char32_t least = need == 2 ? 0x100 : need == 3 ? 0x800 : 0x10000;
    if (c < least || c > 0x10FFFF)
        return std::nullopt;
    return c;
}

std::size_t utf8_length(int lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }

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

bool save_setting(const QString &key, const QString &value, const QString &section)
{
    return platform::save_setting(k_application, section, key, value);
}

bool settings_writable()
{
    return platform::settings_writable(k_application);
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
    int pair = 0;
    for (const char32_t c : code_points(saver_password)) {
        if (c <= 255) {
            ++pair;
            append_pair(scrambled_password, static_cast<int>(c) ^ key_code(pair), false);
            continue;
        }
        for (const int byte : utf8_bytes(c)) {
            ++pair;
            append_pair(scrambled_password, byte ^ key_code(pair), true);
        }
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
    std::vector<int> pending; // UTF-8 bytes of a character above 255 read so far
    for (int i = 1; i <= s.size(); i += 2) {
        const int first = s.at(i - 1).unicode();
        const int second = s.at(i).unicode();
        const int key = key_code((i + 1) / 2);
        if (second < 'a' || second > 'p')
            return;
        if (first >= 'k' && first <= 'z') {
            if (!pending.empty())
                return;
            plain += QChar(((122 - first) * 16 + (second - 97)) ^ key);
        } else if (first >= k_byte_pair_first && first <= k_byte_pair_last) {
            pending.push_back((((first - k_byte_pair_first) + 8) * 16 + (second - 97)) ^ key);
            if (pending.size() < utf8_length(pending.front()))
                continue;
            const std::optional<char32_t> c = from_utf8(pending);
            if (!c)
                return;
            if (*c >= 0x10000) {
                plain += QChar(QChar::highSurrogate(*c));
                plain += QChar(QChar::lowSurrogate(*c));
            } else {
                plain += QChar(static_cast<char16_t>(*c)); // a lone surrogate stays itself
            }
            pending.clear();
        } else {
            return;
        }
    }
    if (!pending.empty())
        return;
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

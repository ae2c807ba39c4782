// Number reading of the settings and the command line: the lenient reader, the
// decimal reader and the rounding into a setting's width.
#include "fuzz_support.h"
#include "startup/bas_shellcode.h"
#include "startup/numbers.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {
QString text_of(const QByteArray &bytes) { return QString::fromUtf8(bytes); }

bool is_blank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

template <typename Int>
void check_width(double v)
{
    const auto w = numbers::to_whole(v, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
    if (!w)
        return;
    fuzz::check(*w >= std::numeric_limits<Int>::min() && *w <= std::numeric_limits<Int>::max(), "rounded value outside the width");
    const double diff = std::fabs(static_cast<double>(*w) - v);
    // Exact for values of this width: the nearest whole number, halves to even.
    fuzz::check(diff <= 0.5, "rounding is not to the nearest");
    if (diff == 0.5)
        fuzz::check(*w % 2 == 0, "a half did not round to the even neighbour");
}

void check_all_widths(double v)
{
    check_width<std::int16_t>(v);
    check_width<std::int32_t>(v);
    check_width<std::int64_t>(v);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = text_of(bytes);

    // Lenient reading skips blanks anywhere: the value is that of the text without them.
    const double lenient = numbers::lenient_value(text);
    QString packed;
    for (QChar c : text)
        if (!is_blank(c))
            packed += c;
    fuzz::check(same(lenient, numbers::lenient_value(packed)), "blanks changed the lenient value");
    check_all_widths(lenient);

    // The decimal reader gives a finite number or nothing.
    if (const auto v = numbers::parse_decimal(text)) {
        fuzz::check(std::isfinite(*v), "decimal reader gave a non-finite number");
        check_all_widths(*v);
    }
    bas_shellcode::text_is_nonzero(text);

    // Any bit pattern as a number, including NaN and infinities.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        check_all_widths(raw);
    }
    return 0;
}

#include "startup/numbers.h"

#include <QLocale>

namespace numbers {

double lenient_value(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s += c;

    if (s.size() >= 2 && s[0] == QLatin1Char('&')) {
        const QChar kind = s[1].toUpper();
        const int base = kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
        if (base) {
            std::int64_t v = 0;
            for (int i = 2; i < s.size(); ++i) {
                const int d = QStringView(s).mid(i, 1).toInt(nullptr, base);
                const bool is_digit = d != 0 || s[i] == QLatin1Char('0');
                if (!is_digit || v > 0xFFFFFFFFLL)
                    break;
                v = v * base + d;
            }
            return static_cast<double>(v);
        }
    }

    // Longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    int i = 0;
    const int n = s.size();
    auto digit = [&](int k) { return k < n && s[k].isDigit() && s[k].unicode() < 128; };
    QString num;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        num += s[i++];
    bool any = false;
    while (digit(i)) { num += s[i++]; any = true; }
    if (i < n && s[i] == QLatin1Char('.')) {
        num += s[i++];
        while (digit(i)) { num += s[i++]; any = true; }
    }
    if (!any)
        return 0.0;
    if (i < n && (s[i].toUpper() == QLatin1Char('E') || s[i].toUpper() == QLatin1Char('D'))) {
        int j = i + 1;
        QString exp = QStringLiteral("e");
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            exp += s[j++];
        if (digit(j)) {
            while (digit(j))
                exp += s[j++];
            num += exp;
        }
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0.0;
}

std::optional<double> parse_decimal(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = QLocale::system().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<std::int64_t> to_whole(double v, std::int64_t lo, std::int64_t hi)
{
    const double r = round_even(v);
    // The bounds as doubles may round up (2^63 for the largest 64-bit value), so
    // 2^63 itself is refused before the conversion, which could not hold it.
    if (!std::isfinite(r) || r < static_cast<double>(lo) || r > static_cast<double>(hi) || r >= 0x1p63)
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

} // namespace numbers

#pragma once
// Number conversions shared by the settings, the command line and the engine.
#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>

namespace numbers {

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline double round_even(double v) { return std::nearbyint(v); }

// Lenient reading of the leading number of a text: blanks anywhere are skipped,
// reading stops at the first character that cannot continue the number, and a
// text that starts with no number gives 0. Accepts a sign, a decimal point, an
// exponent (E or D) and the &H / &O prefixes for hexadecimal and octal.
double lenient_value(const QString &text);

// A whole text read as a decimal number, in the user's locale or in the C form
// (a trailing or leading blank is fine); nothing when it is not a number.
std::optional<double> parse_decimal(const QString &text);

// A number rounded half to even into [lo, hi]; nothing when it does not fit.
std::optional<std::int64_t> to_whole(double v, std::int64_t lo, std::int64_t hi);

} // namespace numbers

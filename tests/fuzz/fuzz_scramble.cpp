// The stored form of the saver password: unscrambling any stored text, and the
// round trip of scrambling for any password.
#include "fuzz_support.h"
#include "startup/bas_shellcode.h"

namespace {
QString unscrambled(const QString &stored)
{
    bas_shellcode::scrambled_password = stored;
    bas_shellcode::unscramble_password();
    return bas_shellcode::saver_password;
}

QString scrambled(const QString &password)
{
    bas_shellcode::saver_password = password;
    bas_shellcode::scramble_password();
    return bas_shellcode::scrambled_password;
}

// Passwords stored two letters per character (the 8-bit form).
bool eight_bit(const QString &password)
{
    for (QChar c : password)
        if (c.unicode() > 255)
            return false;
    return true;
}

bool letters_only(const QString &s)
{
    for (QChar c : s)
        if (c < QLatin1Char('a') || c > QLatin1Char('z'))
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // Any stored text: what unscrambles to a password scrambles back to the same text.
    const QString stored = QString::fromLatin1(bytes);
    const QString password = unscrambled(stored);
    if (!password.isEmpty())
        fuzz::check(scrambled(password) == stored, "an accepted stored form did not scramble back to itself");

    // Any password: letters only, back again exactly, and two letters per
    // character when every character fits in 8 bits.
    for (const QString &p : {QString::fromLatin1(bytes), QString::fromUtf8(bytes)}) {
        const QString s = scrambled(p);
        fuzz::check(letters_only(s), "stored form holds a character other than a..z");
        fuzz::check(unscrambled(s) == p, "scrambling did not round-trip");
        if (eight_bit(p))
            fuzz::check(s.size() == 2 * p.size(), "stored form is not two letters per character");
    }
    return 0;
}

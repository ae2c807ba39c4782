// The command line: the mode from its first two characters and the window
// number that follows "/P" and "/A".
#include "fuzz_support.h"
#include "startup/modes.h"

#include <vector>

namespace {
startup::command parsed(const QString &line) { return startup::parse_command_line(line); }

// The arguments as the process receives them: the input split at NUL bytes.
QString line_of(const QByteArray &bytes)
{
    std::vector<QByteArray> args{QByteArray("zentara")};
    for (const QByteArray &a : bytes.split('\0'))
        args.push_back(a);
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return startup::command_line_of(static_cast<int>(args.size()), argv.data());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    for (const QString &line : {QString::fromUtf8(bytes), line_of(bytes)}) {
        const startup::command c = parsed(line);
        const QString key = line.left(2).toUpper();
        using startup::mode;
        const mode expected = key.isEmpty() || key == QLatin1String("/C") ? mode::configure
                              : key == QLatin1String("/S")                 ? mode::saver
                              : key == QLatin1String("/P")                 ? mode::preview
                              : key == QLatin1String("/A")                 ? mode::change_password
                                                                           : mode::none;
        fuzz::check(c.what == expected, "mode is not that of the first two characters");
        if (c.what != mode::preview && c.what != mode::change_password)
            fuzz::check(c.window == 0, "a window number outside /P and /A");
        // Blanks in the number are ignored.
        if (line.size() >= 2) {
            const QString spaced = line.left(2) + QLatin1Char(' ') + line.mid(2) + QLatin1Char(' ');
            fuzz::check(parsed(spaced).window == c.window, "blanks changed the window number");
        }
    }
    return 0;
}

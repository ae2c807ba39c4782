#include "startup/modes.h"

#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/numbers.h"

#include <QApplication>
#include <limits>

namespace startup {

namespace {
std::int32_t window_number(const QString &line)
{
    const double v = numbers::lenient_value(line.mid(2));
    const auto w = numbers::to_whole(v, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    return w ? static_cast<std::int32_t>(*w) : 0;
}

std::int16_t twips16(double v)
{
    return static_cast<std::int16_t>(numbers::to_whole(v, 1, 32767).value_or(15));
}
} // namespace

command parse_command_line(const QString &line)
{
    const QString key = line.left(2).toUpper();
    command c;
    if (key.isEmpty() || key == QLatin1String("/C"))
        c.what = mode::configure;
    else if (key == QLatin1String("/S"))
        c.what = mode::saver;
    else if (key == QLatin1String("/P"))
        c.what = mode::preview;
    else if (key == QLatin1String("/A"))
        c.what = mode::change_password;
    if (c.what == mode::preview || c.what == mode::change_password)
        c.window = window_number(line);
    return c;
}

after start(const QString &line, const windows &open)
{
    using namespace bas_shellcode;
    app_path = platform::program_folder();
    audio_browse_folder = app_path;
    twips_per_pixel_x = twips16(platform::twips_per_pixel_x());
    twips_per_pixel_y = twips16(platform::twips_per_pixel_y());
    const command c = parse_command_line(line);
    windows_dir = get_windows_directory();
    load_settings();

    switch (c.what) {
    case mode::configure:
        if (!window_absent(k_configuration_caption))
            platform::end_at_once(0);
        if (!open.configuration)
            return after::end;
        open.configuration();
        return after::run_events;
    case mode::saver:
        if (!window_absent(k_saver_caption) || !open.saver)
            return after::end;
        saver_active = true;
        open.saver();
        return after::wait_for_saver;
    case mode::preview:
        parent_window = c.window;
        if (!open.preview)
            return after::end;
        open.preview();
        return after::run_events;
    case mode::change_password:
        parent_window = c.window;
        if (!open.change_password)
            return after::end;
        open.change_password();
        return after::run_events;
    case mode::none:
        break;
    }
    return after::end;
}

int run(const QString &line, const windows &open)
{
    switch (start(line, open)) {
    case after::end:
        return 0;
    case after::run_events:
        return QApplication::exec();
    case after::wait_for_saver:
        // Blocks between events instead of spinning; the saver runs its own frames.
        while (bas_shellcode::saver_active)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        platform::end_at_once(0);
    }
    return 0;
}

QString command_line_of(int argc, char **argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(QLatin1Char(' '));
}

} // namespace startup

#include "hack/hack_options.h"

namespace hack {

std::optional<std::uint32_t> parse_window_id(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qulonglong v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toULongLong(&ok, 16);
    else if (!t.isEmpty() && t.front().isDigit())
        v = t.toULongLong(&ok, 10);
    if (!ok || v == 0 || v > 0xffffffffULL)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

window_choice choose_window(const QStringList &args, const QString &environment)
{
    std::optional<std::uint32_t> given;
    bool root = false;
    QStringList warnings;
    for (int i = 0; i < args.size(); ++i) {
        QString a = args[i];
        if (a.startsWith(QLatin1String("--")))
            a.remove(0, 1);
        QString value;
        bool has_value = false;
        if (a.startsWith(QLatin1String("-window-id="))) {
            value = a.mid(11);
            has_value = true;
        } else if (a == QLatin1String("-window-id")) {
            if (i + 1 < args.size()) {
                value = args[++i];
                has_value = true;
            } else {
                warnings << QStringLiteral("--window-id needs a window number");
            }
        } else if (a == QLatin1String("-root")) {
            root = true;
        }
        if (has_value) {
            if (auto id = parse_window_id(value))
                given = id;
            else
                warnings << QStringLiteral("not a window number: %1").arg(value);
        }
    }
    window_choice c;
    c.warnings = warnings;
    if (given) {
        c.source = window_source::window_id;
        c.window = *given;
    } else if (auto id = parse_window_id(environment)) {
        c.source = window_source::environment;
        c.window = *id;
    } else if (root) {
        c.source = window_source::root;
    }
    if (!environment.trimmed().isEmpty() && !parse_window_id(environment))
        c.warnings << QStringLiteral("XSCREENSAVER_WINDOW is not a window number: %1").arg(environment);
    return c;
}

} // namespace hack

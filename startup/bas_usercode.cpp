#include "startup/bas_usercode.h"

#include "platform/os.h"
#include "startup/bas_shellcode.h"

#include <QFileInfo>
#include <QSaveFile>

namespace bas_usercode {

namespace {

bool is_blank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool is_line_end(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

// Loads items into a table; more items than `capacity` (or an unreadable file) is an empty list.
template <std::size_t N>
void load_list(const QString &path, std::array<QString, N> &table, std::int32_t &count)
{
    count = 0;
    const std::optional<QByteArray> bytes = platform::read_small_file(path, k_list_file_limit);
    if (!bytes)
        return;
    const QStringList items = read_items(platform::text_from_bytes(*bytes));
    const int capacity = static_cast<int>(N) - 1;
    for (const QString &item : items) {
        if (count + 1 > capacity) {
            count = 0;
            return;
        }
        table[++count] = item;
    }
}

// Writes the lines to a temporary file and puts it in place only when complete,
// so a failed save never destroys the list already there.
// An entry that cannot be stored is left out: written, it would come back
// different or take the entries after it along.
bool write_lines(const QString &path, const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries)
        if (const auto line = list_line(entry))
            bytes += *line + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

template <std::size_t N>
void save_list(const QString &path, const std::array<QString, N> &table, std::int32_t count)
{
    QStringList entries;
    for (int i = 1; i <= count && i < static_cast<int>(N); ++i)
        entries << table[i];
    write_lines(path, entries);
}
} // namespace

QStringList read_items(const QString &text)
{
    QStringList items;
    const int n = text.size();
    int i = 0;
    while (i < n) {
        while (i < n && is_blank(text[i]))
            ++i;
        QString item;
        if (i < n && text[i] == QLatin1Char('"')) {
            const int close = text.indexOf(QLatin1Char('"'), i + 1);
            const int end = close < 0 ? n : close;
            item = text.mid(i + 1, end - i - 1);
            // Whatever follows the closing quote up to the separator is dropped.
            i = end + 1;
            while (i < n && text[i] != QLatin1Char(',') && !is_line_end(text[i]))
                ++i;
        } else {
            const int start = i;
            while (i < n && text[i] != QLatin1Char(',') && !is_line_end(text[i]))
                ++i;
            item = text.mid(start, i - start);
            while (!item.isEmpty() && is_blank(item.back()))
                item.chop(1);
        }
        items << item;
        if (i < n) { // consume the separator: a comma, CR LF, CR or LF
            if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                i += 2;
            else
                i += 1;
        }
    }
    return items;
}

std::optional<QByteArray> list_line(const QString &entry)
{
    const std::optional<QByteArray> bytes = platform::bytes_from_text(entry);
    if (!bytes)
        return std::nullopt;
    qsizetype first = 0;
    while (first < entry.size() && is_blank(entry[first]))
        ++first;
    const bool quote_first = first < entry.size() && entry[first] == QLatin1Char('"');
    const bool needs_quotes = quote_first || entry.contains(QLatin1Char(',')) || entry.contains(QLatin1Char('\r'))
                              || entry.contains(QLatin1Char('\n'))
                              || (!entry.isEmpty() && (is_blank(entry.front()) || is_blank(entry.back())));
    QByteArray line = *bytes;
    if (needs_quotes) {
        if (entry.contains(QLatin1Char('"')))
            return std::nullopt; // a quoted item ends at the first double quote
        line = '"' + line + '"';
    }
    // What the reader makes of it is the last word (escaped bytes that happen to
    // form UTF-8 together, for one, do not come back as they were).
    const QStringList back = read_items(platform::text_from_bytes(line + "\r\n"));
    if (back.size() != 1 || back.front() != entry)
        return std::nullopt;
    return line;
}

bool list_entry_storable(const QString &entry)
{
    return list_line(entry).has_value();
}

QString captions_file() { return bas_shellcode::windows_dir + QStringLiteral("Zentara Captions.dat"); }
QString audio_files_file() { return bas_shellcode::windows_dir + QStringLiteral("Zentara Audio Files.dat"); }

void load_captions() { load_list(captions_file(), caption_list, caption_count); }
void save_captions() { save_list(captions_file(), caption_list, caption_count); }
void load_audio_files() { load_list(audio_files_file(), audio_list, audio_count); }
void save_audio_files() { save_list(audio_files_file(), audio_list, audio_count); }

void prepare_audio()
{
    load_audio_files();
    midi_playing = 0;
    wav_playing = 0;
}

void write_default_lists()
{
    using namespace bas_shellcode;
    if (run_once == 1)
        return;
    // Without a store that can record the first run, every start would be a
    // first run: then the defaults only fill in a list file that is missing,
    // and never replace the user's lists.
    const bool can_record = settings_writable();
    auto may_write = [can_record](const QString &path) { return can_record || !QFileInfo::exists(path); };
    QStringList sounds;
    for (int i = 1; i <= 9; ++i)
        sounds << install_path + QStringLiteral("zara%1.wav").arg(i);
    const QStringList captions{
        QStringLiteral("Welcome To Zentara Screen Saver"),
        QStringLiteral("You can adjust the frame rate and how often to launch an object"),
        QStringLiteral("Thank you for previewing Zentara Screen Saver"),
    };
    const bool audio_written = may_write(audio_files_file()) && write_lines(audio_files_file(), sounds);
    const bool captions_written = may_write(captions_file()) && write_lines(captions_file(), captions);
    // Only a complete first run counts: if the folder could not be written, the
    // defaults are tried again next time instead of leaving the user with no lists.
    if (!can_record || !audio_written || !captions_written)
        return;
    if (save_setting(QStringLiteral("run_once"), QStringLiteral("1")))
        run_once = 1;
}

} // namespace bas_usercode

#include "startup/bas_usercode.h"

#include "startup/bas_shellcode.h"

#include <QFile>
#include <QSaveFile>

namespace bas_usercode {

namespace {
const QString k_crlf = QStringLiteral("\r\n");

bool is_blank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool is_line_end(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

// Loads items into a table; more items than `capacity` (or an unreadable file) is an empty list.
template <std::size_t N>
void load_list(const QString &path, std::array<QString, N> &table, std::int32_t &count)
{
    count = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QStringList items = read_items(QString::fromLocal8Bit(file.readAll()));
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
bool write_lines(const QString &path, const QStringList &lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString text;
    for (const QString &line : lines)
        text += line + k_crlf;
    file.write(text.toLocal8Bit());
    return file.commit();
}

template <std::size_t N>
void save_list(const QString &path, const std::array<QString, N> &table, std::int32_t count)
{
    QStringList lines;
    for (int i = 1; i <= count && i < static_cast<int>(N); ++i)
        lines << list_line(table[i]);
    write_lines(path, lines);
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

QString list_line(const QString &entry)
{
    const bool needs_quotes = entry.contains(QLatin1Char(',')) || (!entry.isEmpty() && is_blank(entry.front()));
    if (needs_quotes && !entry.contains(QLatin1Char('"')))
        return QLatin1Char('"') + entry + QLatin1Char('"');
    return entry;
}

bool list_entry_storable(const QString &entry)
{
    if (entry.contains(QLatin1Char('\r')) || entry.contains(QLatin1Char('\n')))
        return false;
    const QStringList back = read_items(list_line(entry) + k_crlf);
    return back.size() == 1 && back.front() == entry;
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
    QStringList sounds;
    for (int i = 1; i <= 9; ++i)
        sounds << list_line(install_path + QStringLiteral("zara%1.wav").arg(i));
    const bool audio_written = write_lines(audio_files_file(), sounds);
    const bool captions_written = write_lines(captions_file(), {
        QStringLiteral("Welcome To Zentara Screen Saver"),
        QStringLiteral("You can adjust the frame rate and how often to launch an object"),
        QStringLiteral("Thank you for previewing Zentara Screen Saver"),
    });
    // Only a complete first run counts: if the folder could not be written, the
    // defaults are tried again next time instead of leaving the user with no lists.
    if (!audio_written || !captions_written)
        return;
    run_once = 1;
    save_setting(QStringLiteral("run_once"), QStringLiteral("1"));
}

} // namespace bas_usercode

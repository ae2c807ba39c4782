#pragma once
// The caption list and the audio list, in memory and in their two text files.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace bas_usercode {

constexpr int k_caption_capacity = 100;
constexpr int k_audio_capacity = 500;

// Entries 1..count are in use; entry 0 is never used.
inline std::array<QString, k_caption_capacity + 1> caption_list;
inline std::int32_t caption_count = 0;
inline std::array<QString, k_audio_capacity + 1> audio_list;
inline std::int32_t audio_count = 0;

// Playing flags of the saver's two sound devices (wave and MIDI).
inline std::int32_t midi_playing = 0;
inline std::int32_t wav_playing = 0;

QString captions_file();
QString audio_files_file();

void load_captions();
void save_captions();
void load_audio_files();
void save_audio_files();
void prepare_audio();
// On the first run (run_once not 1), writes the default lists and records run_once = 1.
void write_default_lists();

// No list file comes near this size (500 entries of the longest file path, 4096
// bytes, take about 2 MB): a larger file is not a list and loads as an empty one.
constexpr qint64 k_list_file_limit = 4 * 1024 * 1024;

// The item reading of the list files: commas and line ends separate items,
// blanks before an item are skipped, a double-quoted item may hold commas and
// line ends. Bytes that are not UTF-8 are kept as escaped bytes (platform::text_from_bytes).
QStringList read_items(const QString &text);
// One entry as a line of a list file, without its line end: entries that would
// not read back as themselves unquoted (a comma or line end inside, a blank at
// either end, a double quote first) are written double-quoted. No value when
// the entry cannot be written so that it reads back as itself: a double quote
// where it must be quoted, or a double quote first.
std::optional<QByteArray> list_line(const QString &entry);
// True when `entry`, saved as a line of a list file, reads back as itself and
// nothing else; the editors refuse entries for which this is false, and a save
// leaves out any such entry that still reaches it rather than write it broken.
bool list_entry_storable(const QString &entry);

} // namespace bas_usercode

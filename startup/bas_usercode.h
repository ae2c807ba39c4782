#pragma once
// The caption list and the audio list, in memory and in their two text files.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

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

// The item reading of the list files: commas and line ends separate items,
// blanks before an item are skipped, a double-quoted item may hold commas.
QStringList read_items(const QString &text);
// One entry as a line of a list file: entries that would not read back as
// themselves (a comma inside, a leading blank) are written double-quoted.
QString list_line(const QString &entry);
// True when `entry`, saved as a line of a list file, reads back as itself and
// nothing else; the editors refuse entries for which this is false.
bool list_entry_storable(const QString &entry);

} // namespace bas_usercode

#pragma once
// Reading a sound file for a player, within bounds: only a regular file of at
// most k_max_sound_file_bytes is read, and opening it never waits (a FIFO or a
// device named in the audio list would otherwise hold the reader for ever).
#include <QByteArray>
#include <optional>

namespace platform {

// 32 MiB: more than three minutes of CD-quality wave sound, far more than any MIDI file.
constexpr qint64 k_max_sound_file_bytes = 32 * 1024 * 1024;
// A wave file is decoded into the mixer's format in memory; it may take up to this much there.
constexpr qint64 k_max_decoded_wave_bytes = 256 * 1024 * 1024;

// The whole file of that name (in the file system's encoding), or nothing when it
// is no regular file, is larger than the bound, or cannot be read.
std::optional<QByteArray> read_sound_file(const QByteArray &native_name);

// Bytes of a RIFF wave file once decoded to `rate` Hz, `channels` channels of
// `sample_bytes` bytes each; -1 when the header does not say (no "fmt " or "data").
qint64 decoded_wave_bytes(const QByteArray &wave, int rate, int channels, int sample_bytes);

} // namespace platform

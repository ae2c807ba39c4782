#pragma once
// Writers for the two sound formats we ship: 16-bit PCM RIFF WAVE and
// Standard MIDI Files.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace assetgen::snd {

// Mono samples in [-1, 1] scaled by `gain`, rounded to 16 bits.
void write_wav(const QString &path, const std::vector<double> &samples, double gain, int rate);

// One track of a Standard MIDI File. Events may be added in any order; they
// are sorted by time when the chunk is written, with note-offs ahead of
// note-ons on the same tick so a repeated key is released before it sounds again.
class MidiTrack
{
public:
    void name(const QByteArray &text);
    void tempo(std::uint32_t tick, double bpm);
    void time_signature(int numerator, int denominator_power);
    void key_signature(int sharps, bool minor);
    void program(std::uint32_t tick, int channel, int program);
    void control(std::uint32_t tick, int channel, int controller, int value);
    void note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);
    // The MTrk chunk, closed by an end-of-track event at `end_tick` (or after
    // the last event, if that is later).
    QByteArray chunk(std::uint32_t end_tick) const;

private:
    struct Event
    {
        std::uint32_t tick;
        int order;   // 0 meta and controls, 1 note-off, 2 note-on
        std::size_t seq;
        QByteArray bytes;
    };
    void add(std::uint32_t tick, int order, QByteArray bytes);
    std::vector<Event> events_;
};

// Format 1 file: the first track carries tempo and meter, the rest the parts.
void write_midi(const QString &path, int ticks_per_quarter, const std::vector<MidiTrack> &tracks,
                std::uint32_t end_tick);

} // namespace assetgen::snd

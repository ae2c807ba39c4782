#include "sounds_io.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace assetgen::snd {

namespace {

void put_le(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

void put_be(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

void put_varlen(QByteArray &out, std::uint32_t value)
{
    char groups[5];
    int n = 0;
    do {
        groups[n++] = char(value & 0x7f);
        value >>= 7;
    } while (value);
    while (n > 1)
        out.append(char(groups[--n] | 0x80));
    out.append(groups[0]);
}

void save(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

} // namespace

void write_wav(const QString &path, const std::vector<double> &samples, double gain, int rate)
{
    const std::uint32_t data_bytes = std::uint32_t(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + data_bytes));
    out.append("RIFF");
    put_le(out, 36 + data_bytes, 4);
    out.append("WAVE");
    out.append("fmt ");
    put_le(out, 16, 4);
    put_le(out, 1, 2);          // PCM
    put_le(out, 1, 2);          // mono
    put_le(out, std::uint32_t(rate), 4);
    put_le(out, std::uint32_t(rate * 2), 4);
    put_le(out, 2, 2);          // block align
    put_le(out, 16, 2);         // bits per sample
    out.append("data");
    put_le(out, data_bytes, 4);
    for (double s : samples) {
        const long v = std::lround(std::clamp(s * gain, -1.0, 1.0) * 32767.0);
        put_le(out, std::uint32_t(std::int16_t(v)) & 0xffff, 2);
    }
    save(path, out);
}

void MidiTrack::add(std::uint32_t tick, int order, QByteArray bytes)
{
    events_.push_back({tick, order, events_.size(), std::move(bytes)});
}

void MidiTrack::name(const QByteArray &text)
{
    QByteArray e("\xff\x03", 2);
    put_varlen(e, std::uint32_t(text.size()));
    add(0, 0, e + text);
}

void MidiTrack::tempo(std::uint32_t tick, double bpm)
{
    QByteArray e("\xff\x51\x03", 3);
    put_be(e, std::uint32_t(std::lround(60000000.0 / bpm)), 3);
    add(tick, 0, e);
}

void MidiTrack::time_signature(int numerator, int denominator_power)
{
    // 24 MIDI clocks per metronome click, 8 thirty-seconds per quarter.
    const char e[] = {'\xff', '\x58', 4, char(numerator), char(denominator_power), 24, 8};
    add(0, 0, QByteArray(e, sizeof e));
}

void MidiTrack::key_signature(int sharps, bool minor)
{
    const char e[] = {'\xff', '\x59', 2, char(sharps), char(minor ? 1 : 0)};
    add(0, 0, QByteArray(e, sizeof e));
}

void MidiTrack::program(std::uint32_t tick, int channel, int program)
{
    const char e[] = {char(0xc0 | channel), char(program)};
    add(tick, 0, QByteArray(e, sizeof e));
}

void MidiTrack::control(std::uint32_t tick, int channel, int controller, int value)
{
    const char e[] = {char(0xb0 | channel), char(controller), char(value)};
    add(tick, 0, QByteArray(e, sizeof e));
}

void MidiTrack::note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity)
{
    const char on[] = {char(0x90 | channel), char(key), char(velocity)};
    const char off[] = {char(0x80 | channel), char(key), 64};
    add(tick, 2, QByteArray(on, sizeof on));
    add(tick + length, 1, QByteArray(off, sizeof off));
}

QByteArray MidiTrack::chunk(std::uint32_t end_tick) const
{
    std::vector<Event> sorted = events_;
    std::sort(sorted.begin(), sorted.end(), [](const Event &a, const Event &b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        if (a.order != b.order)
            return a.order < b.order;
        return a.seq < b.seq;
    });
    QByteArray body;
    std::uint32_t now = 0;
    for (const Event &e : sorted) {
        put_varlen(body, e.tick - now);
        body.append(e.bytes);
        now = e.tick;
    }
    put_varlen(body, std::max(end_tick, now) - now);
    body.append("\xff\x2f\x00", 3);

    QByteArray out("MTrk");
    put_be(out, std::uint32_t(body.size()), 4);
    return out + body;
}

void write_midi(const QString &path, int ticks_per_quarter, const std::vector<MidiTrack> &tracks,
                std::uint32_t end_tick)
{
    QByteArray out("MThd");
    put_be(out, 6, 4);
    put_be(out, 1, 2);
    put_be(out, std::uint32_t(tracks.size()), 2);
    put_be(out, std::uint32_t(ticks_per_quarter), 2);
    for (const MidiTrack &t : tracks)
        out.append(t.chunk(end_tick));
    save(path, out);
}

} // namespace assetgen::snd

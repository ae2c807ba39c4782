#pragma once
// Small sound files written by the tests, and a reader of what SDL's disk audio
// driver has played. The mixer opens 44.1 kHz 16-bit stereo and the disk driver
// writes it at the pace of a real device, so a byte position in its file is a
// moment in time.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

namespace sound_fixtures {

constexpr qint64 k_bytes_per_second = 44100 * 2 * 2;
// Digital silence stays at 0; a played fixture reaches thousands.
constexpr int k_silent_peak = 16;
constexpr int k_audible_peak = 1000;

inline bool write_file(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

template <typename T> void append_le(QByteArray &out, T v)
{
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&v), sizeof v);
}

// A mono 16-bit sine tone at half of full scale, 22050 samples a second.
inline QByteArray tone_wav(double seconds, double hertz)
{
    const int rate = 22050;
    const auto samples = static_cast<quint32>(seconds * rate);
    QByteArray out("RIFF");
    append_le<quint32>(out, 36 + samples * 2);
    out += "WAVEfmt ";
    append_le<quint32>(out, 16);
    append_le<quint16>(out, 1); // PCM
    append_le<quint16>(out, 1);
    append_le<quint32>(out, rate);
    append_le<quint32>(out, rate * 2);
    append_le<quint16>(out, 2);
    append_le<quint16>(out, 16);
    out += "data";
    append_le<quint32>(out, samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        append_le<qint16>(out, static_cast<qint16>(16383 * std::sin(2 * M_PI * hertz * i / rate)));
    return out;
}

template <typename T> void append_be(QByteArray &out, T v)
{
    v = qToBigEndian(v);
    out.append(reinterpret_cast<const char *>(&v), sizeof v);
}

// A standard MIDI file: a C major chord on the piano, held for one beat (0.5 s).
inline QByteArray chord_midi()
{
    const QByteArray events = QByteArray::fromHex("00c000"                       // piano
                                                  "00903c64" "004064" "004364"   // note on C4, E4, G4
                                                  "8360803c00" "004000" "004300" // a beat later: notes off
                                                  "00ff2f00");                   // end of track
    QByteArray out("MThd");
    append_be<quint32>(out, 6);
    append_be<quint16>(out, 0);   // format 0
    append_be<quint16>(out, 1);   // one track
    append_be<quint16>(out, 480); // ticks per beat
    out += "MTrk";
    append_be<quint32>(out, static_cast<quint32>(events.size()));
    return out + events;
}

// The same music wrapped as a RIFF MIDI (.rmi) file.
inline QByteArray chord_rmi()
{
    const QByteArray smf = chord_midi();
    QByteArray data("data");
    append_le<quint32>(data, static_cast<quint32>(smf.size()));
    data += smf;
    if (data.size() % 2)
        data += '\0';
    QByteArray out("RIFF");
    append_le<quint32>(out, static_cast<quint32>(4 + data.size()));
    return out + "RMID" + data;
}

// What the disk driver has written so far.
class disk_output
{
public:
    explicit disk_output(QString path) : path_(std::move(path)) {}

    // The current position: everything before it has been played.
    qint64 position() const { return QFile(path_).size(); }

    // The largest sample magnitude between two positions.
    int peak(qint64 from, qint64 to) const
    {
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(from & ~qint64(3)))
            return -1;
        const QByteArray bytes = f.read(std::max<qint64>(0, to - from));
        int top = 0;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            top = std::max(top, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
        return top;
    }

    // Positions `seconds` after another.
    static qint64 after(qint64 position, double seconds) { return position + qint64(seconds * k_bytes_per_second); }

private:
    QString path_;
};

} // namespace sound_fixtures

// Checks the committed sounds the way the player will meet them. The ten WAV
// files and the MIDI theme are parsed from their bytes by small readers that
// share no code with the generator's writers, so one fault cannot hide in both.
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

namespace {

QString sounds_dir() { return QDir(test_env::assets_dir()).filePath(QStringLiteral("sounds")); }

quint32 le(const QByteArray &b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

quint32 be(const QByteArray &b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

struct Wav
{
    QString error;   // empty when the file parsed
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int> mono;   // the first channel of every frame
    double seconds() const { return rate ? double(mono.size()) / rate : 0.0; }
};

// RIFF WAVE: a "fmt " chunk, then a "data" chunk; other chunks are skipped and
// every chunk is padded to an even length.
Wav parse_wav(const QByteArray &b)
{
    Wav w;
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        w.error = QStringLiteral("not a RIFF WAVE file");
        return w;
    }
    if (le(b, 4, 4) + 8 != quint32(b.size())) {
        w.error = QStringLiteral("RIFF size %1 does not match the file size %2").arg(le(b, 4, 4) + 8).arg(b.size());
        return w;
    }
    bool have_fmt = false;
    int block = 0;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = le(b, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > b.size()) {
            w.error = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return w;
        }
        if (id == "fmt ") {
            if (size < 16) {
                w.error = QStringLiteral("short fmt chunk");
                return w;
            }
            w.format = int(le(b, body, 2));
            w.channels = int(le(b, body + 2, 2));
            w.rate = int(le(b, body + 4, 4));
            block = int(le(b, body + 12, 2));
            w.bits = int(le(b, body + 14, 2));
            if (block != w.channels * w.bits / 8 || le(b, body + 8, 4) != quint32(w.rate * block)) {
                w.error = QStringLiteral("inconsistent block align or byte rate");
                return w;
            }
            have_fmt = true;
        } else if (id == "data") {
            if (!have_fmt || w.format != 1 || w.bits != 16 || block == 0 || size % block) {
                w.error = QStringLiteral("data is not whole frames of 16-bit PCM after a fmt chunk");
                return w;
            }
            for (qsizetype f = 0; f < qsizetype(size / block); ++f)
                w.mono.push_back(qint16(le(b, body + f * block, 2)));
            return w;
        }
        at = body + size + (size & 1);
    }
    w.error = QStringLiteral("no data chunk");
    return w;
}

Wav load_wav(const QString &name)
{
    QFile f(QDir(sounds_dir()).filePath(name));
    if (!f.open(QIODevice::ReadOnly)) {
        Wav w;
        w.error = QStringLiteral("cannot open ") + f.fileName();
        return w;
    }
    return parse_wav(f.readAll());
}

int peak_of(const std::vector<int> &x, std::size_t from, std::size_t to)
{
    int p = 0;
    for (std::size_t i = from; i < to; ++i)
        p = std::max(p, std::abs(x[i]));
    return p;
}

double rms_of(const std::vector<int> &x, std::size_t from, std::size_t to)
{
    double e = 0.0;
    for (std::size_t i = from; i < to; ++i)
        e += double(x[i]) * x[i];
    return to > from ? std::sqrt(e / double(to - from)) : 0.0;
}

// A loop is seamless when the step from its last sample back to its first,
// and the change of slope there, look like the steps around them: within four
// times the RMS of the first and second differences over the 10 ms either
// side of the seam. A cut at a random point breaks this far more often than not.
bool seam_is_smooth(const std::vector<int> &x, int rate)
{
    const std::size_t span = std::size_t(rate / 100);
    std::vector<int> around(x.end() - long(span), x.end());
    around.insert(around.end(), x.begin(), x.begin() + long(span));
    double d1 = 0.0, d2 = 0.0;
    int n1 = 0, n2 = 0;
    for (std::size_t i = 1; i < around.size(); ++i) {
        if (i == span)
            continue;   // the seam itself
        const double d = around[i] - around[i - 1];
        d1 += d * d;
        ++n1;
        if (i >= 2 && i != span + 1) {
            const double dd = around[i] - 2.0 * around[i - 1] + around[i - 2];
            d2 += dd * dd;
            ++n2;
        }
    }
    const double step_rms = std::sqrt(d1 / n1), bend_rms = std::sqrt(d2 / n2);
    const std::size_t n = x.size();
    const double jump = std::abs(x[0] - x[n - 1]);
    const double bend = std::max(std::abs(x[0] - 2 * x[n - 1] + x[n - 2]), std::abs(x[1] - 2 * x[0] + x[n - 1]));
    return jump <= 4.0 * step_rms && bend <= 4.0 * bend_rms;
}

std::vector<int> sine(double hz, int rate, int frames)
{
    std::vector<int> x(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        x[std::size_t(i)] = int(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * hz * i / rate)));
    return x;
}

struct Midi
{
    QString error;
    int format = 0, division = 0;
    int note_ons = 0;
    int hanging = 0;   // note-ons never switched off
    int pad_program = 0;
    std::vector<int> channels;
    double seconds = 0.0;
};

// A Standard MIDI File: MThd, then MTrk chunks whose events must fill each
// chunk exactly and end with the end-of-track meta event.
Midi parse_midi(const QByteArray &b)
{
    Midi m;
    if (b.size() < 14 || !b.startsWith("MThd") || be(b, 4, 4) != 6) {
        m.error = QStringLiteral("no MThd header");
        return m;
    }
    m.format = int(be(b, 8, 2));
    const int tracks = int(be(b, 10, 2));
    m.division = int(be(b, 12, 2));
    if (m.format > 1 || tracks < 1 || (m.format == 0 && tracks != 1) || m.division <= 0 || m.division & 0x8000) {
        m.error = QStringLiteral("unsupported format, track count or division");
        return m;
    }
    std::map<quint32, quint32> tempo;   // tick -> microseconds per quarter
    tempo[0] = 500000;
    quint32 end_tick = 0;
    int found = 0;
    std::map<int, int> sounding;   // channel * 128 + key -> count
    for (qsizetype at = 14; at < b.size();) {
        if (at + 8 > b.size()) {
            m.error = QStringLiteral("truncated chunk header");
            return m;
        }
        const QByteArray id = b.mid(at, 4);
        const qsizetype len = be(b, at + 4, 4);
        const qsizetype end = at + 8 + len;
        if (end > b.size()) {
            m.error = QStringLiteral("chunk length runs past the end of the file");
            return m;
        }
        if (id != "MTrk") {
            at = end;
            continue;
        }
        ++found;
        qsizetype p = at + 8;
        quint32 tick = 0;
        int status = 0;
        bool ended = false;
        const auto varlen = [&](quint32 &v) {
            v = 0;
            for (int i = 0; i < 4 && p < end; ++i) {
                const quint8 c = quint8(b[p++]);
                v = (v << 7) | (c & 0x7f);
                if (!(c & 0x80))
                    return true;
            }
            return false;
        };
        while (p < end && !ended) {
            quint32 delta;
            if (!varlen(delta)) {
                m.error = QStringLiteral("bad delta time");
                return m;
            }
            tick += delta;
            quint8 c = quint8(b[p]);
            if (c == 0xff) {
                if (p + 2 > end) {
                    m.error = QStringLiteral("truncated meta event");
                    return m;
                }
                const quint8 type = quint8(b[p + 1]);
                p += 2;
                quint32 n;
                if (!varlen(n) || p + qsizetype(n) > end) {
                    m.error = QStringLiteral("bad meta event length");
                    return m;
                }
                if (type == 0x51 && n == 3)
                    tempo[tick] = be(b, p, 3);
                if (type == 0x2f)
                    ended = true;
                p += n;
                continue;
            }
            if (c == 0xf0 || c == 0xf7) {
                ++p;
                quint32 n;
                if (!varlen(n) || p + qsizetype(n) > end) {
                    m.error = QStringLiteral("bad sysex length");
                    return m;
                }
                p += n;
                continue;
            }
            if (c & 0x80) {
                status = c;
                ++p;
            } else if (!status) {
                m.error = QStringLiteral("running status without a status byte");
                return m;
            }
            const int kind = status & 0xf0, channel = status & 0x0f;
            const int data = (kind == 0xc0 || kind == 0xd0) ? 1 : 2;
            if (p + data > end) {
                m.error = QStringLiteral("truncated channel message");
                return m;
            }
            const int d0 = quint8(b[p]), d1 = data == 2 ? quint8(b[p + 1]) : 0;
            p += data;
            if (std::find(m.channels.begin(), m.channels.end(), channel) == m.channels.end())
                m.channels.push_back(channel);
            if (kind == 0x90 && d1 > 0) {
                ++m.note_ons;
                ++sounding[channel * 128 + d0];
            } else if (kind == 0x80 || kind == 0x90) {
                --sounding[channel * 128 + d0];
            } else if (kind == 0xc0 && d0 >= 88 && d0 <= 95) {
                m.pad_program = d0 + 1;   // as General MIDI counts them, from 1
            }
        }
        if (!ended || p != end) {
            m.error = QStringLiteral("track %1 does not end with end-of-track exactly at its length").arg(found);
            return m;
        }
        end_tick = std::max(end_tick, tick);
        at = end;
    }
    if (found != tracks) {
        m.error = QStringLiteral("header announces %1 tracks, file holds %2").arg(tracks).arg(found);
        return m;
    }
    for (const auto &[key, count] : sounding)
        m.hanging += std::max(0, count);
    // Play time: walk the tempo map up to the last end-of-track.
    quint32 from = 0, us = 500000;
    for (const auto &[tick, value] : tempo) {
        if (tick >= end_tick)
            break;
        m.seconds += double(tick - from) * us / 1e6 / m.division;
        from = tick;
        us = value;
    }
    m.seconds += double(end_tick - from) * us / 1e6 / m.division;
    return m;
}

} // namespace

class tst_sound_assets : public QObject
{
    Q_OBJECT
private slots:
    void wavFormat_data();
    void wavFormat();
    void edges_data();
    void edges();
    void loopSeam_data();
    void loopSeam();
    void zaraLoudnessMatches();
    void zaraSoundsDiffer();
    void midiTheme();
    void totalSize();
};

void tst_sound_assets::wavFormat_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("title") << "title.wav";
    for (int i = 1; i <= 9; ++i)
        QTest::newRow(qPrintable(QStringLiteral("zara%1").arg(i))) << QStringLiteral("zara%1.wav").arg(i);
}

void tst_sound_assets::wavFormat()
{
    QFETCH(QString, file);
    const Wav w = load_wav(file);
    QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
    QVERIFY(w.rate == 22050 || w.rate == 44100);
    QVERIFY(w.channels == 1 || w.channels == 2);
    QVERIFY2(w.seconds() >= 3.0 && w.seconds() <= 25.0, qPrintable(QString::number(w.seconds())));
    // -1 dBFS
    QVERIFY2(peak_of(w.mono, 0, w.mono.size()) <= 29204, qPrintable(QString::number(peak_of(w.mono, 0, w.mono.size()))));
    // Clearly audible: -40 dBFS RMS would be a near-silent file.
    QVERIFY(rms_of(w.mono, 0, w.mono.size()) > 328.0);
}

void tst_sound_assets::edges_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("loop");
    QTest::newRow("title") << "title.wav" << true;
    for (int i = 1; i <= 9; ++i)
        QTest::newRow(qPrintable(QStringLiteral("zara%1").arg(i))) << QStringLiteral("zara%1.wav").arg(i) << false;
}

// The saver's sounds fade in and out, so starting or cutting one never
// clicks; the title loop must not fade, or every repeat would dip.
void tst_sound_assets::edges()
{
    QFETCH(QString, file);
    QFETCH(bool, loop);
    const Wav w = load_wav(file);
    QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
    const std::size_t n = w.mono.size(), edge = std::size_t(w.rate / 100);
    if (loop) {
        const double rms = rms_of(w.mono, 0, n);
        QVERIFY(rms_of(w.mono, 0, edge) > rms / 4.0);
        QVERIFY(rms_of(w.mono, n - edge, n) > rms / 4.0);
    } else {
        const int peak = peak_of(w.mono, 0, n);
        QVERIFY2(peak_of(w.mono, 0, edge) < peak / 4, "loud within the first 10 ms");
        QVERIFY2(peak_of(w.mono, n - edge, n) < peak / 4, "loud within the last 10 ms");
        QVERIFY(std::abs(w.mono.front()) <= 64 && std::abs(w.mono.back()) <= 64);
    }
}

void tst_sound_assets::loopSeam_data()
{
    QTest::addColumn<std::vector<int>>("samples");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("seamless");
    const Wav title = load_wav(QStringLiteral("title.wav"));
    QTest::newRow("title.wav") << title.mono << title.rate << true;
    // Fixtures showing what the check tells apart: 100 Hz over whole cycles,
    // and the same tone cut a quarter cycle late, ending near its crest.
    QTest::newRow("whole cycles") << sine(100.0, 22050, 22050) << 22050 << true;
    QTest::newRow("cut mid-cycle") << sine(100.0, 22050, 22050 + 55) << 22050 << false;
}

void tst_sound_assets::loopSeam()
{
    QFETCH(std::vector<int>, samples);
    QFETCH(int, rate);
    QFETCH(bool, seamless);
    QVERIFY(samples.size() > std::size_t(rate / 10));
    QCOMPARE(seam_is_smooth(samples, rate), seamless);
}

void tst_sound_assets::zaraLoudnessMatches()
{
    double lo = 1e9, hi = -1e9;
    for (int i = 1; i <= 9; ++i) {
        const Wav w = load_wav(QStringLiteral("zara%1.wav").arg(i));
        QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
        const double level = 20.0 * std::log10(rms_of(w.mono, 0, w.mono.size()) / 32768.0);
        lo = std::min(lo, level);
        hi = std::max(hi, level);
    }
    QVERIFY2(hi - lo <= 6.0, qPrintable(QStringLiteral("RMS spread %1 dB").arg(hi - lo)));
}

// Nine distinct sounds: no two files may be the same sound, not even at
// another gain (which byte comparison alone would miss).
void tst_sound_assets::zaraSoundsDiffer()
{
    std::vector<Wav> all;
    for (int i = 1; i <= 9; ++i) {
        all.push_back(load_wav(QStringLiteral("zara%1.wav").arg(i)));
        QVERIFY2(all.back().error.isEmpty(), qPrintable(all.back().error));
    }
    for (std::size_t a = 0; a < all.size(); ++a) {
        for (std::size_t b = a + 1; b < all.size(); ++b) {
            const std::vector<int> &x = all[a].mono, &y = all[b].mono;
            const std::size_t n = std::min(x.size(), y.size());
            double xy = 0.0, xx = 0.0, yy = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                xy += double(x[i]) * y[i];
                xx += double(x[i]) * x[i];
                yy += double(y[i]) * y[i];
            }
            const double correlation = xy / std::sqrt(xx * yy);
            QVERIFY2(std::fabs(correlation) < 0.5,
                     qPrintable(QStringLiteral("zara%1 and zara%2 correlate %3").arg(a + 1).arg(b + 1).arg(correlation)));
        }
    }
}

void tst_sound_assets::midiTheme()
{
    QFile f(QDir(sounds_dir()).filePath(QStringLiteral("zentara.mid")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Midi m = parse_midi(f.readAll());
    QVERIFY2(m.error.isEmpty(), qPrintable(m.error));
    QVERIFY(m.note_ons > 0);
    QCOMPARE(m.hanging, 0);
    // A few parts, one of them a pad (General MIDI programs 89 to 96).
    QVERIFY(m.channels.size() >= 3);
    QVERIFY(m.pad_program >= 89 && m.pad_program <= 96);
    QVERIFY2(m.seconds >= 30.0 && m.seconds <= 60.0, qPrintable(QString::number(m.seconds)));
}

void tst_sound_assets::totalSize()
{
    qint64 total = 0;
    for (const QFileInfo &fi : QDir(sounds_dir()).entryInfoList(QDir::Files))
        total += fi.size();
    QVERIFY2(total < 2800000, qPrintable(QString::number(total)));
}

QTEST_GUILESS_MAIN(tst_sound_assets)
#include "tst_sound_assets.moc"

// Renders every shipped sound and sets its level: the nine saver sounds to one
// calm loudness, the title loop a little louder, all with peaks below -1 dBFS.
#include "assetgen.h"
#include "sounds_io.h"
#include "sounds_recipes.h"

#include <QDir>
#include <algorithm>
#include <cstdio>

namespace assetgen {

namespace {

using namespace snd;

constexpr int kFileRate = int(kRate) / 2;
// Peaks stay a little under -1 dBFS so that rounding cannot push them over.
const double kPeakCeiling = db(-1.2);

// The gain that brings `buf` to `rms_db`, unless that would lift its peak
// over the ceiling.
double level_gain(const Buffer &buf, double rms_db)
{
    return std::min(db(rms_db) / rms_of(buf), kPeakCeiling / peak_of(buf));
}

// The saver's sounds are matched by how loud they sound (`loudness`, measured
// on the raw render), but their plain RMS stays inside a narrow window so that
// a deep rumble does not carry far more energy than a bright beep.
double effect_gain(const Buffer &buf, double loudness)
{
    const double rms = rms_of(buf);
    const double gain = std::clamp(db(-21.0) / loudness, db(-23.5) / rms, db(-19.0) / rms);
    return std::min(gain, kPeakCeiling / peak_of(buf));
}

void report(const char *name, const Buffer &buf, double gain)
{
    std::printf("  %-10s %5.2f s  rms %6.1f dBFS  peak %6.1f dBFS\n", name, double(buf.size()) / kFileRate,
                20.0 * std::log10(rms_of(buf) * gain), 20.0 * std::log10(peak_of(buf) * gain));
}

} // namespace

void generate_sounds(const QString &assets_dir, const QString &)
{
    const QDir dir(QDir(assets_dir).filePath(QStringLiteral("sounds")));

    struct Effect
    {
        Buffer (*render)();
        // Fades on the finished file; the recipes shape their own swells, this
        // only guarantees the file begins and ends at silence.
        double fade_in, fade_out;
    };
    const Effect effects[9] = {
        {deep_space_drone, 0.1, 0.4},  {radio_chatter, 0.05, 0.3},  {launch_rumble, 0.1, 0.5},
        {sonar_ping, 0.05, 0.6},       {pad_chord, 0.1, 0.5},       {telemetry_burst, 0.05, 0.3},
        {solar_wind, 0.3, 0.6},        {pulsar, 0.05, 0.4},         {crystal_arpeggio, 0.05, 0.6},
    };
    for (int i = 0; i < 9; ++i) {
        const Buffer raw = effects[i].render();
        Buffer buf = decimate2(raw, false);
        fade_edges(buf, kFileRate, effects[i].fade_in, effects[i].fade_out);
        const double gain = effect_gain(buf, loudness_of(raw));
        const QString name = QStringLiteral("zara%1.wav").arg(i + 1);
        report(qPrintable(name), buf, gain);
        write_wav(dir.filePath(name), buf, gain, kFileRate);
    }

    // The loop is decimated circularly and gets no fades: its end must run
    // straight into its start.
    const Buffer title = decimate2(title_loop(), true);
    const double gain = level_gain(title, -19.0);
    report("title.wav", title, gain);
    write_wav(dir.filePath(QStringLiteral("title.wav")), title, gain, kFileRate);

    write_theme_midi(dir.filePath(QStringLiteral("zentara.mid")));
}

} // namespace assetgen

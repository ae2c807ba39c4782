// The two pieces of music: the menu's title loop (rendered here) and the
// General MIDI theme (written as notes for the player's synthesizer). Both
// share one melody, first heard in A minor in the loop and then slower, in
// D minor, in the theme.
#include "sounds_io.h"
#include "sounds_recipes.h"

#include <algorithm>
#include <array>

namespace assetgen::snd {

namespace {

struct Note
{
    double beat, beats;
    const char *name;
};

// An electric-piano-like bell: FM at ratio 1 whose index decays, a faint tine
// at ratio 4, and vibrato that starts once the note has settled.
double lead_voice(Osc &car, Osc &mod, Osc &tine, Osc &lfo, double hz, double t)
{
    const double vib = 1.0 + 0.003 * std::min(1.0, std::max(0.0, t - 0.25) / 0.3) * lfo.sine(5.2);
    const double f = hz * vib;
    const double index = 0.6 + 1.6 * std::exp(-t / 0.12);
    const double s = std::sin(kTwoPi * car.phase() + index * mod.sine(f));
    car.sine(f);
    return s + 0.12 * tine.sine(4.0 * f) * std::exp(-t / 0.08);
}

} // namespace

// 80 bpm, four bars of Am9 - Fmaj9 - C(add9) - G6/9: a pad, a bass, a plucked
// arpeggio, a bell melody with dotted-eighth echoes, and a soft kick and shaker.
Buffer title_loop()
{
    const double beat = 60.0 / 80.0;
    const double bar = 4.0 * beat;
    const int bars = 4;
    const double loop = bars * bar;
    // One extra bar catches what still rings when the loop ends (releases,
    // echoes, reverb); it is folded back onto the head below.
    const std::size_t loop_n = samples_for(loop);
    const std::size_t total_n = samples_for(loop + bar);

    struct Chord
    {
        std::array<const char *, 5> pad;
        const char *root, *fifth;
        std::array<const char *, 4> arp;
    };
    const Chord chords[bars] = {
        {{"A3", "C4", "E4", "G4", "B4"}, "A2", "E3", {"A4", "C5", "E5", "B4"}},
        {{"F3", "A3", "C4", "E4", "G4"}, "F2", "C3", {"F4", "A4", "C5", "G4"}},
        {{"G3", "C4", "E4", "G4", "D5"}, "C3", "G3", {"G4", "C5", "E5", "D5"}},
        {{"G3", "B3", "D4", "E4", "A4"}, "G2", "D3", {"G4", "B4", "D5", "A4"}},
    };
    const Note melody[] = {
        {0.0, 1.5, "E5"},  {1.5, 0.5, "D5"},  {2.0, 1.0, "E5"},  {3.0, 1.0, "G5"},
        {4.0, 1.5, "A5"},  {5.5, 0.5, "G5"},  {6.0, 1.0, "E5"},  {7.0, 1.0, "C5"},
        {8.0, 1.5, "D5"},  {9.5, 0.5, "E5"},  {10.0, 1.0, "G5"}, {11.0, 1.0, "E5"},
        {12.0, 2.0, "D5"}, {14.0, 1.0, "B4"}, {15.0, 0.5, "C5"}, {15.5, 0.5, "D5"},
    };

    Buffer pad(total_n), bass(total_n), arp(total_n), lead(total_n), drums(total_n);
    std::uint64_t seed = 101;
    const Adsr pad_env{0.5, 1.0, 0.85, 0.9};
    const Adsr bass_env{0.008, 0.5, 0.55, 0.12};
    const Adsr pluck_env{0.003, 0.35, 0.0, 0.12};
    const Adsr lead_env{0.004, 1.2, 0.35, 0.35};
    const Adsr kick_env{0.002, 0.65, 0.0, 0.05};
    const Adsr shaker_env{0.006, 0.15, 0.0, 0.03};
    for (int b = 0; b < bars; ++b) {
        const Chord &c = chords[b];
        const double t0 = b * bar;
        for (const char *n : c.pad) {
            Rng rng(seed++);
            Osc s1(rng.uniform()), s2(rng.uniform()), tri(rng.uniform());
            const double hz = midi_hz(note(n));
            place(pad, t0, bar + pad_env.release, [&](double t) {
                const double v = s1.saw(hz * 0.996) + s2.saw(hz * 1.004) + 0.5 * tri.triangle(hz * 2.0);
                return pad_env.at(t, bar) * v;
            });
        }
        const Note line[] = {{0.0, 1.4, c.root}, {1.5, 0.45, c.root}, {2.0, 1.4, c.fifth}, {3.5, 0.45, c.root}};
        for (const Note &n : line) {
            Osc sine, tri;
            const double hz = midi_hz(note(n.name));
            place(bass, t0 + n.beat * beat, n.beats * beat + bass_env.release, [&](double t) {
                return bass_env.at(t, n.beats * beat) * (sine.sine(hz) + 0.35 * tri.triangle(hz));
            });
        }
        static const int order[8] = {0, 1, 2, 1, 3, 1, 2, 1};
        for (int k = 0; k < 8; ++k) {
            Osc saw, tri;
            Svf tone;
            const double hz = midi_hz(note(c.arp[order[k]]));
            const double level = k % 2 ? 0.7 : 1.0;
            place(arp, t0 + k * beat / 2.0, 0.5, [&](double t) {
                const double bright = 600.0 + 2600.0 * std::exp(-t / 0.06);
                return level * pluck_env.at(t, 0.35) * tone.lowpass(0.5 * saw.saw(hz) + tri.triangle(hz), bright);
            });
        }
        // Soft kick on beats one and three, a shaker on the eighths.
        for (int k = 0; k < 2; ++k) {
            Osc osc;
            place(drums, t0 + 2 * k * beat, 0.4, [&](double t) {
                const double f = 48.0 + 60.0 * std::exp(-t / 0.035);
                return 1.1 * kick_env.at(t, 0.35) * osc.sine(f);
            });
        }
        for (int k = 0; k < 8; ++k) {
            Rng rng(seed++);
            Svf hp;
            const double level = k % 2 ? 0.16 : 0.08;
            place(drums, t0 + k * beat / 2.0, 0.12, [&](double t) {
                return level * shaker_env.at(t, 0.09) * hp.highpass(rng.bipolar(), 6000.0);
            });
        }
    }
    for (const Note &n : melody) {
        Osc car, mod, tine, lfo;
        const double hz = midi_hz(note(n.name));
        const double gate = n.beats * beat * 0.92;
        place(lead, n.beat * beat, gate + lead_env.release,
              [&](double t) { return lead_env.at(t, gate) * lead_voice(car, mod, tine, lfo, hz, t); });
    }

    // The pad's filter breathes twice per loop, so it repeats with the loop.
    Svf pad_lp, bass_lp;
    Echo echo(0.75 * beat, 0.28, 3000.0);
    Reverb reverb(1.2, 2.2, 0.45);
    Buffer mix(total_n);
    for (std::size_t i = 0; i < total_n; ++i) {
        const double t = double(i) / kRate;
        const double p = 0.07 * pad_lp.lowpass(pad[i], 1100.0 + 450.0 * std::sin(kTwoPi * t / (loop / 2.0)), 1.1);
        const double l = 0.5 * lead[i];
        const double lead_bus = l + 0.3 * echo.tick(l);
        const double a = 0.4 * arp[i];
        const double bs = 0.26 * bass_lp.lowpass(bass[i], 700.0);
        const double dry = p + lead_bus + a + bs + 0.25 * drums[i];
        mix[i] = dry + 0.4 * reverb.tick(p + lead_bus + a + 0.1 * drums[i]);
    }

    // Fold the extra bar onto the head: the loop then sounds exactly as it
    // does when it follows itself. The tail's last moments fade out so the
    // fold ends without a step where the residual reverb is cut.
    Buffer out(mix.begin(), mix.begin() + long(loop_n));
    const std::size_t tail_n = total_n - loop_n;
    const std::size_t fade_n = samples_for(0.4);
    for (std::size_t i = 0; i < tail_n; ++i) {
        double w = 1.0;
        if (i + fade_n > tail_n)
            w = 0.5 + 0.5 * std::cos(kPi * double(i + fade_n - tail_n) / double(fade_n));
        out[i] += w * mix[loop_n + i];
    }
    return out;
}

// "Zentara", a slow theme for General MIDI: warm pad, celesta melody, harp
// arpeggios and fretless bass, 4/4 in D minor at 66 bpm, easing to 54 bpm
// into the final chord.
void write_theme_midi(const QString &path)
{
    constexpr int tpq = 480;
    constexpr std::uint32_t bar = 4 * tpq;
    const auto at = [](int bar_no, double beat) { return std::uint32_t((bar_no - 1) * bar + beat * tpq); };
    const auto len = [](double beats) { return std::uint32_t(beats * tpq); };

    enum Channel { kPad = 0, kCelesta = 1, kBass = 2, kHarp = 3 };

    MidiTrack conductor;
    conductor.name("Zentara");
    conductor.time_signature(4, 2);
    conductor.key_signature(-1, true);
    conductor.tempo(0, 66.0);
    conductor.tempo(at(11, 0), 60.0);
    conductor.tempo(at(12, 0), 54.0);

    const auto part = [](const char *name, int channel, int program, int volume, int pan, int reverb, int chorus) {
        MidiTrack t;
        t.name(name);
        t.program(0, channel, program);
        t.control(0, channel, 7, volume);
        t.control(0, channel, 10, pan);
        t.control(0, channel, 91, reverb);
        t.control(0, channel, 93, chorus);
        return t;
    };
    // Program numbers are 0-based: 89 "Pad 2 (warm)", 8 "Celesta",
    // 35 "Fretless Bass", 46 "Orchestral Harp".
    MidiTrack pad = part("Pad", kPad, 89, 88, 64, 110, 60);
    MidiTrack celesta = part("Celesta", kCelesta, 8, 112, 72, 90, 20);
    MidiTrack bass = part("Bass", kBass, 35, 96, 58, 50, 0);
    MidiTrack harp = part("Harp", kHarp, 46, 72, 44, 96, 10);

    struct Chord
    {
        int bar_no;
        double beat, beats;
        const char *bass;
        std::array<const char *, 4> pad;
    };
    const Chord chords[] = {
        {1, 0, 4, "D2", {"D3", "A3", "E4", "F4"}},   {2, 0, 4, "Bb1", {"F3", "A3", "Bb3", "D4"}},
        {3, 0, 4, "D2", {"D3", "A3", "E4", "F4"}},   {4, 0, 4, "Bb1", {"F3", "A3", "Bb3", "D4"}},
        {5, 0, 4, "F2", {"F3", "A3", "C4", "E4"}},   {6, 0, 4, "C2", {"G3", "C4", "D4", "E4"}},
        {7, 0, 4, "G1", {"G3", "Bb3", "D4", "A4"}},  {8, 0, 4, "Bb1", {"F3", "A3", "Bb3", "D4"}},
        {9, 0, 2, "A1", {"A3", "D4", "E4", "G4"}},   {9, 2, 2, "A1", {"A3", "C#4", "E4", "G4"}},
        {10, 0, 4, "D2", {"D3", "A3", "E4", "F4"}},  {11, 0, 2, "Bb1", {"F3", "Bb3", "D4", "F4"}},
        {11, 2, 2, "C2", {"G3", "C4", "E4", "G4"}},  {12, 0, 6, "D2", {"D3", "A3", "E4", "F4"}},
    };
    for (const Chord &c : chords) {
        const std::uint32_t start = at(c.bar_no, c.beat);
        bass.note(start, len(c.beats) - 10, kBass, note(c.bass), c.bar_no == 12 ? 70 : 84);
        for (const char *n : c.pad)
            pad.note(start, len(c.beats) - 10, kPad, note(n), c.bar_no == 12 ? 62 : 70);
        // Harp: a rising and falling wave of eighths through the chord, from
        // the first melody bar until the final chord.
        if (c.bar_no >= 3 && c.bar_no <= 11) {
            const int bass_up = note(c.bass) + 12;
            const int wave[8] = {bass_up, note(c.pad[0]) + 12, note(c.pad[1]) + 12, note(c.pad[2]) + 12,
                                 note(c.pad[3]) + 12, note(c.pad[2]) + 12, note(c.pad[1]) + 12, note(c.pad[0]) + 12};
            for (int k = 0; k < int(c.beats * 2); ++k)
                harp.note(start + len(k * 0.5), len(1.0), kHarp, wave[k], k % 2 ? 44 : 54);
        }
    }

    struct Line
    {
        int bar_no;
        Note n;
        int velocity;
    };
    const Line melody[] = {
        // Twinkles over the introduction.
        {1, {0.0, 1.5, "A6"}, 52}, {1, {2.0, 2.0, "E6"}, 46}, {2, {0.0, 1.5, "F6"}, 50}, {2, {2.0, 2.0, "D6"}, 44},
        // The title motif, a fourth higher and slower.
        {3, {0.0, 1.5, "A5"}, 84}, {3, {1.5, 0.5, "G5"}, 70}, {3, {2.0, 1.0, "A5"}, 76}, {3, {3.0, 1.0, "C6"}, 80},
        {4, {0.0, 1.5, "D6"}, 88}, {4, {1.5, 0.5, "C6"}, 72}, {4, {2.0, 1.0, "A5"}, 76}, {4, {3.0, 1.0, "F5"}, 72},
        {5, {0.0, 1.5, "G5"}, 82}, {5, {1.5, 0.5, "A5"}, 70}, {5, {2.0, 1.0, "C6"}, 78}, {5, {3.0, 1.0, "A5"}, 74},
        {6, {0.0, 2.0, "G5"}, 80}, {6, {2.0, 1.0, "E5"}, 70}, {6, {3.0, 0.5, "F5"}, 66}, {6, {3.5, 0.5, "G5"}, 70},
        // The answer, climbing to the top of the tune.
        {7, {0.0, 1.5, "Bb5"}, 84}, {7, {1.5, 0.5, "A5"}, 70}, {7, {2.0, 1.0, "G5"}, 74}, {7, {3.0, 1.0, "D6"}, 82},
        {8, {0.0, 1.5, "C6"}, 84}, {8, {1.5, 0.5, "Bb5"}, 70}, {8, {2.0, 2.0, "A5"}, 76},
        {9, {0.0, 1.0, "G5"}, 74}, {9, {1.0, 1.0, "A5"}, 78}, {9, {2.0, 1.0, "E5"}, 72}, {9, {3.0, 1.0, "C#6"}, 80},
        {10, {0.0, 2.0, "D6"}, 90}, {10, {2.0, 1.0, "E6"}, 84}, {10, {3.0, 1.0, "F6"}, 88},
        {11, {0.0, 1.5, "D6"}, 82}, {11, {1.5, 0.5, "C6"}, 70}, {11, {2.0, 1.0, "Bb5"}, 74}, {11, {3.0, 1.0, "C6"}, 78},
        {12, {0.0, 6.0, "D6"}, 80},
    };
    for (const Line &m : melody)
        celesta.note(at(m.bar_no, m.n.beat), len(m.n.beats) - 20, kCelesta, note(m.n.name), m.velocity);

    // Two beats of silence after the last release let the synthesizer's tails
    // ring out before the end-of-track.
    const std::uint32_t end = at(12, 8.0);
    write_midi(path, tpq, {conductor, pad, celesta, bass, harp}, end);
}

} // namespace assetgen::snd

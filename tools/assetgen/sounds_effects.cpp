// The nine ambient sounds that play over the running saver. Each has its own
// character, but all share a soft top end and slow edges so that none of them
// startles someone who left the machine alone.
#include "sounds_recipes.h"

#include <algorithm>
#include <array>

namespace assetgen::snd {

namespace {

double cents(double c) { return std::pow(2.0, c / 1200.0); }

// A voice of several detuned band-limited saws, each with its own slow vibrato.
class SawStack
{
public:
    SawStack(std::uint64_t seed, std::initializer_list<double> detune_cents, double vibrato_cents)
        : vibrato_(vibrato_cents)
    {
        Rng rng(seed);
        for (double c : detune_cents)
            voices_.push_back({Osc(rng.uniform()), Osc(rng.uniform()), cents(c), rng.range(0.15, 0.45)});
    }
    double next(double hz)
    {
        double sum = 0.0;
        for (Voice &v : voices_) {
            const double wobble = cents(vibrato_ * v.lfo.sine(v.lfo_hz));
            sum += v.osc.saw(hz * v.ratio * wobble);
        }
        return sum / double(voices_.size());
    }

private:
    struct Voice
    {
        Osc osc, lfo;
        double ratio, lfo_hz;
    };
    std::vector<Voice> voices_;
    double vibrato_;
};

} // namespace

// zara1: a dark, slowly breathing drone on A: roots and fifths over three
// octaves as detuned saws under a low-pass that opens towards the middle and
// closes again, a sub-octave sine beneath and a little filtered air.
Buffer deep_space_drone()
{
    const double len = 6.0;
    Buffer out(samples_for(len));
    const Adsr env{1.3, 0.0, 1.0, 1.8};
    const double gate = len - env.release;

    struct Part
    {
        const char *name;
        double level;
    };
    const Part parts[] = {{"A1", 0.8}, {"E2", 0.7}, {"A2", 0.6}, {"E3", 0.4}, {"A3", 0.25}};
    Buffer saws(out.size());
    std::uint64_t seed = 11;
    for (const Part &p : parts) {
        SawStack stack(seed++, {-7.0, 0.0, 6.0}, 3.0);
        const double hz = midi_hz(note(p.name));
        place(saws, 0.0, len, [&](double t) { return p.level * env.at(t, gate) * stack.next(hz); });
    }

    const double root = midi_hz(note("A1")), fifth = midi_hz(note("E5"));
    Svf filter, filter2;
    Osc sub, shimmer, shimmer_lfo;
    PinkNoise air(12);
    Svf air_band;
    Wander air_drift(13, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double e = env.at(t, gate);
        // The filter opens towards the middle of the sound and closes again.
        const double sweep = 0.5 - 0.5 * std::cos(kTwoPi * t / len);
        const double cutoff = 220.0 + 1300.0 * sweep * std::sqrt(sweep);
        double s = filter2.lowpass(filter.lowpass(saws[i], cutoff, 1.6), cutoff * 1.6);
        s += 0.3 * e * sub.sine(root);
        // A faint high fifth that swells with the filter, like a distant choir.
        s += 0.05 * e * sweep * shimmer.sine(fifth) * (0.7 + 0.3 * shimmer_lfo.sine(0.23));
        s += 0.10 * e * (0.6 + 0.4 * air_drift.next()) * air_band.bandpass(air.next(), 500.0, 0.8);
        out[i] = s;
    }
    add_reverb(out, Reverb(1.4, 4.0, 0.5), 0.6);
    return out;
}

namespace {

// Unintelligible speech: a buzzing glottal source through three formant
// band-passes that glide from vowel to vowel, with fricative hiss between.
Buffer radio_voice(double seconds, double pitch, std::uint64_t seed)
{
    struct Vowel
    {
        double f1, f2, f3;
    };
    static const Vowel vowels[] = {
        {730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240}, {530, 1840, 2480}, {570, 840, 2410}, {440, 1020, 2240},
    };
    struct Syllable
    {
        double start, length;
        Vowel vowel, glide;   // speech moves: most syllables slide to a second vowel
        double pitch;         // relative accent
        bool fricative;
    };

    Rng rng(seed);
    std::vector<Syllable> syllables;
    for (double t = 0.02; t < seconds - 0.2;) {
        const int in_word = 1 + rng.below(3);
        for (int k = 0; k < in_word && t < seconds - 0.2; ++k) {
            const double len = rng.range(0.10, 0.22);
            const Vowel &v = vowels[rng.below(6)];
            const Vowel &glide = rng.uniform() < 0.6 ? vowels[rng.below(6)] : v;
            syllables.push_back({t, len, v, glide, rng.range(0.94, 1.08), rng.uniform() < 0.35});
            t += len + rng.range(0.0, 0.03);
        }
        t += rng.range(0.05, 0.14);   // a pause between words
    }

    Buffer out(samples_for(seconds));
    Osc glottis;
    OnePole tilt;
    Wander jitter(seed + 2, 35.0);
    Rng breath(seed + 1);
    OnePole f1s, f2s, f3s, pitch_s;
    Svf b1, b2, b3, hiss;
    const Adsr voiced{0.03, 0.06, 0.75, 0.05};
    std::size_t cur = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        while (cur + 1 < syllables.size() && t >= syllables[cur + 1].start)
            ++cur;
        const Syllable &s = syllables[cur];
        const double u = t - s.start;
        // Pitch falls slowly over the sentence and lifts on accented syllables.
        const double f0 = pitch * pitch_s.lowpass(s.pitch, 12.0) * (1.08 - 0.12 * t / seconds) * (1.0 + 0.012 * jitter.next());
        const double fric_len = s.fricative ? 0.05 : 0.0;
        const double amp = voiced.at(u - fric_len, s.length - fric_len - voiced.release);
        const double noise = breath.bipolar();
        // A real glottis rolls off faster than a saw: tilt it down above 1.5 kHz.
        const double src = 1.5 * tilt.lowpass(glottis.saw(f0), 1500.0) + 0.15 * noise;
        const Vowel &target = u < 0.5 * s.length ? s.vowel : s.glide;
        const double v = b1.bandpass(src, f1s.lowpass(target.f1, 14.0), 6.0) +
                         1.1 * b2.bandpass(src, f2s.lowpass(target.f2, 14.0), 9.0) +
                         0.7 * b3.bandpass(src, f3s.lowpass(target.f3, 14.0), 12.0);
        double fric = 0.0;
        if (s.fricative && u < fric_len + 0.01)
            fric = 0.5 * std::sin(kPi * std::min(1.0, u / (fric_len + 0.01))) * hiss.bandpass(noise, 2600.0, 1.5);
        out[i] = amp * v + fric;
    }
    return out;
}

// Mission-control "Quindar" keying tone: a pure sine a quarter second long.
void quindar(Buffer &buf, double start, double hz, double level)
{
    Osc osc;
    const Adsr env{0.01, 0.0, 1.0, 0.015};
    place(buf, start, 0.25, [&](double t) { return level * env.at(t, 0.235) * osc.sine(hz); });
}

// The rush of an open receiver that the squelch cuts off.
void squelch(Buffer &buf, double start, double length, double level, std::uint64_t seed)
{
    Rng rng(seed);
    Svf band;
    const Adsr env{0.004, 1.5 * length, 0.0, 0.03};
    place(buf, start, length, [&](double t) {
        return level * env.at(t, length - env.release) * band.bandpass(rng.bipolar(), 1700.0, 0.7);
    });
}

} // namespace

// zara2: two radio transmissions, band-limited and lightly overdriven, with
// keying tones, carrier hiss and squelch tails.
Buffer radio_chatter()
{
    const double len = 5.8;
    Buffer out(samples_for(len));

    struct Transmission
    {
        double start, talk, pitch;
        std::uint64_t seed;
    };
    const Transmission tx[] = {{0.55, 1.75, 118.0, 21}, {3.0, 1.55, 142.0, 22}};
    Rng static_rng(23);
    const Adsr carrier{0.01, 0.0, 1.0, 0.01};
    for (const Transmission &x : tx) {
        const Buffer voice = radio_voice(x.talk, x.pitch, x.seed);
        const std::size_t s0 = samples_for(x.start);
        for (std::size_t i = 0; i < voice.size(); ++i)
            out[s0 + i] += voice[i];
        // The carrier's hiss runs from key-down to key-up, when the squelch
        // lets one last rush through before it closes.
        const double keyed = x.talk + 0.45;
        place(out, x.start - 0.25, keyed, [&](double t) {
            return 0.05 * carrier.at(t, keyed - carrier.release) * static_rng.bipolar();
        });
        squelch(out, x.start + x.talk + 0.2, 0.24, 0.35, x.seed + 10);
    }

    // Radio path: a narrow band with a presence peak (the tinny, forward
    // sound of a small speaker), soft overdrive, then the band limit again for
    // the overtones the overdrive made.
    Svf hp1, hp2, lp1, lp2, lp3, lp4, presence;
    for (double &s : out) {
        double band = lp2.lowpass(lp1.lowpass(hp2.highpass(hp1.highpass(s, 420.0), 420.0), 2900.0), 2900.0);
        band += 1.2 * presence.bandpass(band, 1800.0, 1.2);
        s = lp4.lowpass(lp3.lowpass(std::tanh(3.0 * band) / 3.0 * 1.6, 3300.0), 3300.0);
    }

    // Ground keys up with 2525 Hz and releases with 2475 Hz; the crew's mic has none.
    quindar(out, tx[0].start - 0.3, 2525.0, 0.08);
    quindar(out, tx[0].start + tx[0].talk + 0.02, 2475.0, 0.08);
    // A short acknowledgement from the onboard computer.
    Osc ack;
    const Adsr blip{0.005, 0.02, 0.8, 0.03};
    place(out, 5.05, 0.09, [&](double t) { return 0.09 * blip.at(t, 0.05) * ack.sine(1320.0); });
    place(out, 5.17, 0.09, [&](double t) { return 0.09 * blip.at(t, 0.05) * ack.sine(1760.0); });
    add_reverb(out, Reverb(0.5, 0.6, 0.5), 0.15);
    return out;
}

// zara3: a launch heard from a distance: brown-noise rumble and a mid-band roar
// whose cut-off and level climb, crackle from the exhaust, then the sound
// recedes into a long echo.
Buffer launch_rumble()
{
    const double len = 6.5;
    Buffer out(samples_for(len));
    BrownNoise brown(31);
    PinkNoise pink(32);
    Rng crackle_rng(33);
    Wander turbulence(34, 22.0), swell(35, 1.3);
    Svf rumble_lp, rumble_lp2, roar_band, crackle_band, crackle_lp, dc;
    Osc sub;
    double crackle_env = 0.0;
    double crackle_amp = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        // Ignition, a climb to full thrust, then the vehicle pulls away.
        const double rise = smoothstep(0.1, 3.2, t);
        const double away = 1.0 - smoothstep(3.6, 6.4, t);
        const double level = (0.08 + 0.92 * rise * std::sqrt(rise)) * away;
        const double cutoff = 90.0 + 700.0 * rise * (0.35 + 0.65 * away);

        // The roar flutters quickly, like the exhaust's turbulence.
        const double turb = 0.6 + 0.4 * turbulence.next();
        double s = 1.1 * rumble_lp2.lowpass(rumble_lp.lowpass(brown.next(), cutoff, 0.9), cutoff);
        s += 2.6 * turb * roar_band.bandpass(pink.next(), 220.0 + 480.0 * rise * away, 0.7);
        s += 0.15 * sub.sine(38.0 + 6.0 * rise) * rise * away;

        // Crackle: sparse clicks whose rate follows the thrust.
        const double rate = 45.0 * rise * rise * away;
        if (crackle_rng.uniform() < rate / kRate) {
            crackle_env = 1.0;
            crackle_amp = std::pow(crackle_rng.uniform(), 2.0);
        }
        crackle_env *= 0.9985;
        const double click = crackle_env * crackle_amp * crackle_rng.bipolar();
        s += 1.5 * crackle_lp.lowpass(crackle_band.bandpass(click, 1100.0, 0.9), 400.0 + 2400.0 * away);

        out[i] = dc.highpass(s * level * (0.85 + 0.15 * swell.next()), 28.0);
    }
    add_reverb(out, Reverb(1.6, 3.0, 0.55, 0.04), 0.45);
    return out;
}

namespace {

// One sonar pulse: a sine that slides down a little as it rings out, with a
// faint second partial for the metallic edge.
void ping(Buffer &buf, double start, double hz, double level, double brightness)
{
    Osc osc, partial;
    Svf dull;
    const Adsr env{0.004, 0.6, 0.0, 0.3};
    place(buf, start, 0.9, [&](double t) {
        const double f = hz * (1.0 - 0.012 * (1.0 - std::exp(-t / 0.25)));
        const double s = osc.sine(f) + 0.12 * partial.sine(f * 2.005) * std::exp(-t / 0.15);
        return level * env.at(t, 0.6) * dull.lowpass(s, brightness);
    });
}

} // namespace

// zara4: two sonar pings, each followed by duller, slightly lower echoes,
// over a faint hull hum.
Buffer sonar_ping()
{
    const double len = 5.2;
    Buffer out(samples_for(len));
    for (double start : {0.12, 2.55}) {
        ping(out, start, 1180.0, 1.0, 6000.0);
        ping(out, start + 0.8, 1180.0 * 0.992, 0.35, 1900.0);
        ping(out, start + 1.6, 1180.0 * 0.985, 0.15, 1300.0);
    }
    add_reverb(out, Reverb(1.6, 2.4, 0.6, 0.02), 0.5);

    Osc hum1, hum2;
    BrownNoise water(41);
    Svf water_lp;
    Wander drift(42, 0.5);
    const Adsr bed{1.0, 0.0, 1.0, 1.0};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double e = bed.at(t, len - bed.release);
        out[i] += e * (0.05 * hum1.sine(55.0) + 0.03 * hum2.sine(110.3) +
                       0.12 * (0.8 + 0.2 * drift.next()) * water_lp.lowpass(water.next(), 300.0));
    }
    return out;
}

// zara5: a warm pad: Dmaj9 swelling into Bm9, detuned saws under a slowly
// opening low-pass, in a long hall.
Buffer pad_chord()
{
    const double len = 6.0;
    Buffer out(samples_for(len));
    struct Chord
    {
        double start, gate;
        std::array<const char *, 5> notes;
    };
    const Chord chords[] = {
        {0.0, 2.9, {"D3", "F#3", "A3", "C#4", "E4"}},
        {2.7, 1.6, {"B2", "D3", "F#3", "A3", "C#4"}},
    };
    const Adsr env{1.3, 1.0, 0.85, 1.6};
    std::uint64_t seed = 51;
    for (const Chord &c : chords) {
        for (const char *n : c.notes) {
            SawStack stack(seed++, {-9.0, -2.0, 8.0}, 4.0);
            Osc octave;
            const double hz = midi_hz(note(n));
            place(out, c.start, env.length(c.gate), [&](double t) {
                return env.at(t, c.gate) * (stack.next(hz) + 0.25 * octave.triangle(2.0 * hz));
            });
        }
    }
    Svf lp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double open = smoothstep(0.0, 2.4, t) * (1.0 - 0.5 * smoothstep(3.2, 5.8, t));
        out[i] = 0.25 * lp.lowpass(out[i], 350.0 + 1900.0 * open, 1.3);
    }
    add_reverb(out, Reverb(1.3, 3.5, 0.5), 0.55);
    return out;
}

namespace {

// A computer beep: a square wave softened by a low-pass, with a quick envelope.
void beep(Buffer &buf, double start, double hz, double length, double level)
{
    Osc osc;
    Svf soft;
    const Adsr env{0.005, 0.03, 0.7, 0.015};
    place(buf, start, length + env.release, [&](double t) {
        return level * env.at(t, length) * soft.lowpass(osc.square(hz), 1.6 * hz, 0.7);
    });
}

} // namespace

// zara6: telemetry from a probe: bursts of computer beeps, an FSK modem
// warble and a closing two-tone, in a small room.
Buffer telemetry_burst()
{
    const double len = 4.0;
    Buffer out(samples_for(len));
    Rng rng(61);
    const char *high[] = {"C6", "D6", "E6", "G6", "A6", "C7"};
    const char *low[] = {"C5", "E5", "G5", "A5"};

    for (int k = 0; k < 10; ++k)
        beep(out, 0.15 + k * 0.07, midi_hz(note(high[rng.below(6)])), 0.045, 0.5);

    // Phase-continuous FSK at 300 baud, 1200 / 2200 Hz, like an old data link.
    {
        Osc osc;
        Svf soft;
        const double start = 0.95, dur = 0.5, baud = 300.0;
        const Adsr env{0.01, 0.0, 1.0, 0.01};
        std::vector<int> bits;
        for (int b = 0; b < int(dur * baud) + 1; ++b)
            bits.push_back(rng.below(2));
        place(out, start, dur, [&](double t) {
            const double hz = bits[std::size_t(t * baud)] ? 1200.0 : 2200.0;
            return 0.35 * env.at(t, dur - env.release) * soft.lowpass(osc.sine(hz), 3000.0);
        });
    }

    // A status code: long, short, short, long.
    const double rhythm[][2] = {{0.0, 0.16}, {0.2, 0.06}, {0.3, 0.06}, {0.4, 0.16}};
    for (int k = 0; k < 4; ++k)
        beep(out, 1.6 + rhythm[k][0], midi_hz(note(low[k])), rhythm[k][1], 0.55);

    // Fast data chatter.
    for (int k = 0; k < 16; ++k) {
        const double hz = rng.range(1200.0, 2300.0);
        beep(out, 2.35 + k * 0.033, hz, 0.018, 0.3 + 0.15 * rng.uniform());
    }

    beep(out, 3.05, midi_hz(note("E6")), 0.1, 0.5);
    beep(out, 3.2, midi_hz(note("A6")), 0.16, 0.5);

    // Equipment hum underneath, so the gaps are not dead silence.
    Osc hum;
    PinkNoise fans(62);
    Svf fans_lp;
    const Adsr bed{0.3, 0.0, 1.0, 0.5};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        out[i] += bed.at(t, len - bed.release) * (0.03 * hum.triangle(120.0) + 0.06 * fans_lp.lowpass(fans.next(), 900.0));
    }
    add_reverb(out, Reverb(0.7, 0.9, 0.4, 0.01), 0.3);
    return out;
}

// zara7: solar wind: pink noise through wandering resonant band-passes, in
// gusts, with one big sweep passing by and a faint singing whistle.
Buffer solar_wind()
{
    const double len = 5.5;
    Buffer out(samples_for(len));
    PinkNoise pink1(71), pink2(72);
    BrownNoise body(73);
    Wander drift1(74, 0.6), drift2(75, 0.45), gust(76, 1.1);
    Svf band1, band2, whistle, body_lp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        // The big sweep: up and away around the middle of the sound.
        const double pass = std::exp(-std::pow((t - 2.8) / 1.0, 2.0));
        const double c1 = 500.0 * std::pow(2.0, 0.8 * drift1.next() + 1.8 * pass);
        const double c2 = 1300.0 * std::pow(2.0, 0.7 * drift2.next() + 1.2 * pass);
        const double g = 0.55 + 0.45 * gust.next();
        const double n1 = pink1.next();
        double s = g * band1.bandpass(n1, c1, 2.2);
        s += 0.5 * g * band2.bandpass(pink2.next(), c2, 3.0);
        s += 0.12 * pass * whistle.bandpass(n1, c1 * 2.0, 25.0) * 4.0;
        s += 0.35 * g * body_lp.lowpass(body.next(), 220.0);
        out[i] = s * (0.3 + 0.7 * pass);
    }
    add_reverb(out, Reverb(1.5, 2.5, 0.5), 0.45);
    return out;
}

// zara8: a pulsar: a steady beat of dispersed pulses (a downward chirp, since
// the high frequencies arrive first), each with a soft thump, a weaker
// interpulse between, and receiver static underneath.
Buffer pulsar()
{
    const double len = 4.6;
    const double period = 0.52;
    Buffer out(samples_for(len));
    Rng rng(81);
    // Percussive: no sustain, the decay sets the ring.
    const Adsr chirp_env{0.004, 0.25, 0.0, 0.05};
    const Adsr grit_env{0.004, 0.1, 0.0, 0.05};
    const Adsr thump_env{0.003, 0.45, 0.0, 0.05};
    for (double tp = 0.1; tp < len - 0.4; tp += period) {
        const double strength = rng.range(0.7, 1.0);   // scintillation
        for (int inter = 0; inter < 2; ++inter) {
            const double at = tp + inter * period * 0.42;
            const double level = strength * (inter ? 0.3 : 1.0);
            Osc chirp, thump;
            Svf grit, grit_lp;
            Rng noise(rng.next());
            place(out, at, 0.35, [&](double t) {
                const double sweep = 220.0 + 1600.0 * std::exp(-t / 0.025);
                double s = 0.55 * chirp_env.at(t, 0.3) * chirp.sine(sweep);
                s += 0.3 * grit_env.at(t, 0.3) * grit_lp.lowpass(grit.bandpass(noise.bipolar(), 900.0, 0.8), 3000.0);
                if (!inter)
                    s += 0.55 * thump_env.at(t, 0.3) * thump.sine(48.0 + 50.0 * std::exp(-t / 0.03));
                return level * s;
            });
        }
    }
    add_reverb(out, Reverb(1.2, 2.2, 0.5), 0.35);

    PinkNoise stat(82);
    Svf stat_lp;
    const Adsr bed{0.4, 0.0, 1.0, 0.6};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        out[i] += 0.05 * bed.at(t, len - bed.release) * stat_lp.lowpass(stat.next(), 2500.0);
    }
    return out;
}

namespace {

// A glassy bell: soft FM body (ratio 1) plus an inharmonic partial that fades
// fast, and a slightly detuned twin for shimmer.
void glass_note(Buffer &buf, double start, double hz, double level)
{
    Osc car, mod, car2, glint;
    const Adsr env{0.003, 2.4, 0.0, 0.3};
    place(buf, start, 2.7, [&](double t) {
        const double index = 0.3 + 1.2 * std::exp(-t / 0.15);
        const double m = index * mod.sine(hz);
        const double body = std::sin(kTwoPi * car.phase() + m) + 0.6 * std::sin(kTwoPi * car2.phase() + m);
        car.sine(hz);
        car2.sine(hz * cents(5.0));
        const double s = body / 1.6 + 0.25 * glint.sine(hz * 2.756) * std::exp(-t / 0.12);
        return level * env.at(t, 2.4) * s;
    });
}

} // namespace

// zara9: a shimmering arpeggio on Amaj9(#11) rising in sixteenths, turning and
// rising again to a held top note, with dotted-eighth echoes and a bright hall.
Buffer crystal_arpeggio()
{
    const double len = 5.2;
    Buffer out(samples_for(len));
    const char *run[] = {"A4", "C#5", "E5", "G#5", "B5", "D#6", "E6", "G#6",
                         "E6", "D#6", "B5", "G#5", "E5", "G#5", "B5", "D#6", "E6", "G#6", "B6", "C#7"};
    const double step = 0.125;
    int k = 0;
    for (const char *n : run) {
        const bool last = k == int(std::size(run)) - 1;
        glass_note(out, 0.08 + k * step, midi_hz(note(n)), last ? 0.45 : 0.3 + 0.05 * (k % 4 == 0));
        ++k;
    }

    Echo echo(3 * step, 0.35, 3500.0);
    for (double &s : out)
        s += 0.35 * echo.tick(s);

    // A halo of soft high sines that swells in under the run.
    const char *halo[] = {"A5", "E6", "B6"};
    Osc osc[3], flutter[3];
    const Adsr swell{1.5, 0.0, 1.0, 1.8};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        double h = 0.0;
        for (int v = 0; v < 3; ++v)
            h += osc[v].sine(midi_hz(note(halo[v]))) * (0.75 + 0.25 * flutter[v].sine(4.5 + 1.3 * v));
        out[i] += 0.03 * swell.at(t - 0.8, 2.6) * h;
    }
    add_reverb(out, Reverb(1.3, 3.0, 0.3, 0.015), 0.55);
    return out;
}

} // namespace assetgen::snd

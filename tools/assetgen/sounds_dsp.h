#pragma once
// A small synthesizer toolkit for the shipped sounds: oscillators, noise,
// envelopes, filters, delay and reverb. Everything runs at kRate in double
// precision and draws its randomness from Rng, so a recipe always renders the
// same samples.
#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen::snd {

// Synthesis rate. Files are written at half of it: rendering twice as fast
// keeps oscillator and FM aliasing out of the audible band before decimation.
constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Buffer = std::vector<double>;

inline std::size_t samples_for(double seconds) { return std::size_t(std::lround(seconds * kRate)); }
inline double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }
inline double db(double decibels) { return std::pow(10.0, decibels / 20.0); }
// "C4" = 60, "F#3", "Bb5" ...
int note(const char *name);

// splitmix64: tiny, fast and the same on every platform and standard library.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    std::uint64_t next();
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double bipolar() { return 2.0 * uniform() - 1.0; }
    int below(int n) { return int(uniform() * n); }

private:
    std::uint64_t state_;
};

// Pink noise (Paul Kellet's refined filter), about -3 dB per octave.
class PinkNoise
{
public:
    explicit PinkNoise(std::uint64_t seed) : rng_(seed) {}
    double next();

private:
    Rng rng_;
    double b_[7] = {};
};

// Brown (red) noise: leaky integrated white noise, -6 dB per octave.
class BrownNoise
{
public:
    explicit BrownNoise(std::uint64_t seed) : rng_(seed) {}
    double next();

private:
    Rng rng_;
    double y_ = 0.0;
};

// A slowly wandering control value in [-1, 1]: random targets `rate` times a
// second, joined by cosine interpolation (for gusts, drifts and turbulence).
class Wander
{
public:
    Wander(std::uint64_t seed, double rate);
    double next();

private:
    Rng rng_;
    double step_;
    double pos_ = 0.0;
    double a_, b_;
};

// Phase-accumulating oscillators; frequency may change every sample.
class Osc
{
public:
    explicit Osc(double phase = 0.0) : phase_(phase) {}
    double sine(double hz);
    double saw(double hz);      // band-limited (PolyBLEP)
    double square(double hz);   // band-limited (PolyBLEP)
    double triangle(double hz);
    double phase() const { return phase_; }

private:
    double advance(double hz);
    double phase_;
};

// Attack / decay / sustain / release, evaluated in closed form from the time
// since the note started and the time the key is held. Attack is linear,
// decay and release fall exponentially; the release reaches exactly zero.
struct Adsr
{
    double attack, decay, sustain, release;
    double at(double t, double gate) const;
    double length(double gate) const { return gate + release; }
};

// Topology-preserving state-variable filter: stays stable while its cut-off
// is swept every sample.
class Svf
{
public:
    struct Out
    {
        double low, band, high;
    };
    Out tick(double x, double cutoff, double q);
    double lowpass(double x, double cutoff, double q = 0.7071) { return tick(x, cutoff, q).low; }
    double highpass(double x, double cutoff, double q = 0.7071) { return tick(x, cutoff, q).high; }
    // Band-pass with unity gain at the centre.
    double bandpass(double x, double centre, double q) { return tick(x, centre, q).band / q; }

private:
    double ic1_ = 0.0, ic2_ = 0.0;
};

class OnePole
{
public:
    double lowpass(double x, double cutoff);
    double highpass(double x, double cutoff) { return x - lowpass(x, cutoff); }

private:
    double y_ = 0.0;
};

// Feedback delay with a damped (low-passed) loop, for echoes.
class Echo
{
public:
    Echo(double seconds, double feedback, double damping_hz);
    double tick(double x);   // returns the echoes only

private:
    Buffer line_;
    std::size_t pos_ = 0;
    double feedback_;
    double damping_hz_;
    OnePole damp_;
};

// Schroeder/Moorer reverb: eight damped comb filters in parallel, then four
// all-passes in series. `size` scales the delay lengths, `decay` is the time
// in seconds to fall by 60 dB, `damping` (0..1) how much faster the highs die,
// and `predelay` holds the first reflections back.
class Reverb
{
public:
    Reverb(double size, double decay, double damping, double predelay = 0.0);
    double tick(double x);   // wet signal only

private:
    struct Comb
    {
        Buffer line;
        std::size_t pos = 0;
        double store = 0.0;
    };
    struct Allpass
    {
        Buffer line;
        std::size_t pos = 0;
    };
    Buffer pre_;
    std::size_t pre_pos_ = 0;
    Comb combs_[8];
    Allpass allpasses_[4];
    double feedback_, damping_;
};

// Renders one voice into `buf`: `voice(t)` is called with the seconds since
// the voice started, for `length` seconds from `start`.
template <class Voice>
void place(Buffer &buf, double start, double length, Voice &&voice)
{
    const std::size_t s0 = samples_for(start);
    const std::size_t n = samples_for(length);
    for (std::size_t i = 0; i < n && s0 + i < buf.size(); ++i)
        buf[s0 + i] += voice(double(i) / kRate);
}

// 0 below `lo`, 1 above `hi`, a smooth S-curve between.
inline double smoothstep(double lo, double hi, double x)
{
    const double u = x <= lo ? 0.0 : x >= hi ? 1.0 : (x - lo) / (hi - lo);
    return u * u * (3.0 - 2.0 * u);
}

// Adds `reverb` wet signal to `buf` in place, with the given level.
void add_reverb(Buffer &buf, Reverb reverb, double wet);
// Raised-cosine fades at both ends.
void fade_edges(Buffer &buf, double rate, double fade_in, double fade_out);
// Halves the sample rate with a windowed-sinc low-pass. A circular buffer
// (a loop) wraps around its ends instead of seeing silence beyond them.
Buffer decimate2(const Buffer &in, bool circular);
double peak_of(const Buffer &buf);
double rms_of(const Buffer &buf);
// RMS after a rough loudness weighting (high-pass at 60 Hz, +4 dB above
// 1.5 kHz): how loud a kRate buffer sounds rather than how much energy it
// carries, so a low rumble and a bright beep can be matched by ear.
double loudness_of(const Buffer &buf);

} // namespace assetgen::snd

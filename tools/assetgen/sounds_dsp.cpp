#include "sounds_dsp.h"

#include <algorithm>

namespace assetgen::snd {

int note(const char *name)
{
    static const int semitone[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    int n = semitone[name[0] - 'A'];
    const char *p = name + 1;
    for (; *p == '#' || *p == 'b'; ++p)
        n += *p == '#' ? 1 : -1;
    int octave = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        octave = octave * 10 + (*p - '0');
    return 12 * (octave + 1) + n;
}

std::uint64_t Rng::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double PinkNoise::next()
{
    const double w = rng_.bipolar();
    b_[0] = 0.99886 * b_[0] + w * 0.0555179;
    b_[1] = 0.99332 * b_[1] + w * 0.0750759;
    b_[2] = 0.96900 * b_[2] + w * 0.1538520;
    b_[3] = 0.86650 * b_[3] + w * 0.3104856;
    b_[4] = 0.55000 * b_[4] + w * 0.5329522;
    b_[5] = -0.7616 * b_[5] - w * 0.0168980;
    const double out = b_[0] + b_[1] + b_[2] + b_[3] + b_[4] + b_[5] + b_[6] + w * 0.5362;
    b_[6] = w * 0.115926;
    return out * 0.2;
}

double BrownNoise::next()
{
    // The leak keeps the random walk centred; the step keeps it near unit range.
    y_ = 0.998 * y_ + 0.04 * rng_.bipolar();
    return y_;
}

Wander::Wander(std::uint64_t seed, double rate) : rng_(seed), step_(rate / kRate)
{
    a_ = rng_.bipolar();
    b_ = rng_.bipolar();
}

double Wander::next()
{
    pos_ += step_;
    if (pos_ >= 1.0) {
        pos_ -= 1.0;
        a_ = b_;
        b_ = rng_.bipolar();
    }
    return a_ + (b_ - a_) * 0.5 * (1.0 - std::cos(kPi * pos_));
}

namespace {
// Residual that removes the step of a naive waveform around a discontinuity.
double polyblep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}
} // namespace

double Osc::advance(double hz)
{
    const double dt = std::clamp(hz / kRate, 0.0, 0.5);
    phase_ += dt;
    phase_ -= std::floor(phase_);
    return dt;
}

double Osc::sine(double hz)
{
    const double v = std::sin(kTwoPi * phase_);
    advance(hz);
    return v;
}

double Osc::saw(double hz)
{
    const double dt = std::clamp(hz / kRate, 1e-9, 0.5);
    const double v = 2.0 * phase_ - 1.0 - polyblep(phase_, dt);
    advance(hz);
    return v;
}

double Osc::square(double hz)
{
    const double dt = std::clamp(hz / kRate, 1e-9, 0.5);
    double v = phase_ < 0.5 ? 1.0 : -1.0;
    v += polyblep(phase_, dt);
    v -= polyblep(std::fmod(phase_ + 0.5, 1.0), dt);
    advance(hz);
    return v;
}

double Osc::triangle(double hz)
{
    const double v = 4.0 * std::fabs(phase_ - 0.5) - 1.0;
    advance(hz);
    return v;
}

double Adsr::at(double t, double gate) const
{
    if (t < 0.0)
        return 0.0;
    const auto held = [this](double u) {
        if (u < attack)
            return u / attack;
        if (decay <= 0.0)
            return sustain;
        return sustain + (1.0 - sustain) * std::exp(-5.0 * (u - attack) / decay);
    };
    if (t < gate)
        return held(t);
    const double u = t - gate;
    if (u >= release)
        return 0.0;
    // Exponential fall with a linear taper, so the note ends at exactly zero.
    return held(gate) * std::exp(-4.0 * u / release) * (1.0 - u / release);
}

Svf::Out Svf::tick(double x, double cutoff, double q)
{
    const double fc = std::clamp(cutoff, 10.0, 0.45 * kRate);
    const double g = std::tan(kPi * fc / kRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = x - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, x - k * v1 - v2};
}

double OnePole::lowpass(double x, double cutoff)
{
    const double a = 1.0 - std::exp(-kTwoPi * std::clamp(cutoff, 1.0, 0.45 * kRate) / kRate);
    y_ += a * (x - y_);
    return y_;
}

Echo::Echo(double seconds, double feedback, double damping_hz)
    : line_(std::max<std::size_t>(1, samples_for(seconds)), 0.0), feedback_(feedback), damping_hz_(damping_hz)
{
}

double Echo::tick(double x)
{
    const double y = line_[pos_];
    line_[pos_] = x + feedback_ * damp_.lowpass(y, damping_hz_);
    pos_ = (pos_ + 1) % line_.size();
    return y;
}

Reverb::Reverb(double size, double decay, double damping, double predelay)
    : pre_(std::max<std::size_t>(1, samples_for(predelay)), 0.0), damping_(damping)
{
    // Mutually prime-ish lengths (in samples at 44.1 kHz) avoid stacked resonances.
    static const int comb_len[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allpass_len[4] = {556, 441, 341, 225};
    for (int i = 0; i < 8; ++i)
        combs_[i].line.assign(std::size_t(comb_len[i] * size), 0.0);
    for (int i = 0; i < 4; ++i)
        allpasses_[i].line.assign(std::size_t(allpass_len[i] * size), 0.0);
    // One feedback for the mean comb length gives the wanted 60 dB decay time.
    const double mean_len = 1374.75 * size / kRate;
    feedback_ = std::pow(10.0, -3.0 * mean_len / decay);
}

double Reverb::tick(double x)
{
    double in = x;
    if (pre_.size() > 1) {
        in = pre_[pre_pos_];
        pre_[pre_pos_] = x;
        pre_pos_ = (pre_pos_ + 1) % pre_.size();
    }
    in *= 0.015;
    double out = 0.0;
    for (Comb &c : combs_) {
        const double y = c.line[c.pos];
        c.store = y * (1.0 - damping_) + c.store * damping_;
        c.line[c.pos] = in + c.store * feedback_;
        c.pos = (c.pos + 1) % c.line.size();
        out += y;
    }
    for (Allpass &a : allpasses_) {
        const double y = a.line[a.pos];
        a.line[a.pos] = out + y * 0.5;
        a.pos = (a.pos + 1) % a.line.size();
        out = y - out;
    }
    return out * 3.0;
}

void add_reverb(Buffer &buf, Reverb reverb, double wet)
{
    for (double &s : buf)
        s += wet * reverb.tick(s);
}

void fade_edges(Buffer &buf, double rate, double fade_in, double fade_out)
{
    const std::size_t n_in = std::min(buf.size(), std::size_t(fade_in * rate));
    const std::size_t n_out = std::min(buf.size(), std::size_t(fade_out * rate));
    for (std::size_t i = 0; i < n_in; ++i)
        buf[i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(n_in));
    for (std::size_t i = 0; i < n_out; ++i)
        buf[buf.size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(n_out));
}

Buffer decimate2(const Buffer &in, bool circular)
{
    // Blackman-windowed sinc, cut-off 9.8 kHz: flat through the audible band of
    // a 22.05 kHz file and well down before its Nyquist frequency.
    constexpr int taps = 127;
    constexpr int half = taps / 2;
    const double fc = 9800.0 / kRate;
    double h[taps];
    double sum = 0.0;
    for (int n = 0; n < taps; ++n) {
        const double m = n - half;
        const double sinc = m == 0 ? 2.0 * fc : std::sin(kTwoPi * fc * m) / (kPi * m);
        const double w = 0.42 - 0.5 * std::cos(kTwoPi * n / (taps - 1)) + 0.08 * std::cos(2.0 * kTwoPi * n / (taps - 1));
        h[n] = sinc * w;
        sum += h[n];
    }
    const long len = long(in.size());
    Buffer out(in.size() / 2);
    for (std::size_t o = 0; o < out.size(); ++o) {
        const long centre = long(2 * o);
        double acc = 0.0;
        for (int n = 0; n < taps; ++n) {
            long i = centre + n - half;
            if (circular)
                i = ((i % len) + len) % len;
            else if (i < 0 || i >= len)
                continue;
            acc += h[n] * in[std::size_t(i)];
        }
        out[o] = acc / sum;
    }
    return out;
}

double peak_of(const Buffer &buf)
{
    double p = 0.0;
    for (double s : buf)
        p = std::max(p, std::fabs(s));
    return p;
}

double rms_of(const Buffer &buf)
{
    if (buf.empty())
        return 0.0;
    double e = 0.0;
    for (double s : buf)
        e += s * s;
    return std::sqrt(e / double(buf.size()));
}

double loudness_of(const Buffer &buf)
{
    Svf low_cut, shelf;
    Buffer weighted(buf.size());
    const double boost = db(4.0) - 1.0;
    for (std::size_t i = 0; i < buf.size(); ++i) {
        const double x = low_cut.highpass(buf[i], 60.0);
        weighted[i] = x + boost * shelf.highpass(x, 1500.0);
    }
    return rms_of(weighted);
}

} // namespace assetgen::snd

#include "engine/random.h"

#include "platform/os.h"

namespace engine {

namespace {
std::uint64_t splitmix64(std::uint64_t &x)
{
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
} // namespace

mixing_random::mixing_random(std::uint64_t seed)
{
    for (auto &word : s_)
        word = splitmix64(seed);
}

double mixing_random::next()
{
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return static_cast<double>(result >> 11) * 0x1.0p-53;
}

void mixing_random::mix_clock(std::int32_t ticks)
{
    // Hashing the old word with the clock (not a plain XOR) means that mixing the
    // same tick twice never cancels out.
    std::uint64_t x = s_[0] ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(ticks)) * 0x9e3779b97f4a7c15ULL);
    s_[0] = splitmix64(x);
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0)
        s_[0] = 1;
}

std::int32_t system_clock::get_ticks() { return platform::get_ticks(); }
QTime system_clock::time_of_day() { return QTime::currentTime(); }

} // namespace engine

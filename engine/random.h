#pragma once
// The engine's random numbers and clock, injected so that tests and tools run it
// deterministically.
#include <QTime>
#include <cstdint>

namespace engine {

class random_source
{
public:
    virtual ~random_source() = default;
    // Uniform in [0, 1).
    virtual double next() = 0;
    // Stirs the clock into the state; later draws change, the sequence does not restart.
    virtual void mix_clock(std::int32_t ticks) = 0;
};

// xoshiro256** seeded through splitmix64.
class mixing_random final : public random_source
{
public:
    explicit mixing_random(std::uint64_t seed);
    double next() override;
    void mix_clock(std::int32_t ticks) override;

private:
    std::uint64_t s_[4];
};

class tick_source
{
public:
    virtual ~tick_source() = default;
    // Milliseconds of a monotonic clock (32-bit, may wrap).
    virtual std::int32_t get_ticks() = 0;
    // The wall clock's time of day, for the clock display.
    virtual QTime time_of_day() = 0;
};

class system_clock final : public tick_source
{
public:
    std::int32_t get_ticks() override;
    QTime time_of_day() override;
};

// A clock that moves only when told to: tools and tests.
class manual_clock final : public tick_source
{
public:
    std::int32_t ticks = 0;
    QTime day_time = QTime(12, 0, 0);
    std::int32_t get_ticks() override { return ticks; }
    QTime time_of_day() override { return day_time.addMSecs(ticks); }
    void advance(std::int32_t ms) { ticks = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks) + static_cast<std::uint32_t>(ms)); }
};

} // namespace engine

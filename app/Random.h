#pragma once

#include <cstdint>

class SeedSource;

// The drill's random numbers: a 32-bit linear congruential generator. The drill seeds it
// from its seed source right before every single draw (SeededBelow).
class Random {
public:
    static constexpr std::uint32_t Multiplier = 134775813;

    explicit Random(SeedSource& seeds)
        : seeds_(seeds) {}

    // The state becomes the next seed of the source.
    void Reseed();
    std::uint32_t State() const { return state_; }
    void SetState(std::uint32_t state) { state_ = state; }

    // Advances the state and scales it to a value from 0 to n - 1 (0 when n is 0).
    std::uint32_t Below(std::uint32_t n);
    std::uint32_t SeededBelow(std::uint32_t n);

private:
    SeedSource& seeds_;
    std::uint32_t state_ = 0;
};

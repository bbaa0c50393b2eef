#include "app/Random.h"

#include "platform/SeedClock.h"

void Random::Reseed() {
    state_ = seeds_.NextSeed();
}

std::uint32_t Random::Below(std::uint32_t n) {
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state_ = state_ * Multiplier + 1u;
    return static_cast<std::uint32_t>((std::uint64_t{state_} * n) >> 32);
}

std::uint32_t Random::SeededBelow(std::uint32_t n) {
    Reseed();
    return Below(n);
}

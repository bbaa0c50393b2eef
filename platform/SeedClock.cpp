#include "platform/SeedClock.h"

#include <chrono>

std::uint64_t SeedClock::Nanoseconds() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart).count());
}

std::uint32_t SeedClock::NextSeed() {
    return static_cast<std::uint32_t>(Nanoseconds());
}

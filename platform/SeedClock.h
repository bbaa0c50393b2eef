#pragma once

#include <cstdint>

// Where the random generator takes its seeds from. The program reads a monotonic clock;
// tests hand out a fixed sequence instead.
class SeedSource {
public:
    virtual ~SeedSource() = default;
    virtual std::uint32_t NextSeed() = 0;
};

// A monotonic clock with nanosecond resolution. Its low 32 bits change on every reading, so
// seeds taken one right after another still differ.
class SeedClock final : public SeedSource {
public:
    static std::uint64_t Nanoseconds();
    std::uint32_t NextSeed() override;
};

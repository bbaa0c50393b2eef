#pragma once

#include <cstdint>

// A screen rectangle with exclusive right and bottom edges.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

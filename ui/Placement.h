#pragma once

#include "platform/Rect.h"

#include <QString>
#include <cstdint>
#include <string_view>

// A window's position and outer size in screen pixels, as its settings section stores them
// under the keys "Left", "Top", "Width" and "Height". The section is the window's form name
// ("frm_Teszt", ...). The caller applies the values to its window.
struct TPlacement {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    friend bool operator==(const TPlacement&, const TPlacement&) = default;
};

struct TPosition {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    friend bool operator==(const TPosition&, const TPosition&) = default;
};

// Pulls a placement back onto the work area's right and bottom edges, in this order: a left
// edge beyond the right edge becomes 0, a top edge beyond the bottom edge becomes 0; a window
// reaching past the right edge moves left, or, when it is not narrower than the right edge's
// coordinate, starts at 0 and takes that width; the same for the height. The work area's left
// and top edges are not used, so a negative Left or Top stays.
TPlacement clampToWorkArea(TPlacement placement, const TRect& workArea);

// Reads Left and Top (default 10) and Width and Height (default: the size given), then
// clamps the result to the work area.
TPlacement AblakBetoltes(const QString& settingsFile, std::string_view section, std::int32_t width,
                         std::int32_t height, const TRect& workArea);

// Writes Left, Top, Width and Height, in this order. Throws VembaError when the settings
// file cannot be written.
void AblakMentes(const QString& settingsFile, std::string_view section,
                 const TPlacement& placement);

// Reads Left and Top (default 10), without clamping: a position outside the screen is used
// as stored.
TPosition PozicioBetoltes(const QString& settingsFile, std::string_view section);

// Writes Left and Top. Throws VembaError when the settings file cannot be written.
void PozicioMentes(const QString& settingsFile, std::string_view section,
                   const TPosition& position);

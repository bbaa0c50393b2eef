#pragma once

#include "platform/Rect.h"

#include <QMargins>
#include <QString>
#include <cstdint>
#include <string_view>

// A window's placement in screen pixels, as its settings section stores them under the keys
// "Left", "Top", "Width" and "Height". The section is the window's form name ("frm_Teszt",
// ...). Left and Top are the top-left corner of the window's frame (title bar and border
// included); Width and Height are the size of its client area, since the frame's size is not
// known before a window manager has framed the window. ui/WindowPlacement.h applies them to a
// window and reads them back.
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
// and top edges are not used, so a negative Left or Top stays. The window's frame (the margins
// around its client area) counts in the widths and heights, so the whole frame stays in.
TPlacement clampToWorkArea(TPlacement placement, const TRect& workArea, const QMargins& frame = {});

// Reads Left and Top (default 10) and Width and Height (default: the size given), then
// clamps the result, framed by the given frame, to the work area.
TPlacement AblakBetoltes(const QString& settingsFile, std::string_view section, std::int32_t width,
                         std::int32_t height, const TRect& workArea, const QMargins& frame = {});

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

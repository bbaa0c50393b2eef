#pragma once

#include "ui/Placement.h"

#include <QMargins>
#include <QString>
#include <string_view>

class QWidget;

// Placing a top-level window as its settings section describes it (ui/Placement.h): Left and
// Top put the window's frame, title bar included, at that corner; Width and Height size its
// client area. Reading back gives the same meaning, so a window shown and closed again stores
// what it read.
//
// A window manager frames a window only after it is mapped, so a window placed from its
// showEvent does not know its frame yet. It is then placed with the frame of another framed
// window of the program (they look alike), and once its own frame is known (it is watched for
// half a minute), its frame is moved to the stored corner if it is not there. Without a window
// manager (offscreen, tests) a window has no frame and Left and Top are the client's corner.

// The margins the window manager adds around the window's client area: the window's own once
// it is framed, else those of another visible framed window of the program, else none.
QMargins windowFrameMargins(const QWidget& window);

// Puts the frame's top-left corner at (Left, Top) and sizes the client area to Width and
// Height (a window of fixed size gets the new fixed size).
void applyPlacement(QWidget& window, const TPlacement& placement);
void applyPosition(QWidget& window, const TPosition& position);

// The frame's top-left corner and the client area's size, as applyPlacement takes them.
TPlacement placementOf(const QWidget& window);
TPosition positionOf(const QWidget& window);

// What a window calls when it is shown: AblakBetoltes of its section (defaults: Left and Top
// 10, the window's current client size), clamped to the work area with the window's frame,
// then applied. Returns what was applied.
TPlacement restorePlacement(QWidget& window, const QString& settingsFile, std::string_view section,
                            const TRect& workArea);
// PozicioBetoltes of its section, applied unclamped.
TPosition restorePosition(QWidget& window, const QString& settingsFile, std::string_view section);

// What a window calls when it is closed: AblakMentes / PozicioMentes of where it is now.
// Throw VembaError when the settings file cannot be written.
void storePlacement(const QWidget& window, const QString& settingsFile, std::string_view section);
void storePosition(const QWidget& window, const QString& settingsFile, std::string_view section);

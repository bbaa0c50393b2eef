#pragma once

class QWidget;
class QSize;

// Gives a dialog of fixed layout the font size in points. Up to the design size the controls
// keep their design places; a larger font grows the dialog and its direct children in
// proportion to the font's height, so no caption is cut off and nothing overlaps.
void growWithFont(QWidget& dialog, int pointSize, int designPointSize, const QSize& designSize);

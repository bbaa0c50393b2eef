#pragma once

#include <QColor>

class QWidget;

// The background an edit box of the dialogs takes while it has the focus, so the user sees
// where typing goes.
inline const QColor FocusColour{0xA6, 0xCA, 0xF0};

// Gives the edit box the focus colour while it has the focus and the application's own
// background otherwise. The watcher lives as long as the edit box.
void showFocusColour(QWidget& edit);

#pragma once

#include <QObject>

class QWidget;

// Turns every turn of the mouse wheel anywhere in the program into one Up (wheel turned away
// from the user) or Down key press and release for the widget that has the keyboard (an open
// menu or pop-up list, else the focused widget), whatever the distance turned: lists and grids
// move one row per wheel event. The wheel event itself is consumed.
//
// Qt's own file and message dialogs keep the ordinary wheel, as do wheel events without a
// vertical turn (a horizontal wheel, the end of a touchpad scroll).
//
// Works as an event filter of the application object; it installs itself there when made and
// is removed when destroyed.
class WheelToArrows : public QObject {
public:
    explicit WheelToArrows(QObject* parent = nullptr);
    ~WheelToArrows() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Inside a QFileDialog or a QMessageBox (or their pop-ups).
    static bool inQtDialog(const QWidget* widget);
};

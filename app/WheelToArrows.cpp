#include "app/WheelToArrows.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWheelEvent>
#include <QWidget>

namespace {

// Where the keyboard goes: an open pop-up (a menu, a combo box's list) has it while it is
// open, otherwise the focused widget, or the widget under the pointer when none has focus.
QWidget* keyboardTarget(QWidget* underPointer) {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return underPointer;
}

void sendKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

WheelToArrows::WheelToArrows(QObject* parent)
    : QObject(parent) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

WheelToArrows::~WheelToArrows() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool WheelToArrows::inQtDialog(const QWidget* widget) {
    // Pop-ups (a combo box's list) are windows of their own but keep their widget as parent.
    for (const QObject* object = widget; object != nullptr; object = object->parent()) {
        if (qobject_cast<const QFileDialog*>(object) || qobject_cast<const QMessageBox*>(object))
            return true;
    }
    return false;
}

bool WheelToArrows::eventFilter(QObject* watched, QEvent* event) {
    // The wheel reaches the window first and then the widget under the pointer; only the
    // widget's delivery is taken, which is also where the exceptions can be recognised.
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    const int turn = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (turn == 0)
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    QWidget* target = keyboardTarget(receiver);
    if (inQtDialog(receiver) || inQtDialog(target))
        return false;
    sendKey(target, turn > 0 ? Qt::Key_Up : Qt::Key_Down);
    return true;
}

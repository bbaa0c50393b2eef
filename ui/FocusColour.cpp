#include "ui/FocusColour.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class FocusColourWatcher : public QObject {
public:
    explicit FocusColourWatcher(QWidget& edit)
        : QObject(&edit) {
        edit.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
            auto* edit = static_cast<QWidget*>(watched);
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base,
                             type == QEvent::FocusIn
                                 ? FocusColour
                                 : QApplication::palette(edit).color(QPalette::Base));
            edit->setPalette(palette);
        }
        return false;
    }
};

} // namespace

void showFocusColour(QWidget& edit) {
    new FocusColourWatcher(edit);
}

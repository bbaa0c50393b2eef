#include "ui/MenuBeallitas.h"

#include "ui/MenuStyle.h"

#include <QChildEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

void applyMenuStyle(QWidget* widget) {
    const bool menu = qobject_cast<QMenu*>(widget) != nullptr;
    auto* bar = qobject_cast<QMenuBar*>(widget);
    if (!menu && !bar)
        return;
    // A menu bar handed to the desktop's global menu would not be drawn by us.
    if (bar)
        bar->setNativeMenuBar(false);
    if (widget->style() != menuStyle())
        widget->setStyle(menuStyle());
}

// Watches a window's widget tree, so that menus added after MenuBeallitas get the style when
// they are polished, which is before they are measured or shown. A widget is only half made
// when its parent hears of it, so it is watched then and styled on its own Polish event.
class MenuWatcher : public QObject {
public:
    explicit MenuWatcher(QWidget* window)
        : QObject(window) {
        watchTree(window);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                watchTree(static_cast<QWidget*>(child));
        } else if (event->type() == QEvent::Polish && watched->isWidgetType()) {
            applyMenuStyle(static_cast<QWidget*>(watched));
        } else if (event->type() == QEvent::WindowActivate ||
                   event->type() == QEvent::WindowDeactivate) {
            // The bar's captions are grey while its window is inactive; Qt repaints only
            // when the palette differs between the two states, and ours does not.
            if (auto* bar = qobject_cast<QMenuBar*>(watched))
                bar->update();
        }
        return false;
    }

private:
    void watchTree(QWidget* root) {
        watch(root);
        for (QWidget* widget : root->findChildren<QWidget*>())
            watch(widget);
    }

    void watch(QWidget* widget) {
        // Installing again moves the filter to the front instead of adding a second one.
        widget->installEventFilter(this);
        applyMenuStyle(widget);
    }
};

bool isWatched(const QWidget& window) {
    for (QObject* child : window.children()) {
        if (dynamic_cast<MenuWatcher*>(child))
            return true;
    }
    return false;
}

} // namespace

void MenuBeallitas(QWidget* window) {
    if (!window || isWatched(*window))
        return;
    new MenuWatcher(window); // owned by the window
}

#include "platform/WorkArea.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

TRect toTRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

TRect primaryWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? toTRect(screen->availableGeometry()) : TRect{0, 0, 1920, 1080};
}

#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// How long a window placed before it was framed keeps watching for its frame; a window
// manager on a loaded machine may take a while.
constexpr int FrameWaitMs = 30000;
constexpr int FramePollMs = 50;

QMargins ownFrame(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// Puts the frame's corner where it was asked for once the window manager has framed the
// window: the first time the shown window's frame is known, a frame elsewhere is moved
// there, and the watch ends; it also ends when no frame appears in time.
class FrameCorner : public QObject {
public:
    FrameCorner(QWidget& window, QPoint corner)
        : QObject(&window)
        , window_(&window)
        , corner_(corner) {
        setObjectName(QStringLiteral("vemba_frame_corner"));
        clock_.start();
        timer_.setInterval(FramePollMs);
        connect(&timer_, &QTimer::timeout, this, &FrameCorner::check);
        timer_.start();
    }

private:
    void check() {
        const QMargins frame = ownFrame(*window_);
        if (!frame.isNull() && window_->isVisible()) {
            const QPoint client = corner_ + QPoint(frame.left(), frame.top());
            if (window_->geometry().topLeft() != client)
                window_->setGeometry(QRect(client, window_->size()));
            timer_.stop();
            deleteLater();
            return;
        }
        if (clock_.elapsed() > FrameWaitMs) {
            timer_.stop();
            deleteLater();
        }
    }

    QPointer<QWidget> window_;
    QPoint corner_;
    QTimer timer_;
    QElapsedTimer clock_;
};

void placeFrameCorner(QWidget& window, QPoint corner, QSize clientSize) {
    delete window.findChild<FrameCorner*>(QStringLiteral("vemba_frame_corner"),
                                          Qt::FindDirectChildrenOnly);
    const QMargins own = ownFrame(window);
    const QMargins frame = own.isNull() ? windowFrameMargins(window) : own;
    window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), clientSize));
    // A window manager frames the window only after it is mapped.
    if (own.isNull())
        new FrameCorner(window, corner);
}

// A platform that frames windows itself (offscreen does) knows the frame once the window
// exists, so the window is made before its frame is asked for.
void ensureCreated(QWidget& window) {
    if (window.windowHandle() == nullptr)
        (void)window.winId();
}

QSize clientSizeFor(QWidget& window, QSize wanted) {
    const bool fixed = window.minimumSize() == window.maximumSize();
    if (fixed && wanted != window.size())
        window.setFixedSize(wanted);
    return wanted;
}

} // namespace

QMargins windowFrameMargins(const QWidget& window) {
    const QMargins own = ownFrame(window);
    if (!own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || other->isMinimized())
            continue;
        const Qt::WindowType type = other->windowType();
        if (type != Qt::Window && type != Qt::Dialog)
            continue;
        const QMargins margins = ownFrame(*other);
        if (!margins.isNull())
            return margins;
    }
    return {};
}

void applyPlacement(QWidget& window, const TPlacement& placement) {
    ensureCreated(window);
    const QSize size = clientSizeFor(window, QSize(placement.Width, placement.Height));
    placeFrameCorner(window, QPoint(placement.Left, placement.Top), size);
}

void applyPosition(QWidget& window, const TPosition& position) {
    ensureCreated(window);
    placeFrameCorner(window, QPoint(position.Left, position.Top), window.size());
}

TPlacement placementOf(const QWidget& window) {
    const TPosition corner = positionOf(window);
    return {corner.Left, corner.Top, window.width(), window.height()};
}

TPosition positionOf(const QWidget& window) {
    const QMargins frame = ownFrame(window);
    const QPoint client = window.geometry().topLeft();
    return {client.x() - frame.left(), client.y() - frame.top()};
}

TPlacement restorePlacement(QWidget& window, const QString& settingsFile, std::string_view section,
                            const TRect& workArea) {
    ensureCreated(window);
    const TPlacement placement =
        AblakBetoltes(settingsFile, section, window.width(), window.height(), workArea,
                      windowFrameMargins(window));
    applyPlacement(window, placement);
    return placement;
}

TPosition restorePosition(QWidget& window, const QString& settingsFile, std::string_view section) {
    const TPosition position = PozicioBetoltes(settingsFile, section);
    applyPosition(window, position);
    return position;
}

void storePlacement(const QWidget& window, const QString& settingsFile, std::string_view section) {
    AblakMentes(settingsFile, section, placementOf(window));
}

void storePosition(const QWidget& window, const QString& settingsFile, std::string_view section) {
    PozicioMentes(settingsFile, section, positionOf(window));
}

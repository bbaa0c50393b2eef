#include "ui/Logo.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

// The picture is compiled into a static library; nothing else would pull it out of it when
// the main window is not there. Q_INIT_RESOURCE must be used outside any namespace.
static void initVembaResources() {
    Q_INIT_RESOURCE(vemba);
}

const QColor Tfrm_Logo::TransparentColor = QColor(128, 128, 128);

Tfrm_Logo::Tfrm_Logo(const QImage& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
    , picture_(picture) {
    setObjectName(QLatin1String(FormName));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Closing the main window ends the program also while the splash is still up.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(ClientWidth, ClientHeight);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, TransparentColor);
    setPalette(ground);
    setMask(opaqueRegion(picture_, TransparentColor));

    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    move(desktop.left() + (desktop.width() - ClientWidth) / 2,
         desktop.top() + (desktop.height() - ClientHeight) / 2);

    connect(&fade_, &LogoFade::alphaChanged, this, &Tfrm_Logo::applyAlpha);
    connect(&fade_, &LogoFade::closeRequested, this, &QWidget::close);
}

QImage Tfrm_Logo::LogoPicture() {
    initVembaResources();
    return QImage(QStringLiteral(":/vemba/logo.jpg"));
}

// The window system hears of an opacity only when the program next talks to it, which an
// idle program need not do before the fade is over. A repaint talks to it: each step asks
// for one. (Not QGuiApplication::sync(): it runs the event loop from inside this timer, so a
// download or dialog waiting in a loop of its own would see events it must not.)
void Tfrm_Logo::applyAlpha(int alpha) {
    setWindowOpacity(alpha / 255.0);
    update();
}

void Tfrm_Logo::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!fade_.Timer1().isActive() && !fade_.Timer2().isActive())
        fade_.Start();
}

void Tfrm_Logo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), TransparentColor);
    painter.drawImage(0, 0, picture_);
}

QBitmap keyMask(const QImage& picture, const QColor& key) {
    if (picture.isNull())
        return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    return QBitmap::fromImage(rgb.createMaskFromColor(key.rgb(), Qt::MaskInColor));
}

QRegion opaqueRegion(const QImage& picture, const QColor& key) {
    const QBitmap mask = keyMask(picture, key);
    return mask.isNull() ? QRegion() : QRegion(mask);
}

// A picture that cannot be read would leave nothing to show: an empty mask means no mask
// to a window, so it would show as a grey square instead.
void LogoMegjelenites() {
    const QImage picture = Tfrm_Logo::LogoPicture();
    if (opaqueRegion(picture, Tfrm_Logo::TransparentColor).isEmpty())
        return;
    auto* logo = new Tfrm_Logo(picture);
    logo->show();
}

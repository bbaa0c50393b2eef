#include "ui/LogoFade.h"

LogoFade::LogoFade(QObject* parent)
    : QObject(parent) {
    timer1_.setInterval(HoldInterval);
    timer2_.setInterval(FadeInterval);
    connect(&timer1_, &QTimer::timeout, this, &LogoFade::Timer1Timer);
    connect(&timer2_, &QTimer::timeout, this, &LogoFade::Timer2Timer);
}

void LogoFade::Start() {
    timer1_.start();
}

void LogoFade::Timer1Timer() {
    timer2_.start();
    timer1_.stop();
}

// A tick that was already queued when the fade ended changes nothing, so the opacity stays
// at the value the window closed with.
void LogoFade::Timer2Timer() {
    if (!timer2_.isActive() || alpha_ <= CloseAtOrBelow)
        return;
    alpha_ = static_cast<std::uint8_t>(alpha_ - FadeStep);
    Q_EMIT alphaChanged(alpha_);
    if (alpha_ <= CloseAtOrBelow) {
        timer2_.stop();
        Q_EMIT closeRequested();
    }
}

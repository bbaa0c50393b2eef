#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

// The splash window's life without the window: held opaque for a second after it is shown,
// then faded in steps of 10 every 21 ms until the opacity is 33 or less, when it asks to be
// closed. The opacity is an 8-bit value, so it runs 255, 245, ..., 35, 25: the 23rd fade tick
// closes, and the opacity never goes below 25. The ticks are public, so a test drives the
// sequence without waiting for the timers.
class LogoFade : public QObject {
    Q_OBJECT

public:
    static constexpr int HoldInterval = 1000; // ms
    static constexpr int FadeInterval = 21;   // ms
    static constexpr int FadeStep = 10;
    static constexpr int CloseAtOrBelow = 33;
    static constexpr std::uint8_t Opaque = 255;

    explicit LogoFade(QObject* parent = nullptr);

    // The window has been shown: the hold timer starts.
    void Start();
    // The hold timer's tick: the fade begins.
    void Timer1Timer();
    // The fade timer's tick: one step fainter, and the end when faint enough.
    void Timer2Timer();

    std::uint8_t AlphaBlendValue() const { return alpha_; }
    const QTimer& Timer1() const { return timer1_; }
    const QTimer& Timer2() const { return timer2_; }

Q_SIGNALS:
    void alphaChanged(int alpha);
    // Emitted once, at the last fade tick.
    void closeRequested();

private:
    QTimer timer1_;
    QTimer timer2_;
    std::uint8_t alpha_ = Opaque;
};

#pragma once

#include "ui/LogoFade.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QWidget>

// The splash window: the product picture on a borderless window centred on the desktop,
// above the other windows, for about a second, then fading out by itself; closing destroys
// it. It neither takes the focus nor the mouse, so the user works on in the window below.
// Pixels of exactly the window colour, grey 128/128/128, are see-through. Where the window
// system cannot change a window's opacity the window stays opaque and closes after the same
// time.
class Tfrm_Logo : public QWidget {
public:
    static constexpr const char* FormName = "frm_Logo";
    static constexpr int ClientWidth = 400;
    static constexpr int ClientHeight = 300;
    static const QColor TransparentColor;

    explicit Tfrm_Logo(const QImage& picture = LogoPicture());

    LogoFade& fade() { return fade_; }
    const QImage& picture() const { return picture_; }

    // The product picture, a JPEG of 400 × 300 compiled into the program.
    static QImage LogoPicture();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyAlpha(int alpha);

    QImage picture_;
    LogoFade fade_;
};

// The picture's mask: set where its pixel is not exactly the key colour. Null for a null
// picture.
QBitmap keyMask(const QImage& picture, const QColor& key);

// The part of the picture that is not of the key colour: what a window showing the picture
// with that transparency key shows. Empty for a picture that is null or all key colour.
QRegion opaqueRegion(const QImage& picture, const QColor& key);

// Creates the splash window, owned by the program, and shows it without waiting for it;
// nothing when the picture cannot be read.
void LogoMegjelenites();

#pragma once

#include <QStringList>
#include <QToolButton>

class QFontMetrics;

// The lines a caption takes in a box `width` pixels wide: one line when it fits; otherwise it
// breaks at blanks onto as many lines as fit in `height` (a word wider than the box breaks
// before its closing punctuation, or inside), and only what is left for the last line is
// elided when it does not fit.
struct CaptionLayout {
    QStringList lines;
    bool whole = true; // no letter lost and no word broken other than before its punctuation
};
CaptionLayout wrapCaption(const QString& caption, const QFontMetrics& metrics, int width,
                          int height);

// A large drill button of the main window: its picture on the left and its caption beside
// it. The window's layout is fixed, so a caption that does not fit the button's width breaks
// onto a second line before anything of it is cut, where a plain tool button would elide it.
class DrillButton : public QToolButton {
public:
    explicit DrillButton(QWidget* parent = nullptr);

    // The caption as painted, line by line.
    QStringList captionLines() const;
    // The box the caption is painted in.
    QRect captionRect() const;
    // The picture's size: the icon size, or smaller when the caption needs the room.
    QSize shownIconSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect captionRectFor(QSize icon) const;

    static constexpr int Margin = 4;
    // Small, so that the 49 pixels of the button hold two lines up to about 14 points.
    static constexpr int VerticalMargin = 2;
    static constexpr int Spacing = 4;
};

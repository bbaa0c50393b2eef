#include "app/DrillButton.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {

// Where a word too wide for the box breaks: before its closing punctuation ("Megnézem" and
// "...") when that start fits, else after the most characters that fit (at least one).
qsizetype wordBreak(const QString& word, const QFontMetrics& metrics, int width) {
    qsizetype stem = word.size();
    while (stem > 0 && word[stem - 1].isPunct())
        --stem;
    if (stem > 0 && stem < word.size() && metrics.horizontalAdvance(word.left(stem)) <= width)
        return stem;
    qsizetype fits = 1;
    while (fits < word.size() && metrics.horizontalAdvance(word.left(fits + 1)) <= width)
        ++fits;
    return fits;
}

// Takes the words that fit one line from the front of the list; notes a word broken other
// than before its punctuation.
QString takeLine(QStringList& words, const QFontMetrics& metrics, int width, bool& broken) {
    QString line = words.takeFirst();
    if (metrics.horizontalAdvance(line) > width) {
        const qsizetype cut = wordBreak(line, metrics, width);
        if (cut < line.size()) {
            words.prepend(line.mid(cut));
            broken = broken || !words.front().front().isPunct();
        }
        return line.left(cut);
    }
    while (!words.isEmpty()) {
        const QString longer = line + QLatin1Char(' ') + words.front();
        if (metrics.horizontalAdvance(longer) > width)
            break;
        line = longer;
        words.removeFirst();
    }
    return line;
}

} // namespace

CaptionLayout wrapCaption(const QString& caption, const QFontMetrics& metrics, int width,
                          int height) {
    if (metrics.horizontalAdvance(caption) <= width)
        return {{caption}, true};
    const int maxLines =
        1 + std::max(0, height - metrics.height()) / std::max(1, metrics.lineSpacing());
    QStringList words = caption.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList lines;
    bool broken = false;
    while (!words.isEmpty() && lines.size() < maxLines - 1)
        lines << takeLine(words, metrics, width, broken);
    if (!words.isEmpty()) {
        const QString rest = words.join(QLatin1Char(' '));
        const QString shown = metrics.elidedText(rest, Qt::ElideRight, width);
        broken = broken || shown != rest;
        lines << shown;
    }
    return {lines, !broken};
}

DrillButton::DrillButton(QWidget* parent)
    : QToolButton(parent) {}

QSize DrillButton::shownIconSize() const {
    if (icon().isNull())
        return {};
    // A caption that would lose letters even on two lines gets the room of a smaller picture.
    for (const int side : {iconSize().width(), 24, 16}) {
        const QSize size(side, side);
        const QRect box = captionRectFor(size);
        if (side <= iconSize().width() &&
            wrapCaption(text(), fontMetrics(), box.width(), box.height()).whole)
            return size;
    }
    return iconSize();
}

QRect DrillButton::captionRectFor(QSize icon) const {
    QRect box = rect().adjusted(Margin, VerticalMargin, -Margin, -VerticalMargin);
    if (!icon.isEmpty())
        box.setLeft(box.left() + icon.width() + Spacing);
    return box;
}

QRect DrillButton::captionRect() const {
    return captionRectFor(shownIconSize());
}

QStringList DrillButton::captionLines() const {
    const QRect box = captionRect();
    return wrapCaption(text(), fontMetrics(), box.width(), box.height()).lines;
}

void DrillButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The style draws the button itself; the picture and the caption are laid out here.
    QStyleOptionToolButton panel = option;
    panel.text.clear();
    panel.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, panel);

    const QRect inner = rect().adjusted(Margin, VerticalMargin, -Margin, -VerticalMargin);
    if (!icon().isNull()) {
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        const QPixmap picture = icon().pixmap(shownIconSize(), devicePixelRatio(), mode);
        const QSize shown = picture.deviceIndependentSize().toSize();
        painter.drawPixmap(inner.left(), inner.top() + (inner.height() - shown.height()) / 2,
                           picture);
    }
    const QRect box = captionRect();
    const QStringList lines = captionLines();
    const QFontMetrics metrics = fontMetrics();
    const int textHeight = int(lines.size() - 1) * metrics.lineSpacing() + metrics.height();
    QRect text(box.left(), box.top() + (box.height() - textHeight) / 2, box.width(), textHeight);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, lines.join(QLatin1Char('\n')));
}

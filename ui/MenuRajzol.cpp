#include "ui/MenuRajzol.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPainter>
#include <QPalette>
#include <QRect>

namespace {

// Item geometry, in pixels from the item's left (L) and top (T) edges.
constexpr int CaptionX = 22;
constexpr int CaptionY = 4;
constexpr int ShortCutRightGap = 4;
constexpr int BulletX = 8;
constexpr int BulletY = 5;
constexpr int ImageX = 2;
constexpr int ImageY = 2;
constexpr int ImageSize = 16;
constexpr int SeparatorInsetLeft = 2;
constexpr int SeparatorInsetRight = 3;
constexpr int BarInset = 2;
constexpr int BarCaptionX = 7;
constexpr int BarCaptionY = 3;

// A QRect's right() is its last pixel column; the layout counts from the edge just outside.
int rightEdge(const QRect& rect) {
    return rect.left() + rect.width();
}

bool isHighlighted(MenuStates state) {
    return state.testFlag(MenuState::Selected) || state.testFlag(MenuState::Hot);
}

// A one-pixel outline on the rectangle's own edge pixels.
void drawOutline(QPainter& canvas, const QRect& rect, const QColor& color) {
    canvas.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    canvas.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    canvas.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    canvas.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

// Writes text with its top-left corner at pos, on an opaque cell of the given ground.
void writeText(QPainter& canvas, QPoint pos, const QString& text, const QColor& ground) {
    const QFontMetrics metrics(canvas.font());
    const QRect cell(pos, QSize(metrics.horizontalAdvance(text), metrics.height()));
    canvas.fillRect(cell, ground);
    canvas.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// The check mark: a filled round bullet in the text colour, centred in a glyph cell whose
// top-left corner is pos and whose size follows the menu font.
void drawBullet(QPainter& canvas, QPoint pos) {
    const QFontMetrics metrics(canvas.font());
    const int em = QFontInfo(canvas.font()).pixelSize();
    const int diameter = qMax(5, qRound(em * 0.6));
    const int cellWidth = qMax(diameter + 2, qRound(em * 0.75));
    const QRect bullet(pos.x() + (cellWidth - diameter) / 2,
                       pos.y() + (metrics.height() - diameter) / 2, diameter, diameter);
    const QColor color = canvas.pen().color();
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(color);
    canvas.drawEllipse(bullet);
    canvas.restore();
}

void drawSeparator(QPainter& canvas, const QRect& rect) {
    const int y = rect.top() + rect.height() / 2;
    const int left = rect.left() + SeparatorInsetLeft;
    const int right = rightEdge(rect) - SeparatorInsetRight;
    if (right >= left)
        canvas.fillRect(QRect(left, y, right - left + 1, 1), MenuColors::SeparatorLine);
}

} // namespace

// The one place where the classic desktop colours meet the palette roles that stand for them.
//   menu text       -> active WindowText    (the text on the menu's Window ground)
//   highlight text  -> active HighlightedText
//   grey text       -> disabled WindowText
//   button face     -> active Button
QColor systemColor(SystemColor color) {
    const QPalette palette = QApplication::palette();
    switch (color) {
    case SystemColor::MenuText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case SystemColor::HighlightText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case SystemColor::GrayText:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case SystemColor::ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    }
    return {};
}

QString menuCaptionText(const QString& caption) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&')
            text += caption[i];
        else if (i + 1 < caption.size() && caption[i + 1] == u'&')
            text += caption[++i];
    }
    return text;
}

QString menuShortCutText(const QKeySequence& shortcut) {
    QStringList chords;
    for (int i = 0; i < shortcut.count(); ++i) {
        const QKeyCombination chord = shortcut[i];
        const Qt::KeyboardModifiers modifiers = chord.keyboardModifiers();
        QString text;
        if (modifiers.testFlag(Qt::ShiftModifier))
            text += QStringLiteral("Shift+");
        if (modifiers.testFlag(Qt::ControlModifier))
            text += QStringLiteral("Ctrl+");
        if (modifiers.testFlag(Qt::AltModifier))
            text += QStringLiteral("Alt+");
        if (modifiers.testFlag(Qt::MetaModifier))
            text += QStringLiteral("Meta+");
        text += QKeySequence(chord.key()).toString(QKeySequence::PortableText);
        chords << text;
    }
    return chords.join(QStringLiteral(", "));
}

QFont menuFont(const MenuItemData& item) {
    QFont font = QApplication::font("QMenu");
    font.setBold(item.Default);
    return font;
}

void prepareMenuCanvas(QPainter& canvas, const MenuItemData& item, MenuStates state, bool menuBar) {
    canvas.setFont(menuFont(item));

    SystemColor text = SystemColor::MenuText;
    if (!item.Enabled || state.testFlag(MenuState::Disabled) || state.testFlag(MenuState::Inactive))
        text = SystemColor::GrayText;
    else if (!menuBar && state.testFlag(MenuState::Selected))
        text = SystemColor::HighlightText;
    canvas.setPen(systemColor(text));
}

void MenupontRajzol(const MenuItemData& item, QPainter& canvas, const QRect& rect,
                    MenuStates state) {
    const int left = rect.left();
    const int top = rect.top();
    const bool highlighted = isHighlighted(state);
    const QColor ground = highlighted ? MenuColors::Highlight : MenuColors::Ground;
    const int imageOffset = highlighted ? -1 : 0;

    canvas.fillRect(rect, ground);
    if (highlighted)
        drawOutline(canvas, rect, MenuColors::Outline);

    if (item.IsSeparator()) {
        drawSeparator(canvas, rect);
        return;
    }

    if (!item.Enabled)
        canvas.setPen(MenuColors::Outline);
    writeText(canvas, QPoint(left + CaptionX, top + CaptionY), menuCaptionText(item.Caption),
              ground);
    if (!item.ShortCut.isEmpty()) {
        const int width = QFontMetrics(canvas.font()).horizontalAdvance(item.ShortCut);
        writeText(canvas, QPoint(rightEdge(rect) - width - ShortCutRightGap, top + CaptionY),
                  item.ShortCut, ground);
    }

    if (state.testFlag(MenuState::Checked)) {
        drawBullet(canvas, QPoint(left + BulletX, top + BulletY));
    } else if (!item.Image.isNull()) {
        // Always the enabled look: a disabled item keeps its picture in full colour.
        canvas.drawPixmap(
            QRect(left + ImageX + imageOffset, top + ImageY + imageOffset, ImageSize, ImageSize),
            item.Image);
    }
}

void MenusorRajzol(const MenuItemData& item, QPainter& canvas, const QRect& rect,
                   MenuStates state) {
    QColor ground = systemColor(SystemColor::ButtonFace);
    if (isHighlighted(state)) {
        // The band between the frame and the item's edge is left as the bar painted it.
        const QRect box = rect.adjusted(BarInset, BarInset, -BarInset, -BarInset);
        ground = MenuColors::Highlight;
        canvas.fillRect(box, ground);
        drawOutline(canvas, box, MenuColors::Outline);
    } else {
        canvas.fillRect(rect, ground);
    }
    writeText(canvas, QPoint(rect.left() + BarCaptionX, rect.top() + BarCaptionY),
              menuCaptionText(item.Caption), ground);
}

#include "ui/GridHeader.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionHeader>
#include <cstdlib>
#include <utility>

namespace {

QStyle::State headerStates(TitleState state) {
    switch (state) {
    case TitleState::Hot:
        return QStyle::State_Raised | QStyle::State_MouseOver;
    case TitleState::Pressed:
        return QStyle::State_Sunken;
    case TitleState::Normal:
        break;
    }
    return QStyle::State_Raised;
}

QImage renderSection(const QStyle& style, const QStyleOptionHeader& base, TitleState state,
                     const QWidget* widget) {
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QStyleOptionHeader option = base;
    option.rect = image.rect();
    option.state |= headerStates(state);
    QPainter painter(&image);
    style.drawControl(QStyle::CE_Header, &option, &painter, widget);
    return image;
}

// Which states the style itself draws differently from the normal one. A style that does not
// show a state gets a tint of ours, so the three states always stay apart.
struct StyleLook {
    bool showsHot = true;
    bool showsPressed = true;
};

StyleLook probeStyle(const QStyle& style, const QStyleOptionHeader& base, const QWidget* widget) {
    const QImage normal = renderSection(style, base, TitleState::Normal, widget);
    const QImage hot = renderSection(style, base, TitleState::Hot, widget);
    const QImage pressed = renderSection(style, base, TitleState::Pressed, widget);
    return {hot != normal, pressed != normal && pressed != hot};
}

void tint(QPainter& painter, const QRect& rect, QColor color, int alpha) {
    color.setAlpha(alpha);
    painter.fillRect(rect, color);
}

QStyleOptionHeader::SectionPosition positionAmong(int visual, int count) {
    if (count == 1)
        return QStyleOptionHeader::OnlyOneSection;
    if (visual == 0)
        return QStyleOptionHeader::Beginning;
    return visual == count - 1 ? QStyleOptionHeader::End : QStyleOptionHeader::Middle;
}

} // namespace

GridHeader::GridHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setSectionsMovable(true);
    setSectionsClickable(false);
    setHighlightSections(false);
    setMouseTracking(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionMoved, this, &GridHeader::columnMoved);
}

void GridHeader::SetAllowTitleClick(bool allow) {
    if (allow == allowTitleClick_)
        return;
    allowTitleClick_ = allow;
    viewport()->update();
}

// A title under a column resize shows no state: the resize is the only thing going on.
TitleState GridHeader::titleState(int logicalIndex) const {
    if (sizing_)
        return TitleState::Normal;
    const int column = visualIndex(logicalIndex) + 1;
    const TitleState rest = column == hotColumn_ ? TitleState::Hot : TitleState::Normal;
    if (!pressedInTitle_ || column != pressedColumn_)
        return rest;
    return allowTitleClick_ ? TitleState::Pressed : rest;
}

void GridHeader::currentColumnLeft() {
    hotColumn_ = -1;
    repaintLastMouseCell();
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    const bool held = pressedInTitle_ && visualIndex(logicalIndex) + 1 == pressedColumn_;
    const TitleState state = titleState(logicalIndex);

    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = logicalIndex;
    option.position = positionAmong(visualIndex(logicalIndex), count() - hiddenSectionCount());
    if (window()->isActiveWindow())
        option.state |= QStyle::State_Active;
    if (look_.style != style()) {
        const StyleLook look = probeStyle(*style(), option, this);
        look_ = {style(), look.showsHot, look.showsPressed};
    }
    // A resting section also covers the grid lines right of and below it.
    option.rect = held ? rect : rect.adjusted(0, 0, 1, 1);
    option.state |= headerStates(state);
    // The style leaves the painter clipped to nothing when it found no clip region to put
    // back, so its drawing gets a painter state of its own.
    painter->save();
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
    if (state == TitleState::Hot && !look_.showsHot)
        tint(*painter, option.rect, option.palette.color(QPalette::Highlight), 40);
    if (state == TitleState::Pressed && !look_.showsPressed)
        tint(*painter, option.rect, option.palette.color(QPalette::Dark), 90);

    // The caption of a pressed title sits one pixel further right and one pixel lower.
    const QRect text = state == TitleState::Pressed ? QRect(rect.left() + 1, rect.top() - 1,
                                                            rect.width() - 2, rect.height() + 2)
                                                    : rect;
    const QFontMetrics metrics(font());
    const int x = text.left() + 2;
    const int y = text.height() / 2 - metrics.height() / 2;
    painter->save();
    painter->setFont(font());
    painter->setPen(option.palette.color(QPalette::ButtonText));
    painter->drawText(
        QRect(x, y, metrics.horizontalAdvance(caption(logicalIndex)) + 1, metrics.height()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
        caption(logicalIndex));
    painter->restore();
}

QString GridHeader::caption(int logicalIndex) const {
    return model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
}

void GridHeader::mousePressEvent(QMouseEvent* event) {
    pressed(event);
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseMoveEvent(QMouseEvent* event) {
    startDragWhenFarEnough(event);
    if (!sizing_ && !dragging_)
        moved(event);
    QHeaderView::mouseMoveEvent(event);
}

// The click is decided on the state the press left, before the standard handling ends a
// column move.
void GridHeader::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasSizing = sizing_;
    const bool wasDragging = dragging_;
    QHeaderView::mouseReleaseEvent(event);
    const Cell cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && !wasSizing && !wasDragging && isTitleCell(cell)) {
        Q_EMIT titleClicked(logicalIndexOfColumn(cell.column));
        titleClickDone();
    }
    sizing_ = false;
    dragging_ = false;
    pressOnSection_ = false;
    pressedColumn_ = -1;
    viewport()->update();
}

bool GridHeader::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        left();
    return QHeaderView::viewportEvent(event);
}

// Only the title row belongs to the header: anywhere else is no cell of its.
GridHeader::Cell GridHeader::cellAt(QPoint pos) const {
    if (!viewport()->rect().contains(pos))
        return {};
    const int visual = visualIndexAt(pos.x());
    if (visual < 0)
        return {};
    return {visual + 1, 0};
}

int GridHeader::logicalIndexOfColumn(int gridColumn) const {
    return logicalIndex(gridColumn - 1);
}

// The same test the standard header makes before it starts a resize: within the grip margin
// of a section's edge, the section before a left edge being the one resized.
bool GridHeader::onSectionBorder(int x) const {
    const int visual = visualIndexAt(x);
    if (visual < 0)
        return false;
    const int logical = logicalIndex(visual);
    const int start = sectionViewportPosition(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    bool atLeft = x < start + grip;
    bool atRight = x > start + sectionSize(logical) - grip;
    if (isRightToLeft())
        std::swap(atLeft, atRight);
    int handle = -1;
    if (atLeft) {
        for (int v = visual - 1; v >= 0 && handle < 0; --v)
            if (!isSectionHidden(logicalIndex(v)))
                handle = logicalIndex(v);
    } else if (atRight) {
        handle = logical;
    }
    return handle >= 0 && sectionResizeMode(handle) == QHeaderView::Interactive;
}

void GridHeader::repaintCell(Cell cell) {
    if (!isTitleCell(cell))
        return;
    const int logical = logicalIndexOfColumn(cell.column);
    if (logical < 0)
        return;
    viewport()->update(sectionViewportPosition(logical), 0, sectionSize(logical) + 1,
                       viewport()->height());
}

void GridHeader::repaintLastMouseCell() {
    if (lastMouseCell_ != Cell{})
        repaintCell(lastMouseCell_);
}

void GridHeader::pressed(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    sizing_ = left && onSectionBorder(pos.x());
    if (sizing_)
        return;
    pressOnSection_ = left && visualIndexAt(pos.x()) >= 0;
    pressX_ = pos.x();
    pressedColumn_ = -1;
    pressedInTitle_ = false;
    if (allowTitleClick_)
        hotColumn_ = -1;
    const Cell cell = cellAt(pos);
    if (!left || cell.column <= 0 || !allowTitleClick_)
        return;
    pressedInTitle_ = cell.row == 0;
    pressedColumn_ = cell.column;
    repaintLastMouseCell();
    repaintCell(cell);
    lastMouseCell_ = cell;
}

void GridHeader::moved(QMouseEvent* event) {
    hotColumn_ = -1;
    const Cell cell = cellAt(event->position().toPoint());
    if (isTitleCell(cell)) {
        repaintCell(cell);
        hotColumn_ = cell.column;
    }
    repaintLastMouseCell();
    lastMouseCell_ = cell;
}

// The standard header starts moving a column once the pointer has gone the drag distance
// sideways over a section; from then on the move is a drag and no title click.
void GridHeader::startDragWhenFarEnough(QMouseEvent* event) {
    if (sizing_ || dragging_ || !pressOnSection_ || !sectionsMovable() ||
        !(event->buttons() & Qt::LeftButton))
        return;
    const int x = event->position().toPoint().x();
    dragging_ = std::abs(x - pressX_) >= QApplication::startDragDistance() && visualIndexAt(x) >= 0;
}

void GridHeader::titleClickDone() {
    if (!allowTitleClick_)
        return;
    pressedInTitle_ = false;
    pressedColumn_ = -1;
    repaintLastMouseCell();
}

void GridHeader::left() {
    repaintLastMouseCell();
    lastMouseCell_ = {};
    hotColumn_ = -1;
    pressedColumn_ = -1;
}

void GridHeader::columnMoved() {
    dragging_ = false;
    viewport()->update();
}

IndicatorHeader::IndicatorHeader(QWidget* parent)
    : QHeaderView(Qt::Vertical, parent) {
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true);
    setHighlightSections(false);
}

void IndicatorHeader::setCurrentRow(int row) {
    if (row == currentRow_)
        return;
    currentRow_ = row;
    viewport()->update();
}

QSize IndicatorHeader::sizeHint() const {
    return {IndicatorWidth, defaultSectionSize()};
}

void IndicatorHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect.adjusted(0, 0, 1, 1);
    option.section = logicalIndex;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderEmptyArea, &option, painter, this);
    painter->restore();
    if (logicalIndex == currentRow_)
        drawCurrentRecordArrow(*painter, rect, isRightToLeft());
}

namespace {

void drawArrow(QPainter& painter, QPoint corner, int direction, const QColor& color) {
    const QPolygon triangle{corner, corner + QPoint(5 * direction, 5), corner + QPoint(0, 10)};
    painter.setPen(QPen(color, 1));
    painter.setBrush(color);
    painter.drawPolygon(triangle);
}

} // namespace

void drawCurrentRecordArrow(QPainter& painter, const QRect& cell, bool rightToLeft) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int direction = rightToLeft ? -1 : 1;
    // Mirrored on a right-to-left canvas: the offsets count from the cell's right edge.
    const auto at = [&](int dx) {
        return QPoint(rightToLeft ? cell.right() - dx : cell.left() + dx, cell.top() + 3);
    };
    drawArrow(painter, at(4), direction, Qt::white);
    drawArrow(painter, at(3), direction, Qt::black);
    painter.restore();
}

#pragma once

#include <QHeaderView>

class QStyle;

// The look of one title cell.
enum class TitleState { Normal, Hot, Pressed };

// The title row of the themed grid. Title cells are the style's header sections in their
// normal, hot (under the pointer) or pressed (held down with the left button) state, with the
// caption always left-aligned. The state machine below decides which cell is hot or pressed;
// its columns count as in the grid, the indicator being column 0, so a title's grid column is
// its visual position + 1.
class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    // A cell of the grid under the pointer: row 0 is the title row.
    struct Cell {
        int column = -1;
        int row = -1;
        friend bool operator==(const Cell&, const Cell&) = default;
    };

    explicit GridHeader(QWidget* parent = nullptr);

    // When false a held-down title never looks pressed; title clicks are reported anyway.
    bool AllowTitleClick() const { return allowTitleClick_; }
    void SetAllowTitleClick(bool allow);

    TitleState titleState(int logicalIndex) const;
    int hotColumn() const { return hotColumn_; }
    int pressedColumn() const { return pressedColumn_; }
    bool pressedInTitle() const { return pressedInTitle_; }
    bool sizing() const { return sizing_; }
    bool dragging() const { return dragging_; }
    Cell lastMouseCell() const { return lastMouseCell_; }

    // The grid's current cell moved to another column.
    void currentColumnLeft();

Q_SIGNALS:
    // The left button was released over the title of this (logical) column.
    void titleClicked(int logicalIndex);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QString caption(int logicalIndex) const;
    Cell cellAt(QPoint pos) const;
    bool isTitleCell(Cell cell) const { return cell.row == 0 && cell.column > 0; }
    int logicalIndexOfColumn(int gridColumn) const;
    bool onSectionBorder(int x) const;
    void repaintCell(Cell cell);
    void repaintLastMouseCell();
    void pressed(QMouseEvent* event);
    void moved(QMouseEvent* event);
    void startDragWhenFarEnough(QMouseEvent* event);
    void titleClickDone();
    void left();
    void columnMoved();

    bool allowTitleClick_ = true;
    int hotColumn_ = -1;
    int pressedColumn_ = -1;
    bool pressedInTitle_ = false;
    bool sizing_ = false;
    bool dragging_ = false;
    Cell lastMouseCell_;
    bool pressOnSection_ = false; // the left button went down on a section, not a border
    int pressX_ = 0;

    // Which states the current style draws on its own; probed once per style.
    struct Look {
        const QStyle* style = nullptr;
        bool showsHot = true;
        bool showsPressed = true;
    };
    mutable Look look_;
};

// The indicator column of the themed grid: header background cells, the current record's row
// marked with an arrow. Its sections are the model's rows.
class IndicatorHeader : public QHeaderView {
    Q_OBJECT

public:
    static constexpr int IndicatorWidth = 11;

    explicit IndicatorHeader(QWidget* parent = nullptr);

    // The row that carries the arrow; -1 for none.
    void setCurrentRow(int row);
    int currentRow() const { return currentRow_; }

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int currentRow_ = -1;
};

// The arrow of the current record: a filled triangle, 5 wide and 10 high, pointing right
// (left when rightToLeft) with its corner at (x, y); white first one pixel further on, then
// black, so the black arrow keeps a white edge on its tip side.
void drawCurrentRecordArrow(QPainter& painter, const QRect& cell, bool rightToLeft);

#pragma once

#include "ui/GridHeader.h"
#include "ui/TableModel.h"

#include <QColor>
#include <QTableView>
#include <cstdint>
#include <string>
#include <vector>

class TMemTable;

// The read-only grid of the test editor and the download window: every record of a word table
// in its current order, one column per bound field, a row indicator with the current-record
// arrow, and themed titles that show the hot and the pressed state. The grid's current row
// and the table's current record follow each other: choosing a row makes its record current,
// and a move of the table's cursor moves the grid's selection there.
//
// Columns are numbered in the order they were defined (0 = first data column), whatever place
// the user has dragged them to. Widths are Qt's: setColumnWidth and columnWidth.
class TThemeDBGrid : public QTableView {
    Q_OBJECT

public:
    explicit TThemeDBGrid(QWidget* parent = nullptr);
    ~TThemeDBGrid() override;

    // The table shown; nullptr detaches. The table must outlive the grid, or be detached
    // first (a window that owns both as members detaches it in its destructor, since child
    // widgets die after the members).
    void SetDataSource(TMemTable* table);
    TMemTable* DataSource() const;

    // One column per field name (code page 1250), titled by the field's display name.
    void SetColumns(const std::vector<std::string>& fieldNames);
    int ColumnCount() const;
    const std::string& ColumnFieldName(int column) const;
    QString ColumnTitle(int column) const;
    // The column's background colour; the window colour unless one was given.
    QColor ColumnColor(int column) const;
    // An invalid colour gives the column the window colour again.
    void SetColumnColor(int column, const QColor& color);

    // Default true: a title held down with the left button looks pressed. The title click is
    // reported either way.
    bool AllowTitleClick() const;
    void SetAllowTitleClick(bool allow);

    TableModel& tableModel() const { return *model_; }
    GridHeader& titles() const { return *titles_; }
    IndicatorHeader& indicator() const { return *indicator_; }

Q_SIGNALS:
    // The left button was released over a column's title (the windows sort there).
    void titleClick(int column, const std::string& fieldName);
    // A double click with the left button anywhere among the data rows.
    void dblClick();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void changeEvent(QEvent* event) override;

private:
    void followTable();
    void showCurrentRow(int row);
    void chooseRow(int row);
    void reportTitleClick(int logicalIndex);
    void fitRowHeight();
    int currentOrFirstColumn() const;

    TableModel* model_;          // owned as a child object
    GridHeader* titles_;         // owned by the view
    IndicatorHeader* indicator_; // owned by the view
    bool followingTable_ = false;
    int lastColumn_ = -1; // the current column before a reset cleared it
};

// The colour of a 0x00BBGGRR value (red in the low byte).
QColor colorFromBgr(std::uint32_t bgr);

// Gives every column the window colour and the column the highlight colour (a 0x00BBGGRR
// value); a column out of range leaves every column in the window colour.
void OszlopKiemeles(TThemeDBGrid& grid, int column, std::uint32_t highlight);

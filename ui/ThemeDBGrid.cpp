#include "ui/ThemeDBGrid.h"

#include "data/MemTable.h"
#include "ui/MessageBoxes.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace {

const std::string NoFieldName;

// The selection is the current record's row, also while the grid has no focus.
QPalette selectionAlwaysShown(QPalette palette) {
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    return palette;
}

} // namespace

TThemeDBGrid::TThemeDBGrid(QWidget* parent)
    : QTableView(parent)
    , model_(new TableModel(this))
    , titles_(new GridHeader(this))
    , indicator_(new IndicatorHeader(this)) {
    setHorizontalHeader(titles_);
    setVerticalHeader(indicator_);
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setPalette(selectionAlwaysShown(palette()));
    fitRowHeight();
    connect(model_, &TableModel::currentRecordChanged, this, &TThemeDBGrid::followTable);
    connect(titles_, &GridHeader::titleClicked, this, &TThemeDBGrid::reportTitleClick);
}

// The table usually outlives the grid; detaching here stops its notifications at once.
TThemeDBGrid::~TThemeDBGrid() {
    model_->setTable(nullptr);
}

void TThemeDBGrid::SetDataSource(TMemTable* table) {
    model_->setTable(table);
}

TMemTable* TThemeDBGrid::DataSource() const {
    return model_->table();
}

void TThemeDBGrid::SetColumns(const std::vector<std::string>& fieldNames) {
    std::vector<GridColumn> columns;
    columns.reserve(fieldNames.size());
    for (const std::string& name : fieldNames)
        columns.push_back(GridColumn{name, {}, {}});
    model_->setColumns(std::move(columns));
}

int TThemeDBGrid::ColumnCount() const {
    return model_->columnCount();
}

const std::string& TThemeDBGrid::ColumnFieldName(int column) const {
    if (column < 0 || column >= ColumnCount())
        return NoFieldName;
    return model_->columns()[size_t(column)].FieldName;
}

QString TThemeDBGrid::ColumnTitle(int column) const {
    return model_->headerData(column, Qt::Horizontal).toString();
}

QColor TThemeDBGrid::ColumnColor(int column) const {
    if (column < 0 || column >= ColumnCount())
        return {};
    const QColor& color = model_->columns()[size_t(column)].Color;
    return color.isValid() ? color : palette().color(QPalette::Base);
}

void TThemeDBGrid::SetColumnColor(int column, const QColor& color) {
    model_->setColumnColor(column, color);
}

bool TThemeDBGrid::AllowTitleClick() const {
    return titles_->AllowTitleClick();
}

void TThemeDBGrid::SetAllowTitleClick(bool allow) {
    titles_->SetAllowTitleClick(allow);
}

void TThemeDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        lastColumn_ = current.column();
    if (current.isValid() && previous.isValid() && current.column() != previous.column())
        titles_->currentColumnLeft();
    if (!followingTable_ && current.isValid() && current.row() != model_->currentRow())
        chooseRow(current.row());
}

// With whole rows selected, Home and End go to the first and the last record, with or
// without Ctrl, and keep the column.
QModelIndex TThemeDBGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (cursorAction != MoveHome && cursorAction != MoveEnd)
        return QTableView::moveCursor(cursorAction, modifiers);
    const int rows = model_->rowCount();
    if (rows == 0 || model_->columnCount() == 0)
        return {};
    return model_->index(cursorAction == MoveHome ? 0 : rows - 1, currentOrFirstColumn());
}

// Exactly the current row is selected, whatever the modifiers: Ctrl+click would otherwise
// deselect it.
QItemSelectionModel::SelectionFlags TThemeDBGrid::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    (void)event;
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void TThemeDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT dblClick();
}

// Typed letters belong to the windows' own incremental search, not to a search of the shown
// texts.
void TThemeDBGrid::keyboardSearch(const QString& search) {
    (void)search;
}

void TThemeDBGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

void TThemeDBGrid::followTable() {
    const int row = model_->currentRow();
    indicator_->setCurrentRow(row);
    const QScopedValueRollback<bool> following(followingTable_, true);
    showCurrentRow(row);
}

void TThemeDBGrid::showCurrentRow(int row) {
    // Without a current record (a new one is being inserted) the view keeps its current
    // index and only drops the selection: a view without a current index takes the first row
    // when it gets the focus, and choosing that row would end the insert.
    if (row < 0 || model_->columnCount() == 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(row, currentOrFirstColumn());
    if (currentIndex() != index || !selectionModel()->isRowSelected(row))
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    scrollTo(index);
}

// A failure of the table (a pending new record that cannot be posted) ends the choice; the
// grid then shows the record that stayed current.
void TThemeDBGrid::chooseRow(int row) {
    TMemTable* table = model_->table();
    if (!table)
        return;
    try {
        table->SetRecNo(row + 1);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, window());
        followTable();
    }
}

void TThemeDBGrid::reportTitleClick(int logicalIndex) {
    const std::string fieldName = ColumnFieldName(logicalIndex);
    Q_EMIT titleClick(logicalIndex, fieldName);
}

// The arrow needs 14 pixels; the text its line height and a little air.
void TThemeDBGrid::fitRowHeight() {
    indicator_->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 17));
}

int TThemeDBGrid::currentOrFirstColumn() const {
    if (currentIndex().isValid())
        return currentIndex().column();
    if (lastColumn_ >= 0 && lastColumn_ < model_->columnCount())
        return lastColumn_;
    return std::max(0, titles_->logicalIndex(0));
}

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void OszlopKiemeles(TThemeDBGrid& grid, int column, std::uint32_t highlight) {
    for (int i = 0; i < grid.ColumnCount(); ++i)
        grid.SetColumnColor(i, QColor());
    if (column >= 0 && column < grid.ColumnCount())
        grid.SetColumnColor(column, colorFromBgr(highlight));
}

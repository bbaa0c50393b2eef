#include "ui/TableModel.h"

#include "platform/Cp1250.h"

#include <QBrush>

TableModel::TableModel(QObject* parent)
    : QAbstractTableModel(parent) {}

TableModel::~TableModel() {
    if (table_)
        table_->RemoveObserver(this);
}

void TableModel::setTable(TMemTable* table) {
    if (table == table_)
        return;
    if (table_)
        table_->RemoveObserver(this);
    table_ = table;
    if (table_)
        table_->AddObserver(this);
    rebuild();
}

void TableModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    bindFields();
    rows_ = liveRowCount();
    endResetModel();
    Q_EMIT currentRecordChanged();
}

void TableModel::setColumnColor(int column, const QColor& color) {
    if (column < 0 || column >= columnCount())
        return;
    columns_[size_t(column)].Color = color;
    if (rows_ > 0)
        Q_EMIT dataChanged(index(0, column), index(rows_ - 1, column), {Qt::BackgroundRole});
}

const TField* TableModel::field(int column) const {
    if (!table_ || !table_->Active() || column < 0 || column >= columnCount())
        return nullptr;
    const int fieldIndex = fieldIndex_[size_t(column)];
    if (fieldIndex < 0 || fieldIndex >= table_->FieldCount())
        return nullptr;
    return &table_->Fields(fieldIndex);
}

int TableModel::currentRow() const {
    if (!table_ || !table_->Active() || table_->State() == TDataSetState::Insert)
        return -1;
    const int row = table_->RecNo() - 1;
    return row >= 0 && row < rows_ ? row : -1;
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const TField* f = field(index.column());
        return f ? displayValue(index.row(), f->Index()) : QVariant();
    }
    case Qt::TextAlignmentRole: {
        const TField* f = field(index.column());
        const Qt::Alignment horizontal =
            f && f->Alignment() == TAlignment::Right ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole: {
        const QColor& color = columns_[size_t(index.column())].Color;
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    const GridColumn& column = columns_[size_t(section)];
    if (!column.Title.empty())
        return fromCp1250(column.Title);
    if (const TField* f = field(section))
        return fromCp1250(f->DisplayName());
    return fromCp1250(column.FieldName);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TableModel::tableChanged(TMemTable& table, Change change) {
    (void)table;
    switch (change) {
    case Change::Active:
    case Change::DataSet:
        rebuild();
        break;
    case Change::Record:
        currentRowChanged();
        break;
    case Change::Scroll:
    case Change::State:
        Q_EMIT currentRecordChanged();
        break;
    }
}

// Records may have come, gone or been reordered anywhere, and a load may have replaced the
// fields, so everything is asked again; views query only what they show.
void TableModel::rebuild() {
    beginResetModel();
    bindFields();
    rows_ = liveRowCount();
    endResetModel();
    Q_EMIT currentRecordChanged();
}

void TableModel::bindFields() {
    fieldIndex_.assign(columns_.size(), -1);
    if (!table_)
        return;
    for (size_t i = 0; i < columns_.size(); ++i)
        if (const TField* f = table_->FindField(columns_[i].FieldName))
            fieldIndex_[i] = f->Index();
}

int TableModel::liveRowCount() const {
    return table_ && table_->Active() ? table_->RecordCount() : 0;
}

// The row being edited shows its working copy, as the edit boxes change it. Between a change
// behind disabled controls and the refresh that follows, rows or fields may be gone: those
// cells stay empty.
QVariant TableModel::displayValue(int row, int fieldIndex) const {
    if (!table_->Active() || row >= table_->RecordCount() || fieldIndex >= table_->FieldCount())
        return {};
    const TValue value = table_->State() == TDataSetState::Edit && row == table_->RecNo() - 1
                             ? table_->Fields(fieldIndex).Value()
                             : table_->ValueAt(row, fieldIndex);
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return QString::number(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return fromCp1250(*text);
    return {};
}

void TableModel::currentRowChanged() {
    const int row = currentRow();
    if (row < 0 || columns_.empty())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
}

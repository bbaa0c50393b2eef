#pragma once

#include "data/MemTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <string>
#include <vector>

// One column of a grid, bound to a table field by name. The binding is looked up again
// whenever the table is opened or its records are shown anew, so a column survives a load
// that replaces the table's fields.
struct GridColumn {
    std::string FieldName; // code page 1250
    std::string Title;     // empty: the field's display name (the field name when unbound)
    QColor Color;          // invalid: the window colour
};

// Rows are the records of the table's current order, columns the grid's columns. Values are
// read on demand with ValueAt, so only the rows a view shows are ever touched. The model is
// told of changes through the table's observer interface; while the table's controls are
// disabled it hears nothing and keeps answering with the row count it announced last.
class TableModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT

public:
    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    // The table must outlive the model, or be detached first with nullptr.
    void setTable(TMemTable* table);
    TMemTable* table() const { return table_; }

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    void setColumnColor(int column, const QColor& color);
    // The field a column shows, nullptr while the table is closed or lacks the field.
    const TField* field(int column) const;

    // The row of the current record; -1 without a table, while it is closed or empty, and
    // while a new record is being inserted.
    int currentRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // Another record became current, or the state changed (the insert state has no current
    // row). Also emitted after every reset.
    void currentRecordChanged();

private:
    void tableChanged(TMemTable& table, Change change) override;
    void rebuild();
    void bindFields();
    int liveRowCount() const;
    QVariant displayValue(int row, int fieldIndex) const;
    void currentRowChanged();

    TMemTable* table_ = nullptr;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldIndex_; // per column; -1 when unbound
    int rows_ = 0;                // the row count announced to the views
};

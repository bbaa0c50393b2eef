#pragma once

#include "data/MemTable.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QIODevice;

// One table field to export, named by DataField. The field it stands for is looked up by
// name in the exporter's table, and only while that table is open.
class TExportField {
public:
    virtual ~TExportField() = default;

    std::string DataField;
    bool Save = true;

    // The table's field of this name; nullptr when the table is missing or closed, or has no
    // such field.
    TField* Field(const TMemTable* table) const;

    // Fills the item from a table field: its name and whether it is visible. Items with more
    // properties fill those too.
    virtual void AssignField(const TField& field);
};

// The export items of one exporter, in order. The collection makes its items with the maker
// it is given, so a derived exporter's collection holds its own kind of item.
class TExportFields {
public:
    using Maker = std::function<std::unique_ptr<TExportField>()>;
    explicit TExportFields(Maker maker);
    virtual ~TExportFields() = default;
    TExportFields(const TExportFields&) = delete;
    TExportFields& operator=(const TExportFields&) = delete;

    int Count() const { return int(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    TExportField& Item(int index) const { return *items_.at(std::size_t(index)); }
    TExportField& AddItem();
    void Clear() { items_.clear(); }

    // Empties the collection, then adds one item per field of the table in field order, each
    // filled from its field.
    void BuildFromDataSet(const TMemTable& table);

private:
    Maker maker_;
    std::vector<std::unique_ptr<TExportField>> items_;
};

// The items of one derived kind.
template <class T>
class TExportFieldsOf : public TExportFields {
public:
    TExportFieldsOf()
        : TExportFields([] { return std::make_unique<T>(); }) {}
    T& operator[](int index) const { return static_cast<T&>(Item(index)); }
    T& Add() { return static_cast<T&>(AddItem()); }
};

// A generic table exporter: checks the table, walks it from the first record to the end with
// notifications around the walk, and leaves the writing of a record to a derived class.
// The table is not owned and must outlive the exporter's use of it.
class TDataExport {
public:
    TDataExport() = default;
    virtual ~TDataExport() = default;
    TDataExport(const TDataExport&) = delete;
    TDataExport& operator=(const TDataExport&) = delete;

    TMemTable* DataSet() const { return dataSet_; }
    void SetDataSet(TMemTable* table) { dataSet_ = table; }

    // Fired once per export when the columns exist; a handler may change them.
    std::function<void(TDataExport&)> OnBeginExport;
    // Fired once per export at its end (not after a failure).
    std::function<void(TDataExport&)> OnEndExport;
    // Fired before each record; setting Cancel skips it.
    std::function<void(TDataExport&, bool& Cancel)> BeforeWriteRecord;
    // Fired after each written record.
    std::function<void(TDataExport&)> AfterWriteRecord;

    // True from the start of BeginExport to the end of EndExport. StopExport clears it, and
    // the walk ends before the next record.
    bool Exporting() const { return exporting_; }
    void StopExport() { exporting_ = false; }
    // True when this export built the columns itself; they are removed at its end.
    bool AutoColumns() const { return autoColumns_; }

    // Checks the table, then writes it to the file through a temporary file that replaces
    // the file only when the export is complete: a failed export (a table refused, a missing
    // field, a write error) creates no file and leaves an existing one as it was.
    void ExportToFile(const QString& path);
    // Checks the table before anything is written, then runs BeginExport, ExportRecords and
    // EndExport on the device. A failure brings the exporter back to idle and passes on.
    void ExportToStream(QIODevice& stream);

    // The column collection of the export.
    virtual TExportFields& GetColumns() = 0;

protected:
    // The table checks, with the messages of the program's table layer. A derived exporter
    // adds its own limits.
    virtual void CheckDataSet() const;
    virtual void BeginExport();
    virtual void EndExport();
    virtual void ExportRecords();
    virtual void WriteRecord() = 0;
    // After a failure: releases what the export held, without finishing the output.
    virtual void AbortExport();

    QIODevice* Stream() const { return stream_; }

private:
    TMemTable* dataSet_ = nullptr;
    QIODevice* stream_ = nullptr;
    bool exporting_ = false;
    bool autoColumns_ = false;
};

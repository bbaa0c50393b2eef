#include "output/DataExport.h"

#include "platform/SafeSave.h"

#include <QIODevice>

// ---- TExportField -----------------------------------------------------------------------

TField* TExportField::Field(const TMemTable* table) const {
    if (table == nullptr || !table->Active())
        return nullptr;
    return table->FindField(DataField);
}

void TExportField::AssignField(const TField& field) {
    DataField = field.FieldName();
    Save = field.Visible();
}

// ---- TExportFields ----------------------------------------------------------------------

TExportFields::TExportFields(Maker maker)
    : maker_(std::move(maker)) {}

TExportField& TExportFields::AddItem() {
    items_.push_back(maker_());
    return *items_.back();
}

void TExportFields::BuildFromDataSet(const TMemTable& table) {
    Clear();
    for (int i = 0; i < table.FieldCount(); ++i)
        AddItem().AssignField(table.Fields(i));
}

// ---- TDataExport ------------------------------------------------------------------------

void TDataExport::ExportToFile(const QString& path) {
    // The table is refused before a file exists, so a refusal leaves no empty file behind.
    CheckDataSet();
    saveFileOrThrow(path, [this](QIODevice& device) { ExportToStream(device); });
}

void TDataExport::ExportToStream(QIODevice& stream) {
    CheckDataSet();
    stream_ = &stream;
    try {
        BeginExport();
        ExportRecords();
        EndExport();
    } catch (...) {
        AbortExport();
        stream_ = nullptr;
        throw;
    }
    stream_ = nullptr;
}

void TDataExport::CheckDataSet() const {
    if (dataSet_ == nullptr)
        throw VembaError("Cannot perform this operation without a dataset");
    if (!dataSet_->Active())
        throw VembaError("Cannot perform this operation on a closed dataset");
    if (dataSet_->IsEmpty())
        throw VembaError("Cannot perform this operation on an empty dataset");
}

void TDataExport::BeginExport() {
    exporting_ = true;
    TExportFields& columns = GetColumns();
    autoColumns_ = columns.IsEmpty();
    if (autoColumns_)
        columns.BuildFromDataSet(*dataSet_);
    if (OnBeginExport)
        OnBeginExport(*this);
}

void TDataExport::EndExport() {
    if (autoColumns_)
        GetColumns().Clear();
    if (OnEndExport)
        OnEndExport(*this);
    exporting_ = false;
}

void TDataExport::ExportRecords() {
    TMemTable& table = *dataSet_;
    // The table's position and display updates come back however the walk ends.
    QuietControls quiet(table);
    struct BackToBookmark {
        TMemTable& table;
        TBookmark mark;
        ~BackToBookmark() {
            try {
                table.GotoBookmark(mark);
            } catch (...) {
                // The walk's own failure is the one the caller hears about.
            }
        }
    } back{table, table.GetBookmark()};
    table.First();
    while (!table.Eof() && exporting_) {
        bool cancel = false;
        if (BeforeWriteRecord)
            BeforeWriteRecord(*this, cancel);
        if (!cancel) {
            WriteRecord();
            if (AfterWriteRecord)
                AfterWriteRecord(*this);
        }
        table.Next();
    }
}

void TDataExport::AbortExport() {
    if (autoColumns_)
        GetColumns().Clear();
    exporting_ = false;
}

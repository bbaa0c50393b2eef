#include "output/DataToXLS.h"

namespace {

// DIMENSIONS claims these whatever the sheet holds; readers size the sheet from its cells.
constexpr int DimensionRows = 1025;
constexpr int DimensionColumns = 4;

TCellAttribute alignmentFlag(TxlAlignment alignment) {
    switch (alignment) {
    case TxlAlignment::Right:
        return caRight;
    case TxlAlignment::Center:
        return caCenter;
    case TxlAlignment::Left:
        break;
    }
    return caLeft;
}

} // namespace

TCellType cellTypeOf(TFieldType type) {
    switch (type) {
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::Word:
    case TFieldType::Bytes:
    case TFieldType::AutoInc:
        return TCellType::ctInteger;
    case TFieldType::Boolean:
        return TCellType::ctBoolean;
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::BCD:
        return TCellType::ctDouble;
    default:
        return TCellType::ctLabel;
    }
}

void TxlColumn::AssignField(const TField& field) {
    TExportField::AssignField(field);
    Title = field.DisplayName();
    Alignment = field.Alignment() == TAlignment::Right ? TxlAlignment::Right : TxlAlignment::Left;
    ColWidth = 0;
    DataType = cellTypeOf(field.DataType());
}

TDataToXLS::TDataToXLS() {
    Title.Font.Bold = true;
    Header.Font.Bold = true;
}

TDataToXLS::~TDataToXLS() = default;

void TDataToXLS::CheckDataSet() const {
    TDataExport::CheckDataSet();
    const int rows = DataSet()->RecordCount() + 1 + (Title.Text.empty() ? 0 : 1);
    if (rows > MaxRows)
        throw VembaError(TooManyRowsMessage);
}

void TDataToXLS::BeginExport() {
    TDataExport::BeginExport();
    writer_ = std::make_unique<TBiffFile>(*Stream());
    row_ = 0;
    writer_->WriteFont(Detail.Font);
    writer_->WriteFont(Title.Font);
    writer_->WriteFont(Header.Font);
    writer_->WriteDimensions(0, DimensionRows, 0, DimensionColumns);
    if (!Title.Text.empty()) {
        writer_->WriteLabel(0, 0, {caFont2}, Title.Text);
        row_ = 1;
    }
    if (!Comment.empty())
        writer_->WriteNote(0, 0, Comment);
    int column = 0;
    for (int i = 0; i < Columns.Count(); ++i) {
        const TxlColumn& item = Columns[i];
        if (!item.Save)
            continue;
        if (item.ColWidth > 0)
            writer_->WriteColWidth(column, item.ColWidth);
        writer_->WriteLabel(row_, column, {caFont3}, item.Title);
        ++column;
    }
    ++row_;
}

void TDataToXLS::WriteRecord() {
    TMemTable& table = *DataSet();
    int column = 0;
    for (int i = 0; i < Columns.Count(); ++i) {
        const TxlColumn& item = Columns[i];
        if (!item.Save)
            continue;
        const TValue value = table.FieldByName(item.DataField).Value();
        writer_->WriteCell(row_, column, {alignmentFlag(item.Alignment)}, item.DataType, value);
        ++column;
    }
    ++row_;
}

void TDataToXLS::EndExport() {
    writer_->Close();
    writer_.reset();
    TDataExport::EndExport();
}

void TDataToXLS::AbortExport() {
    writer_.reset();
    TDataExport::AbortExport();
}

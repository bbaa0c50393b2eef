#pragma once

#include "output/BiffFile.h"
#include "output/DataExport.h"

#include <memory>
#include <string>

// One kind of row and its font.
struct TxlBand {
    TBiffFont Font;
};
struct TxlTitle : TxlBand {
    std::string Text; // code page 1250; empty: no title row
};
struct TxlHeader : TxlBand {};
struct TxlDetail : TxlBand {};

enum class TxlAlignment { Left, Right, Center };

// One sheet column.
class TxlColumn : public TExportField {
public:
    std::string Title; // the header cell's text, code page 1250
    TxlAlignment Alignment = TxlAlignment::Left;
    int ColWidth = 0; // in 1/256 of a character's width; 0 or less writes no width
    TCellType DataType = TCellType::ctLabel;

    // Also the field's display label as the title, its alignment, width 0 and the cell type
    // that its field type gives (cellTypeOf).
    void AssignField(const TField& field) override;
};

using TxlColumns = TExportFieldsOf<TxlColumn>;

// The cell type a column of this field type gets.
TCellType cellTypeOf(TFieldType type);

// Writes a table as a one-sheet worksheet: an optional title row, a header row of the saved
// columns' titles, then one row per record. Without columns of its own the export builds one
// per table field and removes them again at its end.
class TDataToXLS : public TDataExport {
public:
    // The sheet's rows are numbered in 16 bits.
    static constexpr int MaxRows = 65536;
    static constexpr const char* TooManyRowsMessage =
        "Az Excel munkalapra legfeljebb 65536 sor f\xe9r.";

    TDataToXLS();
    ~TDataToXLS() override;

    TxlColumns Columns;
    TxlTitle Title;
    TxlHeader Header;
    TxlDetail Detail;
    std::string Comment; // code page 1250; when set, a note on the first cell

    // The sheet row the next row goes to.
    int Row() const { return row_; }

    TExportFields& GetColumns() override { return Columns; }

protected:
    // Also refuses a table whose rows, title and header included, would not fit the sheet.
    void CheckDataSet() const override;
    void BeginExport() override;
    void EndExport() override;
    void WriteRecord() override;
    void AbortExport() override;

private:
    std::unique_ptr<TBiffFile> writer_;
    int row_ = 0;
};

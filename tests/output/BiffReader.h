#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// A small reader of the worksheet records the workbook writer produces, written from the
// record layouts alone, so the tests read the files back as a spreadsheet program would.

struct BiffRecord {
    std::uint16_t type = 0;
    QByteArray data;
};

// Splits a file into its records; nullopt when a record runs past the end of the file.
std::optional<std::vector<BiffRecord>> biffRecords(const QByteArray& file);

// One cell record read back.
struct BiffCell {
    std::uint16_t type = 0; // 0x0001 BLANK, 0x0002 INTEGER, 0x0003 NUMBER, 0x0004 LABEL, 0x0005
    int row = 0;
    int column = 0;
    std::uint8_t attributes[3] = {0, 0, 0};
    // INTEGER and BOOLERR: the integer; NUMBER: the double; LABEL: the bytes (code page 1250).
    std::variant<std::monostate, std::int64_t, double, std::string> value;
};

// The cell of a cell record; nullopt for any other record.
std::optional<BiffCell> biffCell(const BiffRecord& record);

// The record kinds of a file in order, by short names ("BOF", "CODEPAGE", "FONT", "LABEL",
// ...); "?xxxx" for an unknown type.
std::vector<std::string> biffKinds(const std::vector<BiffRecord>& records);

// The cells of a file in record order.
std::vector<BiffCell> biffCells(const std::vector<BiffRecord>& records);

// A cell as a short text for comparisons: "r,c kind value attrs", e.g.
// "1,0 INTEGER 42 00 00 03" or "0,1 LABEL nyelv1 00 80 00". Text is shown as UTF-8.
std::string describe(const BiffCell& cell);

// Little-endian integers at an offset of a record's data.
std::uint16_t u16At(const QByteArray& data, int offset);

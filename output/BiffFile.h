#pragma once

#include "data/MemTable.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class QIODevice;

// The kind of a worksheet cell.
enum class TCellType { ctBlank, ctInteger, ctDouble, ctLabel, ctBoolean };

// One formatting flag of a cell, by ordinal.
enum TCellAttribute : int {
    caHidden,
    caLocked,
    caShaded,
    caBottomBorder,
    caTopBorder,
    caRightBorder,
    caLeftBorder,
    caFont1,
    caFont2,
    caFont3,
    caFont4,
    caLeft,
    caCenter,
    caRight,
    caFill
};

// A set of cell attributes held in 16 bits, bit n standing for the flag of ordinal n.
class TCellAttributes {
public:
    constexpr TCellAttributes() = default;
    constexpr TCellAttributes(std::initializer_list<TCellAttribute> flags) {
        for (TCellAttribute flag : flags)
            bits_ = std::uint16_t(bits_ | (1u << flag));
    }
    constexpr bool contains(TCellAttribute flag) const { return (bits_ >> flag) & 1u; }
    constexpr std::uint16_t bits() const { return bits_; }
    constexpr TCellAttributes& operator+=(TCellAttribute flag) {
        bits_ = std::uint16_t(bits_ | (1u << flag));
        return *this;
    }
    friend constexpr bool operator==(TCellAttributes, TCellAttributes) = default;

private:
    std::uint16_t bits_ = 0;
};

// The font of a band of rows: a FONT record holds its name, whole-point size and style.
struct TBiffFont {
    std::string Name = "Arial"; // code page 1250
    int Size = 10;              // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

// The three attribute bytes of a cell head.
struct TCellAttributeBytes {
    std::uint8_t b0;
    std::uint8_t b1;
    std::uint8_t b2;
};
TCellAttributeBytes cellAttributeBytes(TCellAttributes attributes);

// Writes the records of a one-sheet worksheet in the oldest binary spreadsheet format onto an
// open device. Text is code page 1250 as the table holds it, and the file says so in a
// CODEPAGE record right after BOF; readers take it for Western European text otherwise.
// Every write failure throws VembaError with the device's reason. Row and column numbers are
// 16-bit: the low 16 bits are written (the low 8 in COLWIDTH).
class TBiffFile {
public:
    // Writes BOF (a worksheet) and CODEPAGE 1250.
    explicit TBiffFile(QIODevice& stream);
    TBiffFile(const TBiffFile&) = delete;
    TBiffFile& operator=(const TBiffFile&) = delete;

    // Writes EOF. A writer left without it (a failed export) leaves a file without its end.
    void Close();

    void WriteFont(const TBiffFont& font);
    void WriteDimensions(int firstRow, int rowLimit, int firstColumn, int columnLimit);
    void WriteColWidth(int column, int width);
    void WriteNote(int row, int column, std::string_view text);

    // One cell record chosen by the type and the value: null is BLANK whatever the type; an
    // integer cell holding 0 to 65,535 is INTEGER, any other integer a NUMBER holding it
    // exactly. A value that does not convert to the type throws VembaError.
    void WriteCell(int row, int column, TCellAttributes attributes, TCellType type,
                   const TValue& value);

    void WriteBlank(int row, int column, TCellAttributes attributes);
    void WriteInteger(int row, int column, TCellAttributes attributes, std::uint16_t value);
    void WriteNumber(int row, int column, TCellAttributes attributes, double value);
    // Longer texts are cut to their first 255 characters.
    void WriteLabel(int row, int column, TCellAttributes attributes, std::string_view text);
    void WriteBoolean(int row, int column, TCellAttributes attributes, bool value);

private:
    void begin(std::uint16_t type);
    void cellHead(int row, int column, TCellAttributes attributes);
    void u8(std::uint8_t value);
    void u16(std::uint16_t value);
    void bytes(std::string_view text);
    void end();

    QIODevice& stream_;
    std::string record_;
};

#include "output/BiffFile.h"

#include "platform/Cp1250.h"
#include "ui/TextRoutines.h"

#include <QIODevice>
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>

namespace {

enum RecordType : std::uint16_t {
    Dimensions = 0x0000,
    Blank = 0x0001,
    Integer = 0x0002,
    Number = 0x0003,
    Label = 0x0004,
    BoolErr = 0x0005,
    Bof = 0x0009,
    Eof = 0x000A,
    Note = 0x001C,
    ColWidth = 0x0024,
    Font = 0x0031,
    CodePage = 0x0042,
};

constexpr std::uint16_t Version = 2;
constexpr std::uint16_t WorksheetType = 0x0010;
constexpr std::uint16_t WindowsCentralEurope = 1250;
constexpr std::size_t MaxText = 255;

std::string_view cut(std::string_view text) {
    return text.substr(0, std::min(text.size(), MaxText));
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::int64_t textAsInteger(const std::string& text) {
    std::string digits = trimmed(text);
    if (!digits.empty() && digits.front() == '+')
        digits.erase(0, 1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw VembaError("'" + text + "' is not a valid integer value");
    return value;
}

bool textAsBoolean(const std::string& text) {
    std::string word = trimmed(text);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    try {
        return textAsInteger(word) != 0;
    } catch (const VembaError&) {
        throw VembaError("'" + text + "' is not a valid boolean value");
    }
}

std::int64_t integerOf(const TValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    return textAsInteger(std::get<std::string>(value));
}

bool booleanOf(const TValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number != 0;
    return textAsBoolean(std::get<std::string>(value));
}

} // namespace

TCellAttributeBytes cellAttributeBytes(TCellAttributes a) {
    TCellAttributeBytes bytes{0, 0, 0};
    if (a.contains(caHidden))
        bytes.b0 |= 0x80;
    if (a.contains(caLocked))
        bytes.b0 |= 0x40;
    // caFont1 wins over the others; the font index goes into the top two bits.
    int font = 0;
    if (a.contains(caFont1))
        font = 0;
    else if (a.contains(caFont2))
        font = 1;
    else if (a.contains(caFont3))
        font = 2;
    else if (a.contains(caFont4))
        font = 3;
    bytes.b1 = std::uint8_t(font * 0x40);
    if (a.contains(caShaded))
        bytes.b2 |= 0x80;
    if (a.contains(caBottomBorder))
        bytes.b2 |= 0x40;
    if (a.contains(caTopBorder))
        bytes.b2 |= 0x20;
    if (a.contains(caRightBorder))
        bytes.b2 |= 0x10;
    if (a.contains(caLeftBorder))
        bytes.b2 |= 0x08;
    int alignment = 0;
    if (a.contains(caLeft))
        alignment = 1;
    else if (a.contains(caCenter))
        alignment = 2;
    else if (a.contains(caRight))
        alignment = 3;
    if (a.contains(caFill))
        alignment += 4;
    bytes.b2 = std::uint8_t(bytes.b2 + alignment);
    return bytes;
}

TBiffFile::TBiffFile(QIODevice& stream)
    : stream_(stream) {
    begin(Bof);
    u16(Version);
    u16(WorksheetType);
    end();
    begin(CodePage);
    u16(WindowsCentralEurope);
    end();
}

void TBiffFile::Close() {
    begin(Eof);
    end();
}

void TBiffFile::WriteFont(const TBiffFont& font) {
    const std::string_view name = cut(font.Name);
    begin(Font);
    u16(std::uint16_t(font.Size * 20));
    u16(std::uint16_t((font.Bold ? 1 : 0) | (font.Italic ? 2 : 0) | (font.Underline ? 4 : 0) |
                      (font.StrikeOut ? 8 : 0)));
    u8(std::uint8_t(name.size()));
    bytes(name);
    end();
}

void TBiffFile::WriteDimensions(int firstRow, int rowLimit, int firstColumn, int columnLimit) {
    begin(Dimensions);
    u16(std::uint16_t(firstRow));
    u16(std::uint16_t(rowLimit));
    u16(std::uint16_t(firstColumn));
    u16(std::uint16_t(columnLimit));
    end();
}

void TBiffFile::WriteColWidth(int column, int width) {
    begin(ColWidth);
    u8(std::uint8_t(column));
    u8(std::uint8_t(column));
    u16(std::uint16_t(width));
    end();
}

void TBiffFile::WriteNote(int row, int column, std::string_view text) {
    const std::string_view note = cut(text);
    begin(Note);
    u16(std::uint16_t(row));
    u16(std::uint16_t(column));
    u16(std::uint16_t(note.size()));
    bytes(note);
    end();
}

void TBiffFile::WriteCell(int row, int column, TCellAttributes attributes, TCellType type,
                          const TValue& value) {
    if (isNull(value) || type == TCellType::ctBlank) {
        WriteBlank(row, column, attributes);
        return;
    }
    switch (type) {
    case TCellType::ctInteger: {
        // INTEGER holds 0 to 65,535 only; a shuffle key or a negative number would lose its
        // high bits there.
        const std::int64_t number = integerOf(value);
        if (number >= 0 && number <= 0xFFFF)
            WriteInteger(row, column, attributes, std::uint16_t(number));
        else
            WriteNumber(row, column, attributes, double(number));
        break;
    }
    case TCellType::ctDouble:
        WriteNumber(row, column, attributes, VarSzam(value, 0));
        break;
    case TCellType::ctLabel:
        WriteLabel(row, column, attributes, VarSzoveg(value, {}));
        break;
    case TCellType::ctBoolean:
        WriteBoolean(row, column, attributes, booleanOf(value));
        break;
    case TCellType::ctBlank:
        break;
    }
}

void TBiffFile::WriteBlank(int row, int column, TCellAttributes attributes) {
    begin(Blank);
    cellHead(row, column, attributes);
    end();
}

void TBiffFile::WriteInteger(int row, int column, TCellAttributes attributes, std::uint16_t value) {
    begin(Integer);
    cellHead(row, column, attributes);
    u16(value);
    end();
}

void TBiffFile::WriteNumber(int row, int column, TCellAttributes attributes, double value) {
    begin(Number);
    cellHead(row, column, attributes);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        u8(std::uint8_t(bits >> shift));
    end();
}

void TBiffFile::WriteLabel(int row, int column, TCellAttributes attributes, std::string_view text) {
    const std::string_view label = cut(text);
    begin(Label);
    cellHead(row, column, attributes);
    u8(std::uint8_t(label.size()));
    bytes(label);
    end();
}

void TBiffFile::WriteBoolean(int row, int column, TCellAttributes attributes, bool value) {
    begin(BoolErr);
    cellHead(row, column, attributes);
    u8(value ? 1 : 0);
    u8(0); // a Boolean, not an error code
    end();
}

// A record is gathered whole, its length filled in at the end, and written in one call.
void TBiffFile::begin(std::uint16_t type) {
    record_.clear();
    u16(type);
    u16(0);
}

void TBiffFile::cellHead(int row, int column, TCellAttributes attributes) {
    u16(std::uint16_t(row));
    u16(std::uint16_t(column));
    const TCellAttributeBytes a = cellAttributeBytes(attributes);
    u8(a.b0);
    u8(a.b1);
    u8(a.b2);
}

void TBiffFile::u8(std::uint8_t value) {
    record_.push_back(char(value));
}

void TBiffFile::u16(std::uint16_t value) {
    record_.push_back(char(value & 0xFF));
    record_.push_back(char(value >> 8));
}

void TBiffFile::bytes(std::string_view text) {
    record_.append(text);
}

void TBiffFile::end() {
    const std::size_t length = record_.size() - 4;
    record_[2] = char(length & 0xFF);
    record_[3] = char(length >> 8);
    const auto size = qint64(record_.size());
    if (stream_.write(record_.data(), size) != size)
        throw VembaError(toCp1250(stream_.errorString()));
}

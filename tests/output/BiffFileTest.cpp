#include "output/BiffFile.h"

#include "BiffReader.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

// The bytes one call of the writer adds after the file's opening BOF and CODEPAGE records.
QByteArray written(const std::function<void(TBiffFile&)>& write) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TBiffFile file(buffer);
    const qint64 opening = buffer.size();
    write(file);
    return buffer.data().mid(opening);
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

TEST(BiffFileTest, OpensWithAWorksheetBofAndTheCodePage) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TBiffFile file(buffer);
    // BOF of a worksheet (0x0010; 0x000A is refused by readers), then code page 1250, without
    // which readers take ő for õ.
    EXPECT_EQ(buffer.data(), hex("0900040002001000"
                                 "42000200e204"));
}

struct BytesRow {
    const char* name;
    std::function<void(TBiffFile&)> write;
    QByteArray bytes;
};

TEST(BiffFileTest, RecordsHaveTheirLayouts) {
    const TBiffFont arial;
    TBiffFont styled;
    styled.Name = "Courier New";
    styled.Size = 12;
    styled.Bold = styled.Italic = styled.Underline = styled.StrikeOut = true;
    const std::string long300(300, 'x');
    const BytesRow rows[] = {
        {"regular 10-point Arial", [&](TBiffFile& f) { f.WriteFont(arial); },
         hex("31000a00c800000005") + "Arial"},
        {"every style, 12 points", [&](TBiffFile& f) { f.WriteFont(styled); },
         hex("31001000"
             "f000"
             "0f00"
             "0b") +
             "Courier New"},
        {"fixed dimensions", [](TBiffFile& f) { f.WriteDimensions(0, 1025, 0, 4); },
         hex("000008000000010400000400")},
        {"header label nyelv1 at 0,1",
         [](TBiffFile& f) { f.WriteLabel(0, 1, {caFont3}, "nyelv1"); },
         hex("04000e0000000100008000"
             "06") +
             "nyelv1"},
        {"label cut to 255 characters",
         [&](TBiffFile& f) { f.WriteLabel(2, 0, {caLeft}, long300); },
         hex("0400"
             "0701"
             "0200"
             "0000"
             "000001"
             "ff") +
             QByteArray(255, 'x')},
        {"accented label as code page 1250",
         [](TBiffFile& f) { f.WriteLabel(1, 2, {caLeft}, cp("tűz ő")); },
         hex("04000d0001000200000001"
             "05"
             "74fb7a20f5")},
        {"blank", [](TBiffFile& f) { f.WriteBlank(3, 4, {caRight}); },
         hex("01000700030004000000"
             "03")},
        {"integer", [](TBiffFile& f) { f.WriteInteger(1, 0, {caRight}, 0xFFFF); },
         hex("020009000100000000000"
             "3ffff")},
        {"number", [](TBiffFile& f) { f.WriteNumber(0, 0, {}, 1.5); },
         hex("03000f0000000000000000"
             "000000000000f83f")},
        {"boolean", [](TBiffFile& f) { f.WriteBoolean(0, 1, {caCenter}, true); },
         hex("050009000000010000000"
             "20100")},
        {"note cut to 255 characters", [&](TBiffFile& f) { f.WriteNote(0, 0, long300); },
         hex("1c000501"
             "0000"
             "0000"
             "ff00") +
             QByteArray(255, 'x')},
        {"column width of one column", [](TBiffFile& f) { f.WriteColWidth(3, 2560); },
         hex("24000400"
             "0303"
             "000a")},
        {"row and column take their low 16 and 8 bits",
         [](TBiffFile& f) {
             f.WriteBlank(65536 + 7, 65536 + 2, {});
             f.WriteColWidth(256 + 1, 10);
         },
         hex("010007000700020000000"
             "0") +
             hex("24000400"
                 "0101"
                 "0a00")},
        {"end of file", [](TBiffFile& f) { f.Close(); }, hex("0a000000")},
    };
    for (const BytesRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(written(row.write).toHex(' '), row.bytes.toHex(' '));
    }
}

struct AttributeRow {
    TCellAttributes attributes;
    TCellAttributeBytes bytes;
};

TEST(BiffFileTest, AttributeBytesFollowTheFlags) {
    const AttributeRow rows[] = {
        {{}, {0x00, 0x00, 0x00}},
        {{caHidden}, {0x80, 0x00, 0x00}},
        {{caLocked}, {0x40, 0x00, 0x00}},
        {{caHidden, caLocked}, {0xC0, 0x00, 0x00}},
        {{caFont2}, {0x00, 0x40, 0x00}},
        {{caFont3}, {0x00, 0x80, 0x00}},
        {{caFont4}, {0x00, 0xC0, 0x00}},
        {{caFont1, caFont4}, {0x00, 0x00, 0x00}}, // caFont1 wins
        {{caFont2, caFont3}, {0x00, 0x40, 0x00}},
        {{caShaded, caBottomBorder, caTopBorder, caRightBorder, caLeftBorder}, {0, 0, 0xF8}},
        {{caLeft}, {0, 0, 0x01}},
        {{caCenter}, {0, 0, 0x02}},
        {{caRight}, {0, 0, 0x03}},
        {{caLeft, caRight}, {0, 0, 0x01}}, // tested in the order left, centre, right
        {{caCenter, caRight}, {0, 0, 0x02}},
        {{caFill}, {0, 0, 0x04}},
        {{caRight, caFill}, {0, 0, 0x07}},
        {{caLeftBorder, caCenter, caFill}, {0, 0, 0x0E}},
    };
    for (const AttributeRow& row : rows) {
        SCOPED_TRACE(row.attributes.bits());
        const TCellAttributeBytes bytes = cellAttributeBytes(row.attributes);
        EXPECT_EQ(bytes.b0, row.bytes.b0);
        EXPECT_EQ(bytes.b1, row.bytes.b1);
        EXPECT_EQ(bytes.b2, row.bytes.b2);
    }
}

TEST(BiffFileTest, AttributeSetKeepsBitNForOrdinalN) {
    EXPECT_EQ(TCellAttributes({caHidden}).bits(), 0x0001);
    EXPECT_EQ(TCellAttributes({caFont1}).bits(), 0x0080);
    EXPECT_EQ(TCellAttributes({caFill}).bits(), 0x4000);
}

struct CellRow {
    const char* name;
    TCellType type;
    TValue value;
    const char* cell; // as describe() shows it
};

TEST(BiffFileTest, WriteCellChoosesTheRecordByTypeAndValue) {
    const CellRow rows[] = {
        {"null integer is blank", TCellType::ctInteger, TValue{}, "0,0 BLANK 00 00 03"},
        {"null label is blank", TCellType::ctLabel, TValue{}, "0,0 BLANK 00 00 03"},
        {"blank type ignores the value", TCellType::ctBlank, TValue{7}, "0,0 BLANK 00 00 03"},
        {"0 is an integer", TCellType::ctInteger, TValue{0}, "0,0 INTEGER 0 00 00 03"},
        {"65535 is an integer", TCellType::ctInteger, TValue{65535}, "0,0 INTEGER 65535 00 00 03"},
        // Kept exactly instead of their low 16 bits (4464 and 65535).
        {"70000 is a number", TCellType::ctInteger, TValue{70000}, "0,0 NUMBER 70000 00 00 03"},
        {"-1 is a number", TCellType::ctInteger, TValue{-1}, "0,0 NUMBER -1 00 00 03"},
        {"65536 is a number", TCellType::ctInteger, TValue{65536}, "0,0 NUMBER 65536 00 00 03"},
        {"largest shuffle key", TCellType::ctInteger, TValue{2147483646},
         "0,0 NUMBER 2147483646 00 00 03"},
        {"smallest integer", TCellType::ctInteger, TValue{std::numeric_limits<std::int32_t>::min()},
         "0,0 NUMBER -2147483648 00 00 03"},
        {"integer from text", TCellType::ctInteger, TValue{std::string(" 12 ")},
         "0,0 INTEGER 12 00 00 03"},
        {"double from an integer", TCellType::ctDouble, TValue{3}, "0,0 NUMBER 3 00 00 03"},
        {"double from text with a comma", TCellType::ctDouble, TValue{std::string("1,25")},
         "0,0 NUMBER 1.25 00 00 03"},
        {"label from an integer", TCellType::ctLabel, TValue{42}, "0,0 LABEL 42 00 00 03"},
        {"label", TCellType::ctLabel, TValue{cp("körte")}, "0,0 LABEL körte 00 00 03"},
        {"boolean true", TCellType::ctBoolean, TValue{std::string("True")},
         "0,0 BOOLERR 1 00 00 03"},
        {"boolean from zero", TCellType::ctBoolean, TValue{0}, "0,0 BOOLERR 0 00 00 03"},
    };
    for (const CellRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes =
            written([&](TBiffFile& f) { f.WriteCell(0, 0, {caRight}, row.type, row.value); });
        const auto records = biffRecords(bytes);
        ASSERT_TRUE(records.has_value());
        ASSERT_EQ(records->size(), 1u);
        const auto cell = biffCell(records->front());
        ASSERT_TRUE(cell.has_value());
        EXPECT_EQ(describe(*cell), row.cell);
    }
}

TEST(BiffFileTest, ValueThatDoesNotConvertFails) {
    const CellRow rows[] = {
        {"'abc' is not a valid integer value", TCellType::ctInteger, TValue{std::string("abc")},
         nullptr},
        {"'x1' is not a valid floating point value", TCellType::ctDouble, TValue{std::string("x1")},
         nullptr},
        {"'maybe' is not a valid boolean value", TCellType::ctBoolean, TValue{std::string("maybe")},
         nullptr},
    };
    for (const CellRow& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            written([&](TBiffFile& f) { f.WriteCell(0, 0, {}, row.type, row.value); });
            ADD_FAILURE() << "no failure";
        } catch (const VembaError& error) {
            EXPECT_STREQ(error.what(), row.name);
        }
    }
}

// A device that takes nothing.
class FullDevice : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
};

TEST(BiffFileTest, FailedWriteThrowsTheDevicesReason) {
    FullDevice device;
    device.open(QIODevice::WriteOnly);
    try {
        TBiffFile file(device);
        ADD_FAILURE() << "no failure";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "No space left on device");
    }
}

} // namespace

#include "platform/PrivateProfile.h"

#include "platform/Error.h"
#include "support/Faults.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ProfileFile : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("Vemba.ini")); }
    void write(const std::string& text) { writeAll(path(), QByteArray::fromStdString(text)); }
    std::string content() const { return readAll(path()).toStdString(); }

    QTemporaryDir dir;
};

// ---- reading numbers ------------------------------------------------------------------

struct IntegerCase {
    const char* name;
    std::string file;
    int expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadInteger : public ProfileFile, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(ReadInteger, GivesTheValueOrTheDefault) {
    write(GetParam().file);
    EXPECT_EQ(readProfileInteger(path(), "Font", "Size", 9), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadInteger,
    ::testing::Values(IntegerCase{"Decimal", "[Font]\r\nSize=12\r\n", 12},
                      IntegerCase{"HexLowerPrefix", "[Font]\r\nSize=0x0C\r\n", 12},
                      IntegerCase{"HexUpperPrefix", "[Font]\r\nSize=0X0c\r\n", 12},
                      IntegerCase{"HexDollar", "[Font]\r\nSize=$1F\r\n", 31},
                      IntegerCase{"Negative", "[Font]\r\nSize=-5\r\n", -5},
                      IntegerCase{"PlusSign", "[Font]\r\nSize=+7\r\n", 7},
                      IntegerCase{"BlanksAroundNameAndValue", "[ Font ]\n  Size =  14  \n", 14},
                      IntegerCase{"Quoted", "[Font]\r\nSize=\"11\"\r\n", 11},
                      IntegerCase{"NamesIgnoreCase", "[FONT]\r\nsize=13\r\n", 13},
                      IntegerCase{"HexAllBitsIsMinusOne", "[Font]\r\nSize=0xFFFFFFFF\r\n", -1},
                      IntegerCase{"Garbage", "[Font]\r\nSize=abc\r\n", 9},
                      IntegerCase{"NumberThenGarbage", "[Font]\r\nSize=12abc\r\n", 9},
                      IntegerCase{"PrefixWithoutDigits", "[Font]\r\nSize=0x\r\n", 9},
                      IntegerCase{"HexDigitsInDecimal", "[Font]\r\nSize=1F\r\n", 9},
                      IntegerCase{"DecimalOutOfRange", "[Font]\r\nSize=2147483648\r\n", 9},
                      IntegerCase{"SmallestDecimal", "[Font]\r\nSize=-2147483648\r\n",
                                  -2147483647 - 1},
                      IntegerCase{"HexTooLong", "[Font]\r\nSize=0x100000000\r\n", 9},
                      IntegerCase{"EmptyValue", "[Font]\r\nSize=\r\n", 9},
                      IntegerCase{"MissingKey", "[Font]\r\nName=Arial\r\n", 9},
                      IntegerCase{"KeyOfAnotherSection", "[Font]\r\n[Other]\r\nSize=12\r\n", 9},
                      IntegerCase{"MissingSection", "[File]\r\nSize=12\r\n", 9},
                      IntegerCase{"CommentedOut", "[Font]\r\n;Size=12\r\n", 9},
                      IntegerCase{"LoneCrLineEnds", "[Other]\rx=1\r[Font]\rSize=12\r", 12},
                      IntegerCase{"MixedLineEnds", "[Other]\nx=1\r\n[Font]\rSize=12", 12},
                      IntegerCase{"FirstSectionOfTheNameCounts",
                                  "[Font]\r\nSize=12\r\n[Font]\r\nSize=20\r\n", 12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, MissingFileGivesTheDefault) {
    EXPECT_EQ(readProfileInteger(path(), "Font", "Size", 9), 9);
    EXPECT_EQ(readProfileString(path(), "File", "LastFile", "x"), "x");
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";
}

// ---- reading text ---------------------------------------------------------------------

TEST_F(ProfileFile, StringValuesAreTrimmedAndUnquotedButKeepTheirBytes) {
    write(cp("[File]\r\nLastFile=  C:\\Szótár\\ő.ask  \r\nQuoted='a b '\r\nEmpty=\r\n"));
    EXPECT_EQ(readProfileString(path(), "file", "lastfile", ""), cp("C:\\Szótár\\ő.ask"));
    EXPECT_EQ(readProfileString(path(), "File", "Quoted", ""), "a b ");
    // A key with no value is there: its value is empty, not the default.
    EXPECT_EQ(readProfileString(path(), "File", "Empty", "default"), "");
    EXPECT_EQ(readProfileValue(path(), "File", "Empty"), std::optional<std::string>(""));
    EXPECT_EQ(readProfileValue(path(), "File", "Missing"), std::nullopt);
}

TEST_F(ProfileFile, StringValuesAreCutAt2047Characters) {
    std::string longValue(3000, 'x');
    write("[File]\r\nLastFile=" + longValue + "\r\n");
    EXPECT_EQ(readProfileString(path(), "File", "LastFile", "").size(), 2047u);
    EXPECT_EQ(readProfileString(path(), "File", "Other", longValue).size(), 2047u);
}

TEST_F(ProfileFile, EveryReadSeesTheFileAsItIsNow) {
    write("[Font]\r\nSize=10\r\n");
    EXPECT_EQ(readProfileInteger(path(), "Font", "Size", 9), 10);
    write("[Font]\r\nSize=11\r\n");
    EXPECT_EQ(readProfileInteger(path(), "Font", "Size", 9), 11);
}

// ---- writing --------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::optional<std::string> before; // nothing: no file yet
    const char* section;
    const char* key;
    std::string value;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class Write : public ProfileFile, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(Write, ChangesOnlyTheKeysLine) {
    const WriteCase& c = GetParam();
    if (c.before)
        write(*c.before);
    writeProfileString(path(), c.section, c.key, c.value);
    EXPECT_EQ(content(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Write,
    ::testing::Values(
        WriteCase{"FirstWriteCreatesTheFile", std::nullopt, "Font", "Size", "12",
                  "[Font]\r\nSize=12\r\n"},
        WriteCase{"InPlaceKeepingEverythingElse",
                  "; settings\r\n[Font]\r\nSize=9\r\n\r\n[Mine]\r\nx = 1 ; note\r\n", "Font",
                  "Size", "12",
                  "; settings\r\n[Font]\r\nSize=12\r\n\r\n[Mine]\r\nx = 1 ; note\r\n"},
        WriteCase{"InPlaceKeepsTheKeysSpelling", "[FONT]\r\n  SIZE = 9\r\n", "Font", "Size", "14",
                  "[FONT]\r\n  SIZE =14\r\n"},
        WriteCase{"KeyAddedAtTheEndOfItsSection",
                  "[Font]\r\nName=Arial\r\n\r\n[File]\r\nLastFile=a\r\n", "Font", "Size", "12",
                  "[Font]\r\nName=Arial\r\nSize=12\r\n\r\n[File]\r\nLastFile=a\r\n"},
        WriteCase{"KeyAddedToAnEmptySection", "[Font]\r\n[File]\r\n", "Font", "Size", "12",
                  "[Font]\r\nSize=12\r\n[File]\r\n"},
        WriteCase{"KeyAddedAfterALastLineWithoutLineEnd", "[Font]\nSize=9", "Font", "Name", "A",
                  "[Font]\nSize=9\nName=A\n"},
        WriteCase{"SectionAddedAtTheEndWithTheFilesLineEnds", "[Font]\nSize=9\n", "File",
                  "LastFile", "x", "[Font]\nSize=9\n[File]\nLastFile=x\n"},
        WriteCase{"SectionAddedAfterALastLineWithoutLineEnd", "[Font]\r\nSize=9", "File",
                  "LastFile", "x", "[Font]\r\nSize=9\r\n[File]\r\nLastFile=x\r\n"},
        WriteCase{"LoneCrLineEndsInPlace", "[Font]\rSize=9\r[File]\rLastFile=a\r", "Font", "Size",
                  "12", "[Font]\rSize=12\r[File]\rLastFile=a\r"},
        WriteCase{"LoneCrLineEndsForANewKey", "[Font]\rSize=9\r[File]\r", "File", "LastFile", "b",
                  "[Font]\rSize=9\r[File]\rLastFile=b\r"},
        WriteCase{"EmptyFile", "", "Font", "Size", "9", "[Font]\r\nSize=9\r\n"},
        WriteCase{"ValueCutAtALineBreak", std::nullopt, "File", "LastFile", "a\r\n[Font]",
                  "[File]\r\nLastFile=a\r\n"},
        WriteCase{"Cp1250BytesKept", cp("[Ő]\r\nk=ű\r\n"), "File", "LastFile", cp("/tmp/Szótár"),
                  cp("[Ő]\r\nk=ű\r\n[File]\r\nLastFile=/tmp/Szótár\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, WrittenValuesReadBack) {
    writeProfileInteger(path(), "frm_Teszt", "Left", -50);
    writeProfileInteger(path(), "frm_Teszt", "Top", 2147483647);
    writeProfileString(path(), "File", "LastFile", cp("/home/ő/elso.ask"));
    EXPECT_EQ(readProfileInteger(path(), "frm_Teszt", "Left", 10), -50);
    EXPECT_EQ(readProfileInteger(path(), "frm_Teszt", "Top", 10), 2147483647);
    EXPECT_EQ(readProfileString(path(), "File", "LastFile", ""), cp("/home/ő/elso.ask"));
    EXPECT_EQ(content(), cp("[frm_Teszt]\r\nLeft=-50\r\nTop=2147483647\r\n"
                            "[File]\r\nLastFile=/home/ő/elso.ask\r\n"));
}

// What the main window does at every close: the file must stay as it is, whatever its line ends.
TEST_F(ProfileFile, RewritingTheSameKeysDoesNotGrowTheFile) {
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(lineEnd));
        const std::string end(lineEnd);
        const std::string original =
            "[Font]" + end + "Size=12" + end + "[File]" + end + "LastFile=/home/a/elso.ask" + end;
        write(original);
        for (int run = 0; run < 3; ++run) {
            writeProfileInteger(path(), "Font", "Size",
                                readProfileInteger(path(), "Font", "Size", 9));
            writeProfileString(path(), "File", "LastFile",
                               readProfileString(path(), "File", "LastFile", "x"));
        }
        EXPECT_EQ(content(), original);
    }
}

TEST_F(ProfileFile, RefusedWriteRaisesTheMessageAndKeepsNothingHalfWritten) {
    // Tests may run as root, who may write anywhere: a regular file where the folder should be
    // refuses every user.
    QString blocker = dir.filePath(QStringLiteral("notafolder"));
    writeAll(blocker, "x");
    QString file = blocker + QStringLiteral("/Vemba.ini");
    try {
        writeProfileInteger(file, "Font", "Size", 12);
        FAIL() << "the write did not fail";
    } catch (const VembaError& error) {
        const std::string start = "Unable to write to " + file.toStdString() + ". ";
        EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
        EXPECT_GT(std::string(error.what()).size(), start.size()) << "no reason given";
    }
    EXPECT_EQ(readAll(blocker), QByteArray("x"));
}

// A settings file the user may write in a folder the user may not: the key is written in
// place, and on a full disk the file keeps every line it had.
TEST_F(ProfileFile, AFileInAReadOnlyFolderIsWrittenInPlaceAndKeepsItsTailOnAFullDisk) {
    const std::string original =
        "[Font]\r\nSize=9\r\n[frm_Teszt]\r\nLeft=1\r\nTop=2\r\n" + std::string(3000, ';') + "\r\n";
    write(original);
    ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();

    writeProfileInteger(path(), "Font", "Size", 12);
    EXPECT_EQ(readProfileInteger(path(), "Font", "Size", 9), 12);
    const std::string written = content();
    {
        FileSizeLimit full(written.size());
        try {
            writeProfileString(path(), "File", "LastFile", "/home/a/elso.ask");
            ADD_FAILURE() << "the write did not fail";
        } catch (const VembaError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path().toStdString() +
                                                     ". " + FileSizeLimit::reason().toStdString());
        }
    }
    EXPECT_EQ(content(), written);
}

} // namespace

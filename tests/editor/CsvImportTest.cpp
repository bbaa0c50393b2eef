#include "editor/CsvImport.h"

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "editor/TesztLogic.h"
#include "platform/Error.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAre;

namespace {

// ---- Dequoting a field -------------------------------------------------------------------

struct DequoteCase {
    const char* name;
    std::string field;
    std::string expected;
};

class CsvDequoteTest : public ::testing::TestWithParam<DequoteCase> {};

TEST_P(CsvDequoteTest, GivesTheImportedText) {
    EXPECT_EQ(csvDequote(GetParam().field), GetParam().expected);
}

// Q in the names stands for the double quote.
INSTANTIATE_TEST_SUITE_P(
    Fields, CsvDequoteTest,
    ::testing::Values(
        DequoteCase{"plain", "alma", "alma"}, DequoteCase{"QalmaQ", "\"alma\"", "alma"},
        DequoteCase{"doubled_quote", "\"al\"\"ma\"", "al\"ma"},
        DequoteCase{"text_after_closing_dropped", "\"alma\"fa", "alma"},
        DequoteCase{"unclosed_loses_last", "\"alma", "alm"},
        DequoteCase{"QQ_unchanged", "\"\"", "\"\""}, DequoteCase{"Qa_unchanged", "\"a", "\"a"},
        DequoteCase{"leading_blank_unchanged", " \"alma\"", " \"alma\""},
        DequoteCase{"lone_quote_unchanged", "\"", "\""},
        DequoteCase{"QQ_then_text_unchanged", "\"\"fa", "\"\"fa"}, DequoteCase{"empty", "", ""},
        DequoteCase{"trailing_blank_kept", "alma ", "alma "},
        DequoteCase{"quote_inside_plain_kept", "al\"ma", "al\"ma"},
        DequoteCase{"only_doubled_quote_inside", "\"\"\"\"", "\""},
        DequoteCase{"unclosed_single_escaped_quote_unchanged", "\"\"\"", "\"\"\""},
        DequoteCase{"unclosed_ending_in_doubled_quote", "\"alma\"\"", "alma"},
        DequoteCase{"blanks_inside_quotes_kept", "\" alma \"", " alma "},
        DequoteCase{"cp1250_bytes", cp("\"körte\""), cp("körte")}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Splitting the text into lines -------------------------------------------------------

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string_view> lines;
};

class CsvLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CsvLinesTest, SplitsAtEveryKindOfLineEnd) {
    EXPECT_THAT(csvLines(GetParam().text), ElementsAreArray(GetParam().lines));
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvLinesTest,
    ::testing::Values(LinesCase{"crlf", "h\r\na\r\nb\r\n", {"h", "a", "b"}},
                      LinesCase{"lone_cr", "h\ra\rb", {"h", "a", "b"}},
                      LinesCase{"lone_lf", "h\na\nb\n", {"h", "a", "b"}},
                      LinesCase{"mixed", "h\r\na\rb\nc", {"h", "a", "b", "c"}},
                      LinesCase{"lf_cr_is_two_ends", "h\n\ra", {"h", "", "a"}},
                      LinesCase{"cr_cr_lf_is_two_ends", "h\r\r\na", {"h", "", "a"}},
                      LinesCase{"last_line_without_end", "h\r\na", {"h", "a"}},
                      LinesCase{
                          "empty_line_in_the_middle", "h\r\na\r\n\r\nb\r\n", {"h", "a", "", "b"}},
                      LinesCase{"empty_lines_at_the_end", "h\r\na\r\n\r\n", {"h", "a", ""}},
                      LinesCase{"nul_ends_the_text", "h\r\na;b\0c\r\nd;e\r\n"s, {"h", "a;b"}},
                      LinesCase{"nul_after_a_line_end", "h\r\na\r\n\0\r\nb"s, {"h", "a"}},
                      LinesCase{"nul_first", "\0h\r\na"s, {}},
                      LinesCase{"header_only", "h\r\n", {"h"}},
                      LinesCase{"empty_header_only", "\r\n", {""}}, LinesCase{"empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The pair of a line ------------------------------------------------------------------

TEST(CsvPair, TakesTheFirstTwoFieldsDequoted) {
    const std::pair<std::string, CsvPair> cases[] = {
        {"alma;apple;x", {"alma", "apple"}},
        {"\"alma\";\"apple\"", {"alma", "apple"}},
        {"\"a;b\";c", {"\"a", "b\""}}, // a ";" inside quotes still ends the field
        {"alma", {"alma", ""}},
        {"", {"", ""}},
        {";", {"", ""}},
        {";apple", {"", "apple"}},
        {" alma ; apple ", {" alma ", " apple "}},
        {cp("körte;pear;;ő"), {cp("körte"), "pear"}},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(csvPair(line), expected);
    }
}

// ---- Importing into the editor's table ---------------------------------------------------

struct Row {
    TValue sorszam, nyelv1, nyelv2, hanyszor, hanyszorvolt;
};

std::string text(const TValue& value) {
    return isNull(value) ? "<null>" : std::get<std::string>(value);
}

// A test editor's table as it is right after the editor opened: its five fields, empty, in
// the order of nyelv1 ignoring case.
class CsvImportTest : public ::testing::Test {
protected:
    CsvImportTest() {
        openEditorTable(table);
        table.AfterPost = [this](TMemTable&) { ++posts; };
    }

    int import(const std::string& bytes) {
        QByteArray data(bytes.data(), qsizetype(bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        return importCsv(table, buffer);
    }

    // "nyelv1/nyelv2" of every record, in the current order.
    std::vector<std::string> pairs() const {
        std::vector<std::string> result;
        const int n1 = table.FieldByName("nyelv1").Index();
        const int n2 = table.FieldByName("nyelv2").Index();
        for (int row = 0; row < table.RecordCount(); ++row)
            result.push_back(text(table.ValueAt(row, n1)) + "/" + text(table.ValueAt(row, n2)));
        return result;
    }

    Row row(int index) const {
        auto at = [&](const char* name) {
            return table.ValueAt(index, table.FieldByName(name).Index());
        };
        return {at("sorszam"), at("nyelv1"), at("nyelv2"), at("hanyszor"), at("hanyszorvolt")};
    }

    TMemTable table{"Tbl"};
    int posts = 0;
};

TEST_F(CsvImportTest, MakesSortedPairsWithHanyszorOne) {
    EXPECT_EQ(import("nyelv1;nyelv2\r\nkorte;pear\r\nAlma;apple;x\r\nbanan;banana\r\n"), 3);
    EXPECT_THAT(pairs(), ElementsAre("Alma/apple", "banan/banana", "korte/pear"));
    EXPECT_EQ(posts, 3);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    ASSERT_EQ(table.FieldCount(), 5);
    for (int i = 0; i < table.RecordCount(); ++i) {
        const Row r = row(i);
        EXPECT_TRUE(isNull(r.sorszam));
        EXPECT_EQ(std::get<std::int32_t>(r.hanyszor), 1);
        EXPECT_TRUE(isNull(r.hanyszorvolt));
    }
}

TEST_F(CsvImportTest, EveryLineAfterTheHeaderIsOnePair) {
    // The header holds a real pair and is lost; the empty line gives two empty texts, not
    // nulls; the line end after the last line adds nothing.
    EXPECT_EQ(import("elveszik;lost\r\nb;2\r\n\r\nc\r\n\"a;x\";y\r\n\"a\";\"b\";c\r\n"), 5);
    EXPECT_THAT(pairs(), ElementsAre("/", "\"a/x\"", "a/b", "b/2", "c/"));
    const Row empty = row(0);
    EXPECT_EQ(std::get<std::string>(empty.nyelv1), "");
    EXPECT_EQ(std::get<std::string>(empty.nyelv2), "");
}

TEST_F(CsvImportTest, FewerThanTwoLinesImportNothing) {
    for (const std::string& bytes : {""s, "alma;apple"s, "alma;apple\r\n"s, "\0x\r\nb;c"s}) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(import(bytes), 0);
        EXPECT_EQ(posts, 0);
        EXPECT_EQ(table.RecordCount(), 0);
    }
}

TEST_F(CsvImportTest, CodePageFilesPassUnchangedAndUtf8FilesAreConverted) {
    import("h\r\n" + cp("őrült;ÁRVÍZ tűrő") + "\r\n");
    import("\xef\xbb\xbfh\r\n\xc5\x91z;deer\r\n");
    EXPECT_THAT(pairs(), UnorderedElementsAre(cp("őrült/ÁRVÍZ tűrő"), cp("őz/deer")));
}

struct Encoding {
    const char* name;
    std::string file;
    std::string text; // code page 1250
};

void PrintTo(const Encoding& e, std::ostream* os) {
    *os << e.name;
}

class CsvEncodingTest : public ::testing::TestWithParam<Encoding> {};

TEST_P(CsvEncodingTest, GivesCodePageText) {
    EXPECT_EQ(csvTextFromFile(GetParam().file), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CsvEncodingTest,
    ::testing::Values(Encoding{"Ascii", "a;b\r\n", "a;b\r\n"},
                      Encoding{"CodePage", cp("őz;tűz"), cp("őz;tűz")},
                      Encoding{"Utf8", "\xc5\x91z;t\xc5\xb1z", cp("őz;tűz")},
                      Encoding{"Utf8WithByteOrderMark", "\xef\xbb\xbf\xc5\x91z", cp("őz")},
                      Encoding{"ByteOrderMarkOnAsciiText",
                               "\xef\xbb\xbf"
                               "a;b",
                               "a;b"},
                      Encoding{"CharacterTheCodePageLacks", "a\xe6\x97\xa5;b", "a?;b"},
                      // A code page letter among UTF-8 ones makes the file not UTF-8.
                      Encoding{"Utf8AndCodePageMixed", "\xc5\x91z;" + cp("ő"),
                               "\xc5\x91z;" + cp("ő")},
                      // Found by fuzzing: a sequence cut off by the end of the file is not UTF-8.
                      Encoding{"Utf8CutOffAtTheEnd", "\r\xef", "\r\xef"},
                      Encoding{"ByteOrderMarkWithBrokenUtf8",
                               "\xef\xbb\xbf"
                               "a\xf5",
                               "a?"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CsvImportTest, LongTextsAreCutTo255Characters) {
    import("h\r\n" + std::string(300, 'a') + ";" + std::string(256, 'b'));
    EXPECT_THAT(pairs(), ElementsAre(std::string(255, 'a') + "/" + std::string(255, 'b')));
}

TEST_F(CsvImportTest, PairsJoinThoseAlreadyThere) {
    import("h\nb;1\nd;2\n");
    import("h\nc;3\na;4\n");
    EXPECT_THAT(pairs(), ElementsAre("a/4", "b/1", "c/3", "d/2"));
    EXPECT_EQ(posts, 4);
}

// A table without a sort order (as after opening a file) takes each new pair in front of the
// current record, which the pair then becomes: the pairs land in reverse file order there.
TEST_F(CsvImportTest, WithoutSortOrderPairsGoInFrontOfTheCurrentRecord) {
    table.SortOn("");
    for (const char* word : {"x", "y"}) {
        table.Append();
        table.SetFieldValue("nyelv1", std::string(word));
        table.Post();
    }
    table.First();
    table.Next(); // y is current
    import("h\na;1\nb;2\nc;3\n");
    EXPECT_THAT(pairs(), ElementsAre("x/<null>", "c/3", "b/2", "a/1", "y/<null>"));
}

// The controls hear nothing until the import has finished, and then are refreshed once.
TEST_F(CsvImportTest, ControlsAreRefreshedOnceAtTheEnd) {
    struct Counter : TableObserver {
        void tableChanged(TMemTable&, Change change) override { changes.push_back(change); }
        std::vector<Change> changes;
    } counter;
    table.AddObserver(&counter);
    import("h\na;1\nb;2\n");
    table.RemoveObserver(&counter);
    EXPECT_THAT(counter.changes, ElementsAre(TableObserver::Change::DataSet));
    EXPECT_FALSE(table.ControlsDisabled());
}

// ---- Failures ----------------------------------------------------------------------------

// A device whose reads fail after it has handed out some bytes.
class FailingDevice : public QIODevice {
public:
    FailingDevice() { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (served_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        served_ = true;
        const QByteArray part("h\r\na;b\r\n");
        const qint64 n = std::min(maxSize, qint64(part.size()));
        std::memcpy(data, part.constData(), size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool served_ = false;
};

TEST_F(CsvImportTest, AnUnreadableDeviceAddsNothing) {
    FailingDevice device;
    try {
        importCsv(table, device);
        FAIL() << "no error";
    } catch (const VembaError& e) {
        EXPECT_STREQ(e.what(), "Input/output error");
    }
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(posts, 0);
}

TEST_F(CsvImportTest, AMissingFileLeavesTheTableAsItWas) {
    import("h\na;1\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nincs.csv"));
    try {
        importCsvFile(table, path);
        FAIL() << "no error";
    } catch (const VembaError& e) {
        const std::string expected = "Cannot open file \"" +
                                     QDir::toNativeSeparators(path).toStdString() +
                                     "\". No such file or directory";
        EXPECT_EQ(e.what(), expected);
    }
    EXPECT_THAT(pairs(), ElementsAre("a/1"));
    EXPECT_EQ(posts, 1);
}

TEST_F(CsvImportTest, ReadsAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("szavak.csv"));
    writeAll(path, QByteArray("Magyar;Angol\r\n\"alma\";\"apple\"\r\n"));
    EXPECT_EQ(importCsvFile(table, path), 1);
    EXPECT_THAT(pairs(), ElementsAre("alma/apple"));
}

// A test saved by the main window has no hanyszor: the first new record fails when it is set,
// is cancelled rather than left pending, and the table's message comes through.
TEST(CsvImportFailure, ATableWithoutHanyszorKeepsNoPendingRecord) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    int posts = 0;
    table.AfterPost = [&](TMemTable&) { ++posts; };
    QByteArray data("h\r\na;b\r\n");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    try {
        importCsv(table, buffer);
        FAIL() << "no error";
    } catch (const VembaError& e) {
        EXPECT_STREQ(e.what(), "Tbl: Field 'hanyszor' not found");
    }
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(posts, 0);
    EXPECT_FALSE(table.ControlsDisabled());
}

TEST(CsvImportFailure, AClosedTableFails) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    QByteArray data("h\r\na;b\r\n");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(
        {
            try {
                importCsv(table, buffer);
            } catch (const VembaError& e) {
                EXPECT_STREQ(e.what(), "Tbl: Cannot perform this operation on a closed dataset");
                throw;
            }
        },
        VembaError);
}

} // namespace

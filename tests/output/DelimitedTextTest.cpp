#include "output/DelimitedText.h"

#include "data/FieldSets.h"
#include "platform/Cp1250.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The editor's fields: sorszam, nyelv1 ("Első nyelv"), nyelv2 ("Második nyelv"), hanyszor
// ("Hányszor?"), hanyszorvolt.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineEditorFields(table);
        table.Open();
    }

    void add(TValue sorszam, const char* nyelv1, const char* nyelv2) {
        table.Append();
        table.SetFieldValue("sorszam", sorszam);
        table.SetFieldValue("nyelv1", cp(nyelv1));
        table.SetFieldValue("nyelv2", cp(nyelv2));
        table.Post();
    }

    // The output as UTF-8 with "¶" for CR LF, so a case shows every line end.
    std::string exported(const DelimitedTextOptions& options) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exporter.Options = options;
        exporter.ExportToStream(table, buffer);
        QByteArray bytes = buffer.data();
        EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << "a line end without CR";
        return fromCp1250(bytes.toStdString())
            .replace(QStringLiteral("\r\n"), QString::fromUtf8("¶"))
            .toStdString();
    }

    TMemTable table{"Tbl"};
    TDelimitedTextExport exporter;
};

DelimitedTextOptions options(std::vector<std::string> fields,
                             const std::function<void(DelimitedTextOptions&)>& change = {}) {
    DelimitedTextOptions o;
    o.Fields = std::move(fields);
    if (change)
        change(o);
    return o;
}

struct TextCase {
    const char* name;
    DelimitedTextOptions options;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class TextCases : public TextTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextCases, WriteTheLines) {
    add(7, "alma", "apple");
    add(TValue{}, "say \"hi\"", "a;b,c'd");
    EXPECT_EQ(exported(GetParam().options), GetParam().text);
}

const std::vector<std::string> Drill = {"sorszam", "nyelv1", "nyelv2"};

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCases,
    ::testing::Values(
        // A value holding the delimiter is written unchanged without a qualifier.
        TextCase{"DefaultsHeaderOfDisplayNames", options(Drill),
                 "sorszam;Első nyelv;Második nyelv;¶7;alma;apple;¶;say \"hi\";a;b,c'd;¶"},
        TextCase{"FieldNamesInTheHeader", options(Drill, [](auto& o) { o.FieldNames = true; }),
                 "sorszam;nyelv1;nyelv2;¶7;alma;apple;¶;say \"hi\";a;b,c'd;¶"},
        TextCase{"NoHeaderMakesAnEmptyFirstLine",
                 options(Drill, [](auto& o) { o.NoHeader = true; }),
                 "¶7;alma;apple;¶;say \"hi\";a;b,c'd;¶"},
        TextCase{"Tab", options(Drill, [](auto& o) { o.Delimiter = '\t'; }),
                 "sorszam\tElső nyelv\tMásodik nyelv\t¶7\talma\tapple\t¶\tsay \"hi\"\ta;b,c'd\t¶"},
        TextCase{"CommaInsideAValueStaysUnchanged",
                 options({"nyelv2"}, [](auto& o) { o.Delimiter = ','; }),
                 "Második nyelv,¶apple,¶a;b,c'd,¶"},
        TextCase{"Pipe", options({"sorszam"}, [](auto& o) { o.Delimiter = '|'; }),
                 "sorszam|¶7|¶|¶"},
        TextCase{"DoubleQuoteIsDoubledInsideValuesAndLabels",
                 options({"nyelv1", "hanyszor"}, [](auto& o) { o.Qualifier = "\""; }),
                 "\"Első nyelv\";\"Hányszor?\";¶\"alma\";\"\";¶\"say \"\"hi\"\"\";\"\";¶"},
        TextCase{"ApostropheIsDoubledInsideValues",
                 options({"nyelv2"}, [](auto& o) { o.Qualifier = "'"; }),
                 "'Második nyelv';¶'apple';¶'a;b,c''d';¶"},
        TextCase{"NoFieldTickedGivesEmptyLines", options({}), "¶¶¶"},
        TextCase{"TickedFieldsKeepTheTablesOrder", options({"nyelv2", "sorszam"}),
                 "sorszam;Második nyelv;¶7;apple;¶;a;b,c'd;¶"},
        TextCase{"NamesOfNoFieldAreIgnored", options({"nincs", "nyelv1"}),
                 "Első nyelv;¶alma;¶say \"hi\";¶"}));

TEST_F(TextTest, EmptyTableGivesTheHeaderLineOnly) {
    EXPECT_EQ(exported(options(Drill)), "sorszam;Első nyelv;Második nyelv;¶");
    EXPECT_EQ(exported(options(Drill, [](auto& o) { o.NoHeader = true; })), "¶");
}

TEST_F(TextTest, CursorEndsOnTheLastRecordWithControlsBack) {
    add(1, "a", "b");
    add(2, "c", "d");
    add(3, "e", "f");
    table.First();
    table.DisableControls();
    exported(options(Drill));
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.ControlsDisabled()) << "the caller's own disabling stays";
    table.EnableControls();
    EXPECT_FALSE(table.ControlsDisabled());
}

// A table with large-object fields, which the word table holds as text.
TEST(TextLargeObjects, MemoIsBlobUnlessItsLinesAreJoined) {
    TMemTable table("Tbl");
    table.AddField("jegyzet", TFieldType::Memo, 255);
    table.AddField("kep", TFieldType::Graphic, 255);
    table.Open();
    table.Append();
    table.SetFieldValue("jegyzet", std::string("egy;\r\nketto|\rharom\n"));
    table.SetFieldValue("kep", std::string("PNG"));
    table.Post();
    TDelimitedTextExport exporter;
    auto text = [&](const std::function<void(DelimitedTextOptions&)>& change) {
        exporter.Options = options({"jegyzet", "kep"}, change);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exporter.ExportToStream(table, buffer);
        return buffer.data().split('\n').value(1).toStdString();
    };
    EXPECT_EQ(text({}), "BLOB;BLOB;\r");
    // The delimiter is replaced after the lines are joined, so with "|" the joins go too.
    EXPECT_EQ(text([](auto& o) { o.JoinMemoLines = true; }), "egy,|ketto||harom;BLOB;\r");
    EXPECT_EQ(text([](auto& o) {
                  o.JoinMemoLines = true;
                  o.Delimiter = '|';
              }),
              "egy;,ketto,,harom|BLOB|\r");
}

TEST_F(TextTest, StopBeforeTheNextRecordKeepsWhatWasWritten) {
    for (int i = 0; i < 100; ++i)
        add(i, "x", "y");
    int calls = 0;
    exporter.OnProgress = [&](int finished) {
        EXPECT_EQ(finished, 0); // the first record; the next call comes 20 ms later
        ++calls;
        exporter.Stop();
    };
    EXPECT_EQ(exported(options({"sorszam"})), "sorszam;¶");
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(exporter.Running());
    EXPECT_EQ(table.RecNo(), 1);
}

TEST_F(TextTest, ProgressIsReportedWhileItRuns) {
    for (int i = 0; i < 200; ++i)
        add(i, "x", "y");
    // Each step to the next record takes a millisecond, so the interval passes mid-walk.
    table.AfterScroll = [](TMemTable&) { QThread::msleep(1); };
    std::vector<int> finished;
    exporter.OnProgress = [&](int done) {
        finished.push_back(done);
        if (finished.size() == 2)
            exporter.Stop();
    };
    const std::string text = exported(options({"sorszam"}));
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[0], 0);
    EXPECT_GE(finished[1], TDelimitedTextExport::ProgressInterval / 2);
    EXPECT_LT(finished[1], 200);
    // The header line and exactly the records finished before the stop.
    EXPECT_EQ(QString::fromStdString(text).count(QString::fromUtf8("¶")), finished[1] + 1);
    EXPECT_EQ(table.RecNo(), finished[1] + 1);
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

TEST_F(TextTest, FailedWriteThrowsAndTurnsControlsBackOn) {
    add(1, "a", "b");
    FullDevice device;
    device.open(QIODevice::WriteOnly);
    exporter.Options = options(Drill);
    try {
        exporter.ExportToStream(table, device);
        ADD_FAILURE() << "no failure";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "No space left on device");
    }
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_FALSE(exporter.Running());
}

TEST_F(TextTest, FailedExportLeavesTheExistingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("szavak.csv"));
    writeAll(path, "previous");
    table.Close();
    exporter.Options = options(Drill);
    EXPECT_THROW(exporter.ExportToFile(table, path), VembaError);
    EXPECT_EQ(readAll(path), QByteArray("previous"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("szavak.csv")});

    table.Open();
    add(1, "ő", "b");
    EXPECT_EQ(exporter.ExportToFile(table, path), 1);
    EXPECT_EQ(readAll(path),
              QByteArray("sorszam;Els\xf5 nyelv;M\xe1sodik nyelv;\r\n1;\xf5;b;\r\n"));
}

struct ExtensionRow {
    const char* path;
    bool workbook;
};

TEST(WorkbookRule, ExtensionFromTheLastDotInCapitals) {
    const ExtensionRow rows[] = {
        {"/home/a/szavak.xls", true},  {"szavak.XLS", true},      {"szavak.Xls", true},
        {"/a.b/szavak.xLs", true},     {"szavak.xlsx", false},    {"szavak", false},
        {"/home/a.xls/szavak", false}, {"szavak.xls.csv", false}, {"szavak.csv.xls", true},
        {"szavak.xls ", false},        {"szavak.", false},        {"szavak.txt", false},
    };
    for (const ExtensionRow& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(isWorkbookPath(QString::fromUtf8(row.path)), row.workbook);
    }
    EXPECT_FALSE(isWorkbookSuffix(QString::fromUtf8("xlſ"))); // only a to z are made capitals
}

} // namespace

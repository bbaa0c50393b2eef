#include "output/DataToXLS.h"

#include "BiffReader.h"
#include "data/FieldSets.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct Row {
    std::optional<std::int32_t> sorszam;
    const char* nyelv1; // UTF-8; nullptr: null
    const char* nyelv2;
};

void fill(TMemTable& table, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        table.Append();
        if (row.sorszam)
            table.SetFieldValue("sorszam", *row.sorszam);
        if (row.nyelv1)
            table.SetFieldValue("nyelv1", cp(row.nyelv1));
        if (row.nyelv2)
            table.SetFieldValue("nyelv2", cp(row.nyelv2));
        table.Post();
    }
}

// A drill table holding the rows in this order, the cursor on the first.
class XlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineDrillFields(table);
        table.Open();
        exporter.SetDataSet(&table);
    }

    QByteArray exported() {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exporter.ExportToStream(buffer);
        return buffer.data();
    }

    std::vector<BiffRecord> records() {
        auto read = biffRecords(exported());
        EXPECT_TRUE(read.has_value());
        return read.value_or(std::vector<BiffRecord>{});
    }

    std::vector<std::string> cells() {
        std::vector<std::string> texts;
        for (const BiffCell& cell : biffCells(records()))
            texts.push_back(describe(cell));
        return texts;
    }

    TMemTable table{"Tbl"};
    TDataToXLS exporter;
};

TEST_F(XlsTest, DrillTableRecordByRecord) {
    fill(table, {{70000, "tűz", "fire"}, {12, "őszibarack", "peach"}, {2147483646, "ár", "price"}});
    const std::vector<BiffRecord> all = records();
    EXPECT_THAT(biffKinds(all),
                ElementsAre("BOF", "CODEPAGE", "FONT", "FONT", "FONT", "DIMENSIONS", "LABEL",
                            "LABEL", "LABEL", "NUMBER", "LABEL", "LABEL", "INTEGER", "LABEL",
                            "LABEL", "NUMBER", "LABEL", "LABEL", "EOF"));
    // Detail regular, title and header bold, 10 points each.
    EXPECT_EQ(all[2].data.toHex(' '), QByteArray("c8 00 00 00 05 41 72 69 61 6c"));
    EXPECT_EQ(all[3].data.left(4).toHex(' '), QByteArray("c8 00 01 00"));
    EXPECT_EQ(all[4].data.left(4).toHex(' '), QByteArray("c8 00 01 00"));
    EXPECT_EQ(biffCells(all).size(), 12u);
    std::vector<std::string> described;
    for (const BiffCell& cell : biffCells(all))
        described.push_back(describe(cell));
    EXPECT_THAT(described, ElementsAre("0,0 LABEL sorszam 00 80 00", "0,1 LABEL nyelv1 00 80 00",
                                       "0,2 LABEL nyelv2 00 80 00", "1,0 NUMBER 70000 00 00 03",
                                       "1,1 LABEL tűz 00 00 01", "1,2 LABEL fire 00 00 01",
                                       "2,0 INTEGER 12 00 00 03", "2,1 LABEL őszibarack 00 00 01",
                                       "2,2 LABEL peach 00 00 01", "3,0 NUMBER 2147483646 00 00 03",
                                       "3,1 LABEL ár 00 00 01", "3,2 LABEL price 00 00 01"));
}

TEST_F(XlsTest, FileStartsWithTheWorkedBytes) {
    fill(table, {{1, "a", "b"}});
    const QByteArray bytes = exported();
    EXPECT_EQ(bytes.left(14).toHex(' '), QByteArray("09 00 04 00 02 00 10 00 42 00 02 00 e2 04"));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("000008000000010400000400")));
    EXPECT_TRUE(bytes.endsWith(QByteArray::fromHex("0a000000")));
}

// What a handler or the caller changes on the columns, and the cells that come out.
struct ColumnCase {
    const char* name;
    std::function<void(TDataToXLS&)> setUp;
    std::vector<std::string> cells;
};

void PrintTo(const ColumnCase& c, std::ostream* os) {
    *os << c.name;
}

class XlsColumns : public XlsTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(XlsColumns, WriteTheCells) {
    fill(table, {{5, "alma", nullptr}, {6, "körte", "pear"}});
    GetParam().setUp(exporter);
    EXPECT_THAT(cells(), ElementsAreArray(GetParam().cells));
}

void unsave(TDataToXLS& x, std::vector<int> columns) {
    x.OnBeginExport = [columns](TDataExport& e) {
        for (int column : columns)
            static_cast<TDataToXLS&>(e).Columns[column].Save = false;
    };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XlsColumns,
    ::testing::Values(ColumnCase{"UnsavedColumnShiftsTheOthersLeft",
                                 [](TDataToXLS& x) { unsave(x, {1}); },
                                 {"0,0 LABEL sorszam 00 80 00", "0,1 LABEL nyelv2 00 80 00",
                                  "1,0 INTEGER 5 00 00 03", "1,1 BLANK 00 00 01",
                                  "2,0 INTEGER 6 00 00 03", "2,1 LABEL pear 00 00 01"}},
                      ColumnCase{"NoColumnSaved",
                                 [](TDataToXLS& x) {
                                     unsave(x, {0, 1, 2});
                                 },
                                 {}},
                      ColumnCase{"TitleRowAboveTheHeader",
                                 [](TDataToXLS& x) {
                                     x.Title.Text = cp("Szótár");
                                     unsave(x, {0, 2});
                                 },
                                 {"0,0 LABEL Szótár 00 40 00", "1,0 LABEL nyelv1 00 80 00",
                                  "2,0 LABEL alma 00 00 01", "3,0 LABEL körte 00 00 01"}},
                      ColumnCase{"CallersColumnsWithTitlesAlignmentAndTypes",
                                 [](TDataToXLS& x) {
                                     TxlColumn& a = x.Columns.Add();
                                     a.DataField = "nyelv2";
                                     a.Title = cp("Második");
                                     a.Alignment = TxlAlignment::Center;
                                     TxlColumn& b = x.Columns.Add();
                                     b.DataField = "sorszam";
                                     b.Title = "Kulcs";
                                     b.DataType = TCellType::ctLabel;
                                 },
                                 {"0,0 LABEL Második 00 80 00", "0,1 LABEL Kulcs 00 80 00",
                                  "1,0 BLANK 00 00 02", "1,1 LABEL 5 00 00 01",
                                  "2,0 LABEL pear 00 00 02", "2,1 LABEL 6 00 00 01"}},
                      ColumnCase{"SkippedRecordsLeaveNoGaps",
                                 [](TDataToXLS& x) {
                                     unsave(x, {1, 2});
                                     x.BeforeWriteRecord = [](TDataExport& e, bool& cancel) {
                                         cancel = e.DataSet()->FieldValue("sorszam") == TValue{5};
                                     };
                                 },
                                 {"0,0 LABEL sorszam 00 80 00", "1,0 INTEGER 6 00 00 03"}}));

TEST_F(XlsTest, EveryOtherRecordCancelledGivesHalfTheRowsWithoutGaps) {
    for (int i = 0; i < 10; ++i)
        fill(table, {{i, "x", "y"}});
    unsave(exporter, {1, 2});
    int seen = 0;
    exporter.BeforeWriteRecord = [&](TDataExport&, bool& cancel) { cancel = seen++ % 2 == 1; };
    int after = 0;
    exporter.AfterWriteRecord = [&](TDataExport&) { ++after; };
    EXPECT_THAT(cells(), ElementsAre("0,0 LABEL sorszam 00 80 00", "1,0 INTEGER 0 00 00 03",
                                     "2,0 INTEGER 2 00 00 03", "3,0 INTEGER 4 00 00 03",
                                     "4,0 INTEGER 6 00 00 03", "5,0 INTEGER 8 00 00 03"));
    EXPECT_EQ(seen, 10);
    EXPECT_EQ(after, 5);
}

TEST_F(XlsTest, NoColumnSavedStillCountsTheRows) {
    fill(table, {{1, "a", "b"}, {2, "c", "d"}});
    unsave(exporter, {0, 1, 2});
    int rowAtEnd = -1;
    exporter.OnEndExport = [&](TDataExport&) { rowAtEnd = exporter.Row(); };
    EXPECT_THAT(biffKinds(records()),
                ElementsAre("BOF", "CODEPAGE", "FONT", "FONT", "FONT", "DIMENSIONS", "EOF"));
    EXPECT_EQ(rowAtEnd, 3);
}

TEST_F(XlsTest, LabelIsCutTo255Characters) {
    const std::string text(300, 'w');
    fill(table, {{1, nullptr, nullptr}});
    table.Edit();
    table.SetFieldValue("nyelv1", text); // the field holds 255
    table.Post();
    TxlColumn& column = exporter.Columns.Add();
    column.DataField = "nyelv1";
    column.Title = std::string(256, 't');
    const std::vector<BiffCell> read = biffCells(records());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::get<std::string>(read[0].value), std::string(255, 't'));
    EXPECT_EQ(std::get<std::string>(read[1].value), std::string(255, 'w'));
}

TEST_F(XlsTest, CommentAndColumnWidth) {
    fill(table, {{1, "a", "b"}});
    exporter.Comment = cp("Megjegyzés");
    TxlColumn& column = exporter.Columns.Add();
    column.DataField = "nyelv1";
    column.ColWidth = 5120;
    const std::vector<BiffRecord> all = records();
    EXPECT_THAT(biffKinds(all), ElementsAre("BOF", "CODEPAGE", "FONT", "FONT", "FONT", "DIMENSIONS",
                                            "NOTE", "COLWIDTH", "LABEL", "LABEL", "EOF"));
    EXPECT_EQ(all[6].data,
              QByteArray::fromHex("000000000a00") + QByteArray::fromStdString(cp("Megjegyzés")));
    EXPECT_EQ(all[7].data.toHex(' '), QByteArray("00 00 00 14"));
}

TEST_F(XlsTest, CursorGoesBackToItsRecordAndControlsComeBack) {
    fill(table, {{1, "a", "b"}, {2, "c", "d"}, {3, "e", "f"}});
    table.First();
    table.Next();
    int lastWritten = 0;
    exporter.AfterWriteRecord = [&](TDataExport&) { lastWritten = table.RecNo(); };
    exported();
    EXPECT_EQ(lastWritten, 3);
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_FALSE(table.ControlsDisabled());
}

TEST_F(XlsTest, ColumnsItBuiltAreRemovedThoseGivenStay) {
    fill(table, {{1, "a", "b"}});
    int columnsSeen = 0;
    exporter.OnBeginExport = [&](TDataExport&) { columnsSeen = exporter.Columns.Count(); };
    exported();
    EXPECT_EQ(columnsSeen, 3);
    EXPECT_EQ(exporter.Columns.Count(), 0);
    EXPECT_FALSE(exporter.Exporting());

    exporter.Columns.Add().DataField = "nyelv2";
    exported();
    EXPECT_EQ(columnsSeen, 1);
    EXPECT_EQ(exporter.Columns.Count(), 1);
}

TEST_F(XlsTest, StopExportEndsTheWalkBeforeTheNextRecord) {
    fill(table, {{1, "a", "b"}, {2, "c", "d"}, {3, "e", "f"}});
    unsave(exporter, {1, 2});
    exporter.AfterWriteRecord = [](TDataExport& e) { e.StopExport(); };
    EXPECT_THAT(cells(), ElementsAre("0,0 LABEL sorszam 00 80 00", "1,0 INTEGER 1 00 00 03"));
}

// ---- failures ---------------------------------------------------------------------------

struct FailureCase {
    const char* name;
    std::function<void(TMemTable&, TDataToXLS&)> setUp;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class XlsFailures : public XlsTest, public ::testing::WithParamInterface<FailureCase> {
protected:
    QTemporaryDir dir;
};

// A refused or failed export leaves the existing workbook byte for byte, and nothing else in
// its folder; the exporter is idle again and the table where it was.
TEST_P(XlsFailures, LeaveTheExistingFileAsItWas) {
    fill(table, {{1, "a", "b"}, {2, "c", "d"}});
    table.First();
    table.Next();
    const QString path = dir.filePath(QStringLiteral("szavak.xls"));
    writeAll(path, "previous workbook");
    GetParam().setUp(table, exporter);
    try {
        exporter.ExportToFile(path);
        ADD_FAILURE() << "no failure";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
    EXPECT_EQ(readAll(path), QByteArray("previous workbook"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("szavak.xls")});
    EXPECT_FALSE(exporter.Exporting());
    if (table.Active() && !table.IsEmpty()) {
        EXPECT_EQ(table.RecNo(), 2);
        EXPECT_FALSE(table.ControlsDisabled());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XlsFailures,
    ::testing::Values(
        FailureCase{"NoTable", [](TMemTable&, TDataToXLS& x) { x.SetDataSet(nullptr); },
                    "Cannot perform this operation without a dataset"},
        FailureCase{"ClosedTable", [](TMemTable& t, TDataToXLS&) { t.Close(); },
                    "Cannot perform this operation on a closed dataset"},
        FailureCase{"EmptyTable", [](TMemTable& t, TDataToXLS&) { t.EmptyTable(); },
                    "Cannot perform this operation on an empty dataset"},
        FailureCase{"MissingField",
                    [](TMemTable&, TDataToXLS& x) { x.Columns.Add().DataField = "nincs"; },
                    "Tbl: Field 'nincs' not found"},
        FailureCase{"ValueThatDoesNotConvert",
                    [](TMemTable&, TDataToXLS& x) {
                        TxlColumn& column = x.Columns.Add();
                        column.DataField = "nyelv1";
                        column.DataType = TCellType::ctInteger;
                    },
                    "'a' is not a valid integer value"}));

TEST_F(XlsTest, MissingFolderNamesThePathAndCreatesNothing) {
    fill(table, {{1, "a", "b"}});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nincs/szavak.xls"));
    try {
        exporter.ExportToFile(path);
        ADD_FAILURE() << "no failure";
    } catch (const VembaError& error) {
        EXPECT_THAT(error.what(),
                    ::testing::StartsWith("Cannot create file \"" + path.toStdString() + "\". "));
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(XlsTest, AutomaticColumnsAreRemovedAfterAFailureToo) {
    fill(table, {{1, "a", "b"}});
    exporter.OnBeginExport = [](TDataExport& e) {
        static_cast<TDataToXLS&>(e).Columns[1].DataField = "nincs";
    };
    EXPECT_THROW(exported(), VembaError);
    EXPECT_EQ(exporter.Columns.Count(), 0);
    EXPECT_FALSE(exporter.Exporting());
    exporter.OnBeginExport = nullptr;
    EXPECT_EQ(cells().size(), 6u); // the next export builds its columns afresh
}

// Rows are numbered in 16 bits: 65,536 rows fit, the header and title included; one more
// would overwrite the first rows, so the export is refused before anything is written.
TEST_F(XlsTest, RowLimitCountsTheHeaderAndTheTitle) {
    table.DisableControls();
    for (int i = 0; i < TDataToXLS::MaxRows - 1; ++i) {
        table.Append();
        table.SetFieldValue("sorszam", i);
        table.Post();
    }
    table.EnableControls();
    unsave(exporter, {1, 2});
    const std::vector<BiffRecord> all = records();
    const auto last = biffCell(all[all.size() - 2]);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(describe(*last), "65535,0 INTEGER 65534 00 00 03");

    exporter.Title.Text = "Cim";
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        exporter.ExportToStream(buffer);
        ADD_FAILURE() << "no failure";
    } catch (const VembaError& error) {
        EXPECT_EQ(std::string(error.what()), cp("Az Excel munkalapra legfeljebb 65536 sor fér."));
    }
    EXPECT_EQ(buffer.size(), 0);
}

} // namespace

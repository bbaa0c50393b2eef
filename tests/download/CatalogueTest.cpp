#include "download/Catalogue.h"

#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "download/LetoltLogic.h"
#include "platform/Cp1250.h"
#include "support/HttpTestServer.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// nyelv, nev, link as UTF-8.
using Entry = std::tuple<std::string, std::string, std::string>;
using Entries = std::vector<Entry>;

QByteArray catalogueBytes(const Entries& entries) {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    for (const auto& [nyelv, nev, link] : entries) {
        table.Append();
        table.SetFieldValue("nyelv", cp(nyelv));
        table.SetFieldValue("nev", cp(nev));
        table.SetFieldValue("link", cp(link));
        table.Post();
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

// The table's records in its current order, back in UTF-8.
Entries entriesOf(const TMemTable& table) {
    Entries entries;
    auto text = [&](int row, const char* field) {
        const TValue value = table.ValueAt(row, table.FieldByName(field).Index());
        return isNull(value) ? std::string()
                             : fromCp1250(std::get<std::string>(value)).toStdString();
    };
    for (int row = 0; row < table.RecordCount(); ++row)
        entries.emplace_back(text(row, "nyelv"), text(row, "nev"), text(row, "link"));
    return entries;
}

// Languages that only case tells apart: the case-insensitive sort orders them by name, the
// case-sensitive one puts the small letters first.
const Entries Mixed = {{"angol", "b", "http://h/b.ask"},
                       {"Angol", "a", "http://h/a.ask"},
                       {"német", "c", "http://h/c.ask"}};
const Entries IgnoringCase = {{"Angol", "a", "http://h/a.ask"},
                              {"angol", "b", "http://h/b.ask"},
                              {"német", "c", "http://h/c.ask"}};
const Entries WithCase = {{"angol", "b", "http://h/b.ask"},
                          {"Angol", "a", "http://h/a.ask"},
                          {"német", "c", "http://h/c.ask"}};
const Entries Old = {{"olasz", "régi", "http://h/regi.ask"}};

// A catalogue as a school might write it by hand: no definitions, the header names columns.
const QByteArray HeaderOnly = QByteArray("\"nyelv\",\"Teszt neve\",\"Let\xf6lt\xe9si link\"\r\n"
                                         "\"angol\",\"b\",\"http://h/b.ask\"\r\n"
                                         "\"Angol\",\"a\",\"http://h/a.ask\"\r\n"
                                         "\"n\xe9met\",\"c\",\"http://h/c.ask\"\r\n");
const QByteArray HtmlPage = "<!DOCTYPE html>\n<html><head><title>Hiba</title></head>\n"
                            "<body>Az oldal nem tal\xe1lhat\xf3</body></html>\n";
// A definition block whose type the table cannot hold.
const QByteArray Damaged = "\"@@TABLEDEF START@@\"\r\n\"nyelv=Blob,25,\"\"\"\",\"\"\"\",10\"\r\n"
                           "\"@@TABLEDEF END@@\"\r\n";

class CatalogueTest : public ::testing::Test {
protected:
    QString local() const { return localCatalogueFile(dir.path()); }
    QString serve(HttpTestServer::Response response) {
        server.serve(QStringLiteral("/data/vemba.csv"), std::move(response));
        return server.url(QStringLiteral("/data/vemba.csv"));
    }

    QTemporaryDir dir;
    HttpTestServer server;
    TMemTable tbl{"Tbl"};
    DownloadSettings quick{300, 500, nullptr};
};

// ---- the settings -----------------------------------------------------------------------

TEST_F(CatalogueTest, UrlComesFromTheSettingsFileWhenSet) {
    const QString ini = dir.filePath(QStringLiteral("Vemba.ini"));
    const QString maker = QStringLiteral("http://vemba.hu/data/vemba.csv");
    const struct {
        const char* text;
        QString url;
    } rows[] = {
        {"", maker},
        {"[Download]\r\nCatalogueUrl=\r\n", maker},
        {"[Download]\r\nCatalogueUrl=http://iskola.example/tesztek/vemba.csv\r\n",
         QStringLiteral("http://iskola.example/tesztek/vemba.csv")},
        {"[download]\r\ncatalogueurl = \"https://tanar.example/v.csv\"\r\n",
         QStringLiteral("https://tanar.example/v.csv")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        writeAll(ini, row.text);
        EXPECT_EQ(catalogueUrl(ini), row.url);
    }
    EXPECT_EQ(catalogueUrl(dir.filePath(QStringLiteral("nincs.ini"))), maker);
}

// ---- opening ------------------------------------------------------------------------------

TEST_F(CatalogueTest, OpeningWithoutALocalCopyGivesAnEmptyList) {
    loadLocalCatalogue(tbl, local());
    EXPECT_TRUE(tbl.Active());
    EXPECT_EQ(tbl.RecordCount(), 0);
    EXPECT_EQ(tbl.FieldByName("nev").DisplayName(), cp("Teszt neve"));
    EXPECT_FALSE(QFileInfo::exists(local())) << "opening downloads nothing and writes nothing";
}

TEST_F(CatalogueTest, OpeningSortsIgnoringCase) {
    writeAll(local(), catalogueBytes(Mixed));
    loadLocalCatalogue(tbl, local());
    EXPECT_EQ(entriesOf(tbl), IgnoringCase);
    EXPECT_EQ(tbl.RecNo(), 1);
}

TEST_F(CatalogueTest, DamagedLocalCopyThrowsAndLeavesAnEmptyCatalogue) {
    writeAll(local(), Damaged);
    try {
        loadLocalCatalogue(tbl, local());
        FAIL() << "no error";
    } catch (const VembaError& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr("Unknown field type (Blob)"));
    }
    EXPECT_TRUE(tbl.Active());
    EXPECT_EQ(tbl.RecordCount(), 0);
    EXPECT_NE(tbl.FindField("link"), nullptr);
    EXPECT_EQ(readAll(local()), Damaged) << "the local copy is left for a refresh to replace";
}

// ---- the refresh --------------------------------------------------------------------------

struct RefreshCase {
    const char* name;
    std::function<HttpTestServer::Response()> response;
    bool catalogue; // the download is one and replaces the local copy
};

void PrintTo(const RefreshCase& c, std::ostream* os) {
    *os << c.name;
}

const RefreshCase RefreshCases[] = {
    {"WithDefinitions", [] { return HttpTestServer::ok(catalogueBytes(Mixed)); }, true},
    {"HeaderOnly", [] { return HttpTestServer::ok(HeaderOnly); }, true},
    {"HtmlPageWithStatus200", [] { return HttpTestServer::ok(HtmlPage, "text/html"); }, false},
    {"EmptyBody", [] { return HttpTestServer::ok(""); }, false},
    {"NotFound", [] { return HttpTestServer::status(404, "Not Found", HtmlPage); }, false},
    {"ServerError",
     [] { return HttpTestServer::status(500, "Internal Server Error", catalogueBytes(Mixed)); },
     false},
    {"StopsMidTransfer", [] { return HttpTestServer::truncated(catalogueBytes(Mixed), 100); },
     false},
    {"SendsNothing", [] { return HttpTestServer::silent(); }, false},
    {"DamagedDefinitions", [] { return HttpTestServer::ok(Damaged); }, false},
    {"DefinitionsWithoutTheCatalogueFields",
     [] {
         return HttpTestServer::ok(
             "\"@@TABLEDEF START@@\"\r\n\"x=String,5,\"\"\"\",\"\"\"\",5\"\r\n"
             "\"@@TABLEDEF END@@\"\r\n\"x\"\r\n\"y\"\r\n");
     },
     false},
};

class Refresh : public CatalogueTest, public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(Refresh, ReplacesTheLocalCopyAndTheListOnlyWithACatalogue) {
    const QByteArray old = catalogueBytes(Old);
    writeAll(local(), old);
    loadLocalCatalogue(tbl, local());
    const QString url = serve(GetParam().response());

    const DownloadResult result = refreshCatalogue(tbl, url, dir.path(), quick);

    EXPECT_EQ(result.Ok, GetParam().catalogue) << result.Reason.toStdString();
    if (GetParam().catalogue) {
        EXPECT_EQ(entriesOf(tbl), WithCase);
        EXPECT_NE(readAll(local()), old);
    } else {
        EXPECT_FALSE(result.Reason.isEmpty());
        EXPECT_EQ(entriesOf(tbl), Old);
        EXPECT_EQ(readAll(local()), old);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("vemba.csv")});
}

INSTANTIATE_TEST_SUITE_P(Downloads, Refresh, ::testing::ValuesIn(RefreshCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueTest, RefreshCreatesTheDataFolderAndMendsADamagedCopy) {
    const QString folder = dir.filePath(QStringLiteral("uj/Vemba"));
    writeAll(local(), Damaged);
    const QByteArray bytes = catalogueBytes(Mixed);
    const QString url = serve(HttpTestServer::ok(bytes));
    EXPECT_TRUE(refreshCatalogue(tbl, url, folder, quick).Ok);
    EXPECT_EQ(readAll(localCatalogueFile(folder)), bytes);
    EXPECT_EQ(entriesOf(tbl), WithCase);
}

TEST_F(CatalogueTest, ReopeningAfterARefreshIgnoresCaseAgain) {
    EXPECT_TRUE(
        refreshCatalogue(tbl, serve(HttpTestServer::ok(catalogueBytes(Mixed))), dir.path(), quick)
            .Ok);
    EXPECT_EQ(entriesOf(tbl), WithCase);
    TMemTable reopened("Tbl");
    loadLocalCatalogue(reopened, local());
    EXPECT_EQ(entriesOf(reopened), IgnoringCase);
}

TEST_F(CatalogueTest, FailedReasonsNameTheStatusOrTheError) {
    EXPECT_EQ(refreshCatalogue(tbl, serve(HttpTestServer::status(404, "Not Found", "")), dir.path(),
                               quick)
                  .Reason,
              QStringLiteral("HTTP 404 Not Found"));
    EXPECT_EQ(refreshCatalogue(tbl, serve(HttpTestServer::ok(HtmlPage)), dir.path(), quick).Reason,
              QStringLiteral("the download is not a catalogue"));
}

// ---- the window's logic -------------------------------------------------------------------

class RecordedPrompts : public LetoltPrompts {
public:
    bool SaveDialog(FileDialogSettings& dialog) override {
        shown.push_back(dialog);
        if (answers.empty())
            return false;
        dialog.fileName = answers.front();
        answers.erase(answers.begin());
        return !dialog.fileName.isEmpty();
    }
    std::vector<FileDialogSettings> shown;
    std::vector<QString> answers; // an empty answer cancels
};

class LogicTest : public CatalogueTest {
protected:
    LogicTest()
        : logic(prompts, {dir.path(), QString(), dir.filePath(QStringLiteral("tesztek")), quick}) {}

    // A local catalogue whose one entry links to the server's test.
    void catalogueWith(const QString& link) {
        writeAll(local(), catalogueBytes({{"angol", "alap", link.toStdString()}}));
        logic.Megnyitas();
    }

    RecordedPrompts prompts;
    LetoltLogic logic;
};

TEST_F(LogicTest, DownloadsTheCurrentTestWhereTheUserSaysAndRemembersThePath) {
    server.serve(QStringLiteral("/tesztek/teszt1.ask"), HttpTestServer::ok("\"nyelv1\"\r\n"));
    catalogueWith(server.url(QStringLiteral("/tesztek/teszt1.ask")));
    const QString target = dir.filePath(QStringLiteral("lecke.ask"));
    prompts.answers = {target};
    EXPECT_TRUE(logic.aLetoltExecute());
    EXPECT_EQ(logic.ResultPath(), target);
    EXPECT_EQ(readAll(target), QByteArray("\"nyelv1\"\r\n"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    const FileDialogSettings& dialog = prompts.shown[0];
    EXPECT_EQ(dialog.fileName, QStringLiteral("teszt1.ask"));
    EXPECT_EQ(dialog.initialDir, dir.filePath(QStringLiteral("tesztek")));
    EXPECT_EQ(fromCp1250(dialog.filter),
              QStringLiteral("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*"));
    EXPECT_TRUE(dialog.defaultExtension.isEmpty());
    EXPECT_FALSE(dialog.mustExist);
}

TEST_F(LogicTest, CancelledDialogOrFailedDownloadChangesNothing) {
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::status(404, "Not Found", "x"));
    catalogueWith(server.url(QStringLiteral("/t.ask")));
    const QString target = dir.filePath(QStringLiteral("lecke.ask"));
    prompts.answers = {QString(), target};
    EXPECT_FALSE(logic.aLetoltExecute());
    EXPECT_EQ(server.requests(QStringLiteral("/t.ask")), 0);
    EXPECT_FALSE(logic.aLetoltExecute());
    EXPECT_EQ(server.requests(QStringLiteral("/t.ask")), 1);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(logic.ResultPath().isEmpty());
}

TEST_F(LogicTest, EmptyListProposesAnEmptyNameAndFailsSilently) {
    logic.Megnyitas();
    EXPECT_EQ(logic.PositionText(), QStringLiteral("0/-1"));
    const QString target = dir.filePath(QStringLiteral("lecke.ask"));
    prompts.answers = {target};
    EXPECT_FALSE(logic.aLetoltExecute());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].fileName.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(LogicTest, RefreshFollowsTheUrlAndKeepsTheSearchField) {
    logic.Settings().CatalogueUrl = serve(HttpTestServer::ok(catalogueBytes(Mixed)));
    logic.Megnyitas();
    logic.TitleClick("nev");
    EXPECT_TRUE(logic.aFrissitExecute());
    EXPECT_EQ(entriesOf(logic.Tbl()), WithCase);
    EXPECT_EQ(logic.SearchField(), "nev");
    EXPECT_EQ(logic.PositionText(), QStringLiteral("3/1"));
    logic.Kereses("C");
    EXPECT_EQ(logic.Link(), "http://h/c.ask");
    EXPECT_EQ(logic.PositionText(), QStringLiteral("3/3"));
}

TEST(ProposedFileName, PartAfterTheLastSlashOrBackslashAtMost100Characters) {
    const std::string long150(150, 'x');
    const struct {
        std::string link;
        std::string name;
    } rows[] = {
        {"http://vemba.hu/data/teszt1.ask", "teszt1.ask"},
        {"http://vemba.hu/data/", ""},
        {"http://vemba.hu/data/sub\\angol.ask", "angol.ask"},
        {"http://vemba.hu\\x/y.ask", "y.ask"},
        {"teszt.ask", "teszt.ask"},
        {"", ""},
        {"http://h/" + long150, std::string(100, 'x')},
        {long150, std::string(100, 'x')},
        {"http://h/n\xe9met.ask", "n\xe9met.ask"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.link);
        EXPECT_EQ(LetoltLogic::ProposedFileName(row.link), row.name);
    }
}

TEST(ColumnWidths, FifteenThirtyAndFiftyFivePercentHalvesToEven) {
    const struct {
        int grid;
        std::array<int, 3> widths;
    } rows[] = {
        {140, {15, 30, 55}}, {640, {90, 180, 330}}, {50, {2, 3, 6}},       {70, {4, 9, 16}},
        {43, {0, 1, 2}},     {40, {0, 0, 0}},       {597, {84, 167, 306}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.grid);
        EXPECT_EQ(LetoltLogic::ColumnWidths(row.grid), row.widths);
    }
}

} // namespace

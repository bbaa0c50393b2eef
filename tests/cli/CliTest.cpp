#include "cli/Cli.h"

#include "../output/BiffReader.h"
#include "CliRun.h"
#include "data/MemTable.h"
#include "support/PdfText.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QString Fixtures = QStringLiteral(VEMBA_SOURCE_DIR "/tests/data/fixtures/");

class CliTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

TEST_F(CliTest, InfoListsFieldsAndRecordCount) {
    CliRun r = run({QStringLiteral("info"), Fixtures + QStringLiteral("editor.ask")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("sorszam\tInteger\t0\tsorszam\n"
                                    "nyelv1\tString\t255\tElső nyelv\n"
                                    "nyelv2\tString\t255\tMásodik nyelv\n"
                                    "hanyszor\tInteger\t0\tHányszor?\n"
                                    "hanyszorvolt\tInteger\t0\thanyszorvolt\n"
                                    "records\t2\n"));
}

// Both reference files come back byte for byte, whichever window's fields the table starts
// with, since their definitions replace the table's fields.
TEST_F(CliTest, ConvertRoundTripsReferenceFilesExactly) {
    for (const char* fixture : {"drill.ask", "editor.ask"}) {
        for (const char* table : {"drill", "editor", "catalogue"}) {
            SCOPED_TRACE(std::string(fixture) + " as " + table);
            const QString in = Fixtures + QString::fromUtf8(fixture);
            CliRun r = run({QStringLiteral("convert"), QStringLiteral("--table"),
                            QString::fromUtf8(table), in, path("out.ask")});
            ASSERT_EQ(r.status, 0) << r.err.toStdString();
            EXPECT_EQ(readAll(path("out.ask")), readAll(in));
        }
    }
}

TEST_F(CliTest, ConvertSortsIgnoringCaseWhenAsked) {
    writeAll(path("in.ask"), QByteArray("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                                        "\"1\",\"B\",\"x\",\r\n"
                                        "\"2\",\"b\",\"y\",\r\n"
                                        "\"3\",\"a\",\"z\",\r\n"));
    auto order = [&](const QStringList& options) {
        CliRun r = run(QStringList{QStringLiteral("convert")} + options +
                       QStringList{path("in.ask"), path("out.ask")});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        QByteArray keys; // the sorszam of each data line, in file order
        for (const QByteArray& line : readAll(path("out.ask")).split('\n'))
            if (line.size() > 1 && line.at(0) == '"' && std::isdigit(line.at(1)))
                keys += line.at(1);
        return keys;
    };
    EXPECT_EQ(order({}), QByteArray("123"));
    // Lower case sorts before upper case; ignoring case, "B" and "b" tie and keep file order.
    EXPECT_EQ(order({QStringLiteral("--sort"), QStringLiteral("nyelv1")}), QByteArray("321"));
    EXPECT_EQ(order({QStringLiteral("--sort"), QStringLiteral("nyelv1"),
                     QStringLiteral("--case-insensitive")}),
              QByteArray("312"));
    EXPECT_EQ(order({QStringLiteral("--sort"), QStringLiteral(" nyelv2 ; nyelv1 ")}),
              QByteArray("123"));
}

TEST_F(CliTest, ShuffleKeepsEveryPairOfEveryFile) {
    const QString in = Fixtures + QStringLiteral("drill.ask");
    CliRun r =
        run({QStringLiteral("convert"), QStringLiteral("--shuffle"), QStringLiteral("--append"),
             Fixtures + QStringLiteral("editor.ask"), in, path("out.ask")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    CliRun info = run({QStringLiteral("info"), path("out.ask")});
    EXPECT_TRUE(info.out.endsWith(QStringLiteral("records\t4\n"))) << info.out.toStdString();
    const QByteArray out = readAll(path("out.ask"));
    EXPECT_EQ(out.count(cp("\"körte\",\"pear\"").c_str()), 2);
    EXPECT_EQ(out.count("\"alma\",\"apple\""), 2);

    // Written in the drill's order, by the keys drawn anew for every pair: the appended
    // pairs had none, and the stored keys 97 and 812 are not used.
    TMemTable written("Tbl");
    written.LoadFromFile(path("out.ask"));
    std::vector<std::int32_t> keys;
    for (written.First(); !written.Eof(); written.Next()) {
        const TValue key = written.FieldValue("sorszam");
        ASSERT_TRUE(std::holds_alternative<std::int32_t>(key));
        keys.push_back(std::get<std::int32_t>(key));
    }
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 97) + std::count(keys.begin(), keys.end(), 812),
              0);
}

// The imported pairs come out as the editor saves them: its five fields and labels,
// hanyszor 1, and the file order replaced by nyelv1 ignoring case.
TEST_F(CliTest, ImportWritesTheEditorsTest) {
    const std::string csv = cp("Magyar;Angol\r\n\"körte\";pear;x\r\nalma;apple");
    writeAll(path("in.csv"), QByteArray::fromStdString(csv));
    CliRun r = run(
        {QStringLiteral("convert"), QStringLiteral("--import"), path("in.csv"), path("out.ask")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(path("out.ask")), readAll(Fixtures + QStringLiteral("editor.ask")));
}

TEST_F(CliTest, ImportSortsOnTheFirstLanguageIgnoringCase) {
    writeAll(path("in.csv"), QByteArray("nyelv1;nyelv2\nBanan;1\nalma;2\r\nCitrom;3\rAlmafa;4\n"));
    CliRun r = run(
        {QStringLiteral("convert"), QStringLiteral("--import"), path("in.csv"), path("out.ask")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QByteArrayList data; // the data lines, after the header of display names
    const QByteArrayList lines = readAll(path("out.ask")).split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith(",\""))
            data += line.trimmed();
    EXPECT_EQ(data, QByteArrayList({",\"alma\",\"2\",\"1\",,", ",\"Almafa\",\"4\",\"1\",,",
                                    ",\"Banan\",\"1\",\"1\",,", ",\"Citrom\",\"3\",\"1\",,"}));
}

// A failure is reported with the table's own message and leaves no output file.
TEST_F(CliTest, ErrorsExitWithStatusOneAndNoOutput) {
    writeAll(path("bad.ask"), QByteArray("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                                         "\"x1\",\"a\",\"b\",\r\n"));
    struct Case {
        QStringList arguments;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("convert"), path("missing.ask"), path("out.ask")},
         QStringLiteral("vemba-cli: Cannot open file \"%1\". No such file or directory\n")
             .arg(path("missing.ask"))},
        {{QStringLiteral("convert"), path("bad.ask"), path("out.ask")},
         QStringLiteral("vemba-cli: 'x1' is not a valid integer value for field 'sorszam'\n")},
        {{QStringLiteral("convert"), QStringLiteral("--sort"), QStringLiteral("nincs"),
          Fixtures + QStringLiteral("drill.ask"), path("out.ask")},
         QStringLiteral("vemba-cli: Tbl: Field 'nincs' not found\n")},
        {{QStringLiteral("convert"), QStringLiteral("--shuffle"), QStringLiteral("--append"),
          path("missing.ask"), Fixtures + QStringLiteral("drill.ask"), path("out.ask")},
         QStringLiteral("vemba-cli: Cannot open file \"%1\". No such file or directory\n")
             .arg(path("missing.ask"))},
        {{QStringLiteral("convert"), QStringLiteral("--import"), path("missing.csv"),
          path("out.ask")},
         QStringLiteral("vemba-cli: Cannot open file \"%1\". No such file or directory\n")
             .arg(path("missing.csv"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(QFile::exists(path("out.ask")));
    }
}

TEST_F(CliTest, UsageErrorsExitWithStatusTwo) {
    const QString in = Fixtures + QStringLiteral("drill.ask");
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("info")},
        {QStringLiteral("convert"), in},
        {QStringLiteral("convert"), QStringLiteral("--delimiter"), QStringLiteral("tab"), in,
         path("out.xls")},
        {QStringLiteral("convert"), QStringLiteral("--no-header"), in, path("out.XLS")},
        {QStringLiteral("convert"), QStringLiteral("--field-names"), in, path("out.xls")},
        {QStringLiteral("convert"), QStringLiteral("--qualifier"), QStringLiteral("'"), in,
         path("out.xls")},
        {QStringLiteral("convert"), QStringLiteral("--fields"), QStringLiteral("nyelv1"), in,
         path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--delimiter"), QStringLiteral("ASK"), in,
         path("out.csv")},
        {QStringLiteral("convert"), QStringLiteral("--delimiter"), QStringLiteral(";;"), in,
         path("out.csv")},
        {QStringLiteral("convert"), QStringLiteral("--qualifier"), QStringLiteral("*"), in,
         path("out.csv")},
        {QStringLiteral("convert"), QStringLiteral("--table"), QStringLiteral("nincs"), in,
         path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--append"), in, in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--case-insensitive"), in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--shuffle"), QStringLiteral("--sort"),
         QStringLiteral("nyelv1"), in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--no-such-option"), in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--import"), QStringLiteral("--shuffle"), in,
         path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--import"), QStringLiteral("--table"),
         QStringLiteral("editor"), in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--import"), QStringLiteral("--sort"),
         QStringLiteral("nyelv1"), in, path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--import"), in},
        // The printed list's options with a test file.
        {QStringLiteral("convert"), QStringLiteral("--title"), QStringLiteral("T"), in,
         path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--left"), QStringLiteral("nyelv2"), in,
         path("out.ask")},
        {QStringLiteral("convert"), QStringLiteral("--shuffle"), QStringLiteral("--right"),
         QStringLiteral("nyelv1"), in, path("out.ask")},
        {QStringLiteral("convert"), in, path("out.pdf"), QStringLiteral("--left")},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        CliRun r = run(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("vemba-cli: ")));
        EXPECT_TRUE(r.err.contains(QStringLiteral("Usage:")));
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << "no output";
    }
}

// Any extension but .ask and .xls writes delimited text as the export dialog does, in the
// table's current order, with the dialog's defaults: ";", no qualifier, a header line.
TEST_F(CliTest, ConvertWritesDelimitedText) {
    const QString drill = Fixtures + QStringLiteral("drill.ask");
    const QString editor = Fixtures + QStringLiteral("editor.ask");
    struct Case {
        QStringList arguments; // before IN
        QString in;
        const char* out;
        const char* text; // UTF-8
    };
    const Case cases[] = {
        {{}, drill, "out.csv", "sorszam;nyelv1;nyelv2;\r\n97;alma;apple;\r\n812;körte;pear;\r\n"},
        {{QStringLiteral("--table"), QStringLiteral("editor")},
         editor,
         "out.txt",
         "sorszam;Első nyelv;Második nyelv;Hányszor?;hanyszorvolt;\r\n;alma;apple;1;;\r\n"
         ";körte;pear;1;;\r\n"},
        {{QStringLiteral("--field-names"), QStringLiteral("--fields"),
          QStringLiteral("hanyszor,nyelv1")},
         editor,
         "out.Csv",
         "nyelv1;hanyszor;\r\nalma;1;\r\nkörte;1;\r\n"},
        {{QStringLiteral("--delimiter"), QStringLiteral("tab"), QStringLiteral("--qualifier"),
          QStringLiteral("\""), QStringLiteral("--sort"), QStringLiteral("sorszam")},
         drill,
         "out.tsv",
         "\"sorszam\"\t\"nyelv1\"\t\"nyelv2\"\t\r\n\"97\"\t\"alma\"\t\"apple\"\t\r\n"
         "\"812\"\t\"körte\"\t\"pear\"\t\r\n"},
        {{QStringLiteral("--no-header"), QStringLiteral("--delimiter"), QStringLiteral(","),
          QStringLiteral("--qualifier"), QStringLiteral("'")},
         drill,
         "out",
         "\r\n'97','alma','apple',\r\n'812','körte','pear',\r\n"},
        {{QStringLiteral("--delimiter"), QStringLiteral("|"), QStringLiteral("--qualifier"),
          QStringLiteral("none"), QStringLiteral("--fields"), QString()},
         drill,
         "out.xlsx",
         "\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        CliRun r = run(QStringList{QStringLiteral("convert")} + c.arguments +
                       QStringList{c.in, path(c.out)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(readAll(path(c.out)), QByteArray::fromStdString(cp(c.text)));
    }
}

TEST_F(CliTest, ConvertWritesTheWorkbookForXlsInAnyCase) {
    const QString in = Fixtures + QStringLiteral("drill.ask");
    // A test whose definitions hide nyelv2: the dialog's columns leave it out, so does this.
    writeAll(path("rejtett.ask"), QByteArray(R"("@@FILE VERSION@@","251"
"@@TABLEDEF START@@"
"nyelv1=String,255,""nyelv1"","""",255,Data,"""""
"nyelv2=String,255,""nyelv2"","""",255,INV,Data,"""""
"@@TABLEDEF END@@"
"nyelv1","nyelv2",
"alma","apple",
)")
                                      .replace("\n", "\r\n"));
    struct Case {
        QStringList arguments;
        const char* out;
        std::vector<std::string> cells;
        QString in = {}; // default: the drill fixture
    };
    const Case cases[] = {
        {{},
         "out.xls",
         {"0,0 LABEL sorszam 00 80 00", "0,1 LABEL nyelv1 00 80 00", "0,2 LABEL nyelv2 00 80 00",
          "1,0 INTEGER 97 00 00 03", "1,1 LABEL alma 00 00 01", "1,2 LABEL apple 00 00 01",
          "2,0 INTEGER 812 00 00 03", "2,1 LABEL körte 00 00 01", "2,2 LABEL pear 00 00 01"}},
        {{QStringLiteral("--fields"), QStringLiteral("nyelv2,sorszam"), QStringLiteral("--sort"),
          QStringLiteral("nyelv2")},
         "out.XlS",
         {"0,0 LABEL sorszam 00 80 00", "0,1 LABEL nyelv2 00 80 00", "1,0 INTEGER 97 00 00 03",
          "1,1 LABEL apple 00 00 01", "2,0 INTEGER 812 00 00 03", "2,1 LABEL pear 00 00 01"}},
        {{},
         "rejtett.xls",
         {"0,0 LABEL nyelv1 00 80 00", "1,0 LABEL alma 00 00 01"},
         path("rejtett.ask")},
        {{QStringLiteral("--fields"), QStringLiteral("nyelv1,nyelv2")},
         "rejtett2.xls",
         {"0,0 LABEL nyelv1 00 80 00", "1,0 LABEL alma 00 00 01"},
         path("rejtett.ask")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        CliRun r = run(QStringList{QStringLiteral("convert")} + c.arguments +
                       QStringList{c.in.isEmpty() ? in : c.in, path(c.out)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const auto records = biffRecords(readAll(path(c.out)));
        ASSERT_TRUE(records.has_value());
        EXPECT_EQ(biffKinds(*records).front(), "BOF");
        std::vector<std::string> cells;
        for (const BiffCell& cell : biffCells(*records))
            cells.push_back(describe(cell));
        EXPECT_EQ(cells, c.cells);
    }
}

// A failed export exits 1 with its message and leaves the file that was there as it was, and
// no temporary file beside it.
TEST_F(CliTest, FailedExportKeepsTheExistingFile) {
    writeAll(path("empty.ask"), QByteArray("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"));
    const QString drill = Fixtures + QStringLiteral("drill.ask");
    struct Case {
        QStringList arguments;
        const char* out;
        QString message;
    };
    const Case cases[] = {
        {{path("empty.ask")},
         "old.xls",
         QStringLiteral("vemba-cli: Cannot perform this operation on an empty dataset\n")},
        {{QStringLiteral("--fields"), QStringLiteral("nyelv1,nincs"), drill},
         "old.csv",
         QStringLiteral("vemba-cli: Tbl: Field 'nincs' not found\n")},
        {{QStringLiteral("--fields"), QStringLiteral("nincs"), drill},
         "old.xls",
         QStringLiteral("vemba-cli: Tbl: Field 'nincs' not found\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        writeAll(path(c.out), "previous");
        CliRun r =
            run(QStringList{QStringLiteral("convert")} + c.arguments + QStringList{path(c.out)});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(readAll(path(c.out)), QByteArray("previous"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({QStringLiteral("empty.ask"), QString::fromUtf8(c.out)}));
        QFile::remove(path(c.out));
    }
    const QString missing = path("nincs/out.csv");
    CliRun r = run({QStringLiteral("convert"), drill, missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.startsWith(QStringLiteral("vemba-cli: Cannot create file \"%1\". ").arg(missing)))
        << r.err.toStdString();
}

// The program reads its arguments and writes its output and errors as UTF-8, whatever the
// terminal's locale.
TEST_F(CliTest, ProgramSpeaksUtf8AndExitsWithTheStatus) {
    const QString accented = path("körte.ask");
    ASSERT_TRUE(QFile::copy(Fixtures + QStringLiteral("editor.ask"), accented));
    auto program = [](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VEMBA_CLI), arguments);
        process.waitForFinished();
        return CliRun{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                      QString::fromUtf8(process.readAllStandardError())};
    };

    const CliRun info = program({QStringLiteral("info"), accented});
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("nyelv1\tString\t255\tElső nyelv\n")));

    const QString missing = path("nincs-tükör.ask");
    const CliRun failed = program({QStringLiteral("convert"), missing, path("ki.ask")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err,
              QStringLiteral("vemba-cli: Cannot open file \"%1\". No such file or directory\n")
                  .arg(missing));
    EXPECT_FALSE(QFile::exists(path("ki.ask")));

    const CliRun usage = program({QStringLiteral("convert"), accented});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("Usage:")));
}

// The web page: the lines that depend on the command line, the rest being the page writer's.
class CliHtmlTest : public CliTest {
protected:
    void SetUp() override {
        qputenv("SOURCE_DATE_EPOCH", "1700000000");
        writeAll(path("Német ábc.ask"),
                 QByteArray::fromStdString(cp("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                                              "\"1\",\"<b>\",\"körte & co\",\r\n")));
    }
    void TearDown() override { qunsetenv("SOURCE_DATE_EPOCH"); }
    QString in() const { return path("Német ábc.ask"); }
};

TEST_F(CliHtmlTest, ConvertWritesThePage) {
    const auto cell = [](const char* width, const std::string& text) {
        return "    <td width=\"" + std::string(width) + "%\"><font face=\"Verdana\" size=\"1\">" +
               text + "</font></td>\r\n";
    };
    const struct {
        const char* name;
        QStringList options;
        const char* out;
        std::string title;    // cp1250, as the page shows it
        std::string subtitle; // the same
        std::string row;      // the data row's cells
    } cases[] = {
        {"defaults",
         {},
         "lap.htm",
         cp("Német ábc.ask"),
         "",
         cell("50", "&lt;b&gt;") + cell("50", cp("körte &amp; co"))},
        {".html and an empty title",
         {QStringLiteral("--title"), QString()},
         "lap.HTML",
         "",
         "",
         cell("50", "&lt;b&gt;") + cell("50", cp("körte &amp; co"))},
        {"title, subtitle and columns",
         {QStringLiteral("--title"), QStringLiteral("Cím & <más>"), QStringLiteral("--subtitle"),
          QStringLiteral("Alcím"), QStringLiteral("--column"), QStringLiteral("nyelv2;Angol;70;"),
          QStringLiteral("--column"), QStringLiteral("sorszam;Sor;30")},
         "lap.htm",
         cp("Cím &amp; &lt;más&gt;"),
         cp("Alcím"),
         cell("70", cp("körte &amp; co")) + cell("30", "<p align=\"right\">1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = path(c.out);
        CliRun r = run(QStringList{QStringLiteral("convert")} + c.options + QStringList{in(), out});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        const std::string page = readAll(out).toStdString();
        EXPECT_NE(page.find("\r\n<title>" + c.title + "</title>\r\n"), std::string::npos);
        EXPECT_NE(page.find("size=\"1\">" + c.subtitle + "</font></strong></p>\r\n"),
                  std::string::npos);
        EXPECT_NE(page.find("  <tr>\r\n" + c.row + "  </tr>\r\n</table>"), std::string::npos)
            << page;
        EXPECT_NE(page.find(">2023.11.14 22:13:20</font>"), std::string::npos);
        // SOURCE_DATE_EPOCH makes a second run write the same bytes.
        ASSERT_EQ(run(QStringList{QStringLiteral("convert")} + c.options +
                      QStringList{in(), path("masodik.htm")})
                      .status,
                  0);
        EXPECT_EQ(readAll(path("masodik.htm")), readAll(out));
    }
}

TEST_F(CliHtmlTest, WrongOptionsAreUsageErrorsAndFailuresLeaveNoPage) {
    const struct {
        QStringList options;
        const char* out;
        int status;
    } cases[] = {
        {{QStringLiteral("--title"), QStringLiteral("x")}, "ki.ask", 2},
        {{QStringLiteral("--subtitle"), QStringLiteral("x")}, "ki.ask", 2},
        {{QStringLiteral("--column"), QStringLiteral("nyelv1;;50;")}, "ki.ask", 2},
        {{QStringLiteral("--column"), QStringLiteral("nyelv1;;fele;")}, "ki.htm", 2},
        {{QStringLiteral("--column"), QStringLiteral("nyelv1")}, "ki.htm", 2},
        {QStringList(51, QStringLiteral("--column=nyelv1;;1;")), "ki.htm", 2},
        {{QStringLiteral("--column"), QStringLiteral("nincs;;50;")}, "ki.htm", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        CliRun r = run(QStringList{QStringLiteral("convert")} + c.options +
                       QStringList{in(), path(c.out)});
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(QStringLiteral("Usage:")), c.status == 2);
        EXPECT_FALSE(QFile::exists(path(c.out)));
    }
    CliRun missing = run({QStringLiteral("convert"), QStringLiteral("--column"),
                          QStringLiteral("nincs;;50;"), in(), path("ki.htm")});
    EXPECT_EQ(missing.err, QStringLiteral("vemba-cli: Tbl: Field 'nincs' not found\n"));
    CliRun bad = run({QStringLiteral("convert"), QStringLiteral("--column"),
                      QStringLiteral("nyelv1;;fele;"), in(), path("ki.htm")});
    EXPECT_TRUE(bad.err.startsWith(
        QStringLiteral("vemba-cli: --column: 'fele' is not a valid integer value\n")));
}

// Only the printed list needs Qt's GUI classes; the program makes its application by this.
TEST_F(CliTest, OnlyThePrintedListNeedsTheGuiClasses) {
    const QString in = Fixtures + QStringLiteral("drill.ask");
    struct Case {
        QStringList arguments;
        bool gui;
    };
    const Case cases[] = {
        {{QStringLiteral("convert"), in, path("out.pdf")}, true},
        {{QStringLiteral("convert"), QStringLiteral("--shuffle"), in, path("OUT.PDF")}, true},
        {{QStringLiteral("convert"), QStringLiteral("--title"), QStringLiteral("T"), in,
          path("out.pdf")},
         true},
        {{QStringLiteral("convert"), in, path("out.ask")}, false},
        {{QStringLiteral("info"), path("x.pdf")}, false},
        {{QStringLiteral("convert"), in}, false},
        {{QStringLiteral("convert"), QStringLiteral("--no-such-option"), in, path("out.pdf")},
         false},
        {{QStringLiteral("--help")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(needsGuiApplication(c.arguments), c.gui);
    }
    // Without one, the printed list is a plain failure, not a crash.
    CliRun r = run({QStringLiteral("convert"), in, path("out.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("vemba-cli: The printed word list needs a QGuiApplication\n"));
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

// The program writes the printed list as a PDF by itself, without a display: the title, the
// fields and the order the options make.
TEST_F(CliTest, ProgramWritesThePrintedListWithoutADisplay) {
    writeAll(path("gyümölcs.ask"), QByteArray("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                                              "\"1\",\"c\",\"x\",\r\n"
                                              "\"2\",\"a\",\"z\",\r\n"
                                              "\"3\",\"b\",\"y\",\r\n"));
    struct Case {
        const char* name;
        QStringList options;
        QString title;
        QString lines; // each pair as its left and right word, in the order printed
    };
    const Case cases[] = {
        {"defaults: IN's file name, nyelv1 beside nyelv2, file order",
         {},
         QStringLiteral("gyümölcs.ask"),
         QStringLiteral("c x|a z|b y")},
        {"options",
         {QStringLiteral("--title"), QStringLiteral("Árlista"), QStringLiteral("--left"),
          QStringLiteral("nyelv2"), QStringLiteral("--right"), QStringLiteral("nyelv1")},
         QStringLiteral("Árlista"),
         QStringLiteral("x c|z a|y b")},
        {"sorted",
         {QStringLiteral("--sort"), QStringLiteral("nyelv2")},
         QStringLiteral("gyümölcs.ask"),
         QStringLiteral("c x|b y|a z")},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("lista.pdf"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VEMBA_CLI),
                      QStringList{QStringLiteral("convert")} + c.options +
                          QStringList{path("gyümölcs.ask"), path("lista.pdf")});
        ASSERT_TRUE(process.waitForFinished());
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        const QString text = pdfText(path("lista.pdf"));
        EXPECT_TRUE(text.trimmed().startsWith(c.title)) << text.toStdString();
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n')))
            if (line.simplified().size() == 3)
                lines << line.simplified();
        EXPECT_EQ(lines.join(QLatin1Char('|')), c.lines);
    }

    // A field the test does not have is an error, and leaves no file.
    QFile::remove(path("lista.pdf"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VEMBA_CLI),
                  {QStringLiteral("convert"), QStringLiteral("--left"), QStringLiteral("nincs"),
                   path("gyümölcs.ask"), path("lista.pdf")});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .endsWith(QStringLiteral("vemba-cli: Tbl: Field 'nincs' not found\n")));
    EXPECT_FALSE(QFile::exists(path("lista.pdf")));
}

// With SOURCE_DATE_EPOCH two runs, seconds apart and in different time zones, write the same
// bytes, dated with that moment.
TEST_F(CliTest, PrintedListWithAFixedMomentIsTheSameOnEveryRun) {
    const QString in = Fixtures + QStringLiteral("drill.ask");
    QByteArray first;
    for (const char* zone : {"UTC", "Asia/Tokyo"}) {
        SCOPED_TRACE(zone);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1700000000"));
        environment.insert(QStringLiteral("TZ"), QString::fromLatin1(zone));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VEMBA_CLI), {QStringLiteral("convert"), in, path("a.pdf")});
        ASSERT_TRUE(process.waitForFinished());
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        const QByteArray pdf = readAll(path("a.pdf"));
        EXPECT_TRUE(pdf.contains("/CreationDate (D:20231114221320"));
        if (first.isEmpty()) {
            first = pdf;
            QThread::msleep(1100); // into the next second of the clock
        } else {
            EXPECT_TRUE(pdf == first) << "the second run wrote other bytes";
        }
    }
}

TEST_F(CliTest, HelpAndVersion) {
    CliRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("vemba-cli convert --shuffle")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("vemba-cli convert --import IN OUT")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("--column SPEC")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("[--right FIELD] IN OUT.pdf")));
    for (const char* option : {"--fields F1,F2,...", "--delimiter ';'|tab|','|'|'",
                               "--qualifier '\"'|\"'\"|none", "--no-header", "--field-names"})
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(option))) << option;
    CliRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("vemba-cli " VEMBA_VERSION "\n"));
}

} // namespace

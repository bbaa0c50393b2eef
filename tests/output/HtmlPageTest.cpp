#include "output/HtmlPage.h"

#include "data/FieldSets.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Sets an environment variable for the life of a block and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : name_(name)
        , old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value);
    }
    ~ScopedEnv() { set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }
    const char* name_;
    std::optional<QByteArray> old_;
};

// 2023-11-14 22:13:20 UTC.
constexpr const char* Epoch = "1700000000";
constexpr const char* EpochDate = "2023.11.14 22:13:20";

// The lines of a page, split at CR LF; the page must end in one, and no other line break
// may occur.
Lines pageLines(const QByteArray& page) {
    EXPECT_TRUE(page.endsWith("\r\n"));
    Lines lines;
    qsizetype start = 0;
    for (qsizetype end = page.indexOf("\r\n"); end >= 0; end = page.indexOf("\r\n", start)) {
        const std::string line = page.mid(start, end - start).toStdString();
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// The whole page around the lines of its table rows (the header row included), as the page
// layout has it, line for line.
Lines expectedPage(const std::string& title, const std::string& subtitle, const Lines& rows,
                   const std::string& date = EpochDate) {
    Lines page = {
        "<!DOCTYPE html>",
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">",
        "<title>" + title + "</title>",
        "<meta name=\"GENERATOR\" content=\"Kelvarom Bt. Rezi2Ruva\">",
        "</head>",
        "<body>",
        "<p><strong><font face=\"Verdana\" size=\"2\">" + title + "</font></strong></p>",
        "<p><strong><font face=\"Verdana\" size=\"1\">" + subtitle + "</font></strong></p>",
        "<div align=\"center\"><center>",
        "",
        "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">",
    };
    page.insert(page.end(), rows.begin(), rows.end());
    const Lines end = {
        "</table>", "</center></div>",
        "",         "<p><font face=\"Verdana\" size=\"1\">" + date + "</font></p>",
        "",         "<p><font face=\"Courier New\" size=\"1\">Vemba 1.0.0.1</font></p>",
        "",         "</body>",
        "</html>",
    };
    page.insert(page.end(), end.begin(), end.end());
    return page;
}

std::string header(int width, const std::string& content) {
    return "    <td width=\"" + std::to_string(width) +
           "%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>" + content +
           "</strong></font></td>";
}

std::string cell(int width, const std::string& content) {
    return "    <td width=\"" + std::to_string(width) + "%\"><font face=\"Verdana\" size=\"1\">" +
           content + "</font></td>";
}

// A drill table holding the pairs (UTF-8) in this order, numbered from 1.
class HtmlPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineDrillFields(table);
        table.Open();
    }

    void add(const std::vector<std::pair<std::string, std::string>>& pairs) {
        for (const auto& [nyelv1, nyelv2] : pairs) {
            table.Append();
            table.SetFieldValue("sorszam", std::int32_t(table.RecordCount() + 1));
            table.SetFieldValue("nyelv1", cp(nyelv1));
            table.SetFieldValue("nyelv2", cp(nyelv2));
            table.Post();
        }
    }

    QByteArray build(const std::vector<std::string>& columns, const std::string& title = "t",
                     const std::string& subtitle = "") {
        THtmlOldal page(table, MezoListaBetoltes(columns), title, subtitle);
        return page.Build();
    }

    ScopedEnv epoch{"SOURCE_DATE_EPOCH", QByteArray(Epoch)};
    TMemTable table{"Tbl"};
};

// ---- the page -----------------------------------------------------------------------------

struct PageCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> pairs; // UTF-8
    std::vector<std::string> columns;                       // cp1250
    std::string title;                                      // cp1250
    std::string subtitle;
    std::string titleShown; // as the page has them
    std::string subtitleShown;
    Lines rows; // the table's rows as the page has them (cp1250)
};

void PrintTo(const PageCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<std::pair<std::string, std::string>> ThreePairs = {
    {"alma", "apple"}, {"körte", "pear"}, {"šíp", "arrow"}};

const PageCase PageCases[] = {
    {"FirstLanguageFirst",
     ThreePairs,
     NyelvOszlopok(false),
     "elso.ask",
     "",
     "elso.ask",
     "",
     {"  <tr>", header(50, ""), header(50, ""), "  </tr>",          //
      "  <tr>", cell(50, "alma"), cell(50, "apple"), "  </tr>",     //
      "  <tr>", cell(50, cp("körte")), cell(50, "pear"), "  </tr>", //
      "  <tr>", cell(50, cp("šíp")), cell(50, "arrow"), "  </tr>"}},
    {"SecondLanguageFirst",
     ThreePairs,
     NyelvOszlopok(true),
     "elso.ask",
     "",
     "elso.ask",
     "",
     {"  <tr>", header(50, ""), header(50, ""), "  </tr>",          //
      "  <tr>", cell(50, "apple"), cell(50, "alma"), "  </tr>",     //
      "  <tr>", cell(50, "pear"), cell(50, cp("körte")), "  </tr>", //
      "  <tr>", cell(50, "arrow"), cell(50, cp("šíp")), "  </tr>"}},
    {"EmptyTableHasTheHeaderRowOnly",
     {},
     NyelvOszlopok(false),
     "",
     "",
     "",
     "",
     {"  <tr>", header(50, ""), header(50, ""), "  </tr>"}},
    {"IntegerColumnIsRightAligned",
     {{"a", "b"}, {"c", "d"}},
     {cp("sorszam;Sorszám;20;"), cp("nyelv1;Szó;80;")},
     "t",
     "",
     "t",
     "",
     {"  <tr>", header(20, "<p align=\"right\">" + cp("Sorszám")), header(80, cp("Szó")),
      "  </tr>",                                                            //
      "  <tr>", cell(20, "<p align=\"right\">1"), cell(80, "a"), "  </tr>", //
      "  <tr>", cell(20, "<p align=\"right\">2"), cell(80, "c"), "  </tr>"}},
    {"FreeEntriesAreLeftOut",
     {{"a", "b"}},
     {";ures;10;", "nyelv2;;40;"},
     "t",
     "al",
     "t",
     "al",
     {"  <tr>", header(40, ""), "  </tr>", "  <tr>", cell(40, "b"), "  </tr>"}},
    {"MarkupIsShownAsTyped",
     {{"<b>", "fish & chips"}, {"\"idézet\"", "a > b"}},
     {cp("nyelv1;<i>&\"x\";50;"), "nyelv2;;50;"},
     "<script>T & \"J\"</script>",
     "a<b",
     "&lt;script&gt;T &amp; &quot;J&quot;&lt;/script&gt;",
     "a&lt;b",
     {"  <tr>", header(50, "&lt;i&gt;&amp;&quot;x&quot;"), header(50, ""), "  </tr>", "  <tr>",
      cell(50, "&lt;b&gt;"), cell(50, "fish &amp; chips"), "  </tr>", "  <tr>",
      cell(50, cp("&quot;idézet&quot;")), cell(50, "a &gt; b"), "  </tr>"}},
};

class HtmlPageLayout : public HtmlPageTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(HtmlPageLayout, WritesThePageLineByLine) {
    const PageCase& c = GetParam();
    add(c.pairs);
    const QByteArray page = build(c.columns, c.title, c.subtitle);
    EXPECT_EQ(pageLines(page), expectedPage(c.titleShown, c.subtitleShown, c.rows));
}

INSTANTIATE_TEST_SUITE_P(Cases, HtmlPageLayout, ::testing::ValuesIn(PageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlSzoveg, TurnsTheFourMarkupCharactersIntoEntities) {
    const std::pair<std::string, std::string> cases[] = {
        {"<b>", "&lt;b&gt;"},
        {"fish & chips", "fish &amp; chips"},
        {"\"q\"", "&quot;q&quot;"},
        {"&amp;", "&amp;amp;"},
        {"it's", "it's"},
        {cp("árvíztűrő"), cp("árvíztűrő")},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(HtmlSzoveg(text), expected) << text;
}

// The bytes are code page 1250, the charset the page declares: "š" and the quotation marks
// are bytes the declared iso-8859-2 would show as other characters.
TEST_F(HtmlPageTest, BytesAreThoseOfTheDeclaredCharset) {
    add({{"šíp „x”", "ő"}});
    const QByteArray page = build(NyelvOszlopok(false));
    EXPECT_TRUE(page.contains("charset=windows-1250\">\r\n"));
    EXPECT_FALSE(page.contains("iso-8859-2"));
    EXPECT_TRUE(page.contains(QByteArray("\x9a\xedp \x84x\x94")));
    EXPECT_TRUE(page.contains(QByteArray(">\xf5<")));
    EXPECT_FALSE(page.startsWith("\xef\xbb\xbf"));
}

// ---- the date line ------------------------------------------------------------------------

TEST_F(HtmlPageTest, DateLineShowsTheLocalTimeNowWithoutSourceDateEpoch) {
    ScopedEnv unset("SOURCE_DATE_EPOCH", std::nullopt);
    const QDateTime before = QDateTime::currentDateTime();
    const Lines lines = pageLines(build(NyelvOszlopok(false)));
    const QDateTime after = QDateTime::currentDateTime();
    const std::string line = lines.at(lines.size() - 6);
    const std::string prefix = "<p><font face=\"Verdana\" size=\"1\">";
    ASSERT_EQ(line.substr(0, prefix.size()), prefix);
    const QString shown = QString::fromStdString(line.substr(prefix.size(), 19));
    const QDateTime moment = QDateTime::fromString(shown, QStringLiteral("yyyy.MM.dd HH:mm:ss"));
    ASSERT_TRUE(moment.isValid()) << line;
    EXPECT_GE(moment.secsTo(after), 0);
    EXPECT_LE(moment.secsTo(before), 0);
}

TEST(HtmlDatum, UsesTwoDigitsAndTheTwentyFourHourClock) {
    const QDateTime moment(QDate(2024, 3, 5), QTime(21, 7, 9));
    EXPECT_EQ(HtmlDatum(moment), "2024.03.05 21:07:09");
    EXPECT_EQ(HtmlDatum(QDateTime(QDate(1999, 12, 31), QTime(0, 0, 0))), "1999.12.31 00:00:00");
}

// SOURCE_DATE_EPOCH names a moment in UTC, whatever the local time zone; two runs give the
// same bytes. A value that is no number of seconds fails before the table is touched.
TEST_F(HtmlPageTest, SourceDateEpochMakesThePageReproducible) {
    add({{"a", "b"}});
    const struct {
        const char* value;
        const char* date; // nullptr: refused
    } cases[] = {
        {"0", "1970.01.01 00:00:00"}, {Epoch, EpochDate},  {" 1700000000\n", EpochDate},
        {"1700000000x", nullptr},     {"tegnap", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ScopedEnv env("SOURCE_DATE_EPOCH", QByteArray(c.value));
        table.SetRecNo(table.RecordCount());
        if (!c.date) {
            EXPECT_THROW(build(NyelvOszlopok(false)), VembaError);
            EXPECT_FALSE(table.ControlsDisabled());
            continue;
        }
        const QByteArray first = build(NyelvOszlopok(false));
        EXPECT_EQ(build(NyelvOszlopok(false)), first);
        EXPECT_TRUE(first.contains(QByteArray(c.date) + "</font></p>\r\n"));
    }
}

// ---- the table around the writing ---------------------------------------------------------

TEST_F(HtmlPageTest, ReportsEveryTenthRecordWithTheTableQuiet) {
    for (int i = 0; i < 25; ++i)
        add({{"x" + std::to_string(i), "y"}});
    table.SetRecNo(7);
    THtmlOldal page(table, MezoListaBetoltes(NyelvOszlopok(false)), "t", "");
    std::vector<int> reported;
    page.Progress = [&](int done) {
        EXPECT_TRUE(table.ControlsDisabled());
        reported.push_back(done);
    };
    page.Build();
    EXPECT_EQ(reported, (std::vector<int>{10, 20}));
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(table.RecNo(), 1);
}

// A column naming a missing field fails with the table's error; display updates come back on
// and the first record is current, as after a page that was written.
TEST_F(HtmlPageTest, MissingFieldFailsAndRestoresTheTable) {
    add({{"a", "b"}, {"c", "d"}});
    table.SetRecNo(2);
    try {
        build({"nyelv1;;50;", "nincs;;50;"});
        FAIL() << "no error";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "Tbl: Field 'nincs' not found");
    }
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(table.RecNo(), 1);
}

TEST_F(HtmlPageTest, ClosedTableFailsWithItsOwnError) {
    table.Close();
    EXPECT_THROW(build(NyelvOszlopok(false)), VembaError);
    EXPECT_FALSE(table.ControlsDisabled());
}

// ---- writing ------------------------------------------------------------------------------

TEST_F(HtmlPageTest, WritesToADeviceAndReplacesAFile) {
    add({{"a", "b"}});
    THtmlOldal page(table, MezoListaBetoltes(NyelvOszlopok(false)), "t", "");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    page.Write(buffer);
    EXPECT_EQ(buffer.data(), page.Build());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lap.htm"));
    writeAll(path, QByteArray(100000, 'x'));
    page.WriteToFile(path);
    EXPECT_EQ(readAll(path), buffer.data());
}

// A page that cannot be built or stored leaves the file that was there as it was.
TEST_F(HtmlPageTest, FailureLeavesAnExistingFileUntouched) {
    add({{"a", "b"}});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lap.htm"));
    writeAll(path, "régi");
    THtmlOldal missing(table, MezoListaBetoltes({"nincs;;50;"}), "t", "");
    EXPECT_THROW(missing.WriteToFile(path), VembaError);
    EXPECT_EQ(readAll(path), QByteArray("régi"));

    THtmlOldal page(table, MezoListaBetoltes(NyelvOszlopok(false)), "t", "");
    const QString noFolder = dir.filePath(QStringLiteral("nincs/lap.htm"));
    try {
        page.WriteToFile(noFolder);
        FAIL() << "no error";
    } catch (const VembaError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"", 0), 0u) << error.what();
    }
    EXPECT_FALSE(QFile::exists(noFolder));
}

// ---- the column lines --------------------------------------------------------------------

TEST(MezoSpecifikacio, SplitsNameCaptionAndWidth) {
    const std::pair<std::string, TMezoRec> cases[] = {
        {"nyelv1;;50;", {"nyelv1", 50, ""}},
        {"nyelv1;;50", {"nyelv1", 50, ""}},
        {"a;Felirat;7;ez;is;elmarad", {"a", 7, "Felirat"}},
        {"a;b;-3;", {"a", -3, "b"}},
        {"a;b;+4;", {"a", 4, "b"}},
        {";;0;", {"", 0, ""}},
        {"a;b;2147483647;", {"a", 2147483647, "b"}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(MezoSpecifikacio(line), expected) << line;
}

TEST(MezoSpecifikacio, WidthThatIsNoDecimalIntegerFails) {
    const std::pair<std::string, std::string> cases[] = {
        {"nyelv1", "''"},
        {"nyelv1;;", "''"},
        {"nyelv1;;x;", "'x'"},
        {"nyelv1;;5x;", "'5x'"},
        {"a;b; 5;", "' 5'"},
        {"a;b;0x10;", "'0x10'"},
        {"a;b;2147483648;", "'2147483648'"},
        {"a;b;1.5;", "'1.5'"},
        {"a;b;-;", "'-'"},
    };
    for (const auto& [line, quoted] : cases) {
        try {
            MezoSpecifikacio(line);
            ADD_FAILURE() << line << ": no error";
        } catch (const VembaError& error) {
            EXPECT_EQ(error.what(), quoted + " is not a valid integer value") << line;
        }
    }
}

TEST(MezoListaBetoltes, FillsEntriesInOrderAndTakesAtMostFifty) {
    const TMezoLista two = MezoListaBetoltes({"nyelv2;B;30;", "nyelv1;A;70;"});
    EXPECT_EQ(two[0], (TMezoRec{"nyelv2", 30, "B"}));
    EXPECT_EQ(two[1], (TMezoRec{"nyelv1", 70, "A"}));
    for (std::size_t i = 2; i < two.size(); ++i)
        EXPECT_EQ(two[i], TMezoRec{}) << i;

    std::vector<std::string> lines(MaxMezo, "nyelv1;;2;");
    EXPECT_EQ(MezoListaBetoltes(lines).back(), (TMezoRec{"nyelv1", 2, ""}));
    lines.push_back("nyelv1;;2;");
    EXPECT_THROW(MezoListaBetoltes(lines), VembaError);
    // A bad line fails the whole list.
    EXPECT_THROW(MezoListaBetoltes({"nyelv1;;50;", "nyelv2;;fele;"}), VembaError);
}

TEST(NyelvOszlopok, FollowTheDirection) {
    EXPECT_EQ(NyelvOszlopok(false), (std::vector<std::string>{"nyelv1;;50;", "nyelv2;;50;"}));
    EXPECT_EQ(NyelvOszlopok(true), (std::vector<std::string>{"nyelv2;;50;", "nyelv1;;50;"}));
}

// ---- the proposed file name ---------------------------------------------------------------

TEST(HtmlAjanlottNev, DocumentsFolderAndTheTitleMadeSafe) {
    const QString docs = QStringLiteral("/home/u/Dokumentumok");
    const std::pair<std::string, QString> cases[] = {
        {cp("Német ábc"), QStringLiteral("n_met-_bc.htm")},
        {"Angol 1: A/B", QStringLiteral("angol-1--a-b.htm")},
        {" !\"#%&'*+/:?@\\", QStringLiteral("--------------.htm")},
        {"$(),;<=>[]^_`{|}~", QStringLiteral("$(),;<=>[]^_`{|}~.htm")},
        {cp("€uro"), QStringLiteral("€uro.htm")}, // 0x80 stays
        {"ABC.ask", QStringLiteral("abc.ask.htm")},
        {"", QStringLiteral(".htm")},
    };
    for (const auto& [title, name] : cases)
        EXPECT_EQ(HtmlAjanlottNev(docs, title), docs + QLatin1Char('/') + name) << title;

    std::string high;
    for (int byte = 0x81; byte <= 0xFF; ++byte)
        high += char(byte);
    EXPECT_EQ(HtmlAjanlottNev(docs, high),
              docs + QLatin1Char('/') + QString(0x7F, QLatin1Char('_')) + QStringLiteral(".htm"));
    // No documents folder: the bare name, not one in the root folder.
    EXPECT_EQ(HtmlAjanlottNev(QString(), "A b"), QStringLiteral("a-b.htm"));
}

} // namespace

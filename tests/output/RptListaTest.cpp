#include "output/RptLista.h"

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "support/PdfText.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Pair {
    std::string nyelv1; // UTF-8
    std::string nyelv2;
};

void fill(TMemTable& table, const std::vector<Pair>& pairs) {
    DefineDrillFields(table);
    table.Open();
    for (const Pair& pair : pairs) {
        table.Append();
        table.SetFieldValue("nyelv1", cp(pair.nyelv1));
        table.SetFieldValue("nyelv2", cp(pair.nyelv2));
        table.Post();
    }
}

std::vector<Pair> shortPairs(int count) {
    std::vector<Pair> pairs;
    for (int i = 1; i <= count; ++i)
        pairs.push_back({"szó" + std::to_string(i), "word" + std::to_string(i)});
    return pairs;
}

const QDateTime Moment(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);

// The height of one line of the pair texts: Segoe UI 9 points, or the Liberation Sans that
// stands in for it.
double pairLineHeight() {
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(900); // 9 points in hundredths of a point
    const QFontMetricsF metrics(font);
    return (metrics.ascent() + metrics.descent()) / 7200 * 25.4;
}

constexpr double Mm = 1e-6; // lengths compare within this

// The A4 page: 297 high, margins of 10, so 277 printable; the page header takes 7.6 and the
// page footer 14.6, which leaves 254.8 for the detail bands. 254.8 / 5.3 = 48.08, so 48 lines
// of 5.3 (254.4) fit a column and the 49th (259.7) does not: 48 lines a column, 96 a page.
constexpr int LinesPerColumn = 48;
constexpr int LinesPerPage = 2 * LinesPerColumn;

TEST(RptListaLayout, BandsAndColumnsHaveTheDesignedFigures) {
    TMemTable table("Tbl");
    fill(table, shortPairs(1));
    const TrptLista report(table, "Teszt", "nyelv1", "nyelv2", Moment);
    const ReportLayout& layout = report.layout();
    EXPECT_NEAR(layout.headerHeight, 7.6, Mm);
    EXPECT_NEAR(layout.footerTop, 277 - 14.6, Mm);
    EXPECT_NEAR(layout.footerHeight, 14.6, Mm);
    EXPECT_NEAR(layout.columnWidth, 95, Mm);
    EXPECT_EQ(report.definition().title, QString::fromUtf8("Árlista nyomtatás"));
    EXPECT_NEAR(report.definition().detail.width, 94.9, Mm);
}

// Short pairs flow down the first column, then down the second, then onto a new page.
TEST(RptListaLayout, ShortPairsFillTheFirstColumnThenTheSecondThenANewPage) {
    for (int count : {0, 1, 48, 49, 96, 97, 100, 250}) {
        SCOPED_TRACE(count);
        TMemTable table("Tbl");
        fill(table, shortPairs(count));
        const TrptLista report(table, "Teszt", "nyelv1", "nyelv2", Moment);
        const ReportLayout& layout = report.layout();
        const int pages = count == 0 ? 1 : (count + LinesPerPage - 1) / LinesPerPage;
        EXPECT_EQ(layout.pageCount, pages);
        ASSERT_EQ(layout.details.size(), static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const DetailPlace& place = layout.details[static_cast<size_t>(i)];
            SCOPED_TRACE(i);
            EXPECT_EQ(place.page, i / LinesPerPage);
            EXPECT_EQ(place.column, i % LinesPerPage / LinesPerColumn);
            EXPECT_NEAR(place.top, 7.6 + (i % LinesPerColumn) * 5.3, Mm);
            EXPECT_NEAR(place.height, 5.3, Mm);
        }
        ASSERT_EQ(layout.firstDetail.size(), static_cast<size_t>(pages) + 1);
        for (int page = 0; page < pages; ++page)
            EXPECT_EQ(layout.firstDetail[static_cast<size_t>(page)], page * LinesPerPage);
        EXPECT_EQ(layout.firstDetail.back(), count);
    }
}

// A text wider than its 44 mm wraps and grows to its lines, its line grows with it, the
// taller of the two texts decides, and the next pair starts right below.
TEST(RptListaLayout, WrappedTextGrowsItsLineAndPushesTheNextDown) {
    const std::string longText = "ez egy nagyon hosszú szöveg, amely semmiképpen sem fér el egy "
                                 "sorban a negyvennégy milliméteres helyen";
    struct Case {
        const char* name;
        Pair pair;
        int lines; // 0: more than one, decided by the font
    };
    const Case cases[] = {
        {"long left", {longText, "rövid"}, 0},
        {"long right", {"rövid", longText}, 0},
        {"line breaks in the left", {"egy\nkettő\r\nhárom", "x"}, 3},
        {"right taller than left", {"egy\nkettő", "egy\nkettő\nhárom\nnégy"}, 4},
        {"a word longer than a line", {std::string(60, 'm'), "x"}, 0},
    };
    const double line = pairLineHeight();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemTable table("Tbl");
        fill(table, {{"első", "first"}, c.pair, {"utolsó", "last"}});
        const TrptLista report(table, "Teszt", "nyelv1", "nyelv2", Moment);
        const std::vector<DetailPlace>& details = report.layout().details;
        ASSERT_EQ(details.size(), 3u);
        // The taller text takes whole lines, more than its 4.3; the line grows by the rest.
        const double textHeight = details[1].height - 5.3 + 4.3;
        const double lines = textHeight / line;
        EXPECT_NEAR(lines, std::round(lines), 1e-6);
        if (c.lines > 0) {
            EXPECT_NEAR(textHeight, c.lines * line, Mm);
        } else {
            EXPECT_GE(std::round(lines), 2);
        }
        EXPECT_NEAR(details[0].height, 5.3, Mm);
        EXPECT_NEAR(details[1].top, details[0].top + 5.3, Mm);
        EXPECT_NEAR(details[2].top, details[1].top + details[1].height, Mm);
        EXPECT_NEAR(details[2].height, 5.3, Mm);
    }
}

// A grown line that no longer fits above the footer starts the next column.
TEST(RptListaLayout, GrownLineThatDoesNotFitStartsTheNextColumn) {
    std::vector<Pair> pairs = shortPairs(LinesPerColumn - 1);
    pairs.push_back({"egy\nkettő", "x"});
    TMemTable table("Tbl");
    fill(table, pairs);
    const TrptLista report(table, "Teszt", "nyelv1", "nyelv2", Moment);
    const DetailPlace& last = report.layout().details.back();
    EXPECT_EQ(last.page, 0);
    EXPECT_EQ(last.column, 1);
    EXPECT_NEAR(last.top, 7.6, Mm);
}

// A title wider than the page wraps, and the page header grows rather than the title
// covering the first pairs.
TEST(RptListaLayout, TitleWiderThanThePageWrapsAndTheHeaderGrows) {
    TMemTable table("Tbl");
    fill(table, shortPairs(2));
    std::string title;
    for (int i = 0; i < 30; ++i)
        title += "nagyon hosszú cím ";
    const TrptLista report(table, cp(title), "nyelv1", "nyelv2", Moment);
    const ReportLayout& layout = report.layout();
    EXPECT_GT(layout.headerHeight, 7.6 + 3);
    EXPECT_NEAR(layout.details[0].top, layout.headerHeight, Mm);
}

TEST(RptListaLayout, FieldMissingFromTheTableFails) {
    TMemTable table("Tbl");
    fill(table, shortPairs(2));
    try {
        TrptLista report(table, "Teszt", "nyelv1", "nincs", Moment);
        FAIL() << "no error";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "Tbl: Field 'nincs' not found");
    }
}

// The report reads the table from its first record to its end, and painting every page
// reads it again: the cursor ends on the last record.
TEST(RptListaLayout, CursorEndsOnTheLastRecord) {
    TMemTable table("Tbl");
    fill(table, shortPairs(150));
    table.First();
    TrptLista report(table, "Teszt", "nyelv1", "nyelv2", Moment);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.RecNo(), 150);
    table.First();
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    report.writePdf(pdf);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.RecNo(), 150);
}

TEST(RptListaDateTime, ShortDateAndLongTimeWithoutTheTimeAtMidnight) {
    struct Case {
        QLocale locale;
        QDateTime moment;
        const char* text;
    };
    const QLocale hu(QLocale::Hungarian, QLocale::Hungary);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate day(2024, 3, 5);
    const Case cases[] = {
        {hu, QDateTime(day, QTime(14, 7, 9), Qt::UTC), "2024. 03. 05. 14:07:09"},
        {hu, QDateTime(day, QTime(0, 0, 1), Qt::UTC), "2024. 03. 05. 0:00:01"},
        {hu, QDateTime(day, QTime(0, 0), Qt::UTC), "2024. 03. 05."},
        {hu, QDateTime(day, QTime(0, 0, 0, 1), Qt::UTC), "2024. 03. 05. 0:00:00"},
        {us, QDateTime(day, QTime(14, 7, 9), Qt::UTC), "3/5/24 2:07:09\u202fPM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QString expected = QString::fromUtf8(c.text);
        QString shown = reportDateTimeText(c.moment, c.locale);
        // Locale data differ in the blank before AM/PM; the zone is what must be gone.
        shown.replace(QChar(0x202f), u' ');
        expected.replace(QChar(0x202f), u' ');
        EXPECT_EQ(shown, expected);
    }
}

// Rendered at 10 pixels a millimetre: the band lines are grey and where the figures put
// them, and each text's ink lies inside its own place.
class RenderedPage : public ::testing::Test {
protected:
    static constexpr double PixelsPerMm = 10;

    void render(TrptLista& report, int page) {
        image = QImage(2100, 2970, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(PixelsPerMm, PixelsPerMm);
        report.paintPage(painter, page);
    }

    bool grey(int x, int y) const {
        const QColor c = image.pixelColor(x, y);
        return c.red() == c.green() && c.green() == c.blue() && c.red() > 0x60 && c.red() < 0xa0;
    }
    // The rows at which a column of pixels is grey, each run of rows as its first row.
    std::vector<int> greyRows(int x, int from, int to) const {
        std::vector<int> rows;
        for (int y = from; y < to; ++y)
            if (grey(x, y) && !grey(x, y - 1))
                rows.push_back(y);
        return rows;
    }
    // The bounding box of dark pixels in a rectangle given in millimetres.
    QRect ink(const QRectF& mm) const {
        const QRect area((mm.topLeft() * PixelsPerMm).toPoint(),
                         (mm.bottomRight() * PixelsPerMm).toPoint());
        QRect box;
        for (int y = area.top(); y < area.bottom(); ++y)
            for (int x = area.left(); x < area.right(); ++x)
                if (image.pixelColor(x, y).lightness() < 0x60)
                    box |= QRect(x, y, 1, 1);
        return box;
    }
    static int px(double mm) { return static_cast<int>(std::lround(mm * PixelsPerMm)); }

    QImage image;
};

// On a coarse device, such as the preview at a small zoom, a band's line and the next band's
// white text box round onto the same row of dots: every line must still show.
TEST(RenderedPageCoarse, EveryBandLineShowsAtASmallScale) {
    TMemTable table("Tbl");
    fill(table, shortPairs(100));
    TrptLista report(table, "Próba", "nyelv1", "nyelv2", Moment);
    for (const double pixelsPerMm : {2.5, 3.0, 3.9}) {
        SCOPED_TRACE(pixelsPerMm);
        QImage image(int(210 * pixelsPerMm), int(297 * pixelsPerMm), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(pixelsPerMm, pixelsPerMm);
            report.paintPage(painter, 0);
        }
        // Between the first column's two texts: the header's line, one line under each pair
        // and the footer's line, each a run of marked rows.
        const int x = int(56 * pixelsPerMm);
        int runs = 0;
        for (int y = 1; y < image.height(); ++y)
            if (image.pixel(x, y) != image.pixel(0, 0) &&
                image.pixel(x, y - 1) == image.pixel(0, 0))
                ++runs;
        EXPECT_EQ(runs, 1 + LinesPerColumn + 1);
    }
}

TEST_F(RenderedPage, LinesAndTextsSitWhereTheFiguresPutThem) {
    TMemTable table("Tbl");
    fill(table, shortPairs(100));
    TrptLista report(table, "Próba", "nyelv1", "nyelv2", Moment);
    render(report, 0);

    // Lines along the header's bottom, every line's bottom and the footer's top, looked for
    // at 56 mm, between the first column's two texts.
    std::vector<int> expected = {px(10 + 7.6 - 0.2)};
    for (int line = 1; line <= LinesPerColumn; ++line)
        expected.push_back(px(10 + 7.6 + line * 5.3 - 0.2));
    expected.push_back(px(10 + 262.4));
    const std::vector<int> rows = greyRows(px(56), px(5), px(290));
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_NEAR(rows[i], expected[i], 1) << i;
    // The second column has the same lines; the header and footer lines span both.
    EXPECT_EQ(greyRows(px(151), px(5), px(290)), rows);
    EXPECT_TRUE(grey(px(15), px(10 + 262.4) + 1));
    EXPECT_TRUE(grey(px(195), px(10 + 7.6) - 1));

    enum class Edge { Left, Centre, Right };
    struct Text {
        const char* what;
        QRectF place; // mm on the paper
        Edge edge;    // the edge the text is aligned to
        double at;    // mm
    };
    const Text texts[] = {
        {"title", {10, 10 + 1.3, 190, 6.3}, Edge::Left, 10},
        {"first left text", {10, 17.6, 44, 4.3}, Edge::Left, 10},
        {"first right text", {10 + 47.6, 17.6, 44, 4.3}, Edge::Left, 57.6},
        {"second column's first left text", {105, 17.6, 44, 4.3}, Edge::Left, 105},
        {"second column's first right text", {105 + 47.6, 17.6, 44, 4.3}, Edge::Left, 152.6},
        {"last line of the first column", {10, 17.6 + 47 * 5.3, 44, 4.3}, Edge::Left, 10},
        {"Vemba", {10, 272.4 + 1.3, 20, 2.7}, Edge::Left, 10},
        {"oldal: 1", {10, 272.4 + 4.0, 20, 2.7}, Edge::Left, 10},
        {"homepage", {80, 272.4 + 4.0, 50, 2.7}, Edge::Centre, 105},
        {"date and time", {150, 272.4 + 1.3, 50, 2.7}, Edge::Right, 200},
        {"rptLista", {180, 272.4 + 4.0, 20, 2.7}, Edge::Right, 200},
    };
    for (const Text& text : texts) {
        SCOPED_TRACE(text.what);
        const QRect box = ink(text.place);
        ASSERT_FALSE(box.isEmpty());
        const int edge = text.edge == Edge::Left    ? box.left()
                         : text.edge == Edge::Right ? box.right()
                                                    : box.center().x();
        EXPECT_NEAR(edge, px(text.at), 6);
        // Its first line starts at the top of its place.
        EXPECT_LE(box.top() - px(text.place.top()), px(1.5));
    }
    // Below the last line of each column, nothing but the footer.
    EXPECT_TRUE(ink({10, 17.6 + 48 * 5.3 + 0.1, 190, 262.4 - 7.6 - 48 * 5.3 - 0.3}).isEmpty());
}

// The PDF keeps its texts as text: a reader finds the title, the pairs, every Hungarian
// letter and the footer of every page where the figures put them.
class RptListaPdf : public ::testing::Test {
protected:
    QString write(TMemTable& table, const std::string& title, const char* left = "nyelv1",
                  const char* right = "nyelv2") {
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        TrptLista report(table, title, left, right, Moment);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        report.writePdf(file);
        return path;
    }
    static const PdfWord* find(const std::vector<PdfWord>& words, int page, const QString& text) {
        for (const PdfWord& word : words)
            if (word.page == page && word.text == text)
                return &word;
        return nullptr;
    }

    QTemporaryDir dir;
};

TEST_F(RptListaPdf, EveryPageHasTheTitleAtTheTopAndItsFooter) {
    TMemTable table("Tbl");
    fill(table, shortPairs(250));
    const std::vector<PdfWord> words = pdfWords(write(table, cp("Szavak")));
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words.back().page, 3);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        struct Expected {
            QString text;
            double left;  // mm, or NAN
            double right; // mm, or NAN
            double top;
        };
        const Expected expected[] = {
            {QStringLiteral("Szavak"), 10, NAN, 11.3},
            {QStringLiteral("Vemba"), 10, NAN, 272.4 + 1.3},
            {QStringLiteral("oldal:"), 10, NAN, 272.4 + 4.0},
            {QString::number(page), NAN, NAN, 272.4 + 4.0},
            {QStringLiteral("https://vemba.hu"), NAN, NAN, 272.4 + 4.0},
            {QStringLiteral("2024."), NAN, NAN, 272.4 + 1.3},
            {QStringLiteral("14:07:09"), NAN, 200, 272.4 + 1.3},
            {QStringLiteral("rptLista"), NAN, 200, 272.4 + 4.0},
        };
        for (const Expected& e : expected) {
            SCOPED_TRACE(e.text.toStdString());
            const PdfWord* word = find(words, page, e.text);
            ASSERT_NE(word, nullptr);
            if (!std::isnan(e.left)) {
                EXPECT_NEAR(word->box.left(), e.left, 0.05);
            }
            if (!std::isnan(e.right)) {
                EXPECT_NEAR(word->box.right(), e.right, 0.3);
            }
            EXPECT_NEAR(word->box.top(), e.top, 0.3);
        }
        const PdfWord* homepage = find(words, page, QStringLiteral("https://vemba.hu"));
        EXPECT_NEAR(homepage->box.center().x(), 105, 0.3);
    }
    // Pairs 1, 49, 97 and 193 open a column: the first and second column of page 1, the
    // first of page 2 and of page 3.
    struct Opening {
        int pair;
        int page;
        double left;
    };
    for (const Opening& o :
         {Opening{1, 1, 10}, Opening{49, 1, 105}, Opening{97, 2, 10}, Opening{193, 3, 10}}) {
        SCOPED_TRACE(o.pair);
        const PdfWord* left = find(words, o.page, QString::fromUtf8("szó%1").arg(o.pair));
        const PdfWord* right = find(words, o.page, QStringLiteral("word%1").arg(o.pair));
        ASSERT_NE(left, nullptr);
        ASSERT_NE(right, nullptr);
        EXPECT_NEAR(left->box.left(), o.left, 0.05);
        EXPECT_NEAR(right->box.left(), o.left + 47.6, 0.05);
        EXPECT_NEAR(left->box.top(), 17.6, 0.05);
    }
}

TEST_F(RptListaPdf, EveryHungarianLetterStaysText) {
    TMemTable table("Tbl");
    fill(table, {{"árvíztűrő tükörfúrógép", "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"}, {"ő ű", "Ő Ű"}});
    QStringList found;
    for (const PdfWord& word : pdfWords(write(table, cp("Ékezetek: őű"))))
        found << word.text;
    for (const char* expected : {"Ékezetek:", "őű", "árvíztűrő", "tükörfúrógép", "ÁRVÍZTŰRŐ",
                                 "TÜKÖRFÚRÓGÉP", "ő", "ű", "Ő", "Ű", "oldal:"})
        EXPECT_TRUE(found.contains(QString::fromUtf8(expected))) << expected;
}

// The fields are bound by name: the left and right texts show the fields named, in that
// order.
TEST_F(RptListaPdf, TextsShowTheFieldsNamed) {
    struct Case {
        const char* left;
        const char* right;
        const char* atLeft;
        const char* atRight;
    };
    for (const Case& c :
         {Case{"nyelv1", "nyelv2", "alma", "apple"}, Case{"nyelv2", "nyelv1", "apple", "alma"}}) {
        SCOPED_TRACE(c.left);
        TMemTable table("Tbl");
        fill(table, {{"alma", "apple"}});
        const std::vector<PdfWord> words = pdfWords(write(table, "T", c.left, c.right));
        const PdfWord* left = find(words, 1, QString::fromUtf8(c.atLeft));
        const PdfWord* right = find(words, 1, QString::fromUtf8(c.atRight));
        ASSERT_NE(left, nullptr);
        ASSERT_NE(right, nullptr);
        EXPECT_NEAR(left->box.left(), 10, 0.05);
        EXPECT_NEAR(right->box.left(), 57.6, 0.05);
    }
}

TEST_F(RptListaPdf, EmptyTableGivesOnePageWithHeaderAndFooterOnly) {
    TMemTable table("Tbl");
    fill(table, {});
    const TrptLista report(table, "Ures", "nyelv1", "nyelv2", Moment);
    EXPECT_EQ(report.pageCount(), 1);
    EXPECT_TRUE(report.layout().details.empty());
    const std::vector<PdfWord> words = pdfWords(write(table, "Ures"));
    QStringList texts;
    for (const PdfWord& word : words) {
        EXPECT_EQ(word.page, 1);
        texts << word.text;
    }
    EXPECT_EQ(texts.join(u' '), QStringLiteral("Ures Vemba oldal: 1 https://vemba.hu 2024. 03. "
                                               "05. 14:07:09 rptLista"));
}

// The file is replaced only when complete; a failure leaves what was there.
TEST_F(RptListaPdf, FailedWriteLeavesTheOldFile) {
    TMemTable table("Tbl");
    fill(table, shortPairs(3));
    const QString path = dir.filePath(QStringLiteral("regi.pdf"));
    writeAll(path, "old");
    struct Case {
        const char* what;
        QString path;
        const char* right;
        std::string message;
    };
    const QString nowhere = dir.filePath(QStringLiteral("nincs/lista.pdf"));
    const Case cases[] = {
        {"missing field", path, "nincs", "Tbl: Field 'nincs' not found"},
        {"missing folder", nowhere, "nyelv2", "Cannot create file \"" + toCp1250(nowhere) + "\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            writeListaPdf(table, "T", "nyelv1", c.right, c.path);
            FAIL() << "no error";
        } catch (const VembaError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message);
        }
        EXPECT_EQ(readAll(path), QByteArray("old"));
        EXPECT_FALSE(QFile::exists(nowhere));
    }
    writeListaPdf(table, "T", "nyelv1", "nyelv2", path);
    EXPECT_TRUE(readAll(path).startsWith("%PDF"));
}

// With SOURCE_DATE_EPOCH set, the footer shows that moment in UTC.
TEST_F(RptListaPdf, SourceDateEpochFixesTheFootersDate) {
    TMemTable table("Tbl");
    fill(table, shortPairs(1));
    const QString path = dir.filePath(QStringLiteral("lista.pdf"));
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    writeListaPdf(table, "T", "nyelv1", "nyelv2", path);
    qunsetenv("SOURCE_DATE_EPOCH");
    EXPECT_TRUE(pdfText(path).contains(QStringLiteral("2023. 11. 14. 22:13:20")));
}

} // namespace

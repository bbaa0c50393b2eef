#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QLineF>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class TField;
class TMemTable;

// The report engine: a banded report of a page header, one detail band per record and a page
// footer, laid out in columns (down, then across) on pages of a given paper. The layout is
// computed first without painting (which record goes on which page and column, at which
// height), then pages are painted from it onto any paged device: a printer, the print
// preview's printer or a PDF writer.
//
// Every length is in millimetres as a floating-point number, measured from the top-left
// corner of what it belongs to: a band from the printable area's corner, a text from its
// band's corner. Needs a QGuiApplication (fonts).

enum class ReportTextKind {
    Fixed,      // the text itself
    Field,      // a field of the current record
    PageNumber, // the text followed by the page's number (1 for the first)
    DateTime,   // the report's moment, see reportDateTimeText
};

enum class ReportAlign { Left, Center, Right };

struct ReportText {
    ReportTextKind kind = ReportTextKind::Fixed;
    QString text;      // Fixed: the text; PageNumber: the text before the number
    std::string field; // Field: the field's name (code page 1250)
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    // Placed against the band's left edge, centre or right edge instead of at left.
    std::optional<ReportAlign> bandAlign;
    ReportAlign alignment = ReportAlign::Left; // of each line within the text's width
    QFont font;                                // families and point size
    QColor color = Qt::black;
    bool transparent = true;
    QColor background = Qt::white;
    bool autoSize = false; // as wide as its text, up to the band's width; one line high
    bool wordWrap = false; // breaks lines between words, or inside a word longer than a line
    bool stretch = false;  // grows downward with its text, and its band grows with it
};

enum ReportLine : int { NoLine = 0, TopLine = 1, BottomLine = 2 };

struct ReportBand {
    double height = 0;
    double width = 0; // 0: the printable width (header, footer) or the column's width (detail)
    QColor color = Qt::white;
    int lines = NoLine; // ReportLine flags: lines along the band's edges
    QColor lineColor = Qt::gray;
    std::vector<ReportText> texts;
};

struct ReportPage {
    QPageSize size{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins;
    int columns = 1;
    double columnGap = 0;

    // The paper with the margins.
    QPageLayout pageLayout() const;
    // As devices are given it: the margins (which page set-up dialogs show), but painted
    // from the paper's corner, since a device rounds margins of its own (a PDF page to whole
    // points).
    QPageLayout paperLayout() const;
};

struct ReportDefinition {
    QString title; // the print job's name and the preview window's caption
    ReportPage page;
    ReportBand pageHeader;
    ReportBand detail;
    ReportBand pageFooter;
};

// The records a report runs over, read in order: first, then next until eof.
class ReportRecords {
public:
    virtual ~ReportRecords() = default;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The number by which text() reads a field; throws when there is no such field.
    virtual int field(std::string_view name) = 0;
    // The current record's value of the field as text.
    virtual QString text(int field) const = 0;
};

// A word table's records in its current order. The report does not quiet the table: its
// attached controls follow the cursor, which ends on the last record.
class TableRecords final : public ReportRecords {
public:
    explicit TableRecords(TMemTable& table)
        : table_(table) {}
    void first() override;
    void next() override;
    bool eof() const override;
    int field(std::string_view name) override;
    QString text(int field) const override;

private:
    TMemTable& table_;
    std::vector<TField*> fields_;
};

// Where one detail band goes.
struct DetailPlace {
    int page = 0;      // from 0
    int column = 0;    // from 0
    double top = 0;    // from the printable area's top
    double height = 0; // grown with its taller text
    friend bool operator==(const DetailPlace&, const DetailPlace&) = default;
};

struct ReportLayout {
    int pageCount = 1;
    double headerHeight = 0;
    double footerTop = 0; // the page footer's top, from the printable area's top
    double footerHeight = 0;
    double columnWidth = 0;
    std::vector<DetailPlace> details; // one per record, in the records' order
    std::vector<int> firstDetail;     // per page, its first detail; then details.size()
    QDateTime moment;                 // what the date and time texts show
    std::vector<int> detailFields;    // per detail text, the field it reads (-1: none)

    // The printable area's top and bottom of the detail bands.
    double bodyTop() const { return headerHeight; }
    double bodyBottom() const { return footerTop; }
};

// Lays the report out over every record, from the first to the end (the records' cursor
// ends there). The date and time texts show the moment given.
ReportLayout layOutReport(const ReportDefinition& report, ReportRecords& records,
                          const QDateTime& moment);

// The date and time as a report shows them: the locale's short date, a blank and its long
// time (hours, minutes and seconds, without a time zone); at exactly midnight the date alone.
QString reportDateTimeText(const QDateTime& moment, const QLocale& locale = QLocale());

// Paints a laid-out report. Pages are quickest painted in order, as printing does; another
// order reads the records again from the first.
class ReportRenderer {
public:
    // The definition, layout and records must outlive the renderer.
    ReportRenderer(const ReportDefinition& report, const ReportLayout& layout,
                   ReportRecords& records);
    ~ReportRenderer();
    ReportRenderer(const ReportRenderer&) = delete;
    ReportRenderer& operator=(const ReportRenderer&) = delete;

    int pageCount() const;

    // Paints one page (from 0) with a painter whose coordinates are millimetres from the
    // paper's top-left corner.
    void paintPage(QPainter& painter, int page);

    // Gives the device the report's paper and margins and paints every page on it, calling
    // progress(pages done, pages) after each page; progress returning false stops. Returns
    // whether every page was painted. Throws VembaError when the device cannot be painted on.
    using Progress = std::function<bool(int done, int total)>;
    bool print(QPagedPaintDevice& device, const Progress& progress = {});

private:
    struct Bands;
    void seek(int detail);
    // A band line, drawn once every band of the page is painted, so that the next band's
    // background cannot cover it where the device rounds both onto the same row of dots.
    struct BandLine {
        QLineF line;
        QColor color;
    };
    void paintBand(QPainter& painter, int band, double left, double top, double height, int page,
                   std::vector<BandLine>& lines);

    const ReportDefinition& report_;
    const ReportLayout& layout_;
    ReportRecords& records_;
    std::unique_ptr<Bands> bands_;
    int position_ = -1; // the detail the records' cursor is on; -1: not known
};

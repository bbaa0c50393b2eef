#include "output/Report.h"

#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/Error.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <array>

namespace {

// Text is measured and painted in dots of 1/720 inch, a tenth of a point. A font of n points
// (whole or with one decimal) is then n * 10 dots high, a whole number of pixels, so it
// measures the same on every device the pages go to; unhinted, its metrics are the outline's.
// Larger sizes measure no better and made the font engine markedly slower.
constexpr double DotsPerInch = 720.0;
constexpr double MmPerInch = 25.4;
constexpr double DotsPerMm = DotsPerInch / MmPerInch;

double dots(double mm) {
    return mm * DotsPerMm;
}

double millimetres(double dots) {
    return dots / DotsPerMm;
}

// Sums of band heights are not exact in binary: a band that ends within this of the footer
// still fits.
constexpr double Tolerance = 1e-6;
constexpr double LineWidth = 0.2; // of the band lines

QFont dotFont(const QFont& design) {
    QFont font(design);
    font.setPixelSize(std::max(1, qRound(design.pointSizeF() * 10)));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Line breaks inside a value end a line of a wrapping text and are blanks elsewhere.
QString normalised(QString value, bool wordWrap) {
    const QChar lineBreak = wordWrap ? QChar(QChar::LineSeparator) : QChar(u' ');
    if (value.contains(u'\r') || value.contains(u'\n')) {
        value.replace(QStringLiteral("\r\n"), QString(lineBreak));
        value.replace(u'\r', lineBreak);
        value.replace(u'\n', lineBreak);
    }
    return value;
}

// One text item of a band: its font and how a value lays out in it. Measuring and painting
// break lines the same way, so a painted text takes exactly the room the layout gave it.
class TextShape {
public:
    struct Line {
        qsizetype start;
        qsizetype length;
        double width; // dots
    };
    // Where and how large a value shows, in dots from the band's corner.
    struct Box {
        double left;
        double width;
        double height;
        double growth; // beyond the text's design height
    };

    TextShape(const ReportText& item, double bandWidth)
        : item_(item)
        , font_(dotFont(item.font))
        , metrics_(font_)
        , bandWidth_(dots(bandWidth))
        , lineHeight_(metrics_.ascent() + metrics_.descent()) {}

    const ReportText& item() const { return item_; }

    Box box(const QString& value, std::vector<Line>& lines) const {
        breakLines(value, lines);
        double widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, line.width);
        const double textHeight =
            lineHeight_ * static_cast<double>(std::max<size_t>(1, lines.size()));
        Box box{};
        if (item_.autoSize) {
            box.width = item_.wordWrap ? std::min(widest, available()) : widest;
            box.height = textHeight;
            box.growth = item_.stretch ? textHeight - lineHeight_ : 0;
        } else {
            const double design = dots(item_.height);
            box.width = dots(item_.width);
            box.height = item_.stretch ? std::max(design, textHeight) : design;
            box.growth = box.height - design;
        }
        box.left = dots(item_.left);
        if (item_.bandAlign)
            box.left = aligned(*item_.bandAlign, box.width, bandWidth_);
        return box;
    }

    // How much the value makes its band grow, in millimetres.
    double growth(const QString& value) const { return millimetres(box(value, scratch_).growth); }

    // Paints the value with a painter in dots whose origin is the band's corner.
    void paint(QPainter& painter, const QString& raw) const {
        const QString value = normalised(raw, item_.wordWrap);
        std::vector<Line> lines;
        const Box shown = box(value, lines);
        if (!item_.transparent)
            painter.fillRect(QRectF(shown.left, dots(item_.top), shown.width, shown.height),
                             item_.background);
        const bool clip = std::any_of(lines.begin(), lines.end(), [&](const Line& line) {
            return line.width > shown.width + Tolerance;
        });
        if (clip) {
            painter.save();
            painter.setClipRect(QRectF(shown.left, dots(item_.top), shown.width, shown.height));
        }
        painter.setFont(font_);
        painter.setPen(item_.color);
        double baseline = dots(item_.top) + metrics_.ascent();
        for (const Line& line : lines) {
            QString text = value.mid(line.start, line.length);
            while (text.endsWith(QChar(QChar::LineSeparator)))
                text.chop(1);
            const double left = shown.left + aligned(item_.alignment, line.width, shown.width);
            painter.drawText(QPointF(left, baseline), text);
            baseline += lineHeight_;
        }
        if (clip)
            painter.restore();
    }

    // Prepares a value for box() and paint(); box() takes it as it is.
    QString prepared(const QString& raw) const { return normalised(raw, item_.wordWrap); }

private:
    static double aligned(ReportAlign alignment, double width, double room) {
        switch (alignment) {
        case ReportAlign::Left:
            return 0;
        case ReportAlign::Center:
            return (room - width) / 2;
        case ReportAlign::Right:
            return room - width;
        }
        return 0;
    }

    // The width lines may take.
    double available() const {
        if (!item_.autoSize)
            return dots(item_.width);
        return item_.bandAlign ? bandWidth_ : bandWidth_ - dots(item_.left);
    }

    void breakLines(const QString& value, std::vector<Line>& lines) const {
        lines.clear();
        const double room = available();
        // Most values are one short line: measured without a text layout.
        if (!item_.wordWrap || !value.contains(QChar(QChar::LineSeparator))) {
            const double width = metrics_.horizontalAdvance(value);
            if (!item_.wordWrap || width <= room + Tolerance) {
                lines.push_back({0, value.size(), width});
                return;
            }
        }
        QTextLayout layout(value, font_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(room);
            lines.push_back({line.textStart(), line.textLength(), line.naturalTextWidth()});
        }
        layout.endLayout();
    }

    ReportText item_;
    QFont font_;
    QFontMetricsF metrics_;
    double bandWidth_;
    double lineHeight_;
    mutable std::vector<Line> scratch_;
};

enum BandIndex { Header = 0, Detail = 1, Footer = 2 };

QSizeF printableSize(const ReportPage& page) {
    return page.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

double columnWidth(const ReportPage& page) {
    const int columns = std::max(1, page.columns);
    return (printableSize(page).width() - page.columnGap * (columns - 1)) / columns;
}

double bandWidth(const ReportDefinition& report, int band) {
    const ReportBand& which = band == Header   ? report.pageHeader
                              : band == Detail ? report.detail
                                               : report.pageFooter;
    if (which.width > 0)
        return which.width;
    return band == Detail ? columnWidth(report.page) : printableSize(report.page).width();
}

const ReportBand& bandOf(const ReportDefinition& report, int band) {
    return band == Header ? report.pageHeader : band == Detail ? report.detail : report.pageFooter;
}

// The text shapes of the header, detail and footer bands.
using Shapes = std::array<std::vector<TextShape>, 3>;

Shapes makeShapes(const ReportDefinition& report) {
    Shapes shapes;
    for (int band = Header; band <= Footer; ++band)
        for (const ReportText& item : bandOf(report, band).texts)
            shapes[band].emplace_back(item, bandWidth(report, band));
    return shapes;
}

// What a text shows on a page, for the record the records' cursor is on.
QString valueOf(const ReportText& item, int field, const ReportRecords* records, int page,
                const QString& dateTime) {
    switch (item.kind) {
    case ReportTextKind::Fixed:
        return item.text;
    case ReportTextKind::Field:
        return records != nullptr && field >= 0 ? records->text(field) : QString();
    case ReportTextKind::PageNumber:
        return item.text + QString::number(page + 1);
    case ReportTextKind::DateTime:
        return dateTime;
    }
    return {};
}

double grownHeight(const ReportBand& band, const std::vector<TextShape>& shapes,
                   const std::vector<int>& fields, const ReportRecords* records, int page,
                   const QString& dateTime) {
    double growth = 0;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const TextShape& shape = shapes[i];
        const int field = i < fields.size() ? fields[i] : -1;
        const QString value = shape.prepared(valueOf(shape.item(), field, records, page, dateTime));
        growth = std::max(growth, shape.growth(value));
    }
    return band.height + growth;
}

} // namespace

QPageLayout ReportPage::pageLayout() const {
    return QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
}

QPageLayout ReportPage::paperLayout() const {
    QPageLayout paper(size, orientation, margins, QPageLayout::Millimeter);
    paper.setMode(QPageLayout::FullPageMode);
    return paper;
}

void TableRecords::first() {
    table_.First();
}

void TableRecords::next() {
    table_.Next();
}

bool TableRecords::eof() const {
    return table_.Eof();
}

int TableRecords::field(std::string_view name) {
    fields_.push_back(&table_.FieldByName(name));
    return static_cast<int>(fields_.size()) - 1;
}

QString TableRecords::text(int field) const {
    return fromCp1250(fields_.at(static_cast<size_t>(field))->AsString());
}

QString reportDateTimeText(const QDateTime& moment, const QLocale& locale) {
    QString text = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() == QTime(0, 0))
        return text;
    // The locale's long time names the time zone too ("t"), which the printed time leaves
    // out, with the blank before it.
    QString format = locale.timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        withoutZone += c;
    }
    return text + u' ' + locale.toString(moment.time(), withoutZone.trimmed());
}

ReportLayout layOutReport(const ReportDefinition& report, ReportRecords& records,
                          const QDateTime& moment) {
    ReportLayout layout;
    layout.moment = moment;
    const QString dateTime = reportDateTimeText(moment);
    const Shapes shapes = makeShapes(report);
    for (const ReportText& item : report.detail.texts)
        layout.detailFields.push_back(item.kind == ReportTextKind::Field ? records.field(item.field)
                                                                         : -1);

    const QSizeF printable = printableSize(report.page);
    layout.headerHeight = grownHeight(report.pageHeader, shapes[Header], {}, nullptr, 0, dateTime);
    layout.footerHeight = grownHeight(report.pageFooter, shapes[Footer], {}, nullptr, 0, dateTime);
    layout.footerTop = printable.height() - layout.footerHeight;
    layout.columnWidth = columnWidth(report.page);

    const int columns = std::max(1, report.page.columns);
    DetailPlace place{0, 0, layout.bodyTop(), 0};
    layout.firstDetail.push_back(0);
    for (records.first(); !records.eof(); records.next()) {
        place.height = grownHeight(report.detail, shapes[Detail], layout.detailFields, &records,
                                   place.page, dateTime);
        // A band taller than a whole column goes on an empty column all the same.
        const bool columnUsed = place.top > layout.bodyTop() + Tolerance;
        if (columnUsed && place.top + place.height > layout.bodyBottom() + Tolerance) {
            place.top = layout.bodyTop();
            if (++place.column == columns) {
                place.column = 0;
                ++place.page;
                layout.firstDetail.push_back(static_cast<int>(layout.details.size()));
            }
        }
        layout.details.push_back(place);
        place.top += place.height;
    }
    layout.pageCount = place.page + 1;
    layout.firstDetail.push_back(static_cast<int>(layout.details.size()));
    return layout;
}

struct ReportRenderer::Bands {
    Shapes shapes;
    QString dateTime;
};

ReportRenderer::ReportRenderer(const ReportDefinition& report, const ReportLayout& layout,
                               ReportRecords& records)
    : report_(report)
    , layout_(layout)
    , records_(records)
    , bands_(
          std::make_unique<Bands>(Bands{makeShapes(report), reportDateTimeText(layout.moment)})) {}

ReportRenderer::~ReportRenderer() = default;

int ReportRenderer::pageCount() const {
    return layout_.pageCount;
}

void ReportRenderer::seek(int detail) {
    if (position_ < 0 || detail < position_) {
        records_.first();
        position_ = 0;
    }
    for (; position_ < detail && !records_.eof(); ++position_)
        records_.next();
}

void ReportRenderer::paintBand(QPainter& painter, int band, double left, double top, double height,
                               int page, std::vector<BandLine>& lines) {
    const ReportBand& which = bandOf(report_, band);
    const double width = bandWidth(report_, band);
    const QRectF area(dots(left), dots(top), dots(width), dots(height));
    painter.fillRect(area, which.color);
    painter.save();
    painter.translate(area.topLeft());
    const std::vector<TextShape>& shapes = bands_->shapes[band];
    for (size_t i = 0; i < shapes.size(); ++i) {
        const int field =
            band == Detail && i < layout_.detailFields.size() ? layout_.detailFields[i] : -1;
        shapes[i].paint(painter,
                        valueOf(shapes[i].item(), field, &records_, page, bands_->dateTime));
    }
    painter.restore();
    const double half = dots(LineWidth) / 2;
    if (which.lines & TopLine)
        lines.push_back({QLineF(area.left(), area.top() + half, area.right(), area.top() + half),
                         which.lineColor});
    if (which.lines & BottomLine)
        lines.push_back(
            {QLineF(area.left(), area.bottom() - half, area.right(), area.bottom() - half),
             which.lineColor});
}

void ReportRenderer::paintPage(QPainter& painter, int page) {
    if (page < 0 || page >= layout_.pageCount)
        return;
    const QMarginsF& margins = report_.page.margins;
    painter.save();
    painter.scale(1 / DotsPerMm, 1 / DotsPerMm);
    std::vector<BandLine> lines;
    paintBand(painter, Header, margins.left(), margins.top(), layout_.headerHeight, page, lines);
    const int end = layout_.firstDetail.at(static_cast<size_t>(page) + 1);
    for (int detail = layout_.firstDetail.at(static_cast<size_t>(page)); detail < end; ++detail) {
        seek(detail);
        const DetailPlace& place = layout_.details.at(static_cast<size_t>(detail));
        const double left =
            margins.left() + place.column * (layout_.columnWidth + report_.page.columnGap);
        paintBand(painter, Detail, left, margins.top() + place.top, place.height, page, lines);
    }
    paintBand(painter, Footer, margins.left(), margins.top() + layout_.footerTop,
              layout_.footerHeight, page, lines);
    for (const BandLine& band : lines) {
        QPen pen(band.color);
        pen.setWidthF(dots(LineWidth));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(band.line);
    }
    painter.restore();
}

bool ReportRenderer::print(QPagedPaintDevice& device, const Progress& progress) {
    device.setPageLayout(report_.page.paperLayout());
    QPainter painter;
    if (!painter.begin(&device))
        throw VembaError("Cannot print");
    // A printer that keeps margins all the same starts the painter at their corner.
    const QPointF corner = device.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
    painter.scale(device.logicalDpiX() / MmPerInch, device.logicalDpiY() / MmPerInch);
    painter.translate(-corner);
    bool complete = true;
    for (int page = 0; page < layout_.pageCount && complete; ++page) {
        if (page > 0 && !device.newPage()) {
            complete = false;
            break;
        }
        paintPage(painter, page);
        complete = !progress || progress(page + 1, layout_.pageCount);
    }
    // Stopped or not, the records' cursor ends where a whole run leaves it: at their end.
    seek(static_cast<int>(layout_.details.size()));
    return painter.end() && complete;
}

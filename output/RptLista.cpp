#include "output/RptLista.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "platform/OutputClock.h"
#include "platform/SafeSave.h"
#include "ui/Links.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>

namespace {

const QColor Grey(0x80, 0x80, 0x80);

// The design family first; where it is missing, the Liberation family with its metrics.
QFont designFont(const char* family, const char* standIn, double points, bool bold = false) {
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QString::fromLatin1(standIn)});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

ReportText footerText(ReportTextKind kind, const QString& text, double top, ReportAlign align) {
    ReportText item;
    item.kind = kind;
    item.text = text;
    item.top = top;
    item.bandAlign = align;
    item.alignment = align;
    item.autoSize = true;
    item.font = designFont("Courier New", "Liberation Mono", 6);
    return item;
}

ReportText pairText(const std::string& field, double left) {
    ReportText item;
    item.kind = ReportTextKind::Field;
    item.field = field;
    item.left = left;
    item.width = 44.0;
    item.height = 4.3;
    item.font = designFont("Segoe UI", "Liberation Sans", 9);
    item.transparent = false;
    item.background = Qt::white;
    item.wordWrap = true;
    item.stretch = true;
    return item;
}

} // namespace

ReportDefinition rptListaDefinition(const QString& title, const std::string& leftField,
                                    const std::string& rightField) {
    ReportDefinition report;
    report.title = QString::fromUtf8(TrptLista::ReportTitle);
    report.page.size = QPageSize(QPageSize::A4);
    report.page.orientation = QPageLayout::Portrait;
    report.page.margins = QMarginsF(10, 10, 10, 10);
    report.page.columns = 2;
    report.page.columnGap = 0;

    report.pageHeader.height = 7.6;
    report.pageHeader.lines = BottomLine;
    report.pageHeader.lineColor = Grey;
    ReportText heading;
    heading.text = title;
    heading.top = 1.3;
    heading.font = designFont("Arial", "Liberation Sans", 10, true);
    heading.autoSize = true;
    // Wider than the band, it wraps, and the band grows rather than the title covering the
    // first lines.
    heading.wordWrap = true;
    heading.stretch = true;
    report.pageHeader.texts.push_back(heading);

    report.detail.height = 5.3;
    report.detail.width = 94.9;
    report.detail.lines = BottomLine;
    report.detail.lineColor = Grey;
    report.detail.texts.push_back(pairText(leftField, 0));
    report.detail.texts.push_back(pairText(rightField, 47.6));

    report.pageFooter.height = 14.6;
    report.pageFooter.lines = TopLine;
    report.pageFooter.lineColor = Grey;
    using Kind = ReportTextKind;
    report.pageFooter.texts = {
        footerText(Kind::Fixed, QStringLiteral("Vemba"), 1.3, ReportAlign::Left),
        footerText(Kind::DateTime, {}, 1.3, ReportAlign::Right),
        footerText(Kind::PageNumber, QStringLiteral("oldal: "), 4.0, ReportAlign::Left),
        footerText(Kind::Fixed, fromCp1250(Links::Honlap), 4.0, ReportAlign::Center),
        footerText(Kind::Fixed, QStringLiteral("rptLista"), 4.0, ReportAlign::Right),
    };
    return report;
}

TrptLista::TrptLista(TMemTable& table, const std::string& title, const std::string& leftField,
                     const std::string& rightField, const QDateTime& moment)
    : moment_(moment)
    , definition_(rptListaDefinition(fromCp1250(title), leftField, rightField))
    , records_(table)
    , layout_(layOutReport(definition_, records_, moment))
    , renderer_(definition_, layout_, records_) {}

namespace {

// Qt dates a PDF document with the clock. Puts the moment (in UTC) in its place, in a text of
// the same length, so the cross-reference offsets stay right.
void stampCreationDate(QByteArray& pdf, const QDateTime& moment) {
    static const QByteArray key = "/CreationDate (D:";
    const qsizetype start = pdf.indexOf(key);
    const qsizetype end = start < 0 ? -1 : pdf.indexOf(')', start);
    if (end < 0)
        return;
    const qsizetype at = start + key.size();
    QByteArray date = moment.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    date += end - at == date.size() + 1 ? QByteArray("Z") : QByteArray("+00'00'");
    if (date.size() == end - at)
        pdf.replace(at, date.size(), date);
}

} // namespace

void TrptLista::writePdf(QIODevice& device) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(definition_.title);
        writer.setCreator(QStringLiteral("Vemba"));
        if (!renderer_.print(writer))
            throw VembaError("Cannot write the PDF document.");
    }
    QByteArray pdf = buffer.buffer();
    stampCreationDate(pdf, moment_);
    if (device.write(pdf) != pdf.size())
        throw VembaError("Cannot write the PDF document. " + toCp1250(device.errorString()));
}

void writeListaPdf(TMemTable& table, const std::string& title, const std::string& leftField,
                   const std::string& rightField, const QString& path) {
    TrptLista report(table, title, leftField, rightField, outputNow());
    saveFileOrThrow(path, [&report](QIODevice& device) { report.writePdf(device); });
}

#include "output/HtmlPage.h"

#include "platform/Cp1250.h"
#include "platform/OutputClock.h"
#include "platform/SafeSave.h"
#include "ui/TextRoutines.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <charconv>

namespace {

// The name and version the page shows as its maker.
constexpr std::string_view ProgramLine = "Vemba 1.0.0.1";

std::int32_t decimalInteger(const std::string& text) {
    std::string_view digits(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw VembaError("'" + text + "' is not a valid integer value");
    return value;
}

void line(std::string& page, std::string_view text) {
    page += text;
    page += "\r\n";
}

void line(std::string& page, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
        page += part;
    page += "\r\n";
}

// Appends the text with '&', '<', '>' and '"' as entities, a run of plain text at a time.
void appendEscaped(std::string& page, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t special = text.find_first_of("&<>\"", pos);
        page.append(text.substr(pos, special - pos));
        if (special == std::string_view::npos)
            break;
        switch (text[special]) {
        case '&':
            page += "&amp;";
            break;
        case '<':
            page += "&lt;";
            break;
        case '>':
            page += "&gt;";
            break;
        default:
            page += "&quot;";
        }
        pos = special + 1;
    }
}

std::string_view alignmentPrefix(const TField& field) {
    return field.Alignment() == TAlignment::Right ? std::string_view("<p align=\"right\">")
                                                  : std::string_view();
}

// A column in use: its field and the start of its data cells, which never changes.
struct Column {
    int field;
    std::string cellStart;
};

// What a cell shows of a value: the field's display text.
void appendValue(std::string& page, const TValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        appendEscaped(page, *text);
    else if (const auto* number = std::get_if<std::int32_t>(&value))
        page += std::to_string(*number);
}

} // namespace

TMezoRec MezoSpecifikacio(std::string_view line) {
    TMezoRec column;
    column.FieldName = Mezo(";", line, 1);
    column.Caption = Mezo(";", line, 2);
    column.Width = decimalInteger(Mezo(";", line, 3));
    return column;
}

TMezoLista MezoListaBetoltes(const std::vector<std::string>& lines) {
    if (lines.size() > static_cast<std::size_t>(MaxMezo))
        throw VembaError("At most " + std::to_string(MaxMezo) + " columns can be given, not " +
                         std::to_string(lines.size()));
    TMezoLista columns;
    for (std::size_t i = 0; i < lines.size(); ++i)
        columns[i] = MezoSpecifikacio(lines[i]);
    return columns;
}

std::vector<std::string> NyelvOszlopok(bool masodikElol) {
    if (masodikElol)
        return {"nyelv2;;50;", "nyelv1;;50;"};
    return {"nyelv1;;50;", "nyelv2;;50;"};
}

std::string HtmlSzoveg(std::string_view text) {
    std::string result;
    appendEscaped(result, text);
    return result;
}

std::string HtmlDatum(const QDateTime& moment) {
    return moment.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")).toStdString();
}

QString HtmlAjanlottNev(const QString& documentsFolder, const std::string& title) {
    const QString name = fromCp1250(FileNevTisztitas(title + ".htm"));
    if (documentsFolder.isEmpty())
        return name;
    return QDir(documentsFolder).filePath(name);
}

THtmlOldal::THtmlOldal(TMemTable& table, const TMezoLista& columns, std::string title,
                       std::string subtitle)
    : table_(table)
    , columns_(columns)
    , title_(HtmlSzoveg(title))
    , subtitle_(HtmlSzoveg(subtitle)) {}

QByteArray THtmlOldal::Build() {
    const std::string page = buildPage();
    return QByteArray(page.data(), static_cast<qsizetype>(page.size()));
}

std::string THtmlOldal::buildPage() {
    const std::string now = HtmlDatum(outputNow());
    std::string page;
    line(page, "<!DOCTYPE html>");
    line(page, "<html>");
    line(page, "<head>");
    line(page, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">");
    line(page, {"<title>", title_, "</title>"});
    line(page, "<meta name=\"GENERATOR\" content=\"Kelvarom Bt. Rezi2Ruva\">");
    line(page, "</head>");
    line(page, "<body>");
    line(page, {"<p><strong><font face=\"Verdana\" size=\"2\">", title_, "</font></strong></p>"});
    line(page,
         {"<p><strong><font face=\"Verdana\" size=\"1\">", subtitle_, "</font></strong></p>"});
    line(page, "<div align=\"center\"><center>");
    line(page, "");
    line(page, "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">");
    buildRows(page);
    line(page, "</table>");
    line(page, "</center></div>");
    line(page, "");
    line(page, {"<p><font face=\"Verdana\" size=\"1\">", now, "</font></p>"});
    line(page, "");
    line(page, {"<p><font face=\"Courier New\" size=\"1\">", ProgramLine, "</font></p>"});
    line(page, "");
    line(page, "</body>");
    line(page, "</html>");
    return page;
}

// The header row and one row per record in the current order, read without moving the
// cursor, so no scroll handler runs per record. The table's controls stay quiet meanwhile, and
// the first record is current again afterwards, however the rows end.
void THtmlOldal::buildRows(std::string& page) {
    QuietControls quiet(table_);
    try {
        table_.First();
        std::vector<Column> used;
        line(page, "  <tr>");
        for (const TMezoRec& entry : columns_) {
            if (entry.FieldName.empty())
                continue;
            const TField& field = table_.FieldByName(entry.FieldName);
            const std::string width = std::to_string(entry.Width);
            const std::string_view prefix = alignmentPrefix(field);
            line(page, {"    <td width=\"", width,
                        "%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>",
                        prefix, HtmlSzoveg(entry.Caption), "</strong></font></td>"});
            used.push_back({field.Index(), "    <td width=\"" + width +
                                               "%\"><font face=\"Verdana\" size=\"1\">" +
                                               std::string(prefix)});
        }
        line(page, "  </tr>");
        const int count = table_.RecordCount();
        page.reserve(page.size() + std::size_t(count) * (16 + 80 * used.size()) + 512);
        for (int row = 0; row < count; ++row) {
            line(page, "  <tr>");
            for (const Column& column : used) {
                page += column.cellStart;
                appendValue(page, table_.ValueAt(row, column.field));
                page += "</font></td>\r\n";
            }
            line(page, "  </tr>");
            if ((row + 1) % 10 == 0 && Progress)
                Progress(row + 1);
        }
        table_.First();
    } catch (...) {
        try {
            table_.First();
        } catch (...) {
            // A closed table has no first record; the first failure is the one reported.
        }
        throw;
    }
}

void THtmlOldal::Write(QIODevice& device) {
    const std::string page = buildPage();
    if (device.write(page.data(), qint64(page.size())) != qint64(page.size()))
        throw VembaError(toCp1250(device.errorString()));
}

void THtmlOldal::WriteToFile(const QString& path) {
    saveFileOrThrow(path, [this](QIODevice& device) { Write(device); });
}

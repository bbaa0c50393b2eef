#pragma once

#include "output/Report.h"

#include <QDateTime>
#include <QString>
#include <string>

class QIODevice;
class QPagedPaintDevice;
class QPainter;
class TMemTable;

// The printed word list: the pairs of a word table on A4 paper in two columns, one pair per
// line, the title at the top of every page and a small footer ("Vemba", the date and time,
// the page number, the homepage, "rptLista") at the bottom.
//
// Made over a table, it binds the left and the right text of a line to the fields named
// (code page 1250; a missing field throws the table's error) and lays the list out at once,
// reading the table from its first record to its end, in its current order. Painting reads
// it again; after painting every page the table's cursor is on its last record.
class TrptLista {
public:
    // The report's own title: the print job's name and the preview window's caption (UTF-8).
    static constexpr const char* ReportTitle = "Árlista nyomtatás";

    // The title (code page 1250) is shown at the top of every page; the footer shows the
    // moment given.
    TrptLista(TMemTable& table, const std::string& title, const std::string& leftField,
              const std::string& rightField, const QDateTime& moment);

    const ReportDefinition& definition() const { return definition_; }
    const ReportLayout& layout() const { return layout_; }
    int pageCount() const { return layout_.pageCount; }

    // See ReportRenderer.
    void paintPage(QPainter& painter, int page) { renderer_.paintPage(painter, page); }
    bool print(QPagedPaintDevice& device, const ReportRenderer::Progress& progress = {}) {
        return renderer_.print(device, progress);
    }

    // Writes every page as a PDF document whose texts stay text. The document's creation date
    // is the footer's moment, so a fixed moment (SOURCE_DATE_EPOCH) gives the same bytes on
    // every run. Throws VembaError when the device fails.
    void writePdf(QIODevice& device);

private:
    QDateTime moment_;
    ReportDefinition definition_;
    TableRecords records_;
    ReportLayout layout_;
    ReportRenderer renderer_;
};

// The definition of the word list with the title and the two fields.
ReportDefinition rptListaDefinition(const QString& title, const std::string& leftField,
                                    const std::string& rightField);

// Writes the word list of the table as a PDF file, through QSaveFile: a failure leaves no
// broken file where a good one was. The footer shows outputNow().
void writeListaPdf(TMemTable& table, const std::string& title, const std::string& leftField,
                   const std::string& rightField, const QString& path);

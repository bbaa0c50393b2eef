#pragma once

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

// A PDF file's text as poppler's pdftotext reads it back: what a reader of the file could
// search and copy.

// The whole text, laid out as on the page (form feeds between pages).
inline QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One word with its box in millimetres from the paper's top-left corner.
struct PdfWord {
    int page; // from 1
    QString text;
    QRectF box;
};

inline std::vector<PdfWord> pdfWords(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    process.waitForFinished();
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    constexpr double MmPerPoint = 25.4 / 72;
    std::vector<PdfWord> words;
    int page = 0;
    for (const QRegularExpressionMatch& match : item.globalMatch(html)) {
        if (match.captured(0) == QStringLiteral("<page ")) {
            ++page;
            continue;
        }
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        const QString text = match.captured(5)
                                 .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                                 .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                                 .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                                 .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        words.push_back({page, text, QRectF(topLeft * MmPerPoint, bottomRight * MmPerPoint)});
    }
    return words;
}

// One entry of the document's information as pdfinfo shows it ("Title", "Pages"), trimmed.
inline QString pdfInfo(const QString& path, const QString& key) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    process.waitForFinished();
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(key + u':'))
            return line.mid(key.size() + 1).trimmed();
    return {};
}

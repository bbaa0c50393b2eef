#pragma once

#include "data/MemTable.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// One column of the page: the table field it shows (an empty name marks a free entry), its
// width in percent of the table's width and the text of its header cell (code page 1250).
struct TMezoRec {
    std::string FieldName;
    std::int32_t Width = 0;
    std::string Caption;
    friend bool operator==(const TMezoRec&, const TMezoRec&) = default;
};

inline constexpr int MaxMezo = 50;

// The columns of a page, in order; entries beyond the caller's column lines stay free.
using TMezoLista = std::array<TMezoRec, MaxMezo>;

// One column line, "name;caption;width;": split at every semicolon, anything after
// the third field ignored. The width must be a decimal integer (an optional sign and digits,
// 32 bits); otherwise VembaError "'<text>' is not a valid integer value".
TMezoRec MezoSpecifikacio(std::string_view line);

// The columns of a list of column lines, in order. More than MaxMezo lines throw
// VembaError, as does any line MezoSpecifikacio refuses.
TMezoLista MezoListaBetoltes(const std::vector<std::string>& lines);

// The columns every caller starts from: the two languages "nyelv1;;50;" and "nyelv2;;50;",
// the second language first when asked.
std::vector<std::string> NyelvOszlopok(bool masodikElol);

// Text as it goes into the page: '&', '<', '>' and '"' become entities, so a pair such as
// "<b>" or "fish & chips" shows as typed and cannot change the page.
std::string HtmlSzoveg(std::string_view text);

// The date line's text: "yyyy.mm.dd hh:mm:ss", hours 00 to 23.
std::string HtmlDatum(const QDateTime& moment);

// The file name Edit1 proposes: the documents folder, "/" and the title with ".htm" made
// safe for a file name (FileNevTisztitas); the bare name when there is no documents folder.
QString HtmlAjanlottNev(const QString& documentsFolder, const std::string& title);

// Writes a table as a web page: the title, the subtitle, a centred table with a grey header
// row and one row per record in the table's current order, the moment of writing and the
// program's name and version. Every line ends in CR LF; the bytes are code page 1250, which
// the page declares.
class THtmlOldal {
public:
    THtmlOldal(TMemTable& table, const TMezoLista& columns, std::string title,
               std::string subtitle);

    // Called after every tenth record with the number of records done; the dialog moves its
    // progress bar and lets window messages through.
    std::function<void(int done)> Progress;

    // The page as bytes. The table's display updates are off meanwhile; afterwards, also
    // after a failure, they are on again and the first record is current. A column naming a
    // field the table lacks fails with the table's error; the moment shown is outputNow().
    QByteArray Build();

    // Build, then write it to the device. Nothing is written when building fails.
    void Write(QIODevice& device);

    // Write to a file through QSaveFile: a failure leaves an existing file as it was.
    // VembaError "Cannot create file <path>. <reason>" when it cannot be written.
    void WriteToFile(const QString& path);

private:
    std::string buildPage();
    void buildRows(std::string& page);

    TMemTable& table_;
    TMezoLista columns_;
    std::string title_;
    std::string subtitle_;
};

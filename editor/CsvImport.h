#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
class TMemTable;

// Importing word pairs from a semicolon-separated text file into the test editor's table.
// The file is code page 1250 text, or UTF-8 (csvTextFromFile). Its first
// line is a header and is never read; every further line, empty ones included, is one pair:
// field 1 the first-language text, field 2 the second-language text, the rest ignored. A ";"
// always ends a field, quoted or not; each field may then be enclosed in double quotes.

// The file's bytes as table text (code page 1250). A file that starts with a UTF-8 byte-order
// mark, or that is valid UTF-8 and holds bytes above 0x7F, is UTF-8, as Linux programs write
// it: it is decoded and converted, and a character the code page lacks becomes "?". Any other
// file is code page 1250 already and stays as it is.
std::string csvTextFromFile(std::string bytes);

// The lines of a text: a line ends at CR LF, at a lone CR or at a lone LF, the last line
// needs no line end, and a NUL ends the text. The views point into text.
std::vector<std::string_view> csvLines(std::string_view text);

// A field without its enclosing double quotes. A field that does not begin with a quote is
// kept as it is, blanks included. Otherwise the text runs from after the opening quote to the
// first quote not doubled (a doubled quote before it stands for one), and whatever follows that
// closing quote is dropped; without a closing quote the text runs to the end of the field and
// loses its last character. When that leaves nothing (two quotes, a lone quote, a quote and
// one character) the field is kept as it is, quotes included.
std::string csvDequote(std::string_view field);

struct CsvPair {
    std::string nyelv1;
    std::string nyelv2;
    friend bool operator==(const CsvPair&, const CsvPair&) = default;
};

// The pair of one line: its first two ";" fields, each dequoted.
CsvPair csvPair(std::string_view line);

// Everything the device holds from its current position; a failed read throws VembaError
// with the device's reason.
std::string readCsvText(QIODevice& device);

// Reads the whole device, then adds each line after the header to the table as a new record
// (Insert, hanyszor 1, nyelv1, nyelv2, Post): each pair goes to its sorted place, or in front
// of the current record when the table has no sort order, and each Post fires AfterPost.
// Returns the number of pairs added; 0 when the text has fewer than two lines, and then the
// table is not touched. A device that cannot be read fails before any record is added. When
// a record cannot be made (a table without the field hanyszor, nyelv1 or nyelv2, a closed
// table) the pending new record is cancelled, the pairs already added stay and the table's
// error is thrown. The attached controls are refreshed once, at the end.
int importCsv(TMemTable& table, QIODevice& device);

// importCsv from a file. A file that cannot be opened throws VembaError
// "Cannot open file "<full path>". <reason>" and leaves the table as it was.
int importCsvFile(TMemTable& table, const QString& path);

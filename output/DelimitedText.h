#pragma once

#include "data/MemTable.h"

#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QIODevice;

// The export dialog's choices for delimited text. Text is code page 1250.
struct DelimitedTextOptions {
    char Delimiter = ';';
    std::string Qualifier;           // empty, "\"" or "'"
    bool JoinMemoLines = false;      // a memo's lines joined with "|" instead of "BLOB"
    bool FieldNames = false;         // the header line holds names, not display labels
    bool NoHeader = false;           // the first line is empty
    std::vector<std::string> Fields; // the names of the fields written
};

// The choices of the dialog's two radio groups, in their order.
inline constexpr std::array<char, 4> DelimiterChoices = {';', '\t', ',', '|'};
inline constexpr std::array<const char*, 3> QualifierChoices = {"\"", "'", ""};

// Writes a table as delimited text, one CR LF line per record after a header line: every
// written field is the qualifier, its text with the qualifier doubled inside, the qualifier
// and the delimiter, so a line ends with the delimiter. Fields are written in the table's
// field order, those named in Options.Fields only. An integer is its decimal text, null is
// empty; a memo is "BLOB", or with JoinMemoLines its lines joined with "|" and every delimiter
// in it made a comma; any other large object is "BLOB".
//
// The walk moves the table's cursor from its first record on, with its display updates off,
// and leaves it on the last record written. Before each record it calls OnProgress (at the
// first record, then whenever ProgressInterval has passed) and then stops when Stop was
// called: what was written so far (the header line and the finished records) is the output.
class TDelimitedTextExport {
public:
    static constexpr int ProgressInterval = 20; // milliseconds

    DelimitedTextOptions Options;
    // The records finished so far; a window lets its messages through here.
    std::function<void(int finished)> OnProgress;

    // Clears the running flag: the walk ends before its next record.
    void Stop() { running_ = false; }
    bool Running() const { return running_; }

    // Returns the number of records written. A failing device throws VembaError.
    int ExportToStream(TMemTable& table, QIODevice& device);
    // Writes through a temporary file that replaces the file only when complete, so a failure
    // leaves an existing file as it was. A stopped export is complete.
    int ExportToFile(TMemTable& table, const QString& path);

private:
    bool running_ = false;
};

// The export dialog's rule for the workbook: the file name's extension, from its last dot,
// with the letters a to z made capitals, is ".XLS". Any other extension, or none, is text.
bool isWorkbookPath(const QString& path);
// The same for an extension without its dot, as QFileInfo::suffix gives it.
bool isWorkbookSuffix(const QString& suffix);

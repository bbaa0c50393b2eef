#include "editor/CsvImport.h"

#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "ui/TextRoutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace {

constexpr char Quote = '"';
constexpr qint64 ReadBlock = 1 << 16;

std::string_view untilNul(std::string_view text) {
    const void* nul = std::memchr(text.data(), '\0', text.size());
    return nul ? text.substr(0, size_t(static_cast<const char*>(nul) - text.data())) : text;
}

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

VembaError openError(const QString& path, const QString& reason) {
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    return VembaError("Cannot open file \"" + toCp1250(full) + "\". " + toCp1250(reason));
}

void addPair(TMemTable& table, std::string_view line) {
    table.Insert();
    try {
        table.SetFieldValue("hanyszor", std::int32_t(1));
        CsvPair pair = csvPair(line);
        table.SetFieldValue("nyelv1", std::move(pair.nyelv1));
        table.SetFieldValue("nyelv2", std::move(pair.nyelv2));
        table.Post();
    } catch (...) {
        // A half-made record would stay in the grid as an empty pending row.
        table.Cancel();
        throw;
    }
}

} // namespace

std::string csvTextFromFile(std::string bytes) {
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    const bool marked = std::string_view(bytes).starts_with(Bom);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!marked && ascii)
        return bytes;
    // The decoder drops the byte-order mark itself; stateless, it counts a sequence cut off
    // by the end of the file as an error instead of keeping it for more input.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError() && !marked)
        return bytes;
    return toCp1250(text);
}

std::vector<std::string_view> csvLines(std::string_view text) {
    text = untilNul(text);
    std::vector<std::string_view> lines;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at != end) {
        const char* const lineEnd = std::find_if(at, end, isLineBreak);
        lines.emplace_back(at, size_t(lineEnd - at));
        at = lineEnd;
        if (at != end && *at == '\r')
            ++at;
        if (at != end && *at == '\n')
            ++at;
    }
    return lines;
}

std::string csvDequote(std::string_view field) {
    if (field.empty() || field.front() != Quote)
        return std::string(field);
    std::string text;
    bool closed = false;
    for (size_t i = 1; i < field.size() && !closed; ++i) {
        if (field[i] != Quote)
            text += field[i];
        else if (i + 1 < field.size() && field[i + 1] == Quote)
            text += field[++i];
        else
            closed = true;
    }
    if (!closed && !text.empty())
        text.pop_back();
    return text.empty() ? std::string(field) : text;
}

CsvPair csvPair(std::string_view line) {
    return {csvDequote(Mezo(";", line, 1)), csvDequote(Mezo(";", line, 2))};
}

std::string readCsvText(QIODevice& device) {
    std::string text;
    for (;;) {
        const size_t used = text.size();
        text.resize(used + size_t(ReadBlock));
        const qint64 count = device.read(text.data() + used, ReadBlock);
        if (count < 0)
            throw VembaError(toCp1250(device.errorString()));
        text.resize(used + size_t(count));
        if (count == 0)
            return text;
    }
}

int importCsv(TMemTable& table, QIODevice& device) {
    const std::string text = csvTextFromFile(readCsvText(device));
    const std::vector<std::string_view> lines = csvLines(text);
    if (lines.size() < 2)
        return 0;
    QuietControls quiet(table);
    int added = 0;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        addPair(table, *line);
        ++added;
    }
    return added;
}

int importCsvFile(TMemTable& table, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw openError(path, file.errorString());
    return importCsv(table, file);
}

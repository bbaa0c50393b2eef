#include "app/SqlExport.h"

#include "data/MemTable.h"

namespace {

constexpr std::string_view LineEnd = "\r\n";

void addLine(std::string& text, std::string_view line) {
    text += line;
    text += LineEnd;
}

} // namespace

std::string SQLQuoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

std::string SQLExportText(TMemTable& table) {
    std::string text;
    table.First();
    addLine(text, "INSERT INTO teszt_sor (nyelv1str,nyelv2str,teszt) VALUES");
    for (; !table.Eof(); table.Next()) {
        std::string row = "(";
        row += SQLQuoted(table.FieldByName("nyelv1").AsString());
        row += ',';
        row += SQLQuoted(table.FieldByName("nyelv2").AsString());
        row += ",XXX),";
        addLine(text, row);
    }
    return text;
}

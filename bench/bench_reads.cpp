// Times two reads that once grew with the square of their size: a test file defining very
// many fields (each header column is matched to a field by display name), and the editor's
// semicolon import into its sorted table (each pair goes to its sorted place).
//
//   bench_reads        run every case, print the table

#include "bench/BenchSupport.h"
#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "editor/CsvImport.h"

#include <QBuffer>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

// A file defining `count` string fields f0..f<count-1>, whose header names them in reverse
// order (so the first column matches the last field), and one record.
QByteArray manyFieldsFile(int count) {
    TMemTable table("Tbl");
    for (int i = 0; i < count; ++i)
        table.AddField(std::string("f").append(std::to_string(i)), TFieldType::String, 10);
    table.Open();
    table.Append();
    table.SetFieldValue("f0", std::string("x"));
    table.Post();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

void timeManyFields(int count) {
    QByteArray file = manyFieldsFile(count);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TMemTable table("Tbl");
    const auto start = std::chrono::steady_clock::now();
    TCSVStreamFormat::Load(table, buffer);
    std::printf("%-44s %10d %10.3f\n", "load, fields defined", count, secondsSince(start));
}

std::string pairsText(int lines, bool empty) {
    std::mt19937 random(12345);
    std::string text = "Első nyelv;Második nyelv\r\n";
    for (int i = 0; i < lines; ++i) {
        if (!empty)
            text.append("szo")
                .append(std::to_string(random()))
                .append(";word")
                .append(std::to_string(i));
        text.append("\r\n");
    }
    return text;
}

void timeImport(const char* what, int lines, bool empty) {
    QByteArray file = QByteArray::fromStdString(pairsText(lines, empty));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    table.SortOn("nyelv1", TOption::CaseInsensitive);
    int posted = 0;
    table.AfterPost = [&posted](TMemTable&) { ++posted; };
    const auto start = std::chrono::steady_clock::now();
    const int added = importCsv(table, buffer);
    const double seconds = secondsSince(start);
    if (added != lines || posted != lines)
        std::fprintf(stderr, "bench_reads: %d pairs added, %d announced\n", added, posted);
    std::printf("%-44s %10d %10.3f\n", what, lines, seconds);
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%-44s %10s %10s\n", "case", "size", "seconds");
    timeManyFields(50'000);
    timeManyFields(100'000);
    timeImport("import into the sorted editor table, pairs", 400'000, false);
    timeImport("import into the sorted editor table, empty", 2'000'000, true);
    return 0;
}

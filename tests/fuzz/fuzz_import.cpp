// Feeds arbitrary bytes to the editor's semicolon import, into the editor's table as it is
// after one pair was added (open, sorted). Every line after the first must become one pair,
// each announced once, with sound values; the import never fails on its input.

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "editor/CsvImport.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "fuzz_import: %.*s: %.*s\n", int(what.size()), what.data(),
                 int(detail.size()), detail.data());
    std::abort();
}

void prepareEditor(TMemTable& table) {
    DefineEditorFields(table);
    table.Open();
    table.Append();
    table.SetFieldValue("nyelv1", std::string("alma"));
    table.SetFieldValue("hanyszor", 1);
    table.Post();
    table.SortOn("nyelv1", TOption::CaseInsensitive);
}

void checkValues(const TMemTable& table) {
    for (int row = 0; row < table.RecordCount(); ++row) {
        for (const char* name : {"nyelv1", "nyelv2"}) {
            const int index = table.FieldByName(name).Index();
            const TValue value = table.ValueAt(row, index);
            const auto* text = std::get_if<std::string>(&value);
            if (text != nullptr && (text->size() > 255 || text->find('\0') != std::string::npos))
                fail("text beyond the field's size or holding NUL", *text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    QByteArray bytes(text.data(), qsizetype(text.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);

    TMemTable table("Tbl");
    prepareEditor(table);
    int announced = 0;
    table.AfterPost = [&announced](TMemTable&) { ++announced; };

    const int added = importCsv(table, buffer);
    const std::size_t lines = csvLines(text).size();
    if (std::size_t(added) != (lines < 2 ? 0 : lines - 1))
        fail("pairs added differ from the lines after the header", std::to_string(added));
    if (announced != added || table.RecordCount() != 1 + added)
        fail("pairs announced or held differ from those added", std::to_string(announced));
    if (table.State() != TDataSetState::Browse || table.ControlsDisabled())
        fail("table left importing", table.Name());
    checkValues(table);
    return 0;
}

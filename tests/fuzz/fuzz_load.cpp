// Feeds arbitrary bytes to the test file reader, into a table shaped like the drill table
// (closed, as before the first test is opened) and one shaped like the editor's (open,
// sorted, holding a record). A failure must carry one of the reader's own messages; a table
// that loaded must hold sound values, and what it saves must read back to the same file.

#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"

#include <QBuffer>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "fuzz_load: %.*s: %.*s\n", int(what.size()), what.data(),
                 int(detail.size()), detail.data());
    std::abort();
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool surrounds(std::string_view text, std::string_view start, std::string_view middle,
               std::string_view end) {
    return text.size() >= start.size() + middle.size() + end.size() && startsWith(text, start) &&
           endsWith(text, end) &&
           text.substr(start.size(), text.size() - start.size() - end.size()).find(middle) !=
               std::string_view::npos;
}

bool knownMessage(std::string_view message) {
    constexpr std::array<std::string_view, 3> exact = {
        "There must be at least one field", "Couldnt determine field count for load.",
        "Tbl: Cannot perform this operation on a closed dataset"};
    if (std::find(exact.begin(), exact.end(), message) != exact.end())
        return true;
    if (startsWith(message, "List index out of bounds (") && endsWith(message, ")")) {
        const std::string_view number = message.substr(26, message.size() - 27);
        return !number.empty() && std::all_of(number.begin(), number.end(),
                                              [](char c) { return c >= '0' && c <= '9'; });
    }
    return surrounds(message, "Unknown field type (", ") in CSV file. (", ")") ||
           surrounds(message, "'", "' is not a valid integer value for field '", "'") ||
           (startsWith(message, "'") && endsWith(message, "' is not a valid integer value"));
}

// The editor's table as it is after one pair was added: open, sorted, holding a record.
void prepareEditor(TMemTable& table) {
    DefineEditorFields(table);
    table.Open();
    table.Append();
    table.SetFieldValue("nyelv1", std::string("alma"));
    table.SetFieldValue("hanyszor", 1);
    table.Post();
    table.SortOn("nyelv1", TOption::CaseInsensitive);
}

// False when the reader failed with one of its own messages.
bool load(TMemTable& table, const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    try {
        TCSVStreamFormat::Load(table, buffer);
        return true;
    } catch (const VembaError& error) {
        if (!knownMessage(error.what()))
            fail("unexpected message", error.what());
        return false;
    }
}

QByteArray save(TMemTable& table) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

void checkValues(const TMemTable& table) {
    const TDataSetState state = table.State();
    if (table.ControlsDisabled() || state == TDataSetState::Edit || state == TDataSetState::Insert)
        fail("table left loading", table.Name());
    if (!table.Active())
        return;
    for (int row = 0; row < table.RecordCount(); ++row) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            const TField& field = table.Fields(i);
            const TValue value = table.ValueAt(row, i);
            const auto* text = std::get_if<std::string>(&value);
            if (field.DataType() == TFieldType::Integer && text != nullptr)
                fail("text in an integer field", field.FieldName());
            if (text != nullptr &&
                (int(text->size()) > field.Size() || text->find('\0') != std::string::npos))
                fail("text beyond the field's size or holding NUL", field.FieldName());
        }
    }
}

std::string capitals(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// A saved file reads back as written unless its header cannot name the columns apart: two
// display names equal in capitals, a first name that reads as a definition marker, or no
// saved field at all.
bool headerIsUnambiguous(const TMemTable& table) {
    std::vector<std::string> names;
    for (int i = 0; i < table.FieldCount(); ++i)
        if (table.Fields(i).FieldKind() == TFieldKind::Data)
            names.push_back(capitals(table.Fields(i).DisplayName()));
    if (names.empty() || startsWith(names.front(), "@@"))
        return false;
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) == names.end();
}

void checkRoundTrip(TMemTable& table) {
    if (!table.Active() || !headerIsUnambiguous(table))
        return;
    const QByteArray written = save(table);
    TMemTable again("Tbl");
    if (!load(again, written))
        fail("a saved file does not load", written.toStdString());
    if (save(again) != written)
        fail("a saved file reads back differently", written.toStdString());
}

void run(TMemTable& table, const QByteArray& bytes) {
    load(table, bytes);
    checkValues(table);
    checkRoundTrip(table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TMemTable drill("Tbl");
    DefineDrillFields(drill);
    run(drill, bytes);
    TMemTable editor("Tbl");
    prepareEditor(editor);
    run(editor, bytes);
    return 0;
}

#include "data/CsvStreamFormat.h"

#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr char Quote = '"';
constexpr char Comma = ',';

constexpr std::string_view FileVersionMark = "@@FILE VERSION@@";
constexpr std::string_view TableDefStart = "@@TABLEDEF START@@";
constexpr std::string_view TableDefEnd = "@@TABLEDEF END@@";
constexpr std::string_view IndexDefStart = "@@INDEXDEF START@@";
constexpr std::string_view IndexDefEnd = "@@INDEXDEF END@@";
// The version of the layout; the same in every file.
constexpr std::string_view LayoutVersion = "251";

// Indexed by TFieldType and TFieldKind.
constexpr std::array<std::string_view, 38> TypeNames = {
    "Unknown",     "String",       "SmallInt",   "Integer",    "Word",     "Boolean",    "Float",
    "Currency",    "BCD",          "Date",       "Time",       "DateTime", "Bytes",      "VarBytes",
    "AutoInc",     "Blob",         "Memo",       "Graphic",    "FmtMemo",  "ParadoxOle", "dBaseOle",
    "TypedBinary", "Cursor",       "FixedChar",  "WideString", "LargeInt", "ADT",        "Array",
    "Reference",   "DataSet",      "HugeBlob",   "HugeClob",   "Variant",  "Interface",  "Dispatch",
    "Guid",        "SQLTimeStamp", "FMTBcdField"};
constexpr std::array<std::string_view, 5> KindNames = {"Data", "Calculated", "Lookup",
                                                       "InternalCalc", "Aggregate"};

bool isLineBreak(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}
bool isBlank(char c) {
    return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32;
}

// Line breaks are searched 16 bytes at a time where the processor allows it: the scan runs
// over every byte of a file of a million records.
const char* findLineBreak(const char* from, const char* end) {
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (; end - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i breaks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                         _mm_cmpeq_epi8(bytes, nul));
        if (const int mask = _mm_movemask_epi8(breaks))
            return from + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    return std::find_if(from, end, isLineBreak);
}

std::string_view typeName(TFieldType type) {
    return TypeNames[static_cast<std::size_t>(type)];
}
std::string_view kindName(TFieldKind kind) {
    return KindNames[static_cast<std::size_t>(kind)];
}

std::string fullPath(const QString& path) {
    return toCp1250(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

VembaError fileError(std::string_view what, const QString& path, const QString& reason) {
    std::string message(what);
    message += " \"" + fullPath(path) + "\". " + toCp1250(reason);
    return VembaError(message);
}

// ---------------------------------------------------------------------------------------
// Writing

// Collects the output in one chunk and hands it to the device every 64 KiB, so a large
// table costs few device writes. After a failed write the rest is dropped.
class BufferedWriter {
public:
    explicit BufferedWriter(QIODevice& device)
        : device_(device) {
        chunk_.reserve(FlushSize + 4096);
    }

    void put(char c) { chunk_.push_back(c); }
    void put(std::string_view text) { chunk_.append(text); }

    // Q(text): the text in quotation marks, each quotation mark in it doubled.
    void quoted(std::string_view text) {
        put(Quote);
        putRuns(text, [](char c) { return c == Quote; });
        put(Quote);
    }

    // Q(escape(text)): a string value, kept on one line by its escapes.
    void escapedValue(std::string_view text) {
        put(Quote);
        putRuns(text, needsEscape);
        put(Quote);
    }

    void endLine() {
        put("\r\n");
        if (chunk_.size() >= FlushSize)
            flush();
    }

    bool failed() const { return failed_; }

    // Writes what is left; false when any write failed.
    bool finish() {
        flush();
        return !failed_;
    }

private:
    static constexpr std::size_t FlushSize = 64 * 1024;

    static bool needsEscape(char c) { return EscapedBytes[static_cast<unsigned char>(c)]; }

    // A lookup, as every byte of every string value passes through it.
    static constexpr std::array<bool, 256> EscapedBytes = [] {
        std::array<bool, 256> bytes{};
        for (unsigned char c : {'%', '\r', '\n', '\0', '"'})
            bytes[c] = true;
        return bytes;
    }();

    static std::string_view escaped(char c) {
        switch (c) {
        case '%':
            return "%%";
        case '\r':
            return "%c";
        case '\n':
            return "%n";
        case '\0':
            return std::string_view("%0", 2);
        default:
            return "\"\"";
        }
    }

    // Copies the ordinary characters in runs and replaces each special one (see escaped()).
    template <typename Special>
    void putRuns(std::string_view text, Special special) {
        auto run = text.begin();
        for (auto it = run; it != text.end(); ++it) {
            if (!special(*it))
                continue;
            put(std::string_view(run, it));
            put(escaped(*it));
            run = it + 1;
        }
        put(std::string_view(run, text.end()));
    }

    void flush() {
        const auto size = qint64(chunk_.size());
        if (!failed_ && size > 0 && device_.write(chunk_.data(), size) != size)
            failed_ = true;
        chunk_.clear(); // keeps the capacity for the next chunk
    }

    QIODevice& device_;
    std::string chunk_; // plain appends inline, which matters for a million records
    bool failed_ = false;
};

std::vector<const TField*> savedFields(const TMemTable& table) {
    std::vector<const TField*> fields;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& field = table.Fields(i);
        if (field.FieldKind() == TFieldKind::Data)
            fields.push_back(&field);
    }
    return fields;
}

void appendQuoted(std::string& out, std::string_view text) {
    out += Quote;
    for (char c : text) {
        if (c == Quote)
            out += Quote;
        out += c;
    }
    out += Quote;
}

std::string fieldDefinition(const TField& field) {
    std::string item = field.FieldName();
    item += '=';
    item += typeName(field.DataType());
    item += ',' + std::to_string(field.Size()) + ',';
    appendQuoted(item, field.DisplayName());
    item += ',';
    appendQuoted(item, field.EditMask());
    item += ',' + std::to_string(field.DisplayWidth());
    if (field.Required())
        item += ",REQ";
    if (field.ReadOnly())
        item += ",RO";
    if (!field.Visible())
        item += ",INV";
    item += ',';
    item += kindName(field.FieldKind());
    item += ',';
    appendQuoted(item, field.DefaultExpression());
    return item;
}

std::string indexDefinition(const TIndexDef& index) {
    std::string item = index.Name + '=';
    appendQuoted(item, index.Fields);
    item += ',';
    appendQuoted(item, index.Name);
    if (index.Descending)
        item += ",DESC";
    if (index.CaseInsensitive)
        item += ",CASE";
    if (index.NonMaintained)
        item += ",NONMT";
    if (index.Unique)
        item += ",UNIQ";
    return item;
}

void writeItemLine(BufferedWriter& out, std::string_view item) {
    out.quoted(item);
    out.endLine();
}

void writeDefinitions(BufferedWriter& out, const TMemTable& table,
                      const std::vector<const TField*>& fields) {
    out.quoted(FileVersionMark);
    out.put(Comma);
    out.quoted(LayoutVersion);
    out.endLine();
    writeItemLine(out, TableDefStart);
    for (const TField* field : fields)
        writeItemLine(out, fieldDefinition(*field));
    writeItemLine(out, IndexDefStart);
    for (const TIndexDef& index : table.IndexDefs())
        writeItemLine(out, indexDefinition(index));
    writeItemLine(out, IndexDefEnd);
    writeItemLine(out, TableDefEnd);
}

void writeHeader(BufferedWriter& out, const std::vector<const TField*>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.put(Comma);
        out.quoted(fields[i]->DisplayName());
    }
    out.put(Comma);
    out.endLine();
}

void writeValue(BufferedWriter& out, const TValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        char digits[16];
        auto result = std::to_chars(std::begin(digits), std::end(digits), *number);
        out.put(Quote);
        out.put(std::string_view(digits, std::size_t(result.ptr - digits)));
        out.put(Quote);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        out.escapedValue(*text);
    }
}

void writeRecord(BufferedWriter& out, const TMemTable& table,
                 const std::vector<const TField*>& fields, int row) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.put(Comma);
        writeValue(out, table.ValueAt(row, fields[i]->Index()));
    }
    out.put(Comma);
    out.endLine();
}

// False when the device refused a write; the table's own failures are thrown.
bool writeTable(TMemTable& table, QIODevice& device) {
    if (!table.Active())
        throw tableError(table, "Cannot perform this operation on a closed dataset");
    QuietControls quiet(table);
    BufferedWriter out(device);
    const std::vector<const TField*> fields = savedFields(table);
    writeDefinitions(out, table, fields);
    writeHeader(out, fields);
    const int count = table.RecordCount();
    for (int row = 0; row < count && !out.failed(); ++row)
        writeRecord(out, table, fields, row);
    return out.finish();
}

// ---------------------------------------------------------------------------------------
// Reading lines

// Hands out the lines of a device read in blocks of 8192 bytes. A line ends at CR, LF or
// NUL; the breaks that follow it directly are skipped, so only the very first line can be
// empty, and an empty line stands for the end of the input.
class LineReader {
public:
    explicit LineReader(QIODevice& device)
        : device_(device)
        , block_(BlockSize) {}

    bool hasInput() { return pos_ < len_ || fill(); }

    // The view stays valid until the next call.
    std::string_view next() {
        if (skipBreaks_)
            skipBreaks();
        line_.clear();
        for (;;) {
            if (pos_ == len_ && !fill())
                return line_;
            const char* begin = block_.data() + pos_;
            const char* end = block_.data() + len_;
            const char* stop = findLineBreak(begin, end);
            pos_ = std::size_t(stop - block_.data());
            if (stop != end) {
                ++pos_;
                skipBreaks_ = true;
                if (line_.empty())
                    return std::string_view(begin, std::size_t(stop - begin));
                line_.append(begin, stop);
                return line_;
            }
            line_.append(begin, stop);
        }
    }

private:
    static constexpr std::size_t BlockSize = 8192;

    bool fill() {
        if (atEnd_)
            return false;
        const qint64 count = device_.read(block_.data(), qint64(block_.size()));
        if (count < 0)
            throw VembaError(toCp1250(device_.errorString()));
        pos_ = 0;
        len_ = std::size_t(count);
        atEnd_ = count == 0;
        return count > 0;
    }

    void skipBreaks() {
        skipBreaks_ = false;
        for (;;) {
            if (pos_ == len_ && !fill())
                return;
            while (pos_ < len_ && isLineBreak(block_[pos_]))
                ++pos_;
            if (pos_ < len_)
                return;
        }
    }

    QIODevice& device_;
    std::vector<char> block_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool atEnd_ = false;
    bool skipBreaks_ = false;
    std::string line_;
};

// ---------------------------------------------------------------------------------------
// Reading values

struct Value {
    bool null = true;
    std::string_view text;
};

// Takes one line apart into its values, from left to right. Values point into the line
// wherever they can; only quoted values with doubled quotation marks are copied.
class ValueReader {
public:
    void reset(std::string_view line) {
        line_ = line;
        pos_ = 0;
    }

    // The view stays valid until the next call.
    bool next(Value& value) {
        if (pos_ >= line_.size())
            return false;
        const char first = line_[pos_];
        if (first == Quote) {
            value = {false, quoted()};
        } else if (first == Comma) {
            value = {true, {}};
            ++pos_;
        } else {
            value = {false, unquoted()};
        }
        return true;
    }

private:
    // After the closing quotation mark one more character (normally the comma) is skipped.
    void skipClosing(std::size_t closing) { pos_ = std::min(closing + 2, line_.size()); }

    std::string_view quoted() {
        const std::size_t start = pos_ + 1;
        const std::size_t closing = line_.find(Quote, start);
        if (closing == std::string_view::npos) {
            pos_ = line_.size();
            return {};
        }
        if (closing + 1 < line_.size() && line_[closing + 1] == Quote)
            return quotedWithPairs(start, closing);
        skipClosing(closing);
        return line_.substr(start, closing - start);
    }

    // An unclosed value keeps the text up to its last pair of quotation marks.
    std::string_view quotedWithPairs(std::size_t start, std::size_t pair) {
        scratch_.assign(line_.data() + start, pair + 1 - start);
        std::size_t from = pair + 2;
        for (;;) {
            const std::size_t quote = line_.find(Quote, from);
            if (quote == std::string_view::npos) {
                pos_ = line_.size();
                return scratch_;
            }
            if (quote + 1 < line_.size() && line_[quote + 1] == Quote) {
                scratch_.append(line_.data() + from, quote + 1 - from);
                from = quote + 2;
                continue;
            }
            scratch_.append(line_.data() + from, quote - from);
            skipClosing(quote);
            return scratch_;
        }
    }

    std::string_view unquoted() {
        const std::size_t start = pos_;
        const std::size_t comma = line_.find(Comma, start);
        pos_ = comma == std::string_view::npos ? line_.size() : comma + 1;
        return line_.substr(start, std::min(comma, line_.size()) - start);
    }

    std::string_view line_;
    std::size_t pos_ = 0;
    std::string scratch_;
};

// Undoes the escapes of a string value. "%" followed by any other character is kept as it
// stands, so a hand-written "50%x" survives; a "%" at the very end is dropped.
std::string_view unescape(std::string_view text, std::string& out) {
    const std::size_t first = text.find('%');
    if (first == std::string_view::npos)
        return text;
    out.assign(text.data(), first);
    for (std::size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 == text.size())
            break;
        switch (const char code = text[++i]) {
        case '%':
            out += '%';
            break;
        case 'c':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case '0':
            out += '\0';
            break;
        default:
            out += '%';
            out += code;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Reading definitions

// The first value of a definition line when the line begins with a quotation mark.
std::string definitionItem(std::string_view line) {
    if (line.empty() || line.front() != Quote)
        return {};
    ValueReader values;
    values.reset(line);
    Value item;
    values.next(item);
    return std::string(item.text);
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

// A quoted part of a definition item, from its opening quotation mark; pos ends after the
// closing one. An unclosed part keeps the text up to its last pair of quotation marks.
std::string quotedPart(std::string_view text, std::size_t& pos) {
    std::string part;
    std::size_t kept = 0;
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] != Quote) {
            part += text[pos];
            continue;
        }
        if (pos + 1 < text.size() && text[pos + 1] == Quote) {
            part += Quote;
            kept = part.size();
            ++pos;
            continue;
        }
        ++pos;
        return part;
    }
    part.resize(kept);
    return part;
}

std::string unquotedPart(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && !isBlank(text[pos]) && text[pos] != Comma)
        ++pos;
    return std::string(text.substr(start, pos - start));
}

// Splits the text after "=" of a definition item into its parts: blanks (codes 1 to 32)
// around parts are skipped, a part is quoted or runs to a comma or blank, and a comma that
// ends the text adds one more, empty part.
std::vector<std::string> splitParts(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> parts;
    std::size_t pos = skipBlanks(text, 0);
    while (pos < text.size()) {
        parts.push_back(text[pos] == Quote ? quotedPart(text, pos) : unquotedPart(text, pos));
        pos = skipBlanks(text, pos);
        if (pos < text.size() && text[pos] == Comma) {
            if (pos + 1 == text.size())
                parts.emplace_back();
            pos = skipBlanks(text, pos + 1);
        }
    }
    return parts;
}

// A definition item split at its first "=" into the name and the parts after it.
struct Definition {
    std::string item;
    std::string name;
    std::vector<std::string> parts;

    explicit Definition(std::string_view line)
        : item(definitionItem(line)) {
        const std::size_t equals = item.find('=');
        name = item.substr(0, equals);
        if (equals != std::string::npos)
            parts = splitParts(std::string_view(item).substr(equals + 1));
    }

    const std::string& part(std::size_t index) const {
        if (index >= parts.size())
            throw VembaError("List index out of bounds (" + std::to_string(index) + ")");
        return parts[index];
    }

    bool has(std::string_view flag) const { return item.find(flag) != std::string::npos; }
};

// An optionally signed decimal number that fits in 32 bits.
int wholeNumber(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    const bool wellFormed =
        !digits.empty() &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!wellFormed)
        throw VembaError("'" + text + "' is not a valid integer value");
    const std::string_view number = text.front() == '+' ? digits : std::string_view(text);
    int value = 0;
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc())
        throw VembaError("'" + text + "' is not a valid integer value");
    return value;
}

// The table holds only integers and strings: the other integer and text types of the
// format are read as these two; every other type cannot be held and is refused.
TFieldType usableType(const std::string& name, const std::string& item) {
    const auto found = std::find(TypeNames.begin(), TypeNames.end(), name);
    const auto type = static_cast<TFieldType>(found - TypeNames.begin());
    switch (found == TypeNames.end() ? TFieldType::Unknown : type) {
    case TFieldType::Integer:
    case TFieldType::SmallInt:
    case TFieldType::Word:
    case TFieldType::AutoInc:
        return TFieldType::Integer;
    case TFieldType::String:
    case TFieldType::FixedChar:
    case TFieldType::WideString:
        return TFieldType::String;
    default:
        throw VembaError("Unknown field type (" + name + ") in CSV file. (" + item + ")");
    }
}

TFieldKind kindByName(std::string_view name) {
    const auto found = std::find(KindNames.begin(), KindNames.end(), name);
    return found == KindNames.end() ? TFieldKind::Data
                                    : static_cast<TFieldKind>(found - KindNames.begin());
}

void readFieldDefinition(TMemTable& table, std::string_view line) {
    const Definition def(line);
    const std::string& type = def.part(0);
    const int size = wholeNumber(def.part(1));
    const std::string& label = def.part(2);
    const std::string& editMask = def.part(3);
    const int width = wholeNumber(def.part(4));
    std::size_t count = def.parts.size();
    std::string defaultExpression;
    if (count > 6)
        defaultExpression = def.parts[--count];
    const TFieldKind kind = count < 6 ? TFieldKind::Data : kindByName(def.parts[count - 1]);
    const TFieldType usable = usableType(type, def.item);

    const int storedSize = usable == TFieldType::String ? std::max(size, 0) : 0;
    TField& field = table.AddField(def.name, usable, storedSize);
    field.SetRequired(def.has(",REQ"));
    field.SetFieldKind(kind);
    field.SetDisplayLabel(label);
    field.SetEditMask(editMask);
    field.SetReadOnly(def.has(",RO"));
    field.SetDisplayWidth(width);
    field.SetDefaultExpression(std::move(defaultExpression));
    field.SetVisible(!def.has(",INV"));
}

void readIndexDefinition(TMemTable& table, std::string_view line) {
    const Definition def(line);
    TIndexDef index;
    index.Name = def.name;
    index.Fields = def.part(0);
    index.Descending = def.has(",DESC");
    index.CaseInsensitive = def.has(",CASE");
    index.NonMaintained = def.has(",NONMT");
    index.Unique = def.has(",UNIQ");
    table.IndexDefs().push_back(std::move(index));
}

// ---------------------------------------------------------------------------------------
// Reading a file

std::string asciiCapitals(std::string_view text) {
    std::string capitals(text);
    for (char& c : capitals)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return capitals;
}

// Where the values at one position of a data line go; no field means they are skipped.
struct Column {
    TField* field = nullptr;
    bool text = false;
};

Column columnFor(TField* field) {
    if (field == nullptr || field->FieldKind() != TFieldKind::Data)
        return {};
    return {field, field->DataType() == TFieldType::String};
}

class Reader {
public:
    Reader(TMemTable& table, QIODevice& device, TLoadSummary& summary)
        : table_(table)
        , lines_(device)
        , summary_(summary) {}

    void run() {
        if (!lines_.hasInput())
            return;
        const std::string_view header = readDefinitions();
        const std::vector<Column> columns = header.empty() ? fieldColumns() : headerColumns(header);
        if (!header.empty())
            summary_.headerFields =
                int(std::count_if(columns.begin(), columns.end(),
                                  [](const Column& c) { return c.field != nullptr; }));
        if (columns.empty())
            throw VembaError("Couldnt determine field count for load.");
        readData(columns);
    }

private:
    // Returns the header line, or an empty line when the block ended without one.
    std::string_view readDefinitions() {
        for (;;) {
            const std::string_view line = lines_.next();
            if (line.empty() || !readDefinitionLine(line))
                return line;
        }
    }

    // False when the line is not part of the definition block.
    bool readDefinitionLine(std::string_view line) {
        values_.reset(line);
        Value first;
        values_.next(first);
        const std::string_view mark = first.null ? std::string_view() : first.text;
        if (mark == FileVersionMark)
            return true;
        if (mark == TableDefStart) {
            startTable();
        } else if (mark == TableDefEnd) {
            endTable();
        } else if (mark == IndexDefStart) {
            table_.IndexDefs().clear();
            inIndexes_ = true;
        } else if (mark == IndexDefEnd) {
            inIndexes_ = false;
        } else if (!inTable_) {
            return false;
        } else if (inIndexes_) {
            readIndexDefinition(table_, line);
        } else {
            readFieldDefinition(table_, line);
        }
        return true;
    }

    // Index definitions name fields, so they go with the fields they belonged to.
    void startTable() {
        table_.Close();
        table_.ClearFields();
        table_.IndexDefs().clear();
        inTable_ = true;
    }

    void endTable() {
        if (table_.FieldCount() == 0)
            throw VembaError("There must be at least one field");
        table_.Open();
        summary_.definitions = true;
        inTable_ = false;
        inIndexes_ = false;
    }

    std::vector<Column> fieldColumns() const {
        std::vector<Column> columns;
        for (int i = 0; i < table_.FieldCount(); ++i)
            columns.push_back(columnFor(&table_.Fields(i)));
        return columns;
    }

    // A column takes the first field whose display name matches its name, a-z read as
    // capitals; the names are looked up in a table made once, so a file with many fields
    // does not compare every column with every field.
    std::vector<Column> headerColumns(std::string_view header) {
        std::unordered_map<std::string, TField*> byName;
        byName.reserve(std::size_t(table_.FieldCount()));
        for (int i = 0; i < table_.FieldCount(); ++i)
            byName.try_emplace(asciiCapitals(table_.Fields(i).DisplayName()), &table_.Fields(i));
        std::vector<Column> columns;
        values_.reset(header);
        for (Value name; values_.next(name);) {
            const auto found = byName.find(asciiCapitals(name.text));
            columns.push_back(columnFor(found == byName.end() ? nullptr : found->second));
        }
        return columns;
    }

    void readData(const std::vector<Column>& columns) {
        for (std::string_view line = lines_.next(); !line.empty(); line = lines_.next())
            readRecord(line, columns);
    }

    void readRecord(std::string_view line, const std::vector<Column>& columns) {
        table_.Append();
        values_.reset(line);
        Value value;
        for (const Column& column : columns) {
            if (!values_.next(value))
                break;
            if (column.field != nullptr)
                store(column, value);
        }
        table_.Post();
    }

    void store(const Column& column, const Value& value) {
        if (value.null)
            column.field->Clear();
        else if (column.text)
            column.field->SetAsString(unescape(value.text, unescaped_));
        else
            column.field->SetAsString(value.text);
    }

    TMemTable& table_;
    LineReader lines_;
    TLoadSummary& summary_;
    ValueReader values_;
    std::string unescaped_;
    bool inTable_ = false;
    bool inIndexes_ = false;
};

} // namespace

void TCSVStreamFormat::Save(TMemTable& table, QIODevice& device) {
    if (!writeTable(table, device))
        throw VembaError(toCp1250(device.errorString()));
}

void TCSVStreamFormat::Load(TMemTable& table, QIODevice& device, TLoadSummary* summary) {
    TLoadSummary found;
    TLoadSummary& seen = summary ? *summary : found;
    seen = {};
    table.BeginLoad();
    try {
        Reader(table, device, seen).run();
    } catch (...) {
        // What was read stays; the first failure is the one the caller hears about.
        try {
            table.FinishLoad();
        } catch (...) {
        }
        throw;
    }
    table.FinishLoad();
}

void TMemTable::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw fileError("Cannot open file", path, file.errorString());
    TCSVStreamFormat::Load(*this, file);
}

// A failed save leaves the file that was there untouched (platform/SafeSave.h).
void TMemTable::SaveToFile(const QString& path) {
    const std::optional<QString> failure =
        saveFileSafely(path, [this](QIODevice& device) { return writeTable(*this, device); });
    if (failure)
        throw fileError("Cannot create file", path, *failure);
}

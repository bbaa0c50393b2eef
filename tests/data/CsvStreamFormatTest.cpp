#include "data/CsvStreamFormat.h"

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "support/Faults.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Text = std::optional<std::string>; // nullopt stands for a null value
using Row = std::vector<TValue>;

const std::string Null = "\x01null"; // marks a null value in a row of expected texts

// ---------------------------------------------------------------------------------------
// Tables

// Six text fields f1..f6, for reading values as they stand.
void defineTexts(TMemTable& table) {
    for (int i = 1; i <= 6; ++i)
        table.AddField("f" + std::to_string(i), TFieldType::String, 255);
}

void addRecord(TMemTable& table, const Row& values) {
    table.Append();
    for (std::size_t i = 0; i < values.size(); ++i)
        table.Fields(int(i)).SetValue(values[i]);
    table.Post();
}

std::vector<Row> rows(const TMemTable& table) {
    std::vector<Row> result;
    for (int row = 0; row < table.RecordCount(); ++row) {
        Row values;
        for (int field = 0; field < table.FieldCount(); ++field)
            values.push_back(table.ValueAt(row, field));
        result.push_back(values);
    }
    return result;
}

std::vector<std::string> fieldNames(const TMemTable& table) {
    std::vector<std::string> names;
    for (int i = 0; i < table.FieldCount(); ++i)
        names.push_back(table.Fields(i).FieldName());
    return names;
}

// Texts of one record as AsString reads them, Null where the field is null.
std::vector<std::string> texts(const TMemTable& table, int row) {
    std::vector<std::string> result;
    for (int field = 0; field < table.FieldCount(); ++field) {
        const TValue value = table.ValueAt(row, field);
        if (isNull(value))
            result.push_back(Null);
        else if (const auto* number = std::get_if<std::int32_t>(&value))
            result.push_back(std::to_string(*number));
        else
            result.push_back(std::get<std::string>(value));
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// File text

std::string Q(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// Builds the bytes of a test file line by line.
class AskText {
public:
    AskText& line(std::string_view text, std::string_view end = "\r\n") {
        bytes_ += text;
        bytes_ += end;
        return *this;
    }
    AskText& raw(std::string_view bytes) {
        bytes_ += bytes;
        return *this;
    }
    AskText& version() { return line(Q("@@FILE VERSION@@") + "," + Q("251")); }
    AskText& item(std::string_view text) { return line(Q(text)); }

    // The definition block with these field definition items and no index definitions.
    AskText& definitions(const std::vector<std::string>& fields) {
        version().item("@@TABLEDEF START@@");
        for (const std::string& field : fields)
            item(field);
        return item("@@INDEXDEF START@@").item("@@INDEXDEF END@@").item("@@TABLEDEF END@@");
    }

    AskText& drillDefinitions() {
        return definitions({R"(sorszam=Integer,0,"sorszam","",10,Data,"")",
                            R"(nyelv1=String,255,"nyelv1","",255,Data,"")",
                            R"(nyelv2=String,255,"nyelv2","",255,Data,"")"});
    }

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

void load(TMemTable& table, const std::string& bytes) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TCSVStreamFormat::Load(table, buffer);
}

std::string save(TMemTable& table) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data().toStdString();
}

// The message of the error a call throws, or "" when it throws none.
template <typename Call>
std::string failure(Call call) {
    try {
        call();
    } catch (const VembaError& error) {
        return error.what();
    }
    return {};
}

std::string fixture(const char* name) {
    return readAll(QStringLiteral(VEMBA_SOURCE_DIR "/tests/data/fixtures/") +
                   QString::fromLatin1(name))
        .toStdString();
}

std::string dataLines(TMemTable& table) {
    const std::string all = save(table);
    const std::size_t header = all.find("@@TABLEDEF END@@");
    const std::size_t first = all.find("\r\n", all.find("\r\n", header) + 2) + 2;
    return all.substr(first);
}

// ---------------------------------------------------------------------------------------
// The two reference files

TEST(CsvStreamFormatSave, DrillTableWritesTheReferenceFile) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {97, "alma", "apple"});
    addRecord(table, {812, cp("körte"), "pear"});

    EXPECT_EQ(save(table), fixture("drill.ask"));
}

TEST(CsvStreamFormatSave, EditorTableWritesTheReferenceFile) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    addRecord(table, {{}, "alma", "apple", 1, {}});
    addRecord(table, {{}, cp("körte"), "pear", 1, {}});

    EXPECT_EQ(save(table), fixture("editor.ask"));
}

TEST(CsvStreamFormatSave, WritesTheCurrentOrderWithoutMovingTheCursorOrFiringEvents) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {812, cp("körte"), "pear"});
    addRecord(table, {97, "alma", "apple"});
    table.SortOn("sorszam");
    table.First();
    table.Next();
    int events = 0;
    table.AfterScroll = [&](TMemTable&) { ++events; };
    table.AfterPost = [&](TMemTable&) { ++events; };

    EXPECT_EQ(save(table), fixture("drill.ask"));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(table.FieldValue("sorszam"), TValue(812));
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(table.ControlsDisabled());
}

TEST(CsvStreamFormatSave, CatalogueTableWritesItsFieldsAndLabels) {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    addRecord(table, {"angol", cp("Első lecke"), "http://x/1.ask"});

    const std::string expected =
        AskText()
            .definitions({R"(nyelv=String,25,"nyelv","",25,Data,"")",
                          R"(nev=String,50,"Teszt neve","",50,Data,"")",
                          cp(R"(link=String,100,"Letöltési link","",100,Data,"")")})
            .line(cp(R"("nyelv","Teszt neve","Letöltési link",)"))
            .line(cp(R"("angol","Első lecke","http://x/1.ask",)"))
            .bytes();
    EXPECT_EQ(save(table), expected);
}

TEST(CsvStreamFormatLoad, ReferenceFilesGiveBackTheirTables) {
    TMemTable drill("Tbl");
    DefineEditorFields(drill); // replaced by the file's fields
    load(drill, fixture("drill.ask"));
    EXPECT_EQ(fieldNames(drill), (std::vector<std::string>{"sorszam", "nyelv1", "nyelv2"}));
    EXPECT_EQ(rows(drill), (std::vector<Row>{{97, "alma", "apple"}, {812, cp("körte"), "pear"}}));
    EXPECT_EQ(save(drill), fixture("drill.ask"));

    TMemTable editor("Tbl");
    DefineDrillFields(editor);
    load(editor, fixture("editor.ask"));
    EXPECT_EQ(editor.Fields(2).DisplayLabel(), cp("Második nyelv"));
    EXPECT_EQ(editor.Fields(3).DisplayLabel(), cp("Hányszor?"));
    EXPECT_EQ(editor.Fields(4).DisplayLabel(), "");
    EXPECT_EQ(rows(editor),
              (std::vector<Row>{{{}, "alma", "apple", 1, {}}, {{}, cp("körte"), "pear", 1, {}}}));
    EXPECT_EQ(save(editor), fixture("editor.ask"));
}

// ---------------------------------------------------------------------------------------
// Writing values and definitions

struct WrittenValue {
    const char* name;
    TValue value;
    std::string written;
};

void PrintTo(const WrittenValue& row, std::ostream* out) {
    *out << row.name;
}

class CsvStreamFormatWrittenValue : public ::testing::TestWithParam<WrittenValue> {};

TEST_P(CsvStreamFormatWrittenValue, IsQuotedAndEscapedOnOneLine) {
    TMemTable table("Tbl");
    table.AddField("n", TFieldType::Integer);
    table.AddField("s", TFieldType::String, 255);
    table.Open();
    const bool number = std::holds_alternative<std::int32_t>(GetParam().value);
    addRecord(table, number ? Row{GetParam().value, {}} : Row{{}, GetParam().value});

    const std::string expected =
        number ? GetParam().written + ",," : "," + GetParam().written + ",";
    EXPECT_EQ(dataLines(table), expected + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvStreamFormatWrittenValue,
    ::testing::Values(
        WrittenValue{"plain", "alma", R"("alma")"}, WrittenValue{"empty_is_not_null", "", R"("")"},
        WrittenValue{"quote_doubled", R"(say "hi")", R"("say ""hi""")"},
        WrittenValue{"comma_kept", "a,b", R"("a,b")"},
        WrittenValue{"percent_escaped", "50%", R"("50%%")"},
        WrittenValue{"cr_lf_escaped", "a\r\nb", R"("a%c%nb")"},
        WrittenValue{"escape_lookalike", "%c", R"("%%c")"},
        WrittenValue{"accented_bytes_unchanged", cp("őŐűŰ"), "\"" + cp("őŐűŰ") + "\""},
        WrittenValue{"negative_number", -42, R"("-42")"},
        WrittenValue{"smallest_number", std::int32_t(-2147483647 - 1), R"("-2147483648")"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStreamFormatSave, WritesFlagsKindsIndexesAndSkipsFieldsThatAreNotData) {
    TMemTable table("Tbl");
    TField& text = table.AddField("szo", TFieldType::String, 20, "Label \"x\"");
    text.SetRequired(true);
    text.SetReadOnly(true);
    text.SetVisible(false);
    text.SetDisplayWidth(7);
    text.SetEditMask("mask");
    text.SetDefaultExpression("'d'");
    table.AddField("calc", TFieldType::Integer).SetFieldKind(TFieldKind::Calculated);
    table.IndexDefs().push_back({"ix", "szo;calc", true, true, true, true});
    table.IndexDefs().push_back({"plain", "szo", false, false, false, false});
    table.Open();
    addRecord(table, {"v", 5});

    const std::string expected =
        AskText()
            .version()
            .item("@@TABLEDEF START@@")
            .item(R"(szo=String,20,"Label ""x""","mask",7,REQ,RO,INV,Data,"'d'")")
            .item("@@INDEXDEF START@@")
            .item(R"(ix="szo;calc","ix",DESC,CASE,NONMT,UNIQ)")
            .item(R"(plain="szo","plain")")
            .item("@@INDEXDEF END@@")
            .item("@@TABLEDEF END@@")
            .line(R"("Label ""x""",)")
            .line(R"("v",)")
            .bytes();
    EXPECT_EQ(save(table), expected);
}

// ---------------------------------------------------------------------------------------
// Reading lines

struct LineEnds {
    const char* name;
    std::string bytes;
};

void PrintTo(const LineEnds& row, std::ostream* out) {
    *out << row.name;
}

class CsvStreamFormatLineEnds : public ::testing::TestWithParam<LineEnds> {};

TEST_P(CsvStreamFormatLineEnds, ReadTheSameRecords) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    load(table, GetParam().bytes);

    EXPECT_EQ(rows(table), (std::vector<Row>{{1, "a", "b"}, {2, "c", {}}, {3, "e", "f"}}));
}

std::string linesEndedBy(std::string_view end, std::string_view last) {
    return AskText()
        .line(R"("sorszam","nyelv1","nyelv2",)", end)
        .line(R"("1","a","b",)", end)
        .line(R"("2","c",,)", end)
        .line(R"("3","e","f",)", last)
        .bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvStreamFormatLineEnds,
    ::testing::Values(LineEnds{"cr_lf", linesEndedBy("\r\n", "\r\n")},
                      LineEnds{"lf", linesEndedBy("\n", "\n")},
                      LineEnds{"cr", linesEndedBy("\r", "\r")},
                      LineEnds{"nul",
                               linesEndedBy(std::string_view("\0", 1), std::string_view("\0", 1))},
                      LineEnds{"no_break_after_last", linesEndedBy("\r\n", "")},
                      LineEnds{"blank_lines_between", linesEndedBy("\r\n\r\n\n\r", "\n\n\n")},
                      LineEnds{"mixed_breaks", linesEndedBy(std::string_view("\n\r\0\r", 4), "\r")},
                      LineEnds{"unquoted_values", "sorszam,nyelv1,nyelv2\n1,a,b\n2,c,\n3,e,f"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStreamFormatLoad, LinesCrossBlocksAndHaveNoLengthLimit) {
    // Place the break of the first data line around the 8192-byte block border, and make
    // one line far longer than a block.
    for (std::size_t pad = 8150; pad < 8200; ++pad) {
        for (std::string_view end : {"\r\n", "\n", "\r\n\r\n"}) {
            TMemTable table("Tbl");
            DefineDrillFields(table);
            table.Open();
            const std::string header = R"("skipped","sorszam","nyelv1","nyelv2",)";
            const std::string first =
                "\"" + std::string(pad - header.size() - 12, 'x') + "\",\"1\",\"a\",";
            const std::string bytes =
                AskText()
                    .line(header, end)
                    .line(first, end)
                    .line(Q(std::string(50000, 'y')) + R"(,"2","b","c",)", end)
                    .line(R"("z","3","d","e")", "")
                    .bytes();
            load(table, bytes);
            ASSERT_EQ(rows(table), (std::vector<Row>{{1, "a", {}}, {2, "b", "c"}, {3, "d", "e"}}))
                << "pad " << pad;
        }
    }
}

TEST(CsvStreamFormatLoad, FileStartingWithABreakIsReadAsDataLinesOnly) {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    load(table, "\r\n" + fixture("drill.ask"));

    const std::vector<Row> all = rows(table);
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all[0], (Row{"@@FILE VERSION@@", "251", {}}));
    EXPECT_EQ(all[1], (Row{"@@TABLEDEF START@@", {}, {}}));
    EXPECT_EQ(all[8], (Row{"sorszam", "nyelv1", "nyelv2"}));
    EXPECT_EQ(fieldNames(table), (std::vector<std::string>{"nyelv", "nev", "link"}));
}

// ---------------------------------------------------------------------------------------
// Reading values

struct ValueLine {
    const char* name;
    std::string line;
    std::vector<std::string> values; // f1..f6, Null for null
};

void PrintTo(const ValueLine& row, std::ostream* out) {
    *out << row.name;
}

class CsvStreamFormatValues : public ::testing::TestWithParam<ValueLine> {};

// A leading break leaves the file without definitions and header, so the line's values go
// to f1..f6 in order.
TEST_P(CsvStreamFormatValues, AreTakenApartByTheReadingRules) {
    TMemTable table("Tbl");
    defineTexts(table);
    table.Open();
    load(table, "\n" + GetParam().line + "\r\n");

    ASSERT_EQ(table.RecordCount(), 1);
    std::vector<std::string> expected = GetParam().values;
    expected.resize(6, Null);
    EXPECT_EQ(texts(table, 0), expected);
}

const std::string N = Null;

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvStreamFormatValues,
    ::testing::Values(
        ValueLine{"quoted", R"("a","b c")", {"a", "b c"}},
        ValueLine{"doubled_quotes", R"("a""b","""")", {"a\"b", "\""}},
        ValueLine{"empty_quoted_is_not_null", R"("","x")", {"", "x"}},
        ValueLine{"leading_comma_is_null", R"(,"b")", {N, "b"}},
        ValueLine{"two_commas_make_a_null", R"("a",,"c")", {"a", N, "c"}},
        ValueLine{"trailing_comma_adds_nothing", R"("a","b",)", {"a", "b"}},
        ValueLine{"unquoted_keeps_blanks", R"( a b ,c)", {" a b ", "c"}},
        ValueLine{"unquoted_keeps_quotes", R"(ab"c,"d")", {"ab\"c", "d"}},
        ValueLine{"one_character_after_quote_skipped", R"("a"x"b";c)", {"a", "b", "c"}},
        ValueLine{"comma_inside_quotes", R"("a,b",c)", {"a,b", "c"}},
        ValueLine{"unclosed_without_pair_is_empty", R"("a","bcd)", {"a", ""}},
        ValueLine{"unclosed_keeps_text_to_last_pair", R"("a""b""c,d)", {"a\"b\""}},
        ValueLine{"escapes_undone", R"("50%%","a%cb%nc","x%0y")", {"50%", "a\rb\nc", "x"}},
        ValueLine{"percent_at_end_dropped", R"("end%","%")", {"end", ""}},
        ValueLine{"unknown_escape_kept", R"("%x%C","100%")", {"%x%C", "100"}},
        ValueLine{"values_beyond_last_column_ignored",
                  R"(1,2,3,4,5,6,7,8)",
                  {"1", "2", "3", "4", "5", "6"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStreamFormatLoad, TextIsCutToTheFieldSizeAndNumbersAreParsed) {
    TMemTable table("Tbl");
    table.AddField("short", TFieldType::String, 3);
    table.AddField("n", TFieldType::Integer);
    table.AddField("m", TFieldType::Integer);
    table.Open();
    load(table, "\n\"abcdef\",\"-17\",\"\"\n\"%%%%%%%%\",\"+5\",");

    EXPECT_EQ(rows(table), (std::vector<Row>{{"abc", -17, {}}, {"%%%", 5, {}}}));
}

// ---------------------------------------------------------------------------------------
// Reading definitions

struct FieldDefinition {
    const char* name;
    std::string item;
    std::string fieldName;
    TFieldType type;
    int size;
    std::string label;
    std::string editMask;
    int width;
    TFieldKind kind;
    std::string defaultExpression;
    bool required = false;
    bool readOnly = false;
    bool visible = true;
};

void PrintTo(const FieldDefinition& row, std::ostream* out) {
    *out << row.name;
}

class CsvStreamFormatFieldDefinition : public ::testing::TestWithParam<FieldDefinition> {};

TEST_P(CsvStreamFormatFieldDefinition, GivesTheField) {
    const FieldDefinition& def = GetParam();
    TMemTable table("Tbl");
    load(table, AskText().definitions({cp(def.item)}).bytes());

    ASSERT_EQ(table.FieldCount(), 1);
    const TField& field = table.Fields(0);
    EXPECT_EQ(field.FieldName(), def.fieldName);
    EXPECT_EQ(field.DataType(), def.type);
    EXPECT_EQ(field.Size(), def.size);
    EXPECT_EQ(field.DisplayLabel(), def.label);
    EXPECT_EQ(field.EditMask(), def.editMask);
    EXPECT_EQ(field.DisplayWidth(), def.width);
    EXPECT_EQ(field.FieldKind(), def.kind);
    EXPECT_EQ(field.DefaultExpression(), def.defaultExpression);
    EXPECT_EQ(field.Required(), def.required);
    EXPECT_EQ(field.ReadOnly(), def.readOnly);
    EXPECT_EQ(field.Visible(), def.visible);
    EXPECT_TRUE(table.Active());
}

using K = TFieldKind;
using T = TFieldType;

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvStreamFormatFieldDefinition,
    ::testing::Values(
        FieldDefinition{"as_written", R"(szo=String,25,"Szó","",25,Data,"")", "szo", T::String, 25,
                        cp("Szó"), "", 25, K::Data, ""},
        FieldDefinition{"label_equal_to_name_is_empty", R"(n=Integer,0,"n","",10,Data,"")", "n",
                        T::Integer, 0, "", "", 10, K::Data, ""},
        FieldDefinition{"flags_and_all_texts",
                        R"(x=String,20,"L ""q""","99",7,REQ,RO,INV,Data,"'d'")", "x", T::String, 20,
                        "L \"q\"", "99", 7, K::Data, "'d'", true, true, false},
        FieldDefinition{"flags_found_anywhere", R"(x=String,20,"a,REQ,INV","",7,Data,"")", "x",
                        T::String, 20, "a,REQ,INV", "", 7, K::Data, "", true, false, false},
        FieldDefinition{"blanks_around_parts", "x=\t String ,20 ,\x01\"L\" ,  \"\",7\t", "x",
                        T::String, 20, "L", "", 7, K::Data, ""},
        FieldDefinition{"blank_separates_unquoted_parts", R"(x=String 20 L "" 7)", "x", T::String,
                        20, "L", "", 7, K::Data, ""},
        FieldDefinition{"five_parts_is_data", R"(x=String,20,"L","",7)", "x", T::String, 20, "L",
                        "", 7, K::Data, ""},
        FieldDefinition{"sixth_part_is_kind", R"(x=String,20,"L","",7,Lookup)", "x", T::String, 20,
                        "L", "", 7, K::Lookup, ""},
        FieldDefinition{"unknown_kind_is_data", R"(x=String,20,"L","",7,Weird,"e")", "x", T::String,
                        20, "L", "", 7, K::Data, "e"},
        FieldDefinition{"last_of_many_parts_is_default", R"(x=String,20,"L","",7,Lookup,"a","b")",
                        "x", T::String, 20, "L", "", 7, K::Data, "b"},
        FieldDefinition{"final_comma_adds_empty_part", R"(x=String,20,"L","",7,Lookup,"e",)", "x",
                        T::String, 20, "L", "", 7, K::Data, ""},
        FieldDefinition{"kind_before_final_comma", R"(x=String,20,"L","",7,Calculated,)", "x",
                        T::String, 20, "L", "", 7, K::Calculated, ""},
        FieldDefinition{"zero_width_means_default", R"(x=String,30,"L","",0,Data,"")", "x",
                        T::String, 30, "L", "", 30, K::Data, ""},
        FieldDefinition{"integer_size_ignored", R"(x=Integer,4,"L","",+8,Data,"")", "x", T::Integer,
                        0, "L", "", 8, K::Data, ""},
        FieldDefinition{"negative_size_holds_nothing", R"(x=String,-5,"L","",3,Data,"")", "x",
                        T::String, 0, "L", "", 3, K::Data, ""},
        FieldDefinition{"small_integer_read_as_integer", R"(x=SmallInt,0,"L","",5,Data,"")", "x",
                        T::Integer, 0, "L", "", 5, K::Data, ""},
        FieldDefinition{"fixed_text_read_as_string", R"(x=FixedChar,8,"L","",8,Data,"")", "x",
                        T::String, 8, "L", "", 8, K::Data, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStreamFormatLoad, DefinitionsReplaceFieldsRecordsSortOrderAndIndexes) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.IndexDefs().push_back({"old", "nyelv1"});
    table.Open();
    addRecord(table, {1, "x", "y", 2, 3});
    table.SortOn("nyelv1");

    const std::string bytes = AskText()
                                  .version()
                                  .item("@@TABLEDEF START@@")
                                  .item(R"(a=String,10,"A","",10,Data,"")")
                                  .item("@@INDEXDEF START@@")
                                  .item(R"(ia="a","ia",DESC,UNIQ)")
                                  .item("@@INDEXDEF END@@")
                                  .item("@@TABLEDEF END@@")
                                  .line(R"("A",)")
                                  .line(R"("q",)")
                                  .bytes();
    load(table, bytes);

    EXPECT_EQ(fieldNames(table), std::vector<std::string>{"a"});
    EXPECT_EQ(rows(table), std::vector<Row>{{"q"}});
    EXPECT_FALSE(table.Sorted());
    ASSERT_EQ(table.IndexDefs().size(), 1u);
    EXPECT_EQ(table.IndexDefs()[0].Name, "ia");
    EXPECT_EQ(table.IndexDefs()[0].Fields, "a");
    EXPECT_TRUE(table.IndexDefs()[0].Descending);
    EXPECT_FALSE(table.IndexDefs()[0].CaseInsensitive);
    EXPECT_FALSE(table.IndexDefs()[0].NonMaintained);
    EXPECT_TRUE(table.IndexDefs()[0].Unique);
    EXPECT_EQ(save(table), bytes);
}

TEST(CsvStreamFormatLoad, AnyVersionIsAcceptedAndFirstValueDecides) {
    TMemTable table("Tbl");
    const std::string bytes = AskText()
                                  .line(R"(@@FILE VERSION@@,"999",ignored)")
                                  .line(R"(@@TABLEDEF START@@,anything)")
                                  .item(R"(a=Integer,0,"a","",10,Data,"")")
                                  .line(R"(@@TABLEDEF END@@)")
                                  .line(R"("a",)")
                                  .line(R"("7",)")
                                  .bytes();
    load(table, bytes);

    EXPECT_EQ(rows(table), std::vector<Row>{{7}});
}

TEST(CsvStreamFormatLoad, DefinitionBlockEndedByTheFileHasNoHeader) {
    TMemTable table("Tbl");
    load(table, AskText().drillDefinitions().bytes());

    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST(CsvStreamFormatLoad, FieldsOfOtherKindsGetNoValues) {
    TMemTable table("Tbl");
    load(table, AskText()
                    .definitions({R"(a=String,10,"a","",10,Data,"")",
                                  R"(c=String,10,"c","",10,Calculated,"")"})
                    .line(R"("a","c",)")
                    .line(R"("1","2",)")
                    .bytes());

    EXPECT_EQ(rows(table), (std::vector<Row>{{"1", {}}}));
    EXPECT_EQ(table.Fields(1).FieldKind(), TFieldKind::Calculated);
}

// ---------------------------------------------------------------------------------------
// Matching columns

TEST(CsvStreamFormatLoad, ColumnsMatchDisplayNamesWithOnlyAToZCapitalised) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    const std::string bytes = AskText()
                                  .line(cp(R"("HANYSZOR?","ELSő NYELV","MÁSODIK NYELV","unknown",)"
                                           R"("Hányszor?","SorSzam",)"))
                                  .line(R"("1","a","b","c","2","3",)")
                                  .bytes();
    load(table, bytes);

    // "HANYSZOR?" lacks the accent and "MÁSODIK" would need "Á" capitalised: both skipped.
    EXPECT_EQ(rows(table), (std::vector<Row>{{3, "a", {}, 2, {}}}));
}

TEST(CsvStreamFormatLoad, AColumnTakesTheFirstFieldWhoseDisplayNameMatches) {
    TMemTable table("Tbl");
    load(table, AskText()
                    .definitions({R"(a=String,10,"word","",10,Data,"")",
                                  R"(b=String,10,"WORD","",10,Data,"")",
                                  R"(c=String,10,"Word","",10,Data,"")"})
                    .line(R"("Word","wORD",)")
                    .line(R"("1","2",)")
                    .bytes());

    // Both columns name the first field; the second value is the one kept.
    EXPECT_EQ(rows(table), (std::vector<Row>{{"2", {}, {}}}));
}

TEST(CsvStreamFormatLoad, HeaderNamingAFieldByItsNameInsteadOfItsLabelLosesTheColumn) {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    load(table,
         cp("\"nyelv\",\"nev\",\"Letöltési link\",\r\n\"angol\",\"Első\",\"http://x/1.ask\",\r\n"));

    EXPECT_EQ(rows(table), (std::vector<Row>{{"angol", {}, "http://x/1.ask"}}));
}

TEST(CsvStreamFormatLoad, FileWithoutDefinitionsIsAddedToTheRecords) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {1, "a", "b"});
    load(table, "\"nyelv2\",\"sorszam\",\r\n\"z\",\"9\",\"extra\",\"more\",\r\n\"y\"\r\n");

    EXPECT_EQ(rows(table), (std::vector<Row>{{1, "a", "b"}, {9, {}, "z"}, {{}, {}, "y"}}));
}

TEST(CsvStreamFormatLoad, EditorFileGivesTheDrillTableFiveFieldsAndDrillFileGivesTheEditorThree) {
    TMemTable drill("Tbl");
    DefineDrillFields(drill);
    load(drill, fixture("editor.ask"));
    EXPECT_EQ(drill.FieldCount(), 5);
    EXPECT_EQ(drill.FieldByName("nyelv1").DisplayName(), cp("Első nyelv"));
    EXPECT_EQ(drill.FieldByName("hanyszor").DisplayName(), cp("Hányszor?"));

    TMemTable editor("Tbl");
    DefineEditorFields(editor);
    editor.Open();
    load(editor, fixture("drill.ask"));
    EXPECT_EQ(fieldNames(editor), (std::vector<std::string>{"sorszam", "nyelv1", "nyelv2"}));
    EXPECT_EQ(editor.FindField("hanyszor"), nullptr);
    EXPECT_EQ(editor.FieldByName("nyelv1").DisplayName(), "nyelv1");
}

// ---------------------------------------------------------------------------------------
// Events, empty file, failures

TEST(CsvStreamFormatLoad, FiresEventsPerRecordAndMakesTheFirstRecordCurrent) {
    TMemTable table("Tbl");
    int scrolls = 0;
    int posts = 0;
    table.AfterScroll = [&](TMemTable&) { ++scrolls; };
    table.AfterPost = [&](TMemTable&) { ++posts; };
    load(table, fixture("drill.ask"));

    EXPECT_EQ(posts, 2);
    EXPECT_EQ(scrolls, 3);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_FALSE(table.ControlsDisabled());
}

TEST(CsvStreamFormatLoad, EmptyFileLeavesTheTableAsItWas) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    addRecord(table, {1, "a", "b", 2, 3});
    addRecord(table, {4, "c", "d", 5, 6});
    load(table, "");

    EXPECT_EQ(table.FieldCount(), 5);
    EXPECT_EQ(rows(table), (std::vector<Row>{{1, "a", "b", 2, 3}, {4, "c", "d", 5, 6}}));
    EXPECT_EQ(table.RecNo(), 1);
}

struct Failure {
    const char* name;
    std::string bytes;
    std::string message;
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class CsvStreamFormatFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(CsvStreamFormatFailure, ReportsTheMessage) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    EXPECT_EQ(failure([&] { load(table, GetParam().bytes); }), GetParam().message);
    EXPECT_FALSE(table.ControlsDisabled());
}

std::string withField(std::string item) {
    return AskText().definitions({item}).bytes();
}

std::vector<Failure> failures() {
    std::vector<Failure> cases = {
        {"unknown_type", withField(R"(x=Bogus,1,"x","",1,Data,"")"),
         R"(Unknown field type (Bogus) in CSV file. (x=Bogus,1,"x","",1,Data,""))"},
        {"type_name_case_matters", withField(R"(x=string,1,"x","",1)"),
         R"(Unknown field type (string) in CSV file. (x=string,1,"x","",1))"},
        {"type_the_table_cannot_hold", withField(R"(x=Float,0,"x","",10)"),
         R"(Unknown field type (Float) in CSV file. (x=Float,0,"x","",10))"},
        {"size_not_a_number", withField(R"(x=String,2O,"x","",1)"),
         "'2O' is not a valid integer value"},
        {"size_with_two_signs", withField(R"(x=String,+-2,"x","",1)"),
         "'+-2' is not a valid integer value"},
        {"size_too_large", withField(R"(x=String,99999999999,"x","",1)"),
         "'99999999999' is not a valid integer value"},
        {"width_not_a_number", withField(R"(x=String,2,"x","",)"),
         "'' is not a valid integer value"},
        {"four_parts", withField(R"(x=String,2,"x","")"), "List index out of bounds (4)"},
        {"one_part", withField("x=String"), "List index out of bounds (1)"},
        {"no_equals_sign", withField("x"), "List index out of bounds (0)"},
        {"line_not_quoted",
         AskText().version().item("@@TABLEDEF START@@").line("x=String,1,x,x,1").bytes(),
         "List index out of bounds (0)"},
        {"index_without_fields",
         AskText().item("@@TABLEDEF START@@").item("@@INDEXDEF START@@").item("ix=").bytes(),
         "List index out of bounds (0)"},
        {"no_field", AskText().definitions({}).bytes(), "There must be at least one field"},
        {"no_columns", AskText().version().item("@@TABLEDEF START@@").bytes(),
         "Couldnt determine field count for load."},
        {"text_in_integer_field",
         AskText()
             .drillDefinitions()
             .line(R"("sorszam","nyelv1","nyelv2",)")
             .line(R"("1","a","b",)")
             .line(R"("x1","a","b",)")
             .bytes(),
         "'x1' is not a valid integer value for field 'sorszam'"},
        {"data_into_closed_table", "\"sorszam\",\r\n\"1\",\r\n",
         "Tbl: Cannot perform this operation on a closed dataset"},
    };
    for (const char* unusable :
         {"Unknown", "Cursor", "Reference", "DataSet", "Variant", "Interface", "Dispatch"}) {
        const std::string item = std::string("x=") + unusable + R"(,0,"x","",10,Data,"")";
        cases.push_back(
            {unusable, withField(item),
             "Unknown field type (" + std::string(unusable) + ") in CSV file. (" + item + ")"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, CsvStreamFormatFailure, ::testing::ValuesIn(failures()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStreamFormatLoad, FailureKeepsWhatWasReadAndFinishes) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    const std::string bytes = AskText()
                                  .drillDefinitions()
                                  .line(R"("nyelv1","sorszam","nyelv2",)")
                                  .line(R"("a","1","b",)")
                                  .line(R"("c","2","d",)")
                                  .line(R"("kept","bad","lost",)")
                                  .line(R"("e","3","f",)")
                                  .bytes();

    EXPECT_EQ(failure([&] { load(table, bytes); }),
              "'bad' is not a valid integer value for field 'sorszam'");
    EXPECT_EQ(fieldNames(table), (std::vector<std::string>{"sorszam", "nyelv1", "nyelv2"}));
    EXPECT_EQ(rows(table), (std::vector<Row>{{1, "a", "b"}, {2, "c", "d"}, {{}, "kept", {}}}));
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_FALSE(table.ControlsDisabled());
}

TEST(CsvStreamFormatLoad, FailureOnTheFirstValueDropsTheRecord) {
    TMemTable table("Tbl");
    const std::string bytes = AskText()
                                  .drillDefinitions()
                                  .line(R"("sorszam","nyelv1",)")
                                  .line(R"("1","a",)")
                                  .line(R"("bad","x",)")
                                  .bytes();

    EXPECT_NE(failure([&] { load(table, bytes); }), "");
    EXPECT_EQ(rows(table), (std::vector<Row>{{1, "a", {}}}));
}

TEST(CsvStreamFormatLoad, FailureInsideTheDefinitionsKeepsTheFieldsAlreadyDefined) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    addRecord(table, {1, "a", "b", 2, 3});
    const std::string bytes = AskText()
                                  .version()
                                  .item("@@TABLEDEF START@@")
                                  .item(R"(a=String,10,"a","",10,Data,"")")
                                  .item(R"(b=Bogus,10,"b","",10,Data,"")")
                                  .bytes();

    EXPECT_NE(failure([&] { load(table, bytes); }), "");
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(fieldNames(table), std::vector<std::string>{"a"});
    EXPECT_FALSE(table.ControlsDisabled());
}

// ---------------------------------------------------------------------------------------
// Round trip of generated tables

class TableGenerator {
public:
    explicit TableGenerator(unsigned seed)
        : random_(seed) {}

    void define(TMemTable& table) {
        std::vector<std::string> displayNames;
        const int count = pick(1, 6);
        for (int i = 0; i < count; ++i)
            defineField(table, i, displayNames);
        for (int i = pick(0, 2); i > 0; --i)
            table.IndexDefs().push_back({"ix" + std::to_string(i), "f0;f" + std::to_string(i),
                                         coin(), coin(), coin(), coin()});
    }

    void fill(TMemTable& table) {
        for (int record = pick(0, 40); record > 0; --record) {
            table.Append();
            for (int i = 0; i < table.FieldCount(); ++i)
                table.Fields(i).SetValue(value(table.Fields(i)));
            table.Post();
        }
    }

    bool coin() { return pick(0, 1) == 1; }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    void defineField(TMemTable& table, int index, std::vector<std::string>& displayNames) {
        const bool text = coin();
        const std::string name = "f" + std::to_string(index);
        std::string label;
        do
            label = pick(0, 3) == 0 ? "" : someText(pick(1, 12), false);
        while (!usableLabel(label.empty() ? name : label, displayNames));
        TField& field = table.AddField(name, text ? TFieldType::String : TFieldType::Integer,
                                       text ? pick(1, 255) : 0, label);
        field.SetDisplayWidth(pick(0, 3) == 0 ? 0 : pick(1, 300));
        field.SetRequired(coin());
        field.SetReadOnly(coin());
        field.SetVisible(coin());
        field.SetEditMask(coin() ? "" : someText(pick(1, 5), false));
        field.SetDefaultExpression(coin() ? "" : someText(pick(1, 5), false));
    }

    // Labels come from the program itself and never hold line breaks, flag texts or
    // definition markers; two fields must not share a display name.
    static bool usableLabel(const std::string& displayName, std::vector<std::string>& taken) {
        std::string upper = displayName;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        for (const char* flag : {",REQ", ",RO", ",INV", "@@"})
            if (upper.find(flag) != std::string::npos)
                return false;
        if (std::find(taken.begin(), taken.end(), upper) != taken.end())
            return false;
        taken.push_back(upper);
        return true;
    }

    TValue value(const TField& field) {
        if (pick(0, 4) == 0)
            return {};
        if (field.DataType() == TFieldType::Integer)
            return coin() ? std::int32_t(pick(-1000, 1000))
                          : std::int32_t(std::uniform_int_distribution<std::int32_t>()(random_));
        return pick(0, 6) == 0 ? std::string() : someText(pick(1, 300), true);
    }

    std::string someText(int length, bool lineBreaks) {
        static const std::string special = std::string("%\",; \t'=cn0") + cp("őŰáé");
        std::string text;
        for (int i = 0; i < length; ++i) {
            const int kind = pick(0, 9);
            if (kind < 4)
                text += char(pick('a', 'z'));
            else if (kind < 7)
                text += special[std::size_t(pick(0, int(special.size()) - 1))];
            else if (kind < 8 && lineBreaks)
                text += "\r\n"[pick(0, 1)];
            else if (kind < 9 && lineBreaks && pick(0, 5) == 0)
                text += '\0';
            else
                text += char(pick(0x80, 0xFF));
        }
        return text;
    }

    std::mt19937 random_;
};

void expectSameFields(const TMemTable& loaded, const TMemTable& saved) {
    ASSERT_EQ(loaded.FieldCount(), saved.FieldCount());
    for (int i = 0; i < saved.FieldCount(); ++i) {
        const TField& a = loaded.Fields(i);
        const TField& b = saved.Fields(i);
        EXPECT_EQ(a.FieldName(), b.FieldName());
        EXPECT_EQ(a.DataType(), b.DataType());
        EXPECT_EQ(a.Size(), b.Size());
        EXPECT_EQ(a.DisplayLabel(), b.DisplayLabel());
        EXPECT_EQ(a.DisplayWidth(), b.DisplayWidth());
        EXPECT_EQ(a.Required(), b.Required());
        EXPECT_EQ(a.ReadOnly(), b.ReadOnly());
        EXPECT_EQ(a.Visible(), b.Visible());
        EXPECT_EQ(a.EditMask(), b.EditMask());
        EXPECT_EQ(a.DefaultExpression(), b.DefaultExpression());
    }
}

void expectSameIndexes(const TMemTable& loaded, const TMemTable& saved) {
    ASSERT_EQ(loaded.IndexDefs().size(), saved.IndexDefs().size());
    for (std::size_t i = 0; i < saved.IndexDefs().size(); ++i) {
        const TIndexDef& a = loaded.IndexDefs()[i];
        const TIndexDef& b = saved.IndexDefs()[i];
        EXPECT_EQ(a.Name, b.Name);
        EXPECT_EQ(a.Fields, b.Fields);
        EXPECT_EQ(a.Descending, b.Descending);
        EXPECT_EQ(a.CaseInsensitive, b.CaseInsensitive);
        EXPECT_EQ(a.NonMaintained, b.NonMaintained);
        EXPECT_EQ(a.Unique, b.Unique);
    }
}

TEST(CsvStreamFormatRoundTrip, GeneratedTablesComeBackUnchanged) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TableGenerator generate(seed);
        TMemTable saved("Tbl");
        generate.define(saved);
        saved.Open();
        generate.fill(saved);
        if (generate.coin())
            saved.SortOn("f0", generate.coin() ? TOptions(TOption::CaseInsensitive) : TOptions());
        const std::string bytes = save(saved);

        TMemTable loaded("Tbl");
        DefineDrillFields(loaded);
        load(loaded, bytes);

        expectSameFields(loaded, saved);
        expectSameIndexes(loaded, saved);
        ASSERT_EQ(rows(loaded), rows(saved));
        ASSERT_EQ(save(loaded), bytes);
    }
}

TEST(CsvStreamFormatRoundTrip, EveryRecordStaysOnOneLine) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {1, "a\"b,c%d\re\nf\r\n", "%n%c%0%%"});
    const std::string lines = dataLines(table);

    EXPECT_EQ(lines, "\"1\",\"a\"\"b,c%%d%ce%nf%c%n\",\"%%n%%c%%0%%%%\",\r\n");
}

// ---------------------------------------------------------------------------------------
// Files

class CsvStreamFormatFile : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    static std::string full(const QString& path) {
        return QDir::toNativeSeparators(path).toStdString();
    }

    QTemporaryDir dir_;
};

TEST_F(CsvStreamFormatFile, SaveAndLoadThroughFiles) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {97, "alma", "apple"});
    addRecord(table, {812, cp("körte"), "pear"});
    writeAll(path("teszt.ask"),
             "old content that is longer than the new file ....................");
    table.SaveToFile(path("teszt.ask"));
    EXPECT_EQ(readAll(path("teszt.ask")).toStdString(), fixture("drill.ask"));

    TMemTable loaded("Tbl");
    loaded.LoadFromFile(path("teszt.ask"));
    EXPECT_EQ(rows(loaded), rows(table));
}

TEST_F(CsvStreamFormatFile, FailedSaveLeavesTheOldFileUntouched) {
    writeAll(path("teszt.ask"), "old");
    TMemTable closed("Tbl");
    DefineDrillFields(closed);

    EXPECT_EQ(failure([&] { closed.SaveToFile(path("teszt.ask")); }),
              "Tbl: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(readAll(path("teszt.ask")).toStdString(), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("teszt.ask")});
}

TEST_F(CsvStreamFormatFile, SaveIntoAFolderThatCannotExistReportsTheFullPath) {
    writeAll(path("plain"), "a file, not a folder");
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    const QString target = path("plain") + QStringLiteral("/teszt.ask");

    const std::string message = failure([&] { table.SaveToFile(target); });
    const std::string start = "Cannot create file \"" + full(target) + "\". ";
    EXPECT_EQ(message.substr(0, start.size()), start);
    EXPECT_GT(message.size(), start.size());
    EXPECT_EQ(readAll(path("plain")).toStdString(), "a file, not a folder");
}

TEST_F(CsvStreamFormatFile, AFullDiskIsReportedWithTheSystemsReasonAndKeepsTheOldFile) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    for (int i = 0; i < 2000; ++i)
        addRecord(table, {i, "alma", "apple"});
    writeAll(path("teszt.ask"), "old");

    std::string message;
    {
        FileSizeLimit full(4096);
        message = failure([&] { table.SaveToFile(path("teszt.ask")); });
    }
    EXPECT_EQ(message, "Cannot create file \"" + full(path("teszt.ask")) + "\". " +
                           FileSizeLimit::reason().toStdString());
    EXPECT_EQ(readAll(path("teszt.ask")).toStdString(), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("teszt.ask")});
}

TEST_F(CsvStreamFormatFile, AWritableFileInAReadOnlyFolderIsSaved) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    addRecord(table, {97, "alma", "apple"});
    addRecord(table, {812, cp("körte"), "pear"});
    writeAll(path("teszt.ask"),
             "old content that is longer than the new file ....................");
    ReadOnlyFolder readOnly(dir_.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();

    table.SaveToFile(path("teszt.ask"));
    EXPECT_EQ(readAll(path("teszt.ask")).toStdString(), fixture("drill.ask"));
}

TEST_F(CsvStreamFormatFile, LoadOfAMissingFileOrAFolderReportsTheFullPath) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    for (const QString& unreadable : {path("nincs.ask"), dir_.path()}) {
        const std::string message = failure([&] { table.LoadFromFile(unreadable); });
        const std::string start = "Cannot open file \"" + full(unreadable) + "\". ";
        EXPECT_EQ(message.substr(0, start.size()), start);
        EXPECT_GT(message.size(), start.size());
    }
    EXPECT_EQ(table.FieldCount(), 3);
}

// A device that takes nothing: a failing write must not pass for a saved table.
class RefusingDevice : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override {
        setErrorString(QStringLiteral("Disk full"));
        return -1;
    }
};

TEST(CsvStreamFormatSave, DeviceRefusingWritesFails) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    RefusingDevice device;
    device.open(QIODevice::WriteOnly);

    EXPECT_EQ(failure([&] { TCSVStreamFormat::Save(table, device); }), "Disk full");
    EXPECT_FALSE(table.ControlsDisabled());
}

} // namespace

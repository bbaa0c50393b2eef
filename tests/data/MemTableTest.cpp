#include "data/MemTable.h"

#include "data/FieldSets.h"
#include "support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Change = TableObserver::Change;

namespace {

const char* changeName(Change change) {
    switch (change) {
    case Change::Active:
        return "Active";
    case Change::DataSet:
        return "DataSet";
    case Change::Record:
        return "Record";
    case Change::Scroll:
        return "Scroll";
    case Change::State:
        return "State";
    }
    return "?";
}

// Records, in order, the table's events (with the RecNo seen inside the handler) and, in a
// second list, what attached controls are told.
class Recorder : public TableObserver {
public:
    explicit Recorder(TMemTable& table)
        : table_(table) {
        table.AddObserver(this);
        table.AfterScroll = [this](TMemTable& t) { note("AfterScroll", t); };
        table.AfterPost = [this](TMemTable& t) { note("AfterPost", t); };
        table.AfterDelete = [this](TMemTable& t) { note("AfterDelete", t); };
    }
    ~Recorder() { table_.RemoveObserver(this); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void tableChanged(TMemTable&, Change change) override {
        changes_.push_back(changeName(change));
    }
    void updateRecord(TMemTable& table) override {
        changes_.push_back("updateRecord");
        if (onUpdate)
            onUpdate(table);
    }

    std::vector<std::string> events() { return std::exchange(events_, {}); }
    std::vector<std::string> changes() { return std::exchange(changes_, {}); }
    void clear() {
        events_.clear();
        changes_.clear();
    }

    std::function<void(TMemTable&)> onUpdate;

private:
    void note(const char* name, TMemTable& t) {
        events_.push_back(std::string(name) + " " + std::to_string(t.RecNo()));
    }

    TMemTable& table_;
    std::vector<std::string> events_;
    std::vector<std::string> changes_;
};

// The drill table, open, holding the given words in nyelv1 (sorszam numbering them 1, 2, ...).
class TableTest : public ::testing::Test {
protected:
    TableTest() {
        DefineDrillFields(table);
        table.Open();
    }

    void add(std::string_view word, std::optional<int> number = std::nullopt) {
        table.Append();
        if (number)
            table.FieldByName("sorszam").SetAsInteger(*number);
        table.FieldByName("nyelv1").SetAsString(cp(word));
        table.Post();
    }

    void fill(std::initializer_list<std::string_view> words) {
        int number = 1;
        for (std::string_view w : words)
            add(w, number++);
        table.First();
    }

    std::string current() const { return table.FieldByName("nyelv1").AsString(); }

    // nyelv1 of every record in the current order.
    std::vector<std::string> words() const {
        std::vector<std::string> out;
        for (int row = 0; row < table.RecordCount(); ++row) {
            const TValue v = table.ValueAt(row, 1);
            out.push_back(isNull(v) ? "<null>" : std::get<std::string>(v));
        }
        return out;
    }

    std::string flags() const {
        return std::string(table.Bof() ? "B" : "-") + (table.Eof() ? "E" : "-");
    }

    template <typename F>
    std::string failure(F&& f) {
        try {
            f();
        } catch (const VembaError& e) {
            return e.what();
        }
        return "no failure";
    }

    TMemTable table{"Tbl"};
};

// ---- Fields --------------------------------------------------------------------------------

TEST(FieldTest, PropertiesAndDefaults) {
    TMemTable table("Tbl");
    TField& number = table.AddField("hanyszor", TFieldType::Integer, 0, cp("Hányszor?"));
    TField& text = table.AddField("nyelv1", TFieldType::String, 255, "nyelv1");
    TField& small = table.AddField("nyelv", TFieldType::String, 25);

    EXPECT_EQ(number.DisplayLabel(), cp("Hányszor?"));
    EXPECT_EQ(number.DisplayName(), cp("Hányszor?"));
    EXPECT_EQ(text.DisplayLabel(), "") << "a label equal to the name is stored empty";
    EXPECT_EQ(text.DisplayName(), "nyelv1");
    EXPECT_EQ(number.DisplayWidth(), 10);
    EXPECT_EQ(text.DisplayWidth(), 255);
    EXPECT_EQ(small.DisplayWidth(), 25);
    small.SetDisplayWidth(7);
    EXPECT_EQ(small.DisplayWidth(), 7);
    EXPECT_EQ(number.Alignment(), TAlignment::Right);
    EXPECT_EQ(text.Alignment(), TAlignment::Left);
    EXPECT_EQ(number.Size(), 0);
    EXPECT_EQ(text.Size(), 255);
    EXPECT_TRUE(text.Visible());
    EXPECT_FALSE(text.Required());
    EXPECT_FALSE(text.ReadOnly());
    EXPECT_EQ(text.FieldKind(), TFieldKind::Data);
    EXPECT_EQ(small.Index(), 2);
    number.SetDisplayLabel("hanyszor");
    EXPECT_EQ(number.DisplayLabel(), "");
}

TEST_F(TableTest, FieldLookupIgnoresCase) {
    EXPECT_EQ(&table.FieldByName("NYELV1"), &table.Fields(1));
    EXPECT_EQ(table.FindField("Sorszam"), &table.Fields(0));
    EXPECT_EQ(table.FindField("nyelv3"), nullptr);
    EXPECT_EQ(failure([&] { table.FieldByName("nyelv3"); }), "Tbl: Field 'nyelv3' not found");
    EXPECT_EQ(failure([&] { table.FieldValue("x"); }), "Tbl: Field 'x' not found");
}

TEST(FieldTest, AccentedNamesMatchInAnyCase) {
    TMemTable table("Tbl");
    table.AddField(cp("szó"), TFieldType::String, 10);
    EXPECT_NE(table.FindField(cp("SZÓ")), nullptr);
    EXPECT_EQ(table.FindField(cp("SZO")), nullptr) << "accents are letters of their own";
}

TEST(FieldTest, FieldsAreForAClosedTable) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    EXPECT_THROW(table.AddField("x", TFieldType::Integer), VembaError);
    EXPECT_THROW(table.ClearFields(), VembaError);
    table.Close();
    table.ClearFields();
    EXPECT_EQ(table.FieldCount(), 0);
}

// ---- Values --------------------------------------------------------------------------------

TEST_F(TableTest, StringsAreCutToSizeAndAtTheFirstNul) {
    table.Append();
    TField& text = table.FieldByName("nyelv1");
    text.SetAsString(std::string(300, 'x'));
    EXPECT_EQ(text.AsString(), std::string(255, 'x'));
    text.SetAsString(std::string("ab\0cd", 5));
    EXPECT_EQ(text.AsString(), "ab");
    text.SetAsString("");
    EXPECT_FALSE(text.IsNull()) << "an empty text is a value";
    table.Post();
    EXPECT_EQ(table.FieldValue("nyelv1"), TValue(std::string()));
    EXPECT_TRUE(table.FieldByName("nyelv2").IsNull()) << "a new record starts all null";
    EXPECT_EQ(table.FieldByName("nyelv2").AsString(), "");
    EXPECT_EQ(table.FieldByName("sorszam").AsInteger(), 0);
}

// A damaged file can define a string field of size 0; like any size, it is the limit.
TEST(TableValues, StringFieldOfSizeZeroHoldsOnlyEmptyText) {
    TMemTable table("Tbl");
    table.AddField("nyelv1", TFieldType::String, 0);
    table.Open();
    table.Append();
    table.FieldByName("nyelv1").SetAsString("alma");
    table.Post();
    EXPECT_EQ(table.FieldValue("nyelv1"), TValue(std::string()));
}

struct IntegerCase {
    const char* name;
    const char* text;
    std::optional<std::int32_t> stored; // nullopt: stored null
    bool fails;
};

class IntegerTextTest : public TableTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(IntegerTextTest, TextWrittenToAnIntegerField) {
    const IntegerCase& c = GetParam();
    table.Append();
    TField& number = table.FieldByName("sorszam");
    number.SetAsInteger(77);
    if (c.fails) {
        EXPECT_EQ(failure([&] { number.SetAsString(c.text); }),
                  "'" + std::string(c.text) + "' is not a valid integer value for field 'sorszam'");
        EXPECT_EQ(number.AsInteger(), 77) << "a failed write keeps the old value";
        EXPECT_EQ(table.State(), TDataSetState::Insert);
        return;
    }
    number.SetAsString(c.text);
    if (c.stored) {
        EXPECT_EQ(number.Value(), TValue(*c.stored));
        EXPECT_EQ(number.AsString(), std::to_string(*c.stored));
    } else {
        EXPECT_TRUE(number.IsNull());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerTextTest,
    ::testing::Values(IntegerCase{"plain", "42", 42, false},
                      IntegerCase{"negative", "-5", -5, false},
                      IntegerCase{"plus_sign", "+7", 7, false},
                      IntegerCase{"blanks_around", " 12 ", 12, false},
                      IntegerCase{"largest", "2147483647", 2147483647, false},
                      IntegerCase{"smallest", "-2147483648", -2147483647 - 1, false},
                      IntegerCase{"empty_is_null", "", std::nullopt, false},
                      IntegerCase{"letters", "abc", std::nullopt, true},
                      IntegerCase{"fraction", "1.5", std::nullopt, true},
                      IntegerCase{"too_large", "2147483648", std::nullopt, true},
                      IntegerCase{"two_signs", "+-3", std::nullopt, true},
                      IntegerCase{"sign_alone", "-", std::nullopt, true},
                      IntegerCase{"inner_blank", "1 2", std::nullopt, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableTest, InvalidIntegerNamesTheDisplayName) {
    table.Close();
    table.ClearFields();
    table.AddField("hanyszor", TFieldType::Integer, 0, cp("Hányszor?"));
    table.Open();
    table.Append();
    EXPECT_EQ(failure([&] { table.SetFieldValue("hanyszor", std::string("x1")); }),
              cp("'x1' is not a valid integer value for field 'Hányszor?'"));
}

TEST_F(TableTest, ValuesConvertToTheFieldType) {
    table.Append();
    table.SetFieldValue("nyelv1", std::int32_t(-12));
    table.SetFieldValue("sorszam", std::string("31"));
    table.SetFieldValue("nyelv2", std::string("x"));
    table.SetFieldValue("nyelv2", TValue());
    EXPECT_EQ(table.FieldValue("nyelv1"), TValue(std::string("-12")));
    EXPECT_EQ(table.FieldValue("sorszam"), TValue(std::int32_t(31)));
    EXPECT_TRUE(isNull(table.FieldValue("nyelv2")));
    EXPECT_TRUE(table.Modified());
}

TEST_F(TableTest, WritingOutsideEditFails) {
    fill({"alma"});
    EXPECT_EQ(failure([&] { table.FieldByName("nyelv1").SetAsString("x"); }),
              "Tbl: Dataset is not in edit mode.");
    EXPECT_EQ(failure([&] { table.FieldByName("nyelv1").Clear(); }),
              "Tbl: Dataset is not in edit mode.");
    EXPECT_EQ(current(), "alma");
}

// ---- Failures ------------------------------------------------------------------------------

struct ClosedCase {
    const char* name;
    std::function<void(TMemTable&)> op;
};

class ClosedTableTest : public ::testing::TestWithParam<ClosedCase> {};

TEST_P(ClosedTableTest, FailsWithTheClosedMessage) {
    TMemTable table("Tbl1");
    DefineDrillFields(table);
    try {
        GetParam().op(table);
        FAIL() << "no failure";
    } catch (const VembaError& e) {
        EXPECT_STREQ(e.what(), "Tbl1: Cannot perform this operation on a closed dataset");
    }
    EXPECT_FALSE(table.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosedTableTest,
    ::testing::Values(ClosedCase{"First", [](TMemTable& t) { t.First(); }},
                      ClosedCase{"Next", [](TMemTable& t) { t.Next(); }},
                      ClosedCase{"RecordCount", [](TMemTable& t) { t.RecordCount(); }},
                      ClosedCase{"SetRecNo", [](TMemTable& t) { t.SetRecNo(1); }},
                      ClosedCase{"Locate", [](TMemTable& t) { t.Locate("nyelv1", TValue()); }},
                      ClosedCase{"Insert", [](TMemTable& t) { t.Insert(); }},
                      ClosedCase{"Append", [](TMemTable& t) { t.Append(); }},
                      ClosedCase{"Edit", [](TMemTable& t) { t.Edit(); }},
                      ClosedCase{"Post", [](TMemTable& t) { t.Post(); }},
                      ClosedCase{"Delete", [](TMemTable& t) { t.Delete(); }},
                      ClosedCase{"EmptyTable", [](TMemTable& t) { t.EmptyTable(); }},
                      ClosedCase{"ValueAt", [](TMemTable& t) { t.ValueAt(0, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClosedTable, ReadsAndHarmlessCallsDoNotFail) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    EXPECT_EQ(table.State(), TDataSetState::Inactive);
    EXPECT_TRUE(table.Bof());
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.RecNo(), -1);
    EXPECT_TRUE(table.GetBookmark().isNull());
    EXPECT_TRUE(isNull(table.FieldValue("nyelv1")));
    table.Cancel();
    table.Close();
    table.SortOn("nyelv1");
    table.GotoBookmark(TBookmark{});
}

TEST_F(TableTest, DeleteOnAnEmptyTableFails) {
    EXPECT_EQ(failure([&] { table.Delete(); }),
              "Tbl: Cannot perform this operation on an empty dataset");
}

TEST_F(TableTest, PostOutsideEditFails) {
    fill({"alma"});
    EXPECT_EQ(failure([&] { table.Post(); }), "Tbl: Dataset not in edit or insert mode");
}

TEST_F(TableTest, MessagesCarryTheTableName) {
    TMemTable other("DataSource1Tbl");
    other.Open();
    EXPECT_EQ(failure([&] { other.Delete(); }),
              "DataSource1Tbl: Cannot perform this operation on an empty dataset");
}

// ---- Opening and closing -------------------------------------------------------------------

TEST_F(TableTest, OpenGivesAnEmptyTableInRowOrder) {
    fill({"b", "a"});
    table.SortOn("nyelv1");
    table.Close();
    EXPECT_EQ(table.FieldCount(), 3) << "the fields stay";
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.Sorted());
    EXPECT_EQ(flags(), "BE");
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    fill({"b", "a"});
    EXPECT_THAT(words(), ElementsAre("b", "a"));
}

TEST_F(TableTest, CloseDropsAPendingChange) {
    fill({"a"});
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("x");
    table.Close();
    EXPECT_EQ(table.State(), TDataSetState::Inactive);
    EXPECT_FALSE(table.Modified());
    table.Open();
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(TableTest, EmptyTableKeepsFieldsAndSortAndFiresNothing) {
    fill({"b", "a"});
    table.SortOn("nyelv1");
    Recorder rec(table);
    table.EmptyTable();
    EXPECT_THAT(rec.events(), IsEmpty());
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet"));
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_TRUE(table.Sorted());
    EXPECT_EQ(flags(), "BE");
    fill({"d", "c"});
    EXPECT_THAT(words(), ElementsAre("c", "d")) << "the sort order stays current";
}

// ---- Navigation ----------------------------------------------------------------------------

TEST_F(TableTest, NextRunsOffTheEndOnce) {
    fill({"a", "b"});
    Recorder rec(table);
    EXPECT_EQ(flags(), "B-");
    table.Next();
    EXPECT_EQ(current(), "b");
    EXPECT_EQ(flags(), "--");
    table.Next();
    EXPECT_EQ(current(), "b") << "the last record stays current";
    EXPECT_EQ(flags(), "-E");
    table.Next();
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll 2", "AfterScroll 2"));
    table.First();
    EXPECT_EQ(current(), "a");
    EXPECT_EQ(flags(), "B-");
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll 1"));
}

TEST_F(TableTest, FirstOnAnEmptyTableFiresAndNextDoesNot) {
    Recorder rec(table);
    table.First();
    table.Next();
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1"));
    EXPECT_EQ(flags(), "BE");
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.RecNo(), -1);
}

TEST_F(TableTest, SetRecNoMakesThatRowCurrent) {
    fill({"a", "b", "c"});
    Recorder rec(table);
    table.SetRecNo(3);
    EXPECT_EQ(current(), "c");
    EXPECT_EQ(flags(), "--");
    table.SetRecNo(0);
    table.SetRecNo(4);
    EXPECT_EQ(current(), "c") << "a row that does not exist is ignored";
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll 3"));
    EXPECT_THAT(rec.changes(), ElementsAre("Scroll"));
}

// ---- Changing records: cursor and events ---------------------------------------------------

TEST_F(TableTest, InsertThenPostPutsTheRecordInFrontOfTheCurrentOne) {
    fill({"a", "b", "c"});
    table.Next();
    Recorder rec(table);
    table.Insert();
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    EXPECT_EQ(table.RecordCount(), 3) << "not counted before it is posted";
    table.FieldByName("nyelv1").SetAsString("new");
    table.Post();
    EXPECT_THAT(words(), ElementsAre("a", "new", "b", "c"));
    EXPECT_EQ(current(), "new");
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1", "AfterPost 2"));
}

TEST_F(TableTest, CancelOfInsertReturnsToThePreviousRecord) {
    fill({"a", "b", "c"});
    table.Next();
    table.Next();
    Recorder rec(table);
    table.Insert();
    table.FieldByName("nyelv1").SetAsString("new");
    table.Cancel();
    EXPECT_EQ(current(), "c");
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_THAT(words(), ElementsAre("a", "b", "c"));
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1", "AfterScroll 3"));
}

TEST_F(TableTest, AppendGoesToTheEnd) {
    fill({"a", "b"});
    Recorder rec(table);
    table.Append();
    table.FieldByName("nyelv1").SetAsString("z");
    table.Post();
    EXPECT_THAT(words(), ElementsAre("a", "b", "z"));
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1", "AfterPost 3"));
}

TEST_F(TableTest, InsertIntoAnEmptyTable) {
    table.Insert();
    table.FieldByName("nyelv1").SetAsString("a");
    table.Post();
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(flags(), "--");
}

TEST_F(TableTest, EditOnAnEmptyTableStartsAnInsert) {
    Recorder rec(table);
    table.Edit();
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1"));
}

TEST_F(TableTest, EditAndCancelKeepTheRecord) {
    fill({"a", "b"});
    table.Next();
    Recorder rec(table);
    table.Edit();
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("x");
    EXPECT_EQ(current(), "x") << "fields show the working copy";
    EXPECT_EQ(std::get<std::string>(table.ValueAt(1, 1)), "b") << "the stored record is unchanged";
    table.Cancel();
    EXPECT_EQ(current(), "b");
    EXPECT_THAT(rec.events(), IsEmpty());
    table.Cancel();
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

TEST_F(TableTest, RecNoInsideTheScrollOfInsertIsMinusOne) {
    fill({"a"});
    int seen = 0;
    table.AfterScroll = [&](TMemTable& t) { seen = t.RecNo(); };
    table.Insert();
    EXPECT_EQ(seen, -1);
    EXPECT_EQ(table.RecNo(), -1);
    EXPECT_TRUE(table.GetBookmark().isNull());
}

struct DeleteCase {
    const char* name;
    std::vector<std::string_view> records;
    int deleteRecNo;
    std::vector<std::string> left;
    std::string current; // empty: no record left
};

class DeleteTest : public TableTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, CursorStaysAtThePosition) {
    const DeleteCase& c = GetParam();
    int number = 1;
    for (std::string_view w : c.records)
        add(w, number++);
    table.SetRecNo(c.deleteRecNo);
    Recorder rec(table);
    table.Delete();
    EXPECT_EQ(words(), c.left);
    const int recNo =
        c.current.empty()
            ? -1
            : int(std::find(c.left.begin(), c.left.end(), c.current) - c.left.begin()) + 1;
    EXPECT_THAT(rec.events(), ElementsAre("AfterDelete " + std::to_string(recNo),
                                          "AfterScroll " + std::to_string(recNo)));
    if (c.current.empty()) {
        EXPECT_EQ(flags(), "BE");
        EXPECT_EQ(table.RecordCount(), 0);
    } else {
        EXPECT_EQ(current(), c.current);
        EXPECT_EQ(flags(), "--");
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, DeleteTest,
                         ::testing::Values(DeleteCase{"first", {"a", "b", "c"}, 1, {"b", "c"}, "b"},
                                           DeleteCase{
                                               "middle", {"a", "b", "c"}, 2, {"a", "c"}, "c"},
                                           DeleteCase{"last", {"a", "b", "c"}, 3, {"a", "b"}, "b"},
                                           DeleteCase{"only", {"a"}, 1, {}, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableTest, DeleteDuringEditDropsTheChange) {
    fill({"a", "b"});
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("x");
    table.Delete();
    EXPECT_THAT(words(), ElementsAre("b"));
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

TEST_F(TableTest, DeleteDuringInsertCancels) {
    fill({"a", "b"});
    table.Next();
    Recorder rec(table);
    table.Insert();
    table.Delete();
    EXPECT_THAT(words(), ElementsAre("a", "b"));
    EXPECT_EQ(current(), "b");
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1", "AfterScroll 2"));
}

// ---- Sort order ----------------------------------------------------------------------------

TEST_F(TableTest, SortOnKeepsTheCurrentRecord) {
    fill({"c", "a", "b"});
    table.Next();
    table.Next();
    table.Next();
    ASSERT_EQ(flags(), "-E");
    Recorder rec(table);
    table.SortOn("nyelv1");
    EXPECT_THAT(words(), ElementsAre("a", "b", "c"));
    EXPECT_EQ(current(), "b");
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(flags(), "--");
    EXPECT_THAT(rec.events(), IsEmpty());
    table.SortOn("  ");
    EXPECT_FALSE(table.Sorted());
    EXPECT_THAT(words(), ElementsAre("c", "a", "b"));
    EXPECT_EQ(table.RecNo(), 3);
}

TEST_F(TableTest, SortOnAnEmptyTableDoesFirst) {
    Recorder rec(table);
    table.SortOn("nyelv1");
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll -1"));
    EXPECT_TRUE(table.Sorted());
}

TEST_F(TableTest, SortOnAClosedTableIsNotRemembered) {
    table.Close();
    table.SortOn("nyelv1");
    table.Open();
    fill({"b", "a"});
    EXPECT_FALSE(table.Sorted());
    EXPECT_THAT(words(), ElementsAre("b", "a"));
}

TEST_F(TableTest, SortOnAnUnknownFieldChangesNothing) {
    fill({"b", "a", "c"});
    table.SortOn("nyelv1");
    table.Edit();
    table.FieldByName("nyelv2").SetAsString("x");
    EXPECT_EQ(failure([&] { table.SortOn("nyelv1; nincs"); }), "Tbl: Field 'nincs' not found");
    EXPECT_EQ(table.State(), TDataSetState::Edit) << "the pending change is not finished";
    EXPECT_THAT(words(), ElementsAre("a", "b", "c"));
}

TEST_F(TableTest, SortOnSeveralFieldsAndNulls) {
    add("b", 2);
    add("a", std::nullopt);
    add("c", -5);
    add("a", 3);
    add("d", 2);
    table.SortOn(" sorszam ; nyelv1 ");
    EXPECT_THAT(words(), ElementsAre("a", "c", "b", "d", "a"));
    EXPECT_TRUE(isNull(table.ValueAt(0, 0))) << "null sorts before every number";
    EXPECT_EQ(table.ValueAt(1, 0), TValue(std::int32_t(-5)));
}

TEST_F(TableTest, SortIgnoringCaseKeepsEqualKeysInSlotOrder) {
    fill({"b", "A", "a", "B", "a"});
    table.SortOn("nyelv1", TOption::CaseInsensitive);
    EXPECT_THAT(words(), ElementsAre("A", "a", "a", "b", "B"));
    std::vector<std::int32_t> numbers;
    for (int row = 0; row < table.RecordCount(); ++row)
        numbers.push_back(std::get<std::int32_t>(table.ValueAt(row, 0)));
    EXPECT_THAT(numbers, ElementsAre(2, 3, 5, 1, 4));
    table.SortOn("nyelv1");
    EXPECT_THAT(words(), ElementsAre("a", "a", "A", "b", "B"));
}

TEST_F(TableTest, PostKeepsTheSortOrder) {
    fill({"b", "d", "f"});
    table.SortOn("nyelv1");
    table.SetRecNo(2); // d
    Recorder rec(table);
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("a");
    table.Post();
    EXPECT_THAT(words(), ElementsAre("a", "b", "f"));
    EXPECT_EQ(current(), "b") << "the record now at the edited position is current";
    EXPECT_THAT(rec.events(), ElementsAre("AfterPost 2"));

    table.SetRecNo(1);
    table.Insert();
    table.FieldByName("nyelv1").SetAsString("e");
    table.Post();
    EXPECT_THAT(words(), ElementsAre("a", "b", "e", "f"));
    EXPECT_EQ(current(), "a") << "the inserted record landed elsewhere";

    table.SetRecNo(2);
    table.Append();
    table.FieldByName("nyelv1").SetAsString("c");
    table.Post();
    EXPECT_THAT(words(), ElementsAre("a", "b", "c", "e", "f"));
    EXPECT_EQ(current(), "f") << "after Append the last position is current";
    table.SortOn("");
    EXPECT_THAT(words(), ElementsAre("b", "a", "f", "e", "c"))
        << "inserts go to the end of the row order";
}

struct MoveCase {
    const char* name;
    int editRecNo;
    const char* field;
    const char* value;
    std::vector<std::int32_t> order; // sorszam in the sort order after Post
    std::int32_t current;
};

class EditMoveTest : public TableTest, public ::testing::WithParamInterface<MoveCase> {};

// b (1), d (2), f (3) sorted on nyelv1; one record is edited and posted.
TEST_P(EditMoveTest, OnlyTheEditedRecordMoves) {
    const MoveCase& c = GetParam();
    fill({"b", "d", "f"});
    table.SortOn("nyelv1");
    table.SetRecNo(c.editRecNo);
    table.Edit();
    table.FieldByName(c.field).SetAsString(c.value);
    table.Post();
    std::vector<std::int32_t> order;
    for (int row = 0; row < table.RecordCount(); ++row)
        order.push_back(std::get<std::int32_t>(table.ValueAt(row, 0)));
    EXPECT_EQ(order, c.order);
    EXPECT_EQ(table.FieldByName("sorszam").AsInteger(), c.current);
    EXPECT_EQ(table.RecNo(), c.editRecNo) << "the cursor keeps its position";
}

INSTANTIATE_TEST_SUITE_P(
    Moves, EditMoveTest,
    ::testing::Values(MoveCase{"to_the_front", 2, "nyelv1", "a", {2, 1, 3}, 1},
                      MoveCase{"to_the_end", 1, "nyelv1", "z", {2, 3, 1}, 2},
                      MoveCase{"in_front_of_an_equal_one", 3, "nyelv1", "d", {1, 3, 2}, 2},
                      MoveCase{"back_in_front_of_an_equal_one", 1, "nyelv1", "d", {1, 2, 3}, 1},
                      MoveCase{"other_field", 2, "nyelv2", "x", {1, 2, 3}, 2},
                      MoveCase{"empty_text_first", 3, "nyelv1", "", {3, 1, 2}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableTest, PostWithEqualSortKeyKeepsThePlace) {
    fill({"a", "a", "a"});
    table.SortOn("nyelv1");
    table.SetRecNo(2);
    table.Edit();
    table.FieldByName("nyelv2").SetAsString("x");
    table.Post();
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(table.FieldByName("nyelv2").AsString(), "x");
    table.SetRecNo(3);
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("A");
    table.FieldByName("nyelv1").SetAsString("a");
    table.Post();
    EXPECT_EQ(std::get<std::int32_t>(table.ValueAt(2, 0)), 3);
}

TEST_F(TableTest, ChangedRecordGoesInFrontOfEqualOnes) {
    fill({"b", "b", "c"});
    table.SortOn("nyelv1");
    table.SetRecNo(3);
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("b");
    table.Post();
    std::vector<std::int32_t> numbers;
    for (int row = 0; row < 3; ++row)
        numbers.push_back(std::get<std::int32_t>(table.ValueAt(row, 0)));
    EXPECT_THAT(numbers, ElementsAre(3, 1, 2));
}

// ---- Finishing a pending change (*) --------------------------------------------------------

struct PendingCase {
    const char* name;
    TDataSetState after;
    // Runs the operation; the marker names the second record of the row order.
    std::function<void(TMemTable&, const TBookmark&)> op;
};

class PendingTest : public TableTest, public ::testing::WithParamInterface<PendingCase> {
protected:
    TBookmark secondRecord() {
        table.SetRecNo(2);
        const TBookmark mark = table.GetBookmark();
        table.First();
        return mark;
    }
};

TEST_P(PendingTest, ChangedWorkingCopyIsPosted) {
    fill({"a", "b"});
    const TBookmark second = secondRecord();
    table.Insert();
    table.FieldByName("nyelv1").SetAsString("new");
    Recorder rec(table);
    GetParam().op(table, second);
    EXPECT_EQ(table.State(), GetParam().after);
    EXPECT_EQ(rec.events().front(), "AfterPost 1");
    table.SortOn("");
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(std::get<std::string>(table.ValueAt(0, 1)), "new");
}

TEST_P(PendingTest, UntouchedWorkingCopyIsDropped) {
    fill({"a", "b"});
    const TBookmark second = secondRecord();
    table.Insert();
    Recorder rec(table);
    GetParam().op(table, second);
    EXPECT_EQ(table.State(), GetParam().after);
    for (const std::string& e : rec.events())
        EXPECT_NE(e.rfind("AfterPost", 0), 0u) << e;
    table.SortOn("");
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST_P(PendingTest, ChangedEditIsPosted) {
    fill({"a", "b"});
    const TBookmark second = secondRecord();
    table.Edit();
    table.FieldByName("nyelv2").SetAsString("x");
    GetParam().op(table, second);
    table.SortOn("");
    EXPECT_EQ(std::get<std::string>(table.ValueAt(0, 2)), "x");
}

INSTANTIATE_TEST_SUITE_P(
    Operations, PendingTest,
    ::testing::Values(
        PendingCase{"First", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark&) { t.First(); }},
        PendingCase{"Next", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark&) { t.Next(); }},
        PendingCase{"SetRecNo", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark&) { t.SetRecNo(2); }},
        PendingCase{"SortOn", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark&) { t.SortOn("nyelv2"); }},
        PendingCase{"Locate", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark&) { t.Locate("nyelv1", std::string("b")); }},
        PendingCase{"Insert", TDataSetState::Insert,
                    [](TMemTable& t, const TBookmark&) { t.Insert(); }},
        PendingCase{"Append", TDataSetState::Insert,
                    [](TMemTable& t, const TBookmark&) { t.Append(); }},
        PendingCase{"GotoBookmark", TDataSetState::Browse,
                    [](TMemTable& t, const TBookmark& second) { t.GotoBookmark(second); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableTest, EmptyTablePostsAChangedWorkingCopyFirst) {
    fill({"a"});
    table.Append();
    table.FieldByName("nyelv1").SetAsString("b");
    Recorder rec(table);
    table.EmptyTable();
    EXPECT_THAT(rec.events(), ElementsAre("AfterPost 2"));
    EXPECT_EQ(table.RecordCount(), 0);
}

// ---- Bookmarks -----------------------------------------------------------------------------

TEST_F(TableTest, BookmarkFollowsTheRecordIntoAnotherOrder) {
    fill({"c", "a", "b"});
    TBookmark mark = table.GetBookmark();
    EXPECT_EQ(mark, table.Bookmark());
    table.SortOn("nyelv1");
    table.First();
    Recorder rec(table);
    table.GotoBookmark(mark);
    EXPECT_EQ(current(), "c");
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(flags(), "--");
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll 3"));
    table.First();
    table.SetBookmark(mark);
    EXPECT_EQ(current(), "c");
    table.FreeBookmark(mark);
    EXPECT_TRUE(mark.isNull());
}

TEST_F(TableTest, BookmarkOfADeletedRecordDoesNothing) {
    fill({"a", "b", "c"});
    table.Next();
    const TBookmark gone = table.GetBookmark();
    table.Delete();
    add("new"); // takes the freed slot
    table.First();
    Recorder rec(table);
    table.GotoBookmark(gone);
    table.GotoBookmark(TBookmark{});
    EXPECT_EQ(current(), "a");
    EXPECT_THAT(rec.events(), IsEmpty());
}

TEST_F(TableTest, BookmarksDoNotSurviveEmptyTable) {
    fill({"a", "b"});
    table.Next();
    const TBookmark old = table.GetBookmark();
    table.EmptyTable();
    fill({"x", "y"});
    table.GotoBookmark(old);
    EXPECT_EQ(current(), "x");
}

// ---- Slots ---------------------------------------------------------------------------------

// Ties in a sort are broken by slot, which shows how slots are reused.
TEST_F(TableTest, FreedSlotsAreReusedLastInFirstOut) {
    fill({"k", "k", "k", "k"}); // slots 0..3, numbers 1..4
    table.SetRecNo(2);
    table.Delete(); // frees slot 1
    table.SetRecNo(3);
    table.Delete(); // frees slot 3 (number 4)
    add("k", 5);    // slot 3
    add("k", 6);    // slot 1
    add("k", 7);    // slot 4
    table.SortOn("nyelv1");
    std::vector<std::int32_t> numbers;
    for (int row = 0; row < table.RecordCount(); ++row)
        numbers.push_back(std::get<std::int32_t>(table.ValueAt(row, 0)));
    EXPECT_THAT(numbers, ElementsAre(1, 6, 3, 5, 7));
}

TEST_F(TableTest, EmptyTableRestartsSlotNumbering) {
    fill({"k", "k", "k"});
    table.SetRecNo(1);
    table.Delete();
    table.SetRecNo(1);
    table.Delete(); // slots 0 and 1 free: without a restart slot 1 would be taken first
    table.EmptyTable();
    add("k", 1);
    add("k", 2);
    table.SortOn("nyelv1");
    EXPECT_EQ(std::get<std::int32_t>(table.ValueAt(0, 0)), 1);
}

// ---- Attached controls ---------------------------------------------------------------------

TEST_F(TableTest, ControlsHearEveryKindOfChange) {
    Recorder rec(table);
    table.Close();
    table.Open();
    EXPECT_THAT(rec.changes(), ElementsAre("Active", "Active"));
    table.Append();
    EXPECT_THAT(rec.changes(), ElementsAre("State", "Scroll"));
    table.FieldByName("nyelv1").SetAsString("a");
    EXPECT_THAT(rec.changes(), ElementsAre("Record"));
    table.Post();
    EXPECT_THAT(rec.changes(), ElementsAre("updateRecord", "DataSet", "State"));
    table.Edit();
    table.Cancel();
    EXPECT_THAT(rec.changes(), ElementsAre("State", "State", "Record"));
    table.First();
    EXPECT_THAT(rec.changes(), ElementsAre("Scroll"));
    table.SortOn("nyelv1");
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet", "Scroll"));
    table.Delete();
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet", "Scroll"));
}

TEST_F(TableTest, DisabledControlsHearNothingUntilTheLastEnable) {
    fill({"a", "b"});
    Recorder rec(table);
    table.DisableControls();
    table.DisableControls();
    EXPECT_TRUE(table.ControlsDisabled());
    table.Next();
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("x");
    table.Post();
    table.EnableControls();
    EXPECT_THAT(rec.changes(), ElementsAre("updateRecord")) << "Post still asks for edits";
    EXPECT_THAT(rec.events(), ElementsAre("AfterScroll 2", "AfterPost 2")) << "events still fire";
    table.EnableControls();
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet"));
    table.EnableControls();
    EXPECT_THAT(rec.changes(), IsEmpty()) << "an extra enable is ignored";
}

TEST_F(TableTest, PostAsksEditControlsFirstAlsoWhileControlsAreDisabled) {
    fill({"a", "b"});
    Recorder rec(table);
    rec.onUpdate = [](TMemTable& t) { t.FieldByName("nyelv2").SetAsString("typed"); };
    table.Edit();
    table.Post();
    EXPECT_EQ(table.FieldByName("nyelv2").AsString(), "typed");

    table.Next();
    table.Edit();
    {
        const QuietControls quiet(table);
        table.Post();
    }
    EXPECT_EQ(table.FieldByName("nyelv2").AsString(), "typed") << "the typing is not lost";
}

// A load finishes the change in progress first, and that change gets the edit box's typing;
// the records the load reads get nothing from it.
TEST_F(TableTest, LoadAsksForEditsOnlyForTheChangeInProgress) {
    fill({"a"});
    Recorder rec(table);
    bool typed = true;
    rec.onUpdate = [&](TMemTable& t) {
        if (std::exchange(typed, false))
            t.FieldByName("nyelv2").SetAsString("typed");
    };
    table.Edit();
    table.FieldByName("nyelv1").SetAsString("b");
    rec.clear();
    table.BeginLoad();
    table.Append(); // posts the edit
    table.FieldByName("nyelv1").SetAsString("read");
    typed = true;
    table.Post();
    table.FinishLoad();
    EXPECT_THAT(rec.changes(), ElementsAre("updateRecord", "DataSet"));
    EXPECT_EQ(std::get<std::string>(table.ValueAt(0, 2)), "typed");
    EXPECT_TRUE(isNull(table.ValueAt(1, 2)));
}

TEST_F(TableTest, ObserverMayDetachWhileBeingTold) {
    struct Leaver : TableObserver {
        int calls = 0;
        void tableChanged(TMemTable& t, Change) override {
            ++calls;
            t.RemoveObserver(this);
        }
    } leaver;
    Recorder rec(table);
    table.AddObserver(&leaver);
    table.AddObserver(&leaver);
    table.First();
    table.First();
    EXPECT_EQ(leaver.calls, 1);
    EXPECT_THAT(rec.changes(), ElementsAre("Scroll", "Scroll"));
}

TEST_F(TableTest, HandlerMayReplaceItself) {
    fill({"a"});
    int calls = 0;
    table.AfterScroll = [&](TMemTable& t) {
        ++calls;
        t.AfterScroll = nullptr;
    };
    table.First();
    table.First();
    EXPECT_EQ(calls, 1);
}

// ---- Collation failure ---------------------------------------------------------------------

// The collation's own message reaches the caller without the table's name, and the failed
// sort leaves the order as it was.
TEST(TableCollation, FailingCollationGivesInvalidLocaleWithoutPrefix) {
    TMemTable table("Tbl", Collation::fromLocaleId("hu@colStrength=nonsense"));
    DefineDrillFields(table);
    table.Open();
    for (const char* word : {"b", "a"}) {
        table.Append();
        table.FieldByName("nyelv1").SetAsString(word);
        table.Post();
    }
    table.First();
    auto message = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const VembaError& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(message([&] { table.SortOn("nyelv1"); }), "Invalid locale.");
    EXPECT_FALSE(table.Sorted());
    EXPECT_EQ(message([&] { table.Locate("nyelv1", std::string("a")); }), "Invalid locale.");
    EXPECT_EQ(table.RecNo(), 1);
    table.SortOn("sorszam");
    EXPECT_TRUE(table.Sorted()) << "numbers need no collation";
}

// ---- Loading -------------------------------------------------------------------------------

TEST_F(TableTest, LoadStoresRecordsAndRebuildsTheOrdersOnce) {
    fill({"m", "n"});
    table.SetRecNo(1);
    table.Delete(); // slot 0 free: the next record takes it
    table.SortOn("nyelv1");
    Recorder rec(table);
    table.BeginLoad();
    EXPECT_TRUE(table.ControlsDisabled());
    for (const char* w : {"b", "a", "c"}) {
        table.Append();
        table.FieldByName("nyelv1").SetAsString(w);
        table.Post();
    }
    table.Append();
    table.FieldByName("nyelv1").SetAsString("a"); // pending: posted by FinishLoad
    EXPECT_EQ(rec.events().size(), 7u) << "AfterScroll and AfterPost per record";
    table.FinishLoad();
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_THAT(rec.events(), ElementsAre("AfterPost 5", "AfterScroll 1"));
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet"));
    EXPECT_THAT(words(), ElementsAre("a", "a", "b", "c", "n"));
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(flags(), "B-");
    table.SortOn("");
    EXPECT_THAT(words(), ElementsAre("b", "n", "a", "c", "a")) << "row order is slot order";
}

TEST_F(TableTest, FinishLoadDropsAnUntouchedRecord) {
    table.BeginLoad();
    table.Append();
    table.FieldByName("nyelv1").SetAsString("a");
    table.Post();
    table.Append();
    table.FinishLoad();
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

TEST_F(TableTest, FinishLoadOnAClosedTableOnlyEnablesControls) {
    table.BeginLoad();
    table.Close();
    table.FinishLoad();
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_FALSE(table.Active());
}

TEST_F(TableTest, LoadIntoAClosedAndReopenedTable) {
    Recorder rec(table);
    table.BeginLoad();
    table.Close();
    table.ClearFields();
    table.AddField("nev", TFieldType::String, 50, cp("Teszt neve"));
    table.Open();
    table.Append();
    table.FieldByName("nev").SetAsString("x");
    table.Post();
    table.FinishLoad();
    EXPECT_THAT(rec.changes(), ElementsAre("DataSet"));
    EXPECT_EQ(table.FieldByName("nev").AsString(), "x");
}

} // namespace

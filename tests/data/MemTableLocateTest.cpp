// Locate and the sort order checked against plain reference implementations: a scan from the
// first record, and a stable sort in slot order.

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace {

constexpr int Number = 0;
constexpr int First = 1;
constexpr int Second = 2;

// Random Hungarian-looking words: accented vowels, the digraphs and trigraph and their
// doubled forms, letters in either case, and words that extend other words.
class WordMaker {
public:
    explicit WordMaker(unsigned seed)
        : rng_(seed) {}

    std::string word() {
        if (!made_.empty() && chance(25))
            return made_[pick(made_.size())] + piece(); // shares a prefix with an earlier word
        std::string w;
        const size_t pieces = 1 + pick(4);
        for (size_t i = 0; i < pieces; ++i)
            w += piece();
        made_.push_back(w);
        return w;
    }

    // A text to search for: mostly prefixes of words, in any case, sometimes ending inside
    // a digraph.
    std::string value(const std::vector<std::string>& words) {
        const size_t kind = pick(10);
        if (kind == 0)
            return word();
        if (kind == 1)
            return cp(Tails[pick(std::size(Tails))]);
        if (words.empty())
            return {};
        std::string w = words[pick(words.size())];
        if (kind < 8)
            w.resize(pick(w.size() + 1));
        return recase(w);
    }

    std::string recase(std::string w) {
        const size_t how = pick(4);
        if (how == 0)
            return w;
        QString text = fromCp1250(w);
        if (how == 1)
            text = text.toUpper();
        else if (how == 2 && !text.isEmpty())
            text[0] = text[0].toUpper();
        else
            for (auto& ch : text)
                ch = chance(50) ? ch.toUpper() : ch.toLower();
        return toCp1250(text);
    }

    bool chance(int percent) { return int(pick(100)) < percent; }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

private:
    std::string piece() {
        std::string p = cp(Pieces[pick(std::size(Pieces))]);
        return chance(15) ? recase(p) : p;
    }

    static constexpr const char* Pieces[] = {
        "a",  "á",   "b",  "c",  "cs",  "ccs", "cz",  "d",    "dz",    "dzs",   "ddzs", "ddz",
        "e",  "é",   "g",  "gy", "ggy", "i",   "í",   "k",    "l",     "ly",    "lly",  "n",
        "ny", "nny", "o",  "ó",  "ö",   "ő",   "s",   "sz",   "ssz",   "t",     "ty",   "tty",
        "u",  "ú",   "ü",  "ű",  "z",   "zs",  "zzs", "alma", "ablak", "cukor", "csak", "-",
        "Á",  "Cs",  "CS", "Sz", "Zs",  "Gy",  "Ö",   "Ő",    " ",     "1"};
    static constexpr const char* Tails[] = {"c",  "C",   "cs", "Cs", "CS",  "cS", "cc", "ccs", "d",
                                            "dz", "dzs", "Dz", "dd", "ddz", "g",  "gy", "l",   "ly",
                                            "n",  "ny",  "s",  "sz", "ss",  "t",  "ty", "z",   "zs",
                                            "zz", "ö",   "Ö",  "o",  "ő",   "a",  "á",  ""};

    std::mt19937 rng_;
    std::vector<std::string> made_;
};

class LocateProperty : public ::testing::Test {
protected:
    LocateProperty() {
        DefineDrillFields(table);
        table.Open();
    }

    void fill(WordMaker& maker, int records) {
        for (int i = 0; i < records; ++i) {
            table.Append();
            table.Fields(Number).SetAsInteger(i);
            if (!maker.chance(6))
                table.Fields(First).SetAsString(maker.chance(2) ? std::string() : maker.word());
            table.Fields(Second).SetAsString(maker.word());
            table.Post();
        }
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (int row = 0; row < table.RecordCount(); ++row)
            if (const TValue v = table.ValueAt(row, First); !isNull(v))
                out.push_back(std::get<std::string>(v));
        return out;
    }

    // The first record of the current order that matches, 1-based, by a plain scan.
    std::optional<int> scan(const std::string& value, TOptions options) const {
        const bool partial = options.testFlag(TOption::PartialKey);
        const bool ignoreCase = options.testFlag(TOption::CaseInsensitive);
        for (int row = 0; row < table.RecordCount(); ++row) {
            const TValue v = table.ValueAt(row, First);
            if (isNull(v))
                continue;
            std::string text = std::get<std::string>(v);
            if (partial)
                text = text.substr(0, value.size());
            if (collation.compare(text, value, ignoreCase) == 0)
                return row + 1;
        }
        return std::nullopt;
    }

    // Locates every value with every combination of options and compares with the scan.
    void checkAgainstScan(WordMaker& maker, int queries) {
        const std::vector<std::string> words = texts();
        const TOptions combinations[] = {{},
                                         TOption::CaseInsensitive,
                                         TOption::PartialKey,
                                         TOption::CaseInsensitive | TOption::PartialKey};
        for (int q = 0; q < queries; ++q) {
            const std::string value = maker.value(words);
            for (const TOptions options : combinations) {
                table.SetRecNo(1 + int(maker.pick(size_t(table.RecordCount()))));
                const int before = table.RecNo();
                const std::optional<int> expected = scan(value, options);
                const bool found = table.Locate("nyelv1", value, options);
                ASSERT_EQ(found, expected.has_value())
                    << "value '" << fromCp1250(value).toStdString() << "' options " << int(options)
                    << " expected row " << expected.value_or(-1);
                ASSERT_EQ(table.RecNo(), expected.value_or(before))
                    << "value '" << fromCp1250(value).toStdString() << "' options " << int(options);
            }
        }
    }

    // Adjacent records are in order; equal ones (as the sort compares) by slot, which is the
    // sorszam number for records appended to a fresh table.
    void checkSorted(bool ignoreCase, bool bySlot, int field = First) const {
        for (int row = 1; row < table.RecordCount(); ++row) {
            const TValue a = table.ValueAt(row - 1, field);
            const TValue b = table.ValueAt(row, field);
            int c = 0;
            if (isNull(a) || isNull(b))
                c = int(!isNull(a)) - int(!isNull(b));
            else
                c = collation.compare(std::get<std::string>(a), std::get<std::string>(b),
                                      ignoreCase);
            ASSERT_LE(c, 0) << "row " << row;
            if (c == 0 && bySlot) {
                ASSERT_LT(std::get<std::int32_t>(table.ValueAt(row - 1, Number)),
                          std::get<std::int32_t>(table.ValueAt(row, Number)))
                    << "row " << row;
            }
        }
    }

    Collation collation;
    TMemTable table{"Tbl"};
};

struct SortMode {
    const char* name;
    const char* fields;
    TOptions options;
    int leading;
};

class LocateAgainstScan : public LocateProperty, public ::testing::WithParamInterface<SortMode> {};

TEST_P(LocateAgainstScan, FindsWhatTheScanFinds) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        WordMaker maker(seed);
        table.EmptyTable();
        fill(maker, 150 + int(seed) * 60);
        table.SortOn(GetParam().fields, GetParam().options);
        checkSorted(GetParam().options.testFlag(TOption::CaseInsensitive), false,
                    GetParam().leading);
        checkAgainstScan(maker, 250);
    }
}

TEST_P(LocateAgainstScan, StaysRightWhilePostsAndDeletesMoveRecords) {
    WordMaker maker(99);
    fill(maker, 120);
    table.SortOn(GetParam().fields, GetParam().options);
    for (int round = 0; round < 60; ++round) {
        table.SetRecNo(1 + int(maker.pick(size_t(table.RecordCount()))));
        switch (maker.pick(4)) {
        case 0:
            table.Delete();
            break;
        case 1:
            table.Insert();
            table.Fields(First).SetAsString(maker.word());
            table.Post();
            break;
        case 2:
            table.Append();
            table.Fields(First).SetAsString(maker.word());
            table.Post();
            break;
        default:
            table.Edit();
            if (maker.chance(10))
                table.Fields(First).Clear();
            else
                table.Fields(First).SetAsString(maker.word());
            table.Post();
        }
        checkSorted(GetParam().options.testFlag(TOption::CaseInsensitive), false,
                    GetParam().leading);
        checkAgainstScan(maker, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SortModes, LocateAgainstScan,
    ::testing::Values(SortMode{"case_sensitive", "nyelv1", {}, First},
                      SortMode{"ignoring_case", "nyelv1", TOption::CaseInsensitive, First},
                      SortMode{"two_fields", "nyelv1;nyelv2", TOption::CaseInsensitive, First},
                      SortMode{"other_field", "nyelv2", {}, Second}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocateProperty, SortMatchesAStableSortInSlotOrder) {
    WordMaker maker(7);
    fill(maker, 800);
    for (const bool ignoreCase : {false, true}) {
        std::vector<std::pair<TValue, std::int32_t>> expected;
        table.SortOn("");
        for (int row = 0; row < table.RecordCount(); ++row)
            expected.emplace_back(table.ValueAt(row, First),
                                  std::get<std::int32_t>(table.ValueAt(row, Number)));
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            if (isNull(a.first) || isNull(b.first))
                return isNull(a.first) && !isNull(b.first);
            return collation.compare(std::get<std::string>(a.first), std::get<std::string>(b.first),
                                     ignoreCase) < 0;
        });
        table.SortOn("nyelv1", ignoreCase ? TOptions(TOption::CaseInsensitive) : TOptions());
        for (int row = 0; row < table.RecordCount(); ++row)
            ASSERT_EQ(std::get<std::int32_t>(table.ValueAt(row, Number)),
                      expected[size_t(row)].second)
                << "row " << row << " ignoring case " << ignoreCase;
    }
}

// Large enough for the keys to be made on two threads.
TEST_F(LocateProperty, LargeSortIsOrderedWithTiesBySlot) {
    WordMaker maker(11);
    fill(maker, 30000);
    table.SortOn("nyelv1", TOption::CaseInsensitive);
    checkSorted(true, true);
    table.SortOn("nyelv1");
    checkSorted(false, true);
    checkAgainstScan(maker, 40);
}

// ---- Locate edge cases -----------------------------------------------------------------------

class LocateTest : public LocateProperty {
protected:
    void add(std::optional<int> number, const char* text) {
        table.Append();
        if (number)
            table.Fields(Number).SetAsInteger(*number);
        if (text)
            table.Fields(First).SetAsString(cp(text));
        table.Post();
    }
    std::string current() const { return fromCp1250(table.Fields(First).AsString()).toStdString(); }
};

TEST_F(LocateTest, CapitalsWithBothOptionsFindTheFirstInTheCurrentOrder) {
    add(1, "körte");
    add(2, "Almafa");
    add(3, "alma");
    add(4, "álom");
    table.First();
    int scrolls = 0;
    table.AfterScroll = [&](TMemTable&) { ++scrolls; };
    EXPECT_TRUE(table.Locate("nyelv1", cp("ALM"), TOption::CaseInsensitive | TOption::PartialKey));
    EXPECT_EQ(current(), "Almafa");
    EXPECT_EQ(scrolls, 1);
    EXPECT_FALSE(table.Bof());
    table.SortOn("nyelv1");
    EXPECT_TRUE(table.Locate("nyelv1", cp("ALM"), TOption::CaseInsensitive | TOption::PartialKey));
    EXPECT_EQ(current(), "alma");
    EXPECT_FALSE(table.Locate("nyelv1", cp("ALM"), TOption::PartialKey)) << "case counts";
    EXPECT_FALSE(table.Locate("nyelv1", cp("alo"), TOption::PartialKey)) << "accents count";
}

TEST_F(LocateTest, NoMatchLeavesTheCursorAndFiresNothing) {
    add(1, "a");
    add(2, "b");
    table.SetRecNo(2);
    int scrolls = 0;
    table.AfterScroll = [&](TMemTable&) { ++scrolls; };
    EXPECT_FALSE(table.Locate("nyelv1", std::string("zz"), TOption::PartialKey));
    EXPECT_FALSE(table.Locate("nyelv1", TValue(), TOption::PartialKey)) << "null matches nothing";
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(scrolls, 0);
}

TEST_F(LocateTest, EmptyPartialValueFindsTheFirstNonNull) {
    add(1, nullptr);
    add(2, "");
    add(3, "a");
    table.SetRecNo(3);
    EXPECT_TRUE(table.Locate("nyelv1", std::string(), TOption::PartialKey));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_FALSE(table.Locate("nyelv1", std::string("x"), {}));
    EXPECT_TRUE(table.Locate("nyelv1", std::string(), {}));
    EXPECT_EQ(table.RecNo(), 2) << "an empty text equals only empty text";
}

TEST_F(LocateTest, IntegerFields) {
    for (int i = 0; i < 40; ++i)
        add(i % 7 == 0 ? std::optional<int>() : std::optional<int>(i * 10 - 100), "x");
    for (const bool sorted : {false, true}) {
        table.SortOn(sorted ? "sorszam" : "");
        ASSERT_TRUE(table.Locate("sorszam", std::int32_t(-50)));
        EXPECT_EQ(table.Fields(Number).AsInteger(), -50);
        ASSERT_TRUE(table.Locate("SORSZAM", std::string(" 120")));
        EXPECT_EQ(table.Fields(Number).AsInteger(), 120);
        EXPECT_FALSE(table.Locate("sorszam", std::int32_t(-35)));
        EXPECT_FALSE(table.Locate("sorszam", std::string()));
        ASSERT_TRUE(table.Locate("sorszam", std::string("-9"), TOption::PartialKey));
        EXPECT_EQ(table.Fields(Number).AsInteger(), -90);
    }
    EXPECT_THROW(table.Locate("sorszam", std::string("abc")), VembaError);
}

TEST_F(LocateTest, UnknownFieldFailsBeforeAnythingChanges) {
    add(1, "a");
    table.Edit();
    table.Fields(First).SetAsString("b");
    try {
        table.Locate("nincs", std::string("a"));
        FAIL();
    } catch (const VembaError& e) {
        EXPECT_STREQ(e.what(), "Tbl: Field 'nincs' not found");
    }
    EXPECT_EQ(table.State(), TDataSetState::Edit);
}

} // namespace

#include "app/Drill.h"

#include "app/Config.h"
#include "app/Random.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/SeedClock.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t Multiplier = 134775813u;
constexpr std::uint32_t MultiplierInverse = 0xD94FA8CDu; // modulo 2^32
static_assert(Multiplier * MultiplierInverse == 1u);

// The seed whose first step gives the wanted state, so a test can choose the keys it draws.
constexpr std::uint32_t seedFor(std::uint32_t state) {
    return (state - 1u) * MultiplierInverse;
}
static_assert(seedFor(0x80000000u) * Multiplier + 1u == 0x80000000u);

// The shuffle key that a state gives: the upper half of state × (2^31 − 1).
constexpr std::int32_t keyFor(std::uint32_t state) {
    return static_cast<std::int32_t>((std::uint64_t{state} * 2147483647u) >> 32);
}

// Hands out the queued seeds, then distinct made-up ones; counts every seed taken.
class ScriptedSeeds : public SeedSource {
public:
    void Push(std::initializer_list<std::uint32_t> seeds) {
        queue_.insert(queue_.end(), seeds.begin(), seeds.end());
    }
    std::uint32_t NextSeed() override {
        ++used;
        if (queue_.empty())
            return fallback_ += 7919u;
        const std::uint32_t seed = queue_.front();
        queue_.pop_front();
        return seed;
    }
    int used = 0;

private:
    std::deque<std::uint32_t> queue_;
    std::uint32_t fallback_ = 1;
};

struct Pair {
    std::string nyelv1;
    std::string nyelv2;
};

// A test file as the program writes it. The stored keys fall from 1000 on, so a drill that
// used them would come out in reverse file order.
QString writeTest(const QTemporaryDir& dir, const QString& name, const std::vector<Pair>& pairs) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    std::int32_t stored = 1000;
    for (const Pair& pair : pairs) {
        table.Append();
        table.SetFieldValue("sorszam", stored--);
        table.SetFieldValue("nyelv1", pair.nyelv1);
        table.SetFieldValue("nyelv2", pair.nyelv2);
        table.Post();
    }
    const QString path = dir.filePath(name);
    table.SaveToFile(path);
    return path;
}

std::vector<std::string> column(const TMemTable& table, const char* field) {
    const int index = table.FieldByName(field).Index();
    std::vector<std::string> values;
    for (int row = 0; row < table.RecordCount(); ++row)
        values.push_back(std::get<std::string>(table.ValueAt(row, index)));
    return values;
}

std::vector<std::int32_t> keys(const TMemTable& table) {
    const int index = table.FieldByName("sorszam").Index();
    std::vector<std::int32_t> values;
    for (int row = 0; row < table.RecordCount(); ++row)
        values.push_back(std::get<std::int32_t>(table.ValueAt(row, index)));
    return values;
}

std::string hint() {
    return cp("Enter a következő szóért");
}

class DrillTest : public ::testing::Test {
protected:
    DrillTest() {
        QObject::connect(&drill, &Drill::finished, [this](const std::string& message) {
            ++finishedCount;
            finishedMessage = message;
        });
        QObject::connect(&drill, &Drill::cardChanged, [this] { ++cardChanges; });
    }

    QString fruits() {
        return writeTest(
            dir, QStringLiteral("fruits.ask"),
            {{"alma", "apple"}, {"barack", "peach"}, {"citrom", "lemon"}, {"dinnye", "melon"}});
    }
    // With these seeds the fruits come out in the order barack, citrom, dinnye, alma (the
    // keys are drawn in nyelv1 order, after the one seed taken at the start).
    void scriptFruitOrder() {
        seeds.Push({0, seedFor(0xC0000000u), seedFor(0x40000000u), seedFor(0x80000000u),
                    seedFor(0x90000000u)});
    }

    std::string card() const { return drill.DBText1Text() + "/" + drill.DBText2Text(); }
    std::vector<std::string> counters() const {
        return {drill.Label4Text(), drill.Label5Text(), drill.Label6Text()};
    }
    using Counters = std::vector<std::string>;

    QTemporaryDir dir;
    TBeall beall;
    ScriptedSeeds seeds;
    Drill drill{beall, seeds};
    int finishedCount = 0;
    std::string finishedMessage;
    int cardChanges = 0;
};

TEST(RandomTest, DrawsTheUpperHalfOfTheScaledState) {
    struct Row {
        std::uint32_t seed;
        std::uint32_t n;
        std::uint32_t state;
        std::uint32_t value;
    };
    const Row rows[] = {
        {0u, 10u, 1u, 0u},
        {1u, 2147483647u, 134775814u, 67387906u},
        {0xFFFFFFFFu, 10u, 4160191484u, 9u},
        {0xFFFFFFFFu, 2147483647u, 4160191484u, 2080095741u},
        {12345u, 100u, 1655067934u, 38u},
        {0x80000000u, 1000u, 0x80000001u, 500u},
    };
    for (const Row& row : rows) {
        ScriptedSeeds seeds;
        seeds.Push({row.seed});
        Random random(seeds);
        EXPECT_EQ(random.SeededBelow(row.n), row.value) << "seed " << row.seed;
        EXPECT_EQ(random.State(), row.state) << "seed " << row.seed;
    }
}

TEST(RandomTest, WithoutReseedingFollowsTheSequence) {
    ScriptedSeeds seeds;
    Random random(seeds);
    random.SetState(0);
    const std::uint32_t expected[] = {0, 31, 861, 202};
    for (std::uint32_t value : expected)
        EXPECT_EQ(random.Below(1000), value);
    EXPECT_EQ(random.State(), 870078620u);
    EXPECT_EQ(random.Below(0), 0u);
}

TEST(SeedClockTest, IsMonotonicAndSeedsFromItsLowBits) {
    SeedClock clock;
    const std::uint64_t before = SeedClock::Nanoseconds();
    const std::uint32_t seed = clock.NextSeed();
    const std::uint64_t after = SeedClock::Nanoseconds();
    EXPECT_LE(before, after);
    // The seed was read between the two readings; compare in the low 32 bits, which wrap.
    EXPECT_LE(static_cast<std::uint32_t>(seed - static_cast<std::uint32_t>(before)),
              static_cast<std::uint32_t>(after - before));
}

TEST(CardFontSizeTest, FollowsTheLengthThresholds) {
    struct Row {
        int length;
        int size;
    };
    const Row rows[] = {{0, 18},  {48, 18}, {49, 14},  {60, 14},   {61, 12},
                        {70, 12}, {71, 10}, {255, 10}, {1000, 10}, {1001, 7}};
    for (const Row& row : rows)
        EXPECT_EQ(CardFontSize(row.length, 7), row.size) << "length " << row.length;
}

TEST_F(DrillTest, StartsIdle) {
    EXPECT_FALSE(drill.Tbl().Active());
    EXPECT_FALSE(drill.Tbl1().Active());
    EXPECT_EQ(drill.Tbl().Name(), "Tbl");
    EXPECT_EQ(drill.Tbl1().Name(), "Tbl1");
    EXPECT_EQ(counters(), (Counters{"0", "0", "0"}));
    EXPECT_FALSE(drill.CommandsEnabled());
    EXPECT_EQ(drill.StatusPanelText(0), QString());
    EXPECT_EQ(drill.StatusPanelText(1), QString());
    EXPECT_FALSE(drill.DBText2Visible());
    EXPECT_FALSE(drill.SpeedButton2Bold());
    EXPECT_FALSE(drill.SpeedButton3Bold());
    EXPECT_EQ(drill.DBText1FontSize(), 18);
    EXPECT_EQ(drill.KikerdezesIndex(), Drill::ElsoNyelv);
}

TEST_F(DrillTest, DrillsTheWholeTestToTheEnd) {
    const QString path = fruits();
    scriptFruitOrder();
    drill.TesztMegnyitas(path, false);

    EXPECT_EQ(column(drill.Tbl(), "nyelv1"),
              (std::vector<std::string>{"barack", "citrom", "dinnye", "alma"}));
    EXPECT_EQ(keys(drill.Tbl()),
              (std::vector<std::int32_t>{keyFor(0x40000000u), keyFor(0x80000000u),
                                         keyFor(0x90000000u), keyFor(0xC0000000u)}));
    EXPECT_EQ(seeds.used, 5);
    // The first card is the pair last in nyelv1 order, at its place in the new order.
    EXPECT_EQ(card(), "dinnye/melon");
    EXPECT_EQ(drill.Tbl().RecNo(), 3);
    EXPECT_EQ(counters(), (Counters{"4", "0", "4"}));
    EXPECT_EQ(beall.Tudom, 0);
    EXPECT_EQ(beall.NemTudom, 4);
    EXPECT_TRUE(drill.aEztMarTudomEnabled());
    EXPECT_TRUE(drill.aMegnezemEnabled());
    EXPECT_TRUE(drill.aJohetaKovetkezoEnabled());
    EXPECT_EQ(drill.StatusPanelText(0), QStringLiteral("fruits.ask"));
    EXPECT_EQ(drill.StatusPanelText(1), fromCp1250(hint()));
    EXPECT_EQ(beall.UtolsoFile, path);
    EXPECT_TRUE(drill.SpeedButton2Bold());
    EXPECT_FALSE(drill.SpeedButton3Bold());
    EXPECT_FALSE(drill.DBText2Visible());

    const int changesBefore = cardChanges;
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(card(), "alma/apple");
    EXPECT_GT(cardChanges, changesBefore);
    drill.aJohetaKovetkezoExecute(); // wraps at the end of the order
    EXPECT_EQ(card(), "barack/peach");
    drill.aJohetaKovetkezoExecute();
    drill.aJohetaKovetkezoExecute();
    drill.aJohetaKovetkezoExecute();
    ASSERT_EQ(card(), "alma/apple");

    drill.aMegnezemExecute();
    EXPECT_TRUE(drill.DBText2Visible());
    // Knowing the last pair of the order shows the one before it, not the first.
    drill.aEztMarTudomExecute();
    EXPECT_EQ(card(), "dinnye/melon");
    EXPECT_FALSE(drill.DBText2Visible());
    EXPECT_EQ(counters(), (Counters{"4", "1", "3"}));
    drill.aEztMarTudomExecute();
    EXPECT_EQ(card(), "citrom/lemon");
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(card(), "barack/peach");
    // Knowing a pair that has a successor shows the successor.
    drill.aEztMarTudomExecute();
    EXPECT_EQ(card(), "citrom/lemon");
    EXPECT_EQ(counters(), (Counters{"4", "3", "1"}));
    EXPECT_EQ(finishedCount, 0);

    drill.aEztMarTudomExecute();
    EXPECT_EQ(card(), "/");
    EXPECT_EQ(counters(), (Counters{"4", "4", "0"}));
    EXPECT_EQ(beall.Tudom, 4);
    EXPECT_EQ(beall.NemTudom, 0);
    EXPECT_FALSE(drill.aEztMarTudomEnabled());
    EXPECT_FALSE(drill.aMegnezemEnabled());
    EXPECT_FALSE(drill.aJohetaKovetkezoEnabled());
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(finishedMessage, cp("Készen vagyunk...."));
    EXPECT_TRUE(drill.Tbl().Active());
    EXPECT_EQ(drill.Tbl().RecordCount(), 0);

    // Disabled commands do nothing: no empty-table error, no counting, no second message.
    EXPECT_NO_THROW(drill.aEztMarTudomExecute());
    EXPECT_NO_THROW(drill.aJohetaKovetkezoExecute());
    drill.aMegnezemExecute();
    EXPECT_FALSE(drill.DBText2Visible());
    EXPECT_EQ(counters(), (Counters{"4", "4", "0"}));
    EXPECT_EQ(finishedCount, 1);
    // Enter still toggles the emphasis.
    drill.FormKeyPress('\r');
    EXPECT_TRUE(drill.SpeedButton3Bold());
    EXPECT_FALSE(drill.DBText2Visible());
    drill.FormKeyPress('\r');
    EXPECT_TRUE(drill.SpeedButton2Bold());
    EXPECT_EQ(finishedCount, 1);
}

TEST_F(DrillTest, SavedDrillHoldsTheShuffledOrderAndTheNewKeys) {
    const QString in = fruits();
    scriptFruitOrder();
    drill.TesztMegnyitas(in, false);
    const QString out = dir.filePath(QStringLiteral("out.ask"));
    drill.Tbl().SaveToFile(out);

    TMemTable reread("Tbl");
    DefineDrillFields(reread);
    reread.LoadFromFile(out);
    EXPECT_EQ(column(reread, "nyelv1"), column(drill.Tbl(), "nyelv1"));
    EXPECT_EQ(column(reread, "nyelv2"),
              (std::vector<std::string>{"peach", "lemon", "melon", "apple"}));
    EXPECT_EQ(keys(reread), keys(drill.Tbl()));
    EXPECT_EQ(card(), "dinnye/melon");
}

TEST_F(DrillTest, EnterBeforeAnyTestTogglesOnlyTheEmphasis) {
    drill.FormKeyPress('a');
    EXPECT_FALSE(drill.SpeedButton2Bold());
    EXPECT_FALSE(drill.SpeedButton3Bold());

    drill.FormKeyPress('\r');
    EXPECT_TRUE(drill.SpeedButton2Bold());
    EXPECT_FALSE(drill.SpeedButton3Bold());
    drill.FormKeyPress('\r');
    EXPECT_FALSE(drill.SpeedButton2Bold());
    EXPECT_TRUE(drill.SpeedButton3Bold());

    EXPECT_EQ(card(), "/");
    EXPECT_FALSE(drill.DBText2Visible());
    EXPECT_EQ(counters(), (Counters{"0", "0", "0"}));
    EXPECT_FALSE(drill.Tbl().Active());
    EXPECT_FALSE(drill.CommandsEnabled());
    EXPECT_EQ(seeds.used, 0);
}

TEST_F(DrillTest, EnterAlternatesBetweenRevealingAndMovingOn) {
    scriptFruitOrder();
    drill.TesztMegnyitas(fruits(), false);

    drill.FormKeyPress('\r');
    EXPECT_EQ(card(), "dinnye/melon");
    EXPECT_TRUE(drill.DBText2Visible());
    EXPECT_TRUE(drill.SpeedButton3Bold());
    EXPECT_FALSE(drill.SpeedButton2Bold());

    drill.FormKeyPress('\r');
    EXPECT_EQ(card(), "alma/apple");
    EXPECT_FALSE(drill.DBText2Visible());
    EXPECT_TRUE(drill.SpeedButton2Bold());

    // A command run by its key or button leaves the emphasis alone.
    drill.aMegnezemExecute();
    EXPECT_TRUE(drill.DBText2Visible());
    EXPECT_TRUE(drill.SpeedButton2Bold());
    drill.FormKeyPress('\r');
    drill.aJohetaKovetkezoExecute();
    EXPECT_TRUE(drill.SpeedButton3Bold());
    // Knowing a pair makes revealing the next Enter target again.
    drill.aEztMarTudomExecute();
    EXPECT_TRUE(drill.SpeedButton2Bold());
    EXPECT_FALSE(drill.SpeedButton3Bold());
}

TEST_F(DrillTest, OpeningTheSameTestTwiceStartsWithTheSamePair) {
    const QString path = fruits();
    seeds.Push({0, seedFor(0x10000000u), seedFor(0x20000000u), seedFor(0x30000000u),
                seedFor(0x40000000u)});
    drill.TesztMegnyitas(path, false);
    EXPECT_EQ(card(), "dinnye/melon");
    EXPECT_EQ(column(drill.Tbl(), "nyelv1"),
              (std::vector<std::string>{"alma", "barack", "citrom", "dinnye"}));

    seeds.Push({0, seedFor(0x40000000u), seedFor(0x30000000u), seedFor(0x20000000u),
                seedFor(0x10000000u)});
    drill.TesztMegnyitas(path, false);
    EXPECT_EQ(card(), "dinnye/melon");
    EXPECT_EQ(drill.Tbl().RecNo(), 1);
    EXPECT_EQ(column(drill.Tbl(), "nyelv1"),
              (std::vector<std::string>{"dinnye", "citrom", "barack", "alma"}));
}

TEST_F(DrillTest, AppendingAddsTheFileToThePairsStillToLearn) {
    const QString first = writeTest(dir, QStringLiteral("a.ask"),
                                    {{"alma", "apple"}, {"barack", "peach"}, {"citrom", "lemon"}});
    const QString second =
        writeTest(dir, QStringLiteral("b.ask"), {{"eper", "strawberry"}, {"dinnye", "melon"}});
    drill.TesztMegnyitas(first, false);
    const std::string known = drill.DBText1Text();
    drill.aEztMarTudomExecute();
    drill.aMegnezemExecute();
    ASSERT_EQ(counters(), (Counters{"3", "1", "2"}));

    const int seedsBefore = seeds.used;
    drill.TesztMegnyitas(second, true);
    // One seed to start, one per appended pair, one per pair of the shuffle.
    EXPECT_EQ(seeds.used - seedsBefore, 1 + 2 + 4);
    EXPECT_EQ(counters(), (Counters{"4", "0", "4"}));
    EXPECT_EQ(beall.Tudom, 0);
    EXPECT_EQ(beall.NemTudom, 4);
    EXPECT_EQ(drill.StatusPanelText(0), QStringLiteral("b.ask"));
    EXPECT_EQ(drill.StatusPanelText(1), fromCp1250(hint()));
    EXPECT_EQ(beall.UtolsoFile, second);
    EXPECT_TRUE(drill.CommandsEnabled());
    EXPECT_FALSE(drill.Tbl1().Active());
    EXPECT_TRUE(drill.DBText2Visible());

    std::set<std::string> expected = {"alma", "barack", "citrom", "dinnye", "eper"};
    expected.erase(known);
    const std::vector<std::string> drilled = column(drill.Tbl(), "nyelv1");
    EXPECT_EQ(std::set<std::string>(drilled.begin(), drilled.end()), expected);
    EXPECT_EQ(drill.DBText1Text(), *expected.rbegin());
    // The drill's order is by the new keys.
    const std::vector<std::int32_t> drawn = keys(drill.Tbl());
    EXPECT_TRUE(std::is_sorted(drawn.begin(), drawn.end()));
}

TEST_F(DrillTest, AppendsAFileWithoutDefinitions) {
    const QString bare = dir.filePath(QStringLiteral("bare.ask"));
    writeAll(bare, QByteArrayLiteral("\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                                     "\"5\",\"eper\",\"strawberry\",\r\n"));
    drill.TesztMegnyitas(writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}}), false);
    drill.TesztMegnyitas(bare, true);
    EXPECT_EQ(counters(), (Counters{"2", "0", "2"}));
    const std::vector<std::string> drilled = column(drill.Tbl(), "nyelv1");
    EXPECT_EQ(std::set<std::string>(drilled.begin(), drilled.end()),
              (std::set<std::string>{"alma", "eper"}));

    // The scratch table starts empty every time: appending the file again adds one pair.
    drill.TesztMegnyitas(bare, true);
    EXPECT_EQ(counters(), (Counters{"3", "0", "3"}));
}

TEST_F(DrillTest, AppendingAfterTheEndGivesADrillOfTheAppendedPairs) {
    drill.TesztMegnyitas(writeTest(dir, QStringLiteral("one.ask"), {{"alma", "apple"}}), false);
    drill.aEztMarTudomExecute();
    ASSERT_FALSE(drill.CommandsEnabled());

    drill.TesztMegnyitas(
        writeTest(dir, QStringLiteral("b.ask"), {{"eper", "strawberry"}, {"dinnye", "melon"}}),
        true);
    EXPECT_EQ(counters(), (Counters{"2", "0", "2"}));
    EXPECT_TRUE(drill.CommandsEnabled());
    EXPECT_EQ(card(), "eper/strawberry");
    drill.aEztMarTudomExecute();
    drill.aEztMarTudomExecute();
    EXPECT_EQ(finishedCount, 2);
}

TEST_F(DrillTest, AppendingWithoutAnOpenTestFailsAndChangesNothing) {
    beall.UtolsoFile = QStringLiteral("/tests/elso.ask");
    const QString path = fruits();
    try {
        drill.TesztMegnyitas(path, true);
        FAIL() << "appended into a closed drill";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "Tbl: Cannot perform this operation on a closed dataset");
    }
    EXPECT_FALSE(drill.Tbl().Active());
    EXPECT_FALSE(drill.Tbl1().Active());
    EXPECT_EQ(counters(), (Counters{"0", "0", "0"}));
    EXPECT_FALSE(drill.CommandsEnabled());
    EXPECT_EQ(drill.StatusPanelText(0), QString());
    EXPECT_EQ(drill.StatusPanelText(1), QString());
    EXPECT_EQ(beall.UtolsoFile, QStringLiteral("/tests/elso.ask"));
    EXPECT_FALSE(drill.SpeedButton2Bold());
}

// A test file whose second pair carries a key that is not a number.
const QByteArray badNumberTest =
    QByteArrayLiteral("\"@@FILE VERSION@@\",\"251\"\r\n"
                      "\"@@TABLEDEF START@@\"\r\n"
                      "\"sorszam=Integer,0,\"\"sorszam\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
                      "\"nyelv1=String,255,\"\"nyelv1\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
                      "\"nyelv2=String,255,\"\"nyelv2\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
                      "\"@@INDEXDEF START@@\"\r\n"
                      "\"@@INDEXDEF END@@\"\r\n"
                      "\"@@TABLEDEF END@@\"\r\n"
                      "\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                      "\"1\",\"kutya\",\"dog\",\r\n"
                      "\"two\",\"macska\",\"cat\",\r\n");

TEST_F(DrillTest, FailingOpenLeavesTheLaterStepsUndone) {
    struct Row {
        const char* name;
        bool append;
        bool exists;
    };
    const Row rows[] = {
        {"missing.ask", false, false},
        {"bad-number.ask", false, true},
        {"missing.ask", true, false},
        {"bad-number.ask", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + (row.append ? " appended" : " opened"));
        const QString good = fruits();
        drill.SetKikerdezesIndex(Drill::ElsoNyelv);
        drill.TesztMegnyitas(good, false);
        drill.aEztMarTudomExecute();
        drill.SetKikerdezesIndex(Drill::MasodikNyelv);
        drill.aJohetaKovetkezoExecute();
        drill.FormKeyPress('\r');
        const std::vector<std::string> before = column(drill.Tbl(), "nyelv1");
        const QString bad = dir.filePath(QString::fromLatin1(row.name));
        if (row.exists)
            writeAll(bad, badNumberTest);

        EXPECT_THROW(drill.TesztMegnyitas(bad, row.append), VembaError);
        EXPECT_EQ(counters(), (Counters{"4", "1", "3"}));
        EXPECT_EQ(beall.Tudom, 1);
        EXPECT_EQ(beall.NemTudom, 3);
        EXPECT_EQ(beall.UtolsoFile, good);
        EXPECT_EQ(drill.StatusPanelText(0), QStringLiteral("fruits.ask"));
        EXPECT_TRUE(drill.CommandsEnabled());
        EXPECT_FALSE(drill.Tbl1().Active());
        // The card keeps its binding and the Enter target stays on moving on.
        EXPECT_EQ(drill.DBText1Field(), "nyelv2");
        EXPECT_TRUE(drill.SpeedButton3Bold());
        EXPECT_FALSE(drill.SpeedButton2Bold());
        if (row.append) {
            EXPECT_EQ(column(drill.Tbl(), "nyelv1"), before);
        } else {
            // The drill was emptied before reading and keeps what was read up to the error.
            EXPECT_EQ(column(drill.Tbl(), "nyelv1"),
                      row.exists ? std::vector<std::string>{"kutya"} : std::vector<std::string>{});
        }
    }
}

TEST_F(DrillTest, FailedAppendLeavesNoHalfMadePairBehind) {
    // A drill whose nyelv1 field holds numbers cannot take the texts of an ordinary test.
    TMemTable numbers("Tbl");
    numbers.AddField("sorszam", TFieldType::Integer);
    numbers.AddField("nyelv1", TFieldType::Integer);
    numbers.AddField("nyelv2", TFieldType::String, 255);
    numbers.Open();
    numbers.Append();
    numbers.SetFieldValue("nyelv1", std::int32_t{1});
    numbers.SetFieldValue("nyelv2", std::string("one"));
    numbers.Post();
    const QString numeric = dir.filePath(QStringLiteral("numbers.ask"));
    numbers.SaveToFile(numeric);
    drill.TesztMegnyitas(numeric, false);
    ASSERT_EQ(drill.Tbl().RecordCount(), 1);

    EXPECT_THROW(drill.TesztMegnyitas(fruits(), true), VembaError);
    EXPECT_EQ(drill.Tbl().State(), TDataSetState::Browse);
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(drill.Tbl().RecordCount(), 1);
    EXPECT_EQ(card(), "1/one");
    EXPECT_FALSE(drill.Tbl1().Active());
}

TEST_F(DrillTest, TestWithoutPairsGivesAnEmptyDrill) {
    drill.TesztMegnyitas(writeTest(dir, QStringLiteral("empty.ask"), {}), false);
    EXPECT_EQ(counters(), (Counters{"0", "0", "0"}));
    EXPECT_TRUE(drill.CommandsEnabled());
    EXPECT_EQ(drill.StatusPanelText(0), QStringLiteral("empty.ask"));

    try {
        drill.aEztMarTudomExecute();
        FAIL() << "deleted from an empty drill";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "Tbl: Cannot perform this operation on an empty dataset");
    }
    EXPECT_EQ(counters(), (Counters{"0", "0", "0"}));
    EXPECT_TRUE(drill.CommandsEnabled());
    EXPECT_EQ(finishedCount, 0);

    drill.aMegnezemExecute();
    EXPECT_TRUE(drill.DBText2Visible());
    EXPECT_NO_THROW(drill.aJohetaKovetkezoExecute());
    EXPECT_EQ(card(), "/");
}

TEST_F(DrillTest, CardFontSizeFollowsTheLengthOfEachSide) {
    struct Row {
        int questionLength;
        int answerLength;
        int questionSize;
        int answerSize;
    };
    const Row rows[] = {{48, 49, 18, 14}, {60, 61, 14, 12}, {70, 71, 12, 10}, {0, 255, 18, 10}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.questionLength);
        drill.TesztMegnyitas(
            writeTest(dir, QStringLiteral("sizes.ask"),
                      {{std::string(row.questionLength, 'q'), std::string(row.answerLength, 'a')}}),
            false);
        EXPECT_EQ(drill.DBText1FontSize(), row.questionSize);
        EXPECT_EQ(drill.DBText2FontSize(), row.answerSize);
    }
}

TEST_F(DrillTest, FontSizesFollowThePairThatBecomesCurrent) {
    const std::string longText(71, 'x');
    seeds.Push({0, seedFor(0x10000000u), seedFor(0x20000000u)});
    drill.TesztMegnyitas(
        writeTest(dir, QStringLiteral("t.ask"), {{"a" + longText, "short"}, {"b", longText}}),
        false);
    ASSERT_EQ(drill.DBText1Text(), "b");
    EXPECT_EQ(drill.DBText1FontSize(), 18);
    EXPECT_EQ(drill.DBText2FontSize(), 10);

    drill.aJohetaKovetkezoExecute(); // wraps to the first pair
    ASSERT_EQ(drill.DBText1Text(), "a" + longText);
    EXPECT_EQ(drill.DBText1FontSize(), 10);
    EXPECT_EQ(drill.DBText2FontSize(), 18);
}

TEST_F(DrillTest, RebindingAtOpenDoesNotResizeTheLabels) {
    const std::string longText(71, 'x');
    const QString path = writeTest(dir, QStringLiteral("t.ask"), {{"short", longText}});
    drill.SetKikerdezesIndex(Drill::MasodikNyelv);
    drill.TesztMegnyitas(path, false);
    drill.aJohetaKovetkezoExecute();
    ASSERT_EQ(drill.DBText1Field(), "nyelv2");
    ASSERT_EQ(drill.DBText1FontSize(), 10);

    // The passes size the labels while they are still bound the other way round.
    drill.TesztMegnyitas(path, false);
    EXPECT_EQ(drill.DBText1Field(), "nyelv1");
    EXPECT_EQ(drill.DBText1Text(), "short");
    EXPECT_EQ(drill.DBText1FontSize(), 10);
    EXPECT_EQ(drill.DBText2FontSize(), 18);
}

TEST_F(DrillTest, DirectionAppliesFromTheNextCard) {
    struct Row {
        int index;
        const char* question;
        const char* answer;
    };
    const Row rows[] = {{Drill::ElsoNyelv, "nyelv1", "nyelv2"},
                        {Drill::MasodikNyelv, "nyelv2", "nyelv1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        scriptFruitOrder();
        drill.SetKikerdezesIndex(row.index);
        drill.TesztMegnyitas(fruits(), false);
        EXPECT_EQ(drill.DBText1Field(), "nyelv1");
        EXPECT_EQ(card(), "dinnye/melon");

        drill.aJohetaKovetkezoExecute();
        EXPECT_EQ(drill.DBText1Field(), row.question);
        EXPECT_EQ(drill.DBText2Field(), row.answer);
        EXPECT_EQ(drill.DBText1Text(), drill.Tbl().FieldByName(row.question).AsString());
        // Knowing a pair keeps the direction of the previous card.
        drill.aEztMarTudomExecute();
        EXPECT_EQ(drill.DBText1Field(), row.question);
    }
}

TEST_F(DrillTest, UnknownDirectionKeepsTheBinding) {
    drill.TesztMegnyitas(fruits(), false);
    drill.SetKikerdezesIndex(Drill::MasodikNyelv);
    drill.aJohetaKovetkezoExecute();
    drill.SetKikerdezesIndex(-1);
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(drill.DBText1Field(), "nyelv2");
    EXPECT_EQ(drill.DBText2Field(), "nyelv1");
}

TEST_F(DrillTest, MixedDirectionIsDrawnOnlyWhenMovingOn) {
    drill.SetKikerdezesIndex(Drill::Vegyesen);
    drill.TesztMegnyitas(fruits(), false);
    EXPECT_EQ(seeds.used, 5);
    EXPECT_EQ(drill.DBText1Field(), "nyelv1");

    // 0x2000_0000 draws 1 below 10 (odd: nyelv1 asked), 0x4000_0000 draws 2 (even: nyelv2).
    seeds.Push({seedFor(0x20000000u), seedFor(0x40000000u)});
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(seeds.used, 6);
    EXPECT_EQ(drill.DBText1Field(), "nyelv1");
    drill.aJohetaKovetkezoExecute();
    EXPECT_EQ(seeds.used, 7);
    EXPECT_EQ(drill.DBText1Field(), "nyelv2");
    EXPECT_EQ(drill.DBText2Field(), "nyelv1");

    drill.aMegnezemExecute();
    drill.aEztMarTudomExecute();
    drill.FormKeyPress('\r');
    EXPECT_EQ(seeds.used, 7);
    EXPECT_EQ(drill.DBText1Field(), "nyelv2");
}

TEST_F(DrillTest, OpeningWhileTheAnswerIsShownShowsBothSides) {
    drill.TesztMegnyitas(fruits(), false);
    drill.aMegnezemExecute();
    ASSERT_TRUE(drill.DBText2Visible());

    drill.TesztMegnyitas(
        writeTest(dir, QStringLiteral("other.ask"), {{"kutya", "dog"}, {"macska", "cat"}}), false);
    EXPECT_TRUE(drill.DBText2Visible());
    EXPECT_EQ(card(), "macska/cat");
    EXPECT_EQ(drill.StatusPanelText(0), QStringLiteral("other.ask"));
}

} // namespace

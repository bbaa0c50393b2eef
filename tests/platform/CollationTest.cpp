#include "platform/Collation.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "support/TestFiles.h"

#include <QCollator>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

std::vector<std::string> cpAll(std::initializer_list<const char*> words) {
    std::vector<std::string> out;
    for (const char* w : words)
        out.push_back(cp(w));
    return out;
}

// Each word sorts strictly before the next.
void expectAscending(const Collation& c, const std::vector<std::string>& words, bool ignoreCase) {
    for (size_t i = 1; i < words.size(); ++i) {
        EXPECT_LT(c.compare(words[i - 1], words[i], ignoreCase), 0)
            << fromCp1250(words[i - 1]).toStdString() << " < "
            << fromCp1250(words[i]).toStdString();
        EXPECT_GT(c.compare(words[i], words[i - 1], ignoreCase), 0);
    }
}

TEST(CollationTest, HungarianAlphabet) {
    const Collation c(QLocale(QLocale::Hungarian, QLocale::Hungary));
    const auto words = cpAll({"alma", "álom", "cukor", "cz", "csak", "d", "dzsungel", "e"});
    expectAscending(c, words, false);
    expectAscending(c, words, true);
    expectAscending(c, cpAll({"ablak", "Alma", "álom"}), true);
    expectAscending(c, cpAll({"ozon", "ötös", "őz", "pad"}), false);
}

TEST(CollationTest, IgnoringCaseKeepsAccents) {
    const Collation c(QLocale(QLocale::Hungarian, QLocale::Hungary));
    EXPECT_EQ(c.compare(cp("ALMA"), cp("alma"), true), 0);
    EXPECT_EQ(c.compare(cp("ŐZ"), cp("őz"), true), 0);
    EXPECT_NE(c.compare(cp("alma"), cp("álma"), true), 0);
    EXPECT_LT(c.compare(cp("alma"), cp("Alma"), false), 0) << "lower case first";
    EXPECT_EQ(c.compare({}, {}, false), 0);
    EXPECT_LT(c.compare({}, "a", true), 0);
}

TEST(CollationTest, FollowsTheDefaultLocale) {
    const Collation hungarian;
    EXPECT_EQ(hungarian.localeId(), "hu");
    EXPECT_LT(hungarian.compare("cz", "csak", false), 0) << "cs is a letter after c";
    const Collation english(QLocale(QLocale::English));
    EXPECT_LT(english.compare("csak", "cz", false), 0) << "no letter cs in English";
}

// Keys, comparisons and Qt's own collator of the same locale all give one order.
TEST(CollationTest, SortKeysOrderAsComparisonsAndAsQCollator) {
    const Collation c;
    QCollator qt[2];
    for (const bool ignoreCase : {false, true})
        qt[ignoreCase].setCaseSensitivity(ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
    std::mt19937 rng(5);
    const char* pieces[] = {"a",  "á", "A", "c", "cs", "Cs", "z",
                            "zs", "ő", "Ö", "o", "-",  " ",  "1"};
    auto word = [&] {
        std::string w;
        for (int n = int(rng() % 4); n >= 0; --n)
            w += cp(pieces[rng() % std::size(pieces)]);
        return w;
    };
    for (int i = 0; i < 2000; ++i) {
        const std::string a = word();
        const std::string b = word();
        for (const bool ignoreCase : {false, true}) {
            std::string ka;
            std::string kb;
            c.appendSortKey(a, ignoreCase, ka);
            c.appendSortKey(b, ignoreCase, kb);
            const int byKey = ka.compare(kb);
            const int byCompare = c.compare(a, b, ignoreCase);
            ASSERT_EQ(byKey < 0, byCompare < 0)
                << fromCp1250(a).toStdString() << " / " << fromCp1250(b).toStdString();
            ASSERT_EQ(byKey == 0, byCompare == 0);
            ASSERT_EQ(ka.find('\0'), std::string::npos);
            const int byQt = qt[ignoreCase].compare(fromCp1250(a), fromCp1250(b));
            ASSERT_EQ(byQt < 0, byCompare < 0);
            ASSERT_EQ(byQt == 0, byCompare == 0);
        }
    }
}

TEST(CollationTest, LetterPrefixBoundsHoldTheLongerWords) {
    const Collation c;
    const auto bounds = c.letterPrefixBounds(cp("alma"));
    auto inside = [&](const char* word) {
        std::string key;
        c.appendSortKey(cp(word), false, key);
        return bounds.lower <= key && key <= bounds.upper;
    };
    EXPECT_TRUE(inside("alma"));
    EXPECT_TRUE(inside("ALMA"));
    EXPECT_TRUE(inside("almafa"));
    EXPECT_TRUE(inside("Álmából")) << "accents are ignored by the bounds";
    EXPECT_FALSE(inside("alm"));
    EXPECT_FALSE(inside("almé")) << "other letters fall outside";
    EXPECT_FALSE(inside("alom"));
    EXPECT_FALSE(inside("b"));
}

TEST(CollationTest, ContractionsOfTheLocale) {
    const Collation hungarian;
    const auto& letters = hungarian.contractions();
    for (const char* expected :
         {"cs", "Cs", "CS", "dz", "dzs", "ccs", "ddzs", "gy", "ny", "ly", "ty", "sz", "zs"})
        EXPECT_NE(std::find(letters.begin(), letters.end(), expected), letters.end()) << expected;
    EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
    for (const std::string& l : letters)
        EXPECT_GE(l.size(), 2u);
    const Collation english(QLocale(QLocale::English));
    const auto& none = english.contractions();
    EXPECT_EQ(std::find(none.begin(), none.end(), "cs"), none.end());
}

TEST(CollationTest, DetachedCopyCollatesTheSame) {
    const Collation c;
    const Collation other = c.detached();
    EXPECT_EQ(other.localeId(), c.localeId());
    EXPECT_EQ(other.compare("cz", "csak", true), c.compare("cz", "csak", true));
}

TEST(CollationTest, LocaleIdMayCarryCollationKeywords) {
    const Collation upperFirst = Collation::fromLocaleId("hu@colCaseFirst=upper");
    EXPECT_LT(upperFirst.compare("Alma", "alma", false), 0);
    EXPECT_LT(upperFirst.compare("cz", "csak", false), 0) << "still Hungarian";
}

// A collator that cannot be opened fails every service, with the message alone.
TEST(CollationTest, CollatorThatCannotBeOpenedFailsWithInvalidLocale) {
    const Collation broken = Collation::fromLocaleId("hu@colStrength=nonsense");
    std::string key;
    const std::function<void()> uses[] = {
        [&] { broken.compare("a", "b", false); },
        [&] { broken.compare("a", "b", true); },
        [&] { broken.appendSortKey("a", false, key); },
        [&] { broken.letterPrefixBounds("a"); },
        [&] { broken.contractions(); },
        [&] { broken.detached().compare("a", "b", true); },
    };
    for (const auto& use : uses) {
        try {
            use();
            ADD_FAILURE() << "no failure";
        } catch (const VembaError& e) {
            EXPECT_STREQ(e.what(), "Invalid locale.");
        }
    }
}

} // namespace

#pragma once

#include <QLocale>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Locale-aware comparison of code page 1250 text: the collation of the user's locale (or of
// the locale given), optionally ignoring case. Ignoring case still tells accented letters from
// plain ones ("a" differs from "á").
//
// The collator is ICU's, opened with the attributes QCollator gives it, so texts order as
// QCollator orders them. It is driven through ICU's C API rather than through QCollator
// because the word table needs what QCollator does not offer:
// - sort keys as plain bytes, which SortOn packs into a few large blocks for a million
//   records (a QCollatorSortKey keeps its bytes hidden, in an object of its own per text);
// - the bounds of the keys of every text that begins with given letters, and
// - the locale's contractions (Hungarian "cs", "dzs", ...);
// with the last two Locate bisects a sorted order for a prefix and still finds the record
// that a scan from the first record finds.
//
// compare() and appendSortKey() share one collator, so a key order and a comparison never
// disagree. A Collation and its copies must stay on one thread; detached() gives one for
// another thread. When the collator cannot be opened every comparison, key, bound and
// contraction list fails with "Invalid locale.".
class Collation {
public:
    explicit Collation(const QLocale& locale = QLocale());

    // A collation named by an ICU locale ID, which may carry collation keywords
    // ("hu@colCaseFirst=upper").
    static Collation fromLocaleId(std::string localeId);

    // < 0, 0 or > 0 as a sorts before, equal to or after b.
    int compare(std::string_view a, std::string_view b, bool caseInsensitive) const;

    const std::string& localeId() const { return localeId_; }

    // Appends the sort key of text to key as bytes: two keys compared bytewise, a key that is
    // a prefix of another coming first (as std::string compares), order their texts as
    // compare() does. The bytes hold no NUL.
    void appendSortKey(std::string_view text, bool caseInsensitive, std::string& key) const;

    // Bounds, as appendSortKey bytes, of the keys of every text whose letters start with the
    // letters of text when only base letters count (case and accents ignored): such a key k
    // has lower <= k <= upper. Other texts may fall between the bounds too.
    struct KeyBounds {
        std::string lower;
        std::string upper;
    };
    KeyBounds letterPrefixBounds(std::string_view text) const;

    // The sequences of two or more code page 1250 characters that the locale sorts as one
    // letter or as a letter of their own (such as "cs" or "dzs" in Hungarian), in every case
    // form the locale knows.
    const std::vector<std::string>& contractions() const;

    // A collation of the same locale with services of its own.
    Collation detached() const { return fromLocaleId(localeId_); }

private:
    struct Engine;
    struct ById {};
    Collation(ById, std::string localeId);

    std::shared_ptr<Engine> engine_;
    std::string localeId_;
};

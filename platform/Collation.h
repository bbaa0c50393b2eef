#pragma once

#include <QCollator>
#include <QLocale>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Locale-aware comparison of code page 1250 text: the collation of the user's locale (or of
// the locale given), optionally ignoring case. Ignoring case still tells accented letters from
// plain ones ("a" differs from "á").
//
// compare() and appendSortKey() share one collation service, so a key order and a comparison
// never disagree. A Collation and its copies must stay on one thread; detached() gives one
// for another thread. When the locale's collation cannot be loaded every comparison fails with
// "Invalid locale.".
class Collation {
public:
    explicit Collation(const QLocale& locale = QLocale());

    // < 0, 0 or > 0 as a sorts before, equal to or after b.
    int compare(std::string_view a, std::string_view b, bool caseInsensitive) const;

    // A key that orders as compare() does; cheaper when one text is compared many times.
    QCollatorSortKey sortKey(std::string_view text, bool caseInsensitive) const;

    QLocale locale() const { return exact_.locale(); }

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
    Collation detached() const { return Collation(locale()); }

private:
    struct Engine;
    std::shared_ptr<Engine> engine_;
    QCollator exact_;
    QCollator ignoringCase_;
};

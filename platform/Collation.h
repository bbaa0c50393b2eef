#pragma once

#include <QCollator>
#include <QLocale>
#include <string_view>

// Locale-aware comparison of code page 1250 text: the collation of the user's locale (or of
// the locale given), optionally ignoring case.
class Collation {
public:
    explicit Collation(const QLocale& locale = QLocale());

    // < 0, 0 or > 0 as a sorts before, equal to or after b.
    int compare(std::string_view a, std::string_view b, bool caseInsensitive) const;

    // A key that orders as compare() does; cheaper when one text is compared many times.
    QCollatorSortKey sortKey(std::string_view text, bool caseInsensitive) const;

    QLocale locale() const { return exact_.locale(); }

private:
    QCollator exact_;
    QCollator ignoringCase_;
};

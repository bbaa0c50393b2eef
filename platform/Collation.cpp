#include "platform/Collation.h"

#include "data/Cp1250.h"

Collation::Collation(const QLocale& locale)
    : exact_(locale)
    , ignoringCase_(locale) {
    exact_.setCaseSensitivity(Qt::CaseSensitive);
    ignoringCase_.setCaseSensitivity(Qt::CaseInsensitive);
}

int Collation::compare(std::string_view a, std::string_view b, bool caseInsensitive) const {
    const QCollator& c = caseInsensitive ? ignoringCase_ : exact_;
    return c.compare(fromCp1250(a), fromCp1250(b));
}

QCollatorSortKey Collation::sortKey(std::string_view text, bool caseInsensitive) const {
    const QCollator& c = caseInsensitive ? ignoringCase_ : exact_;
    return c.sortKey(fromCp1250(text));
}

#include "data/GridSearch.h"

#include "data/MemTable.h"
#include "platform/Cp1250.h"

#include <QLocale>
#include <exception>

namespace {

// The small letters of the search keys besides a-z: á é í ó ő ö ú ű ü.
bool isHungarianSmallLetter(char16_t c) {
    return std::u16string_view(u"\u00e1\u00e9\u00ed\u00f3\u0151\u00f6\u00fa\u0171\u00fc").find(c) !=
           std::u16string_view::npos;
}

} // namespace

void GridSearch::Kereses(std::string_view text) {
    try {
        table_.Locate(searchField_, std::string(text),
                      TOptions(TOption::CaseInsensitive) | TOption::PartialKey);
    } catch (const std::exception&) {
        // A search that fails finds nothing.
    }
}

void GridSearch::TitleClick(std::string_view fieldName) {
    searchField_ = std::string(fieldName);
    table_.SortOn(fieldName, TOption::CaseInsensitive);
}

std::optional<char> GridSearch::GridSearchKey(const QString& typed) {
    if (typed.size() != 1)
        return std::nullopt;
    const QString lower = QLocale().toLower(typed);
    if (lower.size() != 1)
        return std::nullopt;
    const char16_t c = lower.front().unicode();
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z'))
        return char(c);
    if (isHungarianSmallLetter(c))
        return toCp1250(lower).front();
    return std::nullopt;
}

bool RefreshPositionText(const TMemTable& table, QString& text) {
    if (!table.Active())
        return false;
    const QString position =
        QString::number(table.RecordCount()) + QLatin1Char('/') + QString::number(table.RecNo());
    if (position == text)
        return false;
    text = position;
    return true;
}

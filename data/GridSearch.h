#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

class TMemTable;

// The incremental search and the title-click sort of a window that shows a word table in a
// grid with a search box above it (the test editor, the download window): the search field,
// the search as the box's text changes and the sort when a column title is clicked. The
// window wires its search box and grid to it (ui/GridSearchBox.h).
class GridSearch {
public:
    // The table must outlive the search.
    GridSearch(TMemTable& table, std::string searchField)
        : table_(table)
        , searchField_(std::move(searchField)) {}

    // The field the search looks in: the one given at the start, afterwards the field of the
    // column whose title was clicked last.
    const std::string& SearchField() const { return searchField_; }

    // The search box's text changed (code page 1250): moves to the first record of the
    // current order whose search field begins with it, case ignored; an empty text finds the
    // first record whose field is not null. No match leaves the cursor where it is. Errors
    // (a field a loaded file lacks, a closed table) are ignored.
    void Kereses(std::string_view text);

    // A click on the title of the column bound to the field: it becomes the search field and
    // the table is sorted on it, case ignored. A failure of the sort is thrown; the search
    // field has changed all the same.
    void TitleClick(std::string_view fieldName);

    // The character a key typed in the grid puts into the search box: the typed character
    // in the locale's lower case when that is a digit, a letter a to z or one of the
    // Hungarian accented small letters (code page 1250); nothing for every other key.
    static std::optional<char> GridSearchKey(const QString& typed);

private:
    TMemTable& table_;
    std::string searchField_;
};

// The position of a grid's status bar, "count/recno": puts the open table's position into
// text and tells whether that changed it. A closed table leaves the text as it was.
bool RefreshPositionText(const TMemTable& table, QString& text);

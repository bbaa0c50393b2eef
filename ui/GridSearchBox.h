#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QKeyEvent;
class QLineEdit;
class TThemeDBGrid;

// The keyboard and mouse side of a window's incremental search, shared by the test editor
// and the download window: each change of the search box's text searches; a digit or letter
// typed in the grid moves to the search box as its only, lower-case text; Down in the search
// box goes back to the grid; a click on a column title highlights that column, sorts on its
// field and puts the focus in the search box. The window's own shortcuts (its actions'),
// typed in the search box, still reach the window. What a search and a sort do is the
// window's logic's (data/GridSearch.h), passed in as two functions.
class GridSearchBox : public QObject {
public:
    struct Hooks {
        // The search box's text changed (code page 1250).
        std::function<void(std::string_view text)> search;
        // A column title was clicked: sort on this field. A failure reaches the program-wide
        // error box.
        std::function<void(std::string_view fieldName)> titleClick;
    };

    // The box, the grid and the window must outlive the wiring; it is a child of the window.
    // The highlight colour is a 0x00BBGGRR value.
    GridSearchBox(QWidget& window, QLineEdit& edit, TThemeDBGrid& grid, std::uint32_t highlight,
                  Hooks hooks);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool gridKeyPress(const QKeyEvent& key);
    bool editKeyDown(const QKeyEvent& key);
    bool isWindowShortcut(const QKeyEvent& key) const;
    void titleClicked(int column, const std::string& fieldName);

    QWidget& window_;
    QLineEdit& edit_;
    TThemeDBGrid& grid_;
    std::uint32_t highlight_;
    Hooks hooks_;
};

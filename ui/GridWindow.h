#pragma once

#include <QAction>
#include <QFont>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QToolBar;
class QWidget;
class TMemTable;
class TThemeDBGrid;
struct TRect;

// The frame shared by the windows that show a word table in a grid (the test editor, the
// download window): a tool bar of commands, the title panel with the search box, the grid and
// the status bar with the position. Each window keeps its own commands, captions, sizes and
// logic and passes them in; nothing here knows the program's configuration.

// One command of a window: the window's member that receives the action and the member
// function it runs.
template <class Window>
struct GridActionSpec {
    QAction* Window::*action;
    const char* name;
    const char* caption; // code page 1250
    const char* hint;    // code page 1250
    int image;
    QList<QKeySequence> shortcuts;
    void (Window::*execute)();
};

// A command's action, a child of the window and added to it so that its shortcut works
// anywhere in the window.
QAction* newGridAction(QWidget& window, const char* name, const char* caption, const char* hint,
                       int image, const QList<QKeySequence>& shortcuts);

template <class Window, std::size_t N>
void createGridActions(Window& window, const GridActionSpec<Window> (&specs)[N]) {
    for (const GridActionSpec<Window>& def : specs) {
        QAction* action =
            newGridAction(window, def.name, def.caption, def.hint, def.image, def.shortcuts);
        QObject::connect(action, &QAction::triggered, &window, def.execute);
        window.*def.action = action;
    }
}

QFont withPointSize(QFont font, int points);

// The window's name, title, frame buttons and design font.
void setUpGridWindow(QDialog& window, const char* formName, const QString& title,
                     const QFont& designFont);

// The widgets of a grid window under the names the window, its logic's wiring and its tests
// know them by.
struct GridWindowWidgets {
    QToolBar* ToolBar1 = nullptr;
    QLabel* Panel1 = nullptr;
    QLineEdit* Edit1 = nullptr; // the search box on the title panel
    TThemeDBGrid* DBGrid1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr; // the position, "count/recno"
    QLabel* StatusPanel1 = nullptr; // the rest of the bar, the window's own
    QMenu* PopupMenu1 = nullptr;
};

// What differs between the grid windows' widgets.
struct GridWindowParts {
    QString title;                 // the title panel's text
    std::vector<QAction*> toolBar; // nullptr stands for a separator
    QSize buttonSize;              // the tool buttons' least size
    TMemTable* table;
    std::vector<std::string> columns;
    QAction* doubleClick;            // what a double click in the grid triggers
    std::vector<QAction*> popupMenu; // nullptr stands for a separator
    QFont designFont;                // the search box's font
};

// Creates the widgets in order and lays them out top to bottom without margins: the tool bar,
// the title panel with the search box, the grid taking the rest and the status bar; the
// context menu pops up where the grid asks for it. The grid's resizes reach the window's event
// filter.
void createGridWidgets(QWidget& window, GridWindowWidgets& widgets, const GridWindowParts& parts);

// The buttons are all of one size, at least minimum, and grow together when a caption in the
// current font needs more: a caption is never cut short.
void fitToolButtons(QToolBar& toolBar, QSize minimum);

// What the first show of a grid window takes from the program's settings.
struct GridWindowShow {
    std::uint32_t highlight;
    int fontSize;
    QString settingsFile;
    std::string_view formName;
    QSize designSize;
    QSize buttonSize;
};

// The first show: the highlighted search column, the font size of the settings, the stored
// placement, the tool buttons fitted to the new font and the owner-drawn menus.
void showGridWindow(QDialog& window, const GridWindowShow& show, const TRect& workArea,
                    const GridWindowWidgets& widgets);

// Stores the placement; a failure reaches the program-wide error box.
void saveGridWindowPlacement(QWidget& window, const QString& settingsFile,
                             std::string_view formName);

// Runs a window's command; its failure ends it and reaches the program-wide error box.
void runGridCommand(QWidget& window, const std::function<void()>& command);

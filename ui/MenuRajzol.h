#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QPixmap>
#include <QString>

class QKeySequence;
class QPainter;
class QRect;

// What the painters read of one menu item.
struct MenuItemData {
    // The caption as given to the menu: "&" marks a mnemonic, "&&" a literal ampersand.
    // A caption of "-" makes the item a separator.
    QString Caption{};
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    // The shortcut in display form ("Shift+Ctrl+S", "F2"); empty when the item has none.
    QString ShortCut{};
    // The item's picture from the menus' 16 x 16 image list; null when there is none.
    QPixmap Image{};

    bool IsSeparator() const { return Caption == QLatin1String("-"); }
};

// The drawing state of one item, as the menu reports it while painting.
enum class MenuState {
    Selected = 0x01, // the highlighted drop-down item, or the open menu bar item
    Hot = 0x02,      // the menu bar item under the pointer or the keyboard highlight
    Checked = 0x04,
    Disabled = 0x08,
    Default = 0x10,
    Inactive = 0x20, // the menu's window is not the active window
};
Q_DECLARE_FLAGS(MenuStates, MenuState)
Q_DECLARE_OPERATORS_FOR_FLAGS(MenuStates)

// The classic desktop colours the menus use, taken from the application palette.
enum class SystemColor { MenuText, HighlightText, GrayText, ButtonFace };
QColor systemColor(SystemColor color);

// The fixed colours of the menu look.
namespace MenuColors {
inline const QColor Highlight{222, 170, 141}; // ground of a selected or hot item
inline const QColor Outline{128, 128, 128};   // its frame; text of a disabled drop-down item
inline const QColor Ground{222, 222, 222};    // ground of a resting drop-down item
inline const QColor SeparatorLine{162, 162, 162};
} // namespace MenuColors

// The caption as it is painted: each "&" mnemonic marker removed, "&&" kept as one "&".
QString menuCaptionText(const QString& caption);

// A shortcut in the form the menus show: "Shift+", "Ctrl+", "Alt+" (in this order) before the
// key's name, e.g. "Ctrl+O", "Shift+Ctrl+S", "F2", "Ins". Chords are joined with ", ".
QString menuShortCutText(const QKeySequence& shortcut);

// The menus' font: the application's font for menus, bold for the default item.
QFont menuFont(const MenuItemData& item);

// Puts the canvas in the state the painters expect on entry: the menu font (bold for the
// default item) and the text colour of the item's state.
void prepareMenuCanvas(QPainter& canvas, const MenuItemData& item, MenuStates state, bool menuBar);

// Paints a drop-down or context-menu item into rect. The caption and shortcut are written in
// the canvas's font and pen colour, so call prepareMenuCanvas first.
void MenupontRajzol(const MenuItemData& item, QPainter& canvas, const QRect& rect,
                    MenuStates state);

// Paints an item of the menu bar into rect, in the canvas's font and pen colour.
void MenusorRajzol(const MenuItemData& item, QPainter& canvas, const QRect& rect, MenuStates state);

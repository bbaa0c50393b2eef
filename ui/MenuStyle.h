#pragma once

#include "ui/MenuRajzol.h"

#include <QProxyStyle>

class QStyleOptionMenuItem;

// The item description and drawing state the painters need, read from Qt's option for one item.
MenuItemData menuItemFromOption(const QStyleOptionMenuItem& option);
MenuStates menuStatesFromOption(const QStyleOptionMenuItem& option, const QWidget* widget,
                                bool menuBar);

// The menus' own look: menu bar items and drop-down items are painted and measured by the
// routines of MenuRajzol; every other element is left to the application's style.
class MenuStyle : public QProxyStyle {
public:
    MenuStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;

    // The three entry points through which the menus are drawn and measured. The items of a
    // menu bar are the top-level items; every other item is a drop-down item.
    // A menu bar item.
    static void mnRekordokAdvancedDrawItem(const QStyleOptionMenuItem& option, QPainter& canvas,
                                           const QWidget* widget);
    // A drop-down or context-menu item.
    static void mnUjAdvancedDrawItem(const QStyleOptionMenuItem& option, QPainter& canvas,
                                     const QWidget* widget);
    // A drop-down or context-menu item's size: the standard measure, 50 wider and 4 taller.
    static QSize mnUjMeasureItem(const QSize& standard);

    // The standard measure of a drop-down item in a menu of 16 x 16 images: 38 pixels around
    // the caption, max(16, text height) + 3 high; a separator is 8 high. The shortcut column
    // is not included: the menu adds the width of its widest shortcut to every item.
    static QSize standardItemSize(const MenuItemData& item);
    // A menu bar item: 7 pixels either side of the caption and 3 above and below it.
    static QSize menuBarItemSize(const MenuItemData& item);
};

// The one menu style the program's menus share; owned by the application object.
MenuStyle* menuStyle();

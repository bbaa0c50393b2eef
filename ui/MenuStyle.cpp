#include "ui/MenuStyle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QWidget>

namespace {

// The standard measure around a caption in a menu of 16 x 16 images: image, gap, margin.
constexpr int StandardImageWidth = 16;
constexpr int StandardGap = 15;
constexpr int StandardMargin = 7;
constexpr int StandardExtraHeight = 3;
constexpr int StandardSeparatorHeight = 5;
// What the measure handler adds to the standard measure.
constexpr int ExtraWidth = 50;
constexpr int ExtraHeight = 4;
// Room around a menu bar caption (written at L + 7, T + 3).
constexpr int BarPaddingX = 7;
constexpr int BarPaddingY = 3;
constexpr int PanelWidth = 1;
constexpr int SubMenuArrowWidth = 8;
constexpr int SubMenuArrowGap = 4;

bool isItemType(const QStyleOptionMenuItem& option) {
    switch (option.menuItemType) {
    case QStyleOptionMenuItem::Normal:
    case QStyleOptionMenuItem::DefaultItem:
    case QStyleOptionMenuItem::Separator:
    case QStyleOptionMenuItem::SubMenu:
        return true;
    default:
        return false;
    }
}

// The menu puts the shortcut after a tab in its native form; the painters show it in theirs.
QString shortCutFromText(const QString& text) {
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::NativeText);
    if (sequence.isEmpty() || sequence.toString(QKeySequence::NativeText) != text)
        return text;
    return menuShortCutText(sequence);
}

qreal devicePixelRatio(const QWidget* widget) {
    return widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
}

void drawSubMenuArrow(const QStyle& base, const QStyleOptionMenuItem& option, QPainter& canvas,
                      const QWidget* widget) {
    QStyleOption arrow(option);
    arrow.rect = QRect(option.rect.right() - SubMenuArrowGap - SubMenuArrowWidth, option.rect.top(),
                       SubMenuArrowWidth, option.rect.height());
    base.drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, &canvas, widget);
}

} // namespace

MenuItemData menuItemFromOption(const QStyleOptionMenuItem& option) {
    MenuItemData item;
    if (option.menuItemType == QStyleOptionMenuItem::Separator) {
        item.Caption = QStringLiteral("-");
        return item;
    }
    const qsizetype tab = option.text.indexOf(u'\t');
    item.Caption = option.text.left(tab);
    if (tab >= 0)
        item.ShortCut = shortCutFromText(option.text.mid(tab + 1));
    item.Enabled = option.state.testFlag(QStyle::State_Enabled);
    item.Checked = option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked;
    item.Default = option.menuItemType == QStyleOptionMenuItem::DefaultItem;
    return item;
}

MenuStates menuStatesFromOption(const QStyleOptionMenuItem& option, const QWidget* widget,
                                bool menuBar) {
    MenuStates states;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    if (menuBar) {
        // The bar marks the item under the pointer as selected, and sunken once its menu is open.
        if (selected && option.state.testFlag(QStyle::State_Sunken))
            states |= MenuState::Selected;
        else if (selected || option.state.testFlag(QStyle::State_MouseOver))
            states |= MenuState::Hot;
    } else if (selected) {
        states |= MenuState::Selected;
    }
    if (!option.state.testFlag(QStyle::State_Enabled))
        states |= MenuState::Disabled;
    if (option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked)
        states |= MenuState::Checked;
    if (option.menuItemType == QStyleOptionMenuItem::DefaultItem)
        states |= MenuState::Default;
    const bool active =
        widget ? widget->isActiveWindow() : option.state.testFlag(QStyle::State_Active);
    if (!active)
        states |= MenuState::Inactive;
    return states;
}

MenuStyle::MenuStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

void MenuStyle::mnRekordokAdvancedDrawItem(const QStyleOptionMenuItem& option, QPainter& canvas,
                                           const QWidget* widget) {
    const MenuItemData item = menuItemFromOption(option);
    const MenuStates state = menuStatesFromOption(option, widget, true);
    prepareMenuCanvas(canvas, item, state, true);
    MenusorRajzol(item, canvas, option.rect, state);
}

void MenuStyle::mnUjAdvancedDrawItem(const QStyleOptionMenuItem& option, QPainter& canvas,
                                     const QWidget* widget) {
    MenuItemData item = menuItemFromOption(option);
    if (!option.icon.isNull())
        item.Image = option.icon.pixmap(QSize(16, 16), devicePixelRatio(widget), QIcon::Normal);
    const MenuStates state = menuStatesFromOption(option, widget, false);
    prepareMenuCanvas(canvas, item, state, false);
    MenupontRajzol(item, canvas, option.rect, state);
}

QSize MenuStyle::mnUjMeasureItem(const QSize& standard) {
    return standard + QSize(ExtraWidth, ExtraHeight);
}

QSize MenuStyle::standardItemSize(const MenuItemData& item) {
    const int around = StandardImageWidth + StandardGap + StandardMargin;
    if (item.IsSeparator())
        return {around, StandardSeparatorHeight + StandardExtraHeight};
    const QFontMetrics metrics(menuFont(item));
    return {around + metrics.horizontalAdvance(menuCaptionText(item.Caption)),
            qMax(StandardImageWidth, metrics.height()) + StandardExtraHeight};
}

QSize MenuStyle::menuBarItemSize(const MenuItemData& item) {
    const QFontMetrics metrics(menuFont(item));
    return {metrics.horizontalAdvance(menuCaptionText(item.Caption)) + 2 * BarPaddingX,
            metrics.height() + 2 * BarPaddingY};
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    switch (element) {
    case CE_MenuItem:
        if (item && isItemType(*item)) {
            painter->save();
            painter->setClipRect(item->rect, Qt::IntersectClip);
            mnUjAdvancedDrawItem(*item, *painter, widget);
            if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
                drawSubMenuArrow(*baseStyle(), *item, *painter, widget);
            painter->restore();
            return;
        }
        break;
    case CE_MenuBarItem:
        if (item) {
            painter->save();
            painter->setClipRect(item->rect, Qt::IntersectClip);
            mnRekordokAdvancedDrawItem(*item, *painter, widget);
            painter->restore();
            return;
        }
        break;
    case CE_MenuEmptyArea:
        painter->fillRect(option->rect, MenuColors::Ground);
        return;
    case CE_MenuBarEmptyArea:
        painter->fillRect(option->rect, systemColor(SystemColor::ButtonFace));
        return;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case PE_PanelMenu:
        painter->fillRect(option->rect, MenuColors::Ground);
        return;
    case PE_FrameMenu: {
        const QRect& r = option->rect;
        painter->fillRect(QRect(r.left(), r.top(), r.width(), PanelWidth), MenuColors::Outline);
        painter->fillRect(QRect(r.left(), r.bottom() - PanelWidth + 1, r.width(), PanelWidth),
                          MenuColors::Outline);
        painter->fillRect(QRect(r.left(), r.top(), PanelWidth, r.height()), MenuColors::Outline);
        painter->fillRect(QRect(r.right() - PanelWidth + 1, r.top(), PanelWidth, r.height()),
                          MenuColors::Outline);
        return;
    }
    case PE_PanelMenuBar:
        painter->fillRect(option->rect, systemColor(SystemColor::ButtonFace));
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type == CT_MenuItem && item && isItemType(*item))
        return mnUjMeasureItem(standardItemSize(menuItemFromOption(*item)));
    if (type == CT_MenuBarItem && item)
        return menuBarItemSize(menuItemFromOption(*item));
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    switch (metric) {
    // Items fill the menu and the bar edge to edge, as their grounds are part of the look.
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuBarHMargin:
    case PM_MenuBarVMargin:
    case PM_MenuBarPanelWidth:
    case PM_MenuBarItemSpacing:
        return 0;
    case PM_MenuPanelWidth:
        return PanelWidth;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

MenuStyle* menuStyle() {
    // Parented to the application object, which outlives the windows whose menus use it.
    static QPointer<MenuStyle> shared;
    if (!shared) {
        shared = new MenuStyle;
        shared->setParent(qApp);
    }
    return shared;
}

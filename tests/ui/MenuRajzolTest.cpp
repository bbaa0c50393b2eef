#include "ui/MenuRajzol.h"

#include "ui/MenuBeallitas.h"
#include "ui/MenuStyle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QColor Marker(255, 0, 255);
const QColor ImageGreen(0, 160, 0);
// A palette whose roles are told apart by colour, so a test sees which one was used.
const QColor PaletteText(0, 0, 200);
const QColor PaletteHighlightText(250, 250, 0);
const QColor PaletteGrayText(90, 40, 10);
const QColor PaletteButton(200, 230, 250);

// Replaces the application palette for one test.
class PaletteScope {
public:
    PaletteScope()
        : saved_(QApplication::palette()) {
        QPalette palette = saved_;
        palette.setColor(QPalette::Active, QPalette::WindowText, PaletteText);
        palette.setColor(QPalette::Active, QPalette::HighlightedText, PaletteHighlightText);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, PaletteGrayText);
        palette.setColor(QPalette::Active, QPalette::Button, PaletteButton);
        QApplication::setPalette(palette);
    }
    ~PaletteScope() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

QPixmap solidImage() {
    QPixmap image(16, 16);
    image.fill(ImageGreen);
    return image;
}

// The smallest rectangle of pixels in area that differ from ground.
QRect inkIn(const QImage& image, const QRect& area, const QColor& ground) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != ground)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// Where the text's ink falls when it is written with its cell's top-left corner at topLeft,
// found independently of the painters: drawn on its baseline.
QRect referenceInk(const QString& text, const QFont& font, QPoint topLeft, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(topLeft.x(), topLeft.y() + QFontMetrics(font).ascent()), text);
    }
    return inkIn(image, image.rect(), Qt::white);
}

class MenuPainterTest : public ::testing::Test {
protected:
    // An item away from the image's corner, so a painter that ignores L or T shows.
    static constexpr int L = 10;
    static constexpr int T = 5;
    static constexpr int W = 180;
    static constexpr int H = 23;
    static constexpr int R = L + W;
    static constexpr int B = T + H;

    void paint(const MenuItemData& item, MenuStates state, int height = H) {
        image_.fill(Marker);
        QPainter painter(&image_);
        prepareMenuCanvas(painter, item, state, false);
        MenupontRajzol(item, painter, QRect(L, T, W, height), state);
    }

    void paintBar(const MenuItemData& item, MenuStates state) {
        image_.fill(Marker);
        QPainter painter(&image_);
        prepareMenuCanvas(painter, item, state, true);
        MenusorRajzol(item, painter, QRect(L, T, W, H), state);
    }

    QColor at(int x, int y) const { return image_.pixelColor(x, y); }

    bool anyPixel(const QColor& color) const {
        for (int y = 0; y < image_.height(); ++y)
            for (int x = 0; x < image_.width(); ++x)
                if (image_.pixelColor(x, y) == color)
                    return true;
        return false;
    }

    QFont font() const { return menuFont(MenuItemData{}); }

    PaletteScope palette_;
    QImage image_{220, 40, QImage::Format_RGB32};
};

TEST_F(MenuPainterTest, RestingItemFillsItsRectangleOnlyAndHasNoFrame) {
    paint({.Caption = QStringLiteral("Megnyit")}, {});
    EXPECT_EQ(at(L, T), MenuColors::Ground);
    EXPECT_EQ(at(R - 1, B - 1), MenuColors::Ground);
    EXPECT_EQ(at(L + 1, T + 1), MenuColors::Ground);
    EXPECT_EQ(at(L - 1, T), Marker);
    EXPECT_EQ(at(R, B - 1), Marker);
    EXPECT_EQ(at(L, B), Marker);
}

struct HighlightRow {
    const char* name;
    MenuStates state;
    friend void PrintTo(const HighlightRow& row, std::ostream* out) { *out << row.name; }
};

class HighlightedItemTest : public MenuPainterTest,
                            public ::testing::WithParamInterface<HighlightRow> {};

TEST_P(HighlightedItemTest, DropDownItemIsFramedOnItsEdgePixels) {
    paint({.Caption = QStringLiteral("Megnyit")}, GetParam().state);
    for (const QPoint corner : {QPoint(L, T), QPoint(R - 1, T), QPoint(L, B - 1),
                                QPoint(R - 1, B - 1), QPoint(L + W / 2, T), QPoint(L, T + H / 2)})
        EXPECT_EQ(at(corner.x(), corner.y()), MenuColors::Outline)
            << corner.x() << "," << corner.y();
    EXPECT_EQ(at(L + 1, T + 1), MenuColors::Highlight);
    EXPECT_EQ(at(R - 2, B - 2), MenuColors::Highlight);
    EXPECT_EQ(at(R, T), Marker);
    EXPECT_EQ(at(L, B), Marker);
}

TEST_P(HighlightedItemTest, MenuBarItemIsFramedInsetByTwoAndLeavesTheBand) {
    paintBar({.Caption = QStringLiteral("File")}, GetParam().state);
    EXPECT_EQ(at(L, T), Marker);
    EXPECT_EQ(at(L + 1, T + 1), Marker);
    EXPECT_EQ(at(R - 2, B - 2), Marker);
    EXPECT_EQ(at(L + W / 2, B - 1), Marker);
    EXPECT_EQ(at(L + 2, T + 2), MenuColors::Outline);
    EXPECT_EQ(at(R - 3, B - 3), MenuColors::Outline);
    EXPECT_EQ(at(R - 3, T + 2), MenuColors::Outline);
    EXPECT_EQ(at(L + 3, T + 3), MenuColors::Highlight);
    EXPECT_EQ(at(R - 4, B - 4), MenuColors::Highlight);
}

INSTANTIATE_TEST_SUITE_P(States, HighlightedItemTest,
                         ::testing::Values(HighlightRow{"selected", MenuState::Selected},
                                           HighlightRow{"hot", MenuState::Hot}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuPainterTest, RestingMenuBarItemIsButtonFaceToItsEdges) {
    paintBar({.Caption = QStringLiteral("File")}, {});
    EXPECT_EQ(at(L, T), PaletteButton);
    EXPECT_EQ(at(R - 1, B - 1), PaletteButton);
    EXPECT_EQ(at(L + 2, T + 2), PaletteButton);
    EXPECT_EQ(at(R, T), Marker);
}

TEST_F(MenuPainterTest, CaptionsAreWrittenAtTheirPlaces) {
    const QSize size = image_.size();
    paint({.Caption = QStringLiteral("Megnyit")}, {});
    EXPECT_EQ(inkIn(image_, QRect(L, T, W, H), MenuColors::Ground),
              referenceInk(QStringLiteral("Megnyit"), font(), {L + 22, T + 4}, size));

    paint({.Caption = QStringLiteral("Megnyit")}, MenuState::Selected);
    EXPECT_EQ(inkIn(image_, QRect(L + 1, T + 1, W - 2, H - 2), MenuColors::Highlight),
              referenceInk(QStringLiteral("Megnyit"), font(), {L + 22, T + 4}, size))
        << "the caption does not move with the selection";

    paintBar({.Caption = QStringLiteral("File")}, {});
    EXPECT_EQ(inkIn(image_, QRect(L, T, W, H), PaletteButton),
              referenceInk(QStringLiteral("File"), font(), {L + 7, T + 3}, size));
}

TEST_F(MenuPainterTest, ShortcutIsRightAlignedFourPixelsFromTheEdge) {
    const QString shortcut = QStringLiteral("Shift+Ctrl+S");
    paint({.Caption = QStringLiteral("Ment"), .ShortCut = shortcut}, {});
    const int width = QFontMetrics(font()).horizontalAdvance(shortcut);
    const QRect right(L + W / 2, T, W / 2, H);
    EXPECT_EQ(inkIn(image_, right, MenuColors::Ground),
              referenceInk(shortcut, font(), {R - width - 4, T + 4}, image_.size()));
}

TEST_F(MenuPainterTest, AmpersandsAreDroppedWithoutAnUnderline) {
    paint({.Caption = QStringLiteral("&Megnyit")}, {});
    const QImage withMnemonic = image_;
    paint({.Caption = QStringLiteral("Megnyit")}, {});
    EXPECT_EQ(withMnemonic, image_);

    paintBar({.Caption = QStringLiteral("&File")}, MenuState::Hot);
    const QImage barWithMnemonic = image_;
    paintBar({.Caption = QStringLiteral("File")}, MenuState::Hot);
    EXPECT_EQ(barWithMnemonic, image_);
}

struct ImageRow {
    const char* name;
    MenuStates state;
    int offset;
    friend void PrintTo(const ImageRow& row, std::ostream* out) { *out << row.name; }
};

class ItemImageTest : public MenuPainterTest, public ::testing::WithParamInterface<ImageRow> {};

TEST_P(ItemImageTest, ImageSitsAtTwoTwoAndMovesUpLeftWhenHighlighted) {
    paint({.Caption = QStringLiteral("Megnyit"), .Image = solidImage()}, GetParam().state);
    const int x = L + 2 + GetParam().offset;
    const int y = T + 2 + GetParam().offset;
    EXPECT_EQ(at(x, y), ImageGreen);
    EXPECT_EQ(at(x + 15, y + 15), ImageGreen);
    EXPECT_NE(at(x - 1, y + 5), ImageGreen);
    EXPECT_NE(at(x + 5, y - 1), ImageGreen);
    EXPECT_NE(at(x + 16, y + 5), ImageGreen);
    EXPECT_NE(at(x + 5, y + 16), ImageGreen);
}

INSTANTIATE_TEST_SUITE_P(States, ItemImageTest,
                         ::testing::Values(ImageRow{"resting", {}, 0},
                                           ImageRow{"selected", MenuState::Selected, -1},
                                           ImageRow{"hot", MenuState::Hot, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuPainterTest, DisabledItemHasGreyTextAndAFullColourImage) {
    paint({.Caption = QStringLiteral("Megnézem"), .Enabled = false, .Image = solidImage()},
          MenuState::Disabled);
    EXPECT_EQ(at(L + 2, T + 2), ImageGreen);
    EXPECT_EQ(at(L + 17, T + 17), ImageGreen);

    const QRect caption = inkIn(image_, QRect(L + 22, T, W - 22, H), MenuColors::Ground);
    ASSERT_FALSE(caption.isNull());
    int darkest = 255;
    for (int y = caption.top(); y <= caption.bottom(); ++y) {
        for (int x = caption.left(); x <= caption.right(); ++x) {
            const QColor pixel = at(x, y);
            ASSERT_TRUE(pixel.red() == pixel.green() && pixel.green() == pixel.blue())
                << "ink is a shade between the grey text and the ground";
            darkest = qMin(darkest, pixel.red());
        }
    }
    EXPECT_GE(darkest, MenuColors::Outline.red());
    EXPECT_LE(darkest, MenuColors::Outline.red() + 20);
}

TEST_F(MenuPainterTest, CheckedItemShowsTheBulletAndNoImage) {
    paint({.Caption = QStringLiteral("Vegyesen"), .Checked = true, .Image = solidImage()},
          MenuState::Checked);
    EXPECT_FALSE(anyPixel(ImageGreen));

    const int cell = QFontMetrics(font()).height();
    const QRect bullet = inkIn(image_, QRect(L, T, 21, H), MenuColors::Ground);
    ASSERT_FALSE(bullet.isNull());
    EXPECT_TRUE(QRect(L + 8, T + 5, cell, cell).contains(bullet)) << "the bullet's cell is at 8,5";
    EXPECT_LE(bullet.left(), L + 8 + 2) << "centred in a cell no wider than the bullet's glyph";
    EXPECT_GE(bullet.width(), 5);
    EXPECT_LE(qAbs(bullet.width() - bullet.height()), 1) << "a round bullet";
    EXPECT_EQ(at(bullet.center().x(), bullet.center().y()), PaletteText);
}

TEST_F(MenuPainterTest, SeparatorIsOneLineHalfwayDownAndNothingElse) {
    paint({.Caption = QStringLiteral("-"), .ShortCut = QStringLiteral("F2"), .Image = solidImage()},
          {}, 12);
    const int line = T + 6;
    EXPECT_EQ(at(L + 2, line), MenuColors::SeparatorLine);
    EXPECT_EQ(at(R - 3, line), MenuColors::SeparatorLine);
    EXPECT_EQ(at(L + 1, line), MenuColors::Ground);
    EXPECT_EQ(at(R - 2, line), MenuColors::Ground);
    EXPECT_EQ(inkIn(image_, QRect(L, T, W, 12), MenuColors::Ground), QRect(L + 2, line, W - 4, 1));
}

TEST(MenuCaptionText, RemovesMnemonicMarkers) {
    struct Row {
        const char* caption;
        const char* shown;
    };
    for (const Row& row : {Row{"&Megnyit", "Megnyit"}, Row{"Hozzá&nyit...", "Hozzányit..."},
                           Row{"Fish && Chips", "Fish & Chips"}, Row{"&&&Új", "&Új"},
                           Row{"vége&", "vége"}, Row{"", ""}})
        EXPECT_EQ(menuCaptionText(QString::fromUtf8(row.caption)), QString::fromUtf8(row.shown))
            << row.caption;
}

TEST(MenuShortCutText, ModifiersComeInTheMenusOrder) {
    struct Row {
        QKeySequence shortcut;
        const char* text;
    };
    const Row rows[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), "Ctrl+O"},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "Shift+Ctrl+S"},
        {QKeySequence(Qt::ALT | Qt::CTRL | Qt::Key_X), "Ctrl+Alt+X"},
        {QKeySequence(Qt::Key_F2), "F2"},
        {QKeySequence(Qt::Key_Insert), "Ins"},
        {QKeySequence(Qt::CTRL | Qt::Key_K, Qt::CTRL | Qt::Key_B), "Ctrl+K, Ctrl+B"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(menuShortCutText(row.shortcut), QString::fromLatin1(row.text)) << row.text;
}

struct CanvasRow {
    const char* name;
    MenuItemData item;
    MenuStates state;
    bool menuBar;
    QColor text;
    friend void PrintTo(const CanvasRow& row, std::ostream* out) { *out << row.name; }
};

class MenuCanvasTest : public ::testing::TestWithParam<CanvasRow> {
protected:
    PaletteScope palette_;
};

TEST_P(MenuCanvasTest, TextColourFollowsTheState) {
    QImage image(4, 4, QImage::Format_RGB32);
    QPainter painter(&image);
    prepareMenuCanvas(painter, GetParam().item, GetParam().state, GetParam().menuBar);
    EXPECT_EQ(painter.pen().color(), GetParam().text);
    EXPECT_EQ(painter.font().family(), QApplication::font("QMenu").family());
    EXPECT_EQ(painter.font().bold(), GetParam().item.Default);
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuCanvasTest,
    ::testing::Values(
        CanvasRow{"resting", {}, {}, false, PaletteText},
        CanvasRow{"selected", {}, MenuState::Selected, false, PaletteHighlightText},
        CanvasRow{"disabled", {.Enabled = false}, MenuState::Disabled, false, PaletteGrayText},
        CanvasRow{"inactive_window", {}, MenuState::Inactive, false, PaletteGrayText},
        CanvasRow{"default_bold", {.Default = true}, MenuState::Default, false, PaletteText},
        CanvasRow{"bar_selected", {}, MenuState::Selected, true, PaletteText},
        CanvasRow{"bar_hot", {}, MenuState::Hot, true, PaletteText},
        CanvasRow{"bar_inactive_window", {}, MenuState::Inactive, true, PaletteGrayText}),
    [](const auto& info) { return std::string(info.param.name); });

QStyleOptionMenuItem
itemOption(const QString& text,
           QStyleOptionMenuItem::MenuItemType type = QStyleOptionMenuItem::Normal) {
    QStyleOptionMenuItem option;
    option.text = text;
    option.menuItemType = type;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    return option;
}

int textWidth(const QString& text) {
    return QFontMetrics(menuFont({})).horizontalAdvance(text);
}
int textHeight() {
    return QFontMetrics(menuFont({})).height();
}
int itemHeight() {
    return qMax(16, textHeight()) + 3 + 4;
}

TEST(MenuStyleTest, MeasuresDropDownItemsWiderAndTaller) {
    MenuStyle& style = *menuStyle();
    const QStyleOptionMenuItem open = itemOption(QStringLiteral("&Megnyit\tCtrl+O"));
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &open, QSize(1, 1), nullptr),
              QSize(88 + textWidth(QStringLiteral("Megnyit")), itemHeight()));

    const QStyleOptionMenuItem separator = itemOption({}, QStyleOptionMenuItem::Separator);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &separator, QSize(2, 2), nullptr),
              QSize(88, 12));

    const QStyleOptionMenuItem file = itemOption(QStringLiteral("&File"));
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuBarItem, &file, QSize(1, 1), nullptr),
              QSize(textWidth(QStringLiteral("File")) + 14, textHeight() + 6));
}

TEST(MenuStyleTest, OptionBecomesAnItemDescription) {
    QStyleOptionMenuItem option =
        itemOption(QStringLiteral("&Mentés\tCtrl+Shift+S"), QStyleOptionMenuItem::DefaultItem);
    option.checkType = QStyleOptionMenuItem::NonExclusive;
    option.checked = true;
    option.state = QStyle::State_Selected | QStyle::State_Active;
    const MenuItemData item = menuItemFromOption(option);
    EXPECT_EQ(item.Caption, QStringLiteral("&Mentés"));
    EXPECT_EQ(item.ShortCut, QStringLiteral("Shift+Ctrl+S"));
    EXPECT_FALSE(item.Enabled);
    EXPECT_TRUE(item.Checked);
    EXPECT_TRUE(item.Default);
    EXPECT_EQ(menuStatesFromOption(option, nullptr, false),
              MenuState::Selected | MenuState::Disabled | MenuState::Checked | MenuState::Default);

    // On the bar, the item under the pointer is hot; it is selected once its menu is open.
    QStyleOptionMenuItem bar = itemOption(QStringLiteral("File"));
    bar.state |= QStyle::State_Selected;
    EXPECT_EQ(menuStatesFromOption(bar, nullptr, true), MenuStates(MenuState::Hot));
    bar.state |= QStyle::State_Sunken;
    EXPECT_EQ(menuStatesFromOption(bar, nullptr, true), MenuStates(MenuState::Selected));
}

class MenuWindowTest : public ::testing::Test {
protected:
    MenuWindowTest() {
        file_ = window_.menuBar()->addMenu(QStringLiteral("&File"));
        open_ = file_->addAction(QStringLiteral("&Megnyit"));
        open_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
        separator_ = file_->addSeparator();
        close_ = file_->addAction(QStringLiteral("Bezár"));
        help_ = window_.menuBar()->addMenu(QStringLiteral("Súgó"));
    }

    static bool usesMenuStyle(const QWidget* widget) { return widget->style() == menuStyle(); }

    QMainWindow window_;
    QMenu* file_;
    QMenu* help_;
    QAction* open_;
    QAction* separator_;
    QAction* close_;
};

TEST_F(MenuWindowTest, MenuBeallitasStylesTheWindowsMenusNowAndLater) {
    QMainWindow other;
    QMenu* otherMenu = other.menuBar()->addMenu(QStringLiteral("Más"));

    MenuBeallitas(&window_);
    MenuBeallitas(&window_);
    EXPECT_TRUE(usesMenuStyle(window_.menuBar()));
    EXPECT_FALSE(window_.menuBar()->isNativeMenuBar());
    EXPECT_TRUE(usesMenuStyle(file_));
    EXPECT_TRUE(usesMenuStyle(help_));
    EXPECT_FALSE(usesMenuStyle(&window_)) << "only the menus change";

    auto* context = new QMenu(&window_);
    context->addAction(QStringLiteral("Törlés"));
    context->ensurePolished();
    EXPECT_TRUE(usesMenuStyle(context)) << "a context menu made later";

    auto* panel = new QWidget(&window_);
    auto* edit = new QLineEdit(panel);
    const std::unique_ptr<QMenu> standard(edit->createStandardContextMenu());
    standard->ensurePolished();
    EXPECT_TRUE(usesMenuStyle(standard.get())) << "a menu deeper in a widget made later";

    otherMenu->ensurePolished();
    EXPECT_FALSE(usesMenuStyle(otherMenu));
    EXPECT_FALSE(usesMenuStyle(other.menuBar()));
}

TEST_F(MenuWindowTest, MenuItemsGetTheMeasuredSizes) {
    MenuBeallitas(&window_);
    const QFontMetrics metrics(file_->font());
    const int shortcutColumn =
        metrics.horizontalAdvance(open_->shortcut().toString(QKeySequence::NativeText));
    const int captions =
        qMax(textWidth(QStringLiteral("Megnyit")), textWidth(QStringLiteral("Bezár")));

    const QRect open = file_->actionGeometry(open_);
    EXPECT_EQ(open.height(), itemHeight());
    EXPECT_EQ(open.width(), 88 + captions + shortcutColumn);
    EXPECT_EQ(file_->actionGeometry(separator_).height(), 12);
    EXPECT_EQ(file_->actionGeometry(separator_).top(), open.bottom() + 1) << "no gaps";

    const QRect bar = window_.menuBar()->actionGeometry(file_->menuAction());
    EXPECT_EQ(bar.size(), QSize(textWidth(QStringLiteral("File")) + 14, textHeight() + 6));
}

TEST_F(MenuWindowTest, MenusArePaintedByThePainters) {
    MenuBeallitas(&window_);
    file_->setActiveAction(close_);
    const QImage image = file_->grab().toImage();
    const QRect open = file_->actionGeometry(open_);
    const QRect close = file_->actionGeometry(close_);
    const QRect separator = file_->actionGeometry(separator_);

    EXPECT_EQ(image.pixelColor(0, 0), MenuColors::Outline) << "the menu's frame";
    EXPECT_EQ(image.pixelColor(open.left() + 1, open.top() + 1), MenuColors::Ground);
    EXPECT_EQ(image.pixelColor(close.topLeft()), MenuColors::Outline);
    EXPECT_EQ(image.pixelColor(close.left() + 1, close.top() + 1), MenuColors::Highlight);
    EXPECT_EQ(image.pixelColor(separator.left() + 2, separator.top() + 6),
              MenuColors::SeparatorLine);
}

} // namespace

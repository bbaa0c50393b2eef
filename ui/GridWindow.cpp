#include "ui/GridWindow.h"

#include "platform/Cp1250.h"
#include "ui/ImageList.h"
#include "ui/MenuBeallitas.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"
#include "ui/WindowPlacement.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

namespace {

constexpr int TitlePanelHeight = 35;
constexpr int PositionPanelWidth = 100;

QList<QToolButton*> toolButtons(const QToolBar& toolBar) {
    QList<QToolButton*> buttons;
    for (QAction* action : toolBar.actions())
        if (auto* button = qobject_cast<QToolButton*>(toolBar.widgetForAction(action)))
            buttons.append(button);
    return buttons;
}

// nullptr stands for a separator.
void addActionList(QWidget& target, const std::vector<QAction*>& list) {
    for (QAction* action : list) {
        if (action == nullptr) {
            auto* separator = new QAction(&target);
            separator->setSeparator(true);
            target.addAction(separator);
        } else {
            target.addAction(action);
        }
    }
}

} // namespace

QAction* newGridAction(QWidget& window, const char* name, const char* caption, const char* hint,
                       int image, const QList<QKeySequence>& shortcuts) {
    auto* action = new QAction(fromCp1250(caption), &window);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(fromCp1250(hint));
    action->setIcon(ImageList::icon(image));
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    return action;
}

QFont withPointSize(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

void setUpGridWindow(QDialog& window, const char* formName, const QString& title,
                     const QFont& designFont) {
    window.setObjectName(QLatin1String(formName));
    window.setWindowTitle(title);
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    window.setSizeGripEnabled(false);
    window.setFont(designFont);
}

namespace {

QToolBar* createToolBar(QWidget& window, const std::vector<QAction*>& actions, QSize buttonSize) {
    auto* toolBar = new QToolBar(&window);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addActionList(*toolBar, actions);
    for (QToolButton* button : toolButtons(*toolBar))
        button->setAutoRaise(true);
    fitToolButtons(*toolBar, buttonSize);
    return toolBar;
}

void createTitlePanel(QWidget& window, GridWindowWidgets& widgets, const QString& title,
                      const QFont& designFont) {
    auto* panel = new QLabel(title, &window);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFixedHeight(TitlePanelHeight);
    panel->setFrameShape(QFrame::StyledPanel);
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setBold(true);
    font.setPixelSize(15);
    panel->setFont(font);

    auto* edit = new QLineEdit(panel);
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->setFont(designFont);
    edit->move(12, 4);
    widgets.Panel1 = panel;
    widgets.Edit1 = edit;
}

TThemeDBGrid* createGrid(QWidget& window, TMemTable& table,
                         const std::vector<std::string>& fieldNames, QAction& doubleClick) {
    auto* grid = new TThemeDBGrid(&window);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->SetDataSource(&table);
    grid->SetColumns(fieldNames);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(&window);
    QObject::connect(grid, &TThemeDBGrid::dblClick, &doubleClick, &QAction::trigger);
    return grid;
}

void createStatusBar(QWidget& window, GridWindowWidgets& widgets) {
    auto* bar = new QStatusBar(&window);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    auto* position = new QLabel(bar);
    position->setFixedWidth(PositionPanelWidth);
    auto* text = new QLabel(bar);
    bar->addWidget(position);
    bar->addWidget(text, 1);
    widgets.StatusBar1 = bar;
    widgets.StatusPanel0 = position;
    widgets.StatusPanel1 = text;
}

QMenu* createPopupMenu(QWidget& window, TThemeDBGrid& grid, const std::vector<QAction*>& actions) {
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    addActionList(*menu, actions);
    QObject::connect(
        &grid, &QWidget::customContextMenuRequested, menu,
        [&grid, menu](const QPoint& pos) { menu->popup(grid.viewport()->mapToGlobal(pos)); });
    return menu;
}

void layOut(QWidget& window, const GridWindowWidgets& widgets) {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(widgets.ToolBar1);
    layout->addWidget(widgets.Panel1);
    layout->addWidget(widgets.DBGrid1, 1);
    layout->addWidget(widgets.StatusBar1);
}

} // namespace

void createGridWidgets(QWidget& window, GridWindowWidgets& widgets, const GridWindowParts& parts) {
    widgets.ToolBar1 = createToolBar(window, parts.toolBar, parts.buttonSize);
    createTitlePanel(window, widgets, parts.title, parts.designFont);
    widgets.DBGrid1 = createGrid(window, *parts.table, parts.columns, *parts.doubleClick);
    createStatusBar(window, widgets);
    widgets.PopupMenu1 = createPopupMenu(window, *widgets.DBGrid1, parts.popupMenu);
    layOut(window, widgets);
}

void fitToolButtons(QToolBar& toolBar, QSize minimum) {
    QSize size = minimum;
    for (const QToolButton* button : toolButtons(toolBar))
        size = size.expandedTo(button->sizeHint());
    for (QToolButton* button : toolButtons(toolBar))
        button->setFixedSize(size);
}

void showGridWindow(QDialog& window, const GridWindowShow& show, const TRect& workArea,
                    const GridWindowWidgets& widgets) {
    TThemeDBGrid& grid = *widgets.DBGrid1;
    QLineEdit& searchBox = *widgets.Edit1;
    OszlopKiemeles(grid, 0, show.highlight);
    searchBox.setFont(withPointSize(searchBox.font(), show.fontSize));
    window.resize(show.designSize);
    restorePlacement(window, show.settingsFile, show.formName, workArea);
    window.setFont(withPointSize(window.font(), show.fontSize));
    fitToolButtons(*widgets.ToolBar1, show.buttonSize);
    searchBox.resize(121, searchBox.sizeHint().height());
    MenuBeallitas(&window);
}

void saveGridWindowPlacement(QWidget& window, const QString& settingsFile,
                             std::string_view formName) {
    try {
        storePlacement(window, settingsFile, formName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, &window);
    }
}

void runGridCommand(QWidget& window, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, &window);
    }
}

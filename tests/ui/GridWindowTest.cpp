#include "ui/GridWindow.h"

#include "data/FieldSets.h"
#include "data/GridSearch.h"
#include "data/MemTable.h"
#include "ui/ThemeDBGrid.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QList<QToolButton*> buttonsOf(const QToolBar& toolBar) {
    QList<QToolButton*> buttons;
    for (QAction* action : toolBar.actions())
        if (auto* button = qobject_cast<QToolButton*>(toolBar.widgetForAction(action)))
            buttons.append(button);
    return buttons;
}

class GridWindowTest : public ::testing::Test {
protected:
    GridWindowTest() {
        DefineEditorFields(table);
        table.Open();
        shortAction = newGridAction(window, "aRovid", "R", "", 0, {Qt::Key_F5});
        longAction = newGridAction(window, "aHosszu", "Nagyon hossz\xfa felirat a gombon", "", 0,
                                   {Qt::Key_Return, Qt::Key_Enter});
        createGridWidgets(window, widgets,
                          {QStringLiteral("C\xedm"),
                           {shortAction, nullptr, longAction},
                           QSize(53, 36),
                           &table,
                           {"nyelv1", "nyelv2"},
                           longAction,
                           {longAction, nullptr, nullptr, shortAction},
                           QFont()});
    }
    ~GridWindowTest() override { widgets.DBGrid1->SetDataSource(nullptr); }

    TMemTable table;
    QDialog window;
    QAction* shortAction;
    QAction* longAction;
    GridWindowWidgets widgets;
};

TEST_F(GridWindowTest, WidgetsKeepTheirNames) {
    EXPECT_EQ(widgets.ToolBar1->objectName(), QStringLiteral("ToolBar1"));
    EXPECT_EQ(widgets.Panel1->objectName(), QStringLiteral("Panel1"));
    EXPECT_EQ(widgets.Edit1->objectName(), QStringLiteral("Edit1"));
    EXPECT_EQ(widgets.Edit1->parent(), widgets.Panel1);
    EXPECT_EQ(widgets.DBGrid1->objectName(), QStringLiteral("DBGrid1"));
    EXPECT_EQ(widgets.StatusBar1->objectName(), QStringLiteral("StatusBar1"));
    EXPECT_EQ(widgets.PopupMenu1->objectName(), QStringLiteral("PopupMenu1"));
    EXPECT_EQ(widgets.StatusPanel0->width(), 100);
    EXPECT_EQ(widgets.Panel1->height(), 35);
}

TEST_F(GridWindowTest, ActionsWorkAnywhereInTheWindow) {
    EXPECT_TRUE(window.actions().contains(shortAction));
    EXPECT_EQ(longAction->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}));
    EXPECT_EQ(longAction->shortcutContext(), Qt::WindowShortcut);
}

TEST_F(GridWindowTest, NullptrIsASeparator) {
    const QList<QAction*> items = widgets.PopupMenu1->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], longAction);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], shortAction);
}

TEST_F(GridWindowTest, ToolButtonsAreOfOneSizeAndNeverCutACaption) {
    const QList<QToolButton*> buttons = buttonsOf(*widgets.ToolBar1);
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->size(), buttons[1]->size());
    EXPECT_GE(buttons[1]->width(), buttons[1]->sizeHint().width());
    EXPECT_GE(buttons[0]->height(), 36);
}

TEST(RefreshPositionText, TellsOnlyAChange) {
    TMemTable table;
    DefineEditorFields(table);
    QString text = QStringLiteral("was");
    EXPECT_FALSE(RefreshPositionText(table, text));
    EXPECT_EQ(text, QStringLiteral("was"));
    table.Open();
    EXPECT_TRUE(RefreshPositionText(table, text));
    EXPECT_FALSE(RefreshPositionText(table, text));
    table.Append();
    table.Post();
    EXPECT_TRUE(RefreshPositionText(table, text));
    EXPECT_EQ(text, QStringLiteral("1/1"));
}

} // namespace

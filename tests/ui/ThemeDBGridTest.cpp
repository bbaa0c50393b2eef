#include "ui/ThemeDBGrid.h"

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "support/TestFiles.h"
#include "ui/ScriptedDialogs.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Collects the complaints of QAbstractItemModelTester (category qt.modeltest) while it lives.
class ModelTestWarnings {
public:
    ModelTestWarnings() {
        sink_ = &messages_;
        previous_ = qInstallMessageHandler(&ModelTestWarnings::handle);
    }
    ~ModelTestWarnings() {
        qInstallMessageHandler(previous_);
        sink_ = nullptr;
    }
    ModelTestWarnings(const ModelTestWarnings&) = delete;
    ModelTestWarnings& operator=(const ModelTestWarnings&) = delete;

    const QStringList& messages() const { return messages_; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (sink_ && type != QtDebugMsg && context.category &&
            std::string_view(context.category) == "qt.modeltest")
            sink_->append(text);
    }

    static inline QStringList* sink_ = nullptr;
    QStringList messages_;
    QtMessageHandler previous_ = nullptr;
};

void addPair(TMemTable& table, const std::string& first, const std::string& second) {
    table.Append();
    table.SetFieldValue("nyelv1", cp(first));
    table.SetFieldValue("nyelv2", cp(second));
    table.Post();
}

// The editor's table with five pairs in row order, and a grid on it showing nyelv1, nyelv2.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineEditorFields(table);
        table.Open();
        for (const auto& [first, second] :
             std::vector<std::pair<std::string, std::string>>{{"körte", "pear"},
                                                              {"alma", "apple"},
                                                              {"szilva", "plum"},
                                                              {"barack", "peach"},
                                                              {"cseresznye", "cherry"}})
            addPair(table, first, second);
        table.First();
        grid.SetColumns({"nyelv1", "nyelv2"});
        grid.SetDataSource(&table);
        grid.resize(420, 260);
        grid.setColumnWidth(0, 150);
        grid.setColumnWidth(1, 150);
    }

    void show() {
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    TableModel& model() { return grid.tableModel(); }

    QString cell(int row, int column) {
        return model().data(model().index(row, column)).toString();
    }

    // What the grid shows, column by column, against what the table holds in its order.
    void expectMirrorsTable() {
        ASSERT_EQ(model().rowCount(), table.Active() ? table.RecordCount() : 0);
        for (int row = 0; row < model().rowCount(); ++row) {
            EXPECT_EQ(cell(row, 0).toStdString(),
                      fromCp1250(std::get<std::string>(table.ValueAt(row, 1))).toStdString())
                << "row " << row;
        }
    }

    int viewRow() { return grid.currentIndex().isValid() ? grid.currentIndex().row() : -1; }

    TMemTable table{"Tbl"};
    TThemeDBGrid grid;
};

// -- the model

struct TableStep {
    const char* name;
    std::function<void(TMemTable&, const QString& folder)> run;
};

TEST_F(GridTest, ModelStaysConsistentThroughEveryKindOfChange) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<TableStep> steps = {
        {"append", [](TMemTable& t, const QString&) { addPair(t, "dió", "walnut"); }},
        {"insert in row order",
         [](TMemTable& t, const QString&) {
             t.SetRecNo(2);
             t.Insert();
             t.SetFieldValue("nyelv1", cp("eper"));
             t.Post();
         }},
        {"edit",
         [](TMemTable& t, const QString&) {
             t.SetRecNo(3);
             t.Edit();
             t.SetFieldValue("nyelv1", cp("zeller"));
             t.Post();
         }},
        {"cancelled insert",
         [](TMemTable& t, const QString&) {
             t.Insert();
             t.SetFieldValue("nyelv1", cp("mák"));
             t.Cancel();
         }},
        {"sort",
         [](TMemTable& t, const QString&) { t.SortOn("nyelv1", TOption::CaseInsensitive); }},
        {"insert into the sort order",
         [](TMemTable& t, const QString&) {
             t.Insert();
             t.SetFieldValue("nyelv1", cp("bab"));
             t.Post();
         }},
        {"delete",
         [](TMemTable& t, const QString&) {
             t.SetRecNo(1);
             t.Delete();
         }},
        {"delete the last",
         [](TMemTable& t, const QString&) {
             t.SetRecNo(t.RecordCount());
             t.Delete();
         }},
        {"back to row order", [](TMemTable& t, const QString&) { t.SortOn(""); }},
        {"save and load",
         [](TMemTable& t, const QString& folder) {
             t.SaveToFile(folder + QStringLiteral("/a.ask"));
             t.LoadFromFile(folder + QStringLiteral("/a.ask"));
         }},
        {"empty", [](TMemTable& t, const QString&) { t.EmptyTable(); }},
        {"refill", [](TMemTable& t, const QString&) { addPair(t, "hagyma", "onion"); }},
        {"close", [](TMemTable& t, const QString&) { t.Close(); }},
        {"open", [](TMemTable& t, const QString&) { t.Open(); }},
        {"load into the reopened table",
         [](TMemTable& t, const QString& folder) {
             t.LoadFromFile(folder + QStringLiteral("/a.ask"));
         }},
    };
    ModelTestWarnings warnings;
    QAbstractItemModelTester tester(&model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    for (const TableStep& step : steps) {
        SCOPED_TRACE(step.name);
        step.run(table, dir.path());
        expectMirrorsTable();
        EXPECT_EQ(model().currentRow(),
                  table.Active() && table.RecordCount() > 0 ? table.RecNo() - 1 : -1);
    }
    EXPECT_TRUE(warnings.messages().isEmpty()) << warnings.messages().join(u'\n').toStdString();
}

TEST_F(GridTest, CellsShowTextNumbersAndTheFieldsAlignment) {
    table.SetRecNo(2);
    table.Edit();
    table.SetFieldValue("hanyszor", 42);
    table.Post();
    grid.SetColumns({"nyelv1", "hanyszor", "sorszam"});
    EXPECT_EQ(cell(0, 0), QStringLiteral("körte"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("42"));
    EXPECT_EQ(model().data(model().index(1, 2)), QVariant()) << "null shows nothing";
    const auto alignment = [&](int column) {
        return model().data(model().index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
    };
    EXPECT_TRUE(alignment(0) & Qt::AlignLeft);
    EXPECT_TRUE(alignment(1) & Qt::AlignRight);
    EXPECT_EQ(model().flags(model().index(0, 0)) & Qt::ItemIsEditable, Qt::NoItemFlags);
}

TEST_F(GridTest, RowBeingEditedShowsItsWorkingCopy) {
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
    table.SetRecNo(3);
    table.Edit();
    table.SetFieldValue("nyelv1", cp("áfonya"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[0][1].toModelIndex().column(), 1);
    EXPECT_EQ(cell(2, 0), QStringLiteral("áfonya"));
    table.Cancel();
    EXPECT_EQ(cell(2, 0), QStringLiteral("szilva"));
}

TEST_F(GridTest, TitlesFollowTheFieldsThatALoadBrings) {
    EXPECT_EQ(grid.ColumnTitle(0), QStringLiteral("Első nyelv"));
    // A file of the drill's fields, nyelv2 before nyelv1 and without labels.
    QTemporaryDir dir;
    TMemTable other("Tbl1");
    other.AddField("nyelv2", TFieldType::String, 255);
    other.AddField("nyelv1", TFieldType::String, 255);
    other.Open();
    other.Append();
    other.SetFieldValue("nyelv2", cp("grape"));
    other.SetFieldValue("nyelv1", cp("szőlő"));
    other.Post();
    const QString path = dir.path() + QStringLiteral("/other.ask");
    other.SaveToFile(path);

    table.LoadFromFile(path);
    EXPECT_EQ(grid.ColumnTitle(0), QStringLiteral("nyelv1"));
    EXPECT_EQ(grid.ColumnTitle(1), QStringLiteral("nyelv2"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("szőlő"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("grape"));
    EXPECT_EQ(model().columnCount(), 2);

    table.Close();
    EXPECT_EQ(model().rowCount(), 0);
    EXPECT_EQ(grid.ColumnTitle(0), QStringLiteral("nyelv1")) << "a closed table keeps titles";
}

TEST_F(GridTest, DisabledControlsHearNothingAndGetOneResetAtTheEnd) {
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
    QSignalSpy data(&model(), &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy current(&model(), &TableModel::currentRecordChanged);
    table.DisableControls();
    table.DisableControls();
    addPair(table, "répa", "carrot");
    table.SortOn("nyelv1");
    table.SetRecNo(1);
    table.Delete();
    table.EnableControls();
    EXPECT_EQ(resets.count() + data.count() + inserted.count() + current.count(), 0);
    EXPECT_EQ(model().rowCount(), 5) << "the views keep the row count they were told";
    for (int row = 0; row < 5; ++row)
        cell(row, 0); // answering a stale row is safe
    table.EnableControls();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(model().rowCount(), 5);
    expectMirrorsTable();
    EXPECT_EQ(viewRow(), table.RecNo() - 1);
}

TEST_F(GridTest, LoadingAFileResetsOnceAndShowsTheFirstRecord) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/t.ask");
    table.SaveToFile(path);
    table.SetRecNo(4);
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
    table.LoadFromFile(path);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(viewRow(), 0);
    EXPECT_EQ(grid.indicator().currentRow(), 0);
}

// -- current row and current record

TEST_F(GridTest, ViewFollowsTheTablesCursor) {
    const std::vector<std::pair<const char*, std::function<void()>>> moves = {
        {"SetRecNo", [&] { table.SetRecNo(4); }},
        {"Next", [&] { table.Next(); }},
        {"Locate", [&] { table.Locate("nyelv1", cp("alma")); }},
        {"sort keeps the record", [&] { table.SortOn("nyelv1"); }},
        {"First", [&] { table.First(); }},
        {"Delete", [&] { table.Delete(); }},
    };
    for (const auto& [name, move] : moves) {
        SCOPED_TRACE(name);
        move();
        EXPECT_EQ(viewRow(), table.RecNo() - 1);
        EXPECT_EQ(grid.indicator().currentRow(), table.RecNo() - 1);
        EXPECT_TRUE(grid.selectionModel()->isRowSelected(table.RecNo() - 1));
        EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    }
    EXPECT_EQ(cell(viewRow(), 0), fromCp1250(std::get<std::string>(table.FieldValue("nyelv1"))));
}

TEST_F(GridTest, InsertShowsNoCurrentRowUntilItEnds) {
    show();
    table.SetRecNo(3);
    table.Insert();
    EXPECT_EQ(grid.indicator().currentRow(), -1);
    EXPECT_TRUE(grid.selectionModel()->selectedRows().isEmpty());
    // Focus coming back from the pair dialog must not choose a row and end the insert.
    grid.clearFocus();
    grid.setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    table.Cancel();
    EXPECT_EQ(viewRow(), 2);
    EXPECT_EQ(grid.indicator().currentRow(), 2);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(2));
}

TEST_F(GridTest, FirstPairOfAnEmptyTableBecomesTheCurrentRow) {
    table.EmptyTable();
    table.First();
    show();
    table.Insert();
    table.SetFieldValue("nyelv1", cp("első"));
    grid.clearFocus();
    grid.setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    table.Post();
    EXPECT_EQ(viewRow(), 0);
}

TEST_F(GridTest, ChoosingARowMakesItsRecordCurrentOnce) {
    show();
    int scrolls = 0;
    table.AfterScroll = [&](TMemTable&) { ++scrolls; };
    const QRect third = grid.visualRect(model().index(2, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(scrolls, 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
    EXPECT_EQ(scrolls, 1) << "the same row again moves nothing";
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(2)) << "Ctrl+click keeps the selection";
    grid.setCurrentIndex(model().index(4, 0));
    EXPECT_EQ(table.RecNo(), 5);
    EXPECT_EQ(scrolls, 2);
}

TEST_F(GridTest, ChoosingARowFinishesAPendingNewRecord) {
    table.SortOn("nyelv1");
    table.Insert();
    table.SetFieldValue("nyelv1", cp("zab"));
    grid.setCurrentIndex(model().index(0, 0));
    EXPECT_EQ(table.State(), TDataSetState::Browse);
    EXPECT_EQ(table.RecordCount(), 6);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(viewRow(), 0);
    EXPECT_EQ(cell(5, 0), QStringLiteral("zab"));

    // The same by a click: the post reorders the rows while the view handles the press.
    show();
    table.Insert();
    table.SetFieldValue("nyelv1", cp("bab"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualRect(model().index(2, 0)).center());
    EXPECT_EQ(table.RecordCount(), 7);
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(viewRow(), 2);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(cell(1, 0), QStringLiteral("bab"));
}

struct KeyCase {
    const char* name;
    int startRecNo;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expectedRecNo; // 0: the last record
};

TEST_F(GridTest, KeysMoveTheTablesCurrentRecord) {
    for (int i = 0; i < 45; ++i)
        addPair(table, "x" + std::to_string(i), "y");
    show();
    const int last = table.RecordCount();
    const int page = grid.viewport()->height() / grid.rowHeight(0);
    const std::vector<KeyCase> cases = {
        {"down", 1, Qt::Key_Down, {}, 2},
        {"up", 3, Qt::Key_Up, {}, 2},
        {"up at the top", 1, Qt::Key_Up, {}, 1},
        {"down at the bottom", last, Qt::Key_Down, {}, 0},
        {"end", 1, Qt::Key_End, {}, 0},
        {"home", 20, Qt::Key_Home, {}, 1},
        {"ctrl end", 1, Qt::Key_End, Qt::ControlModifier, 0},
        {"ctrl home", 20, Qt::Key_Home, Qt::ControlModifier, 1},
        {"page down", 1, Qt::Key_PageDown, {}, -1},
        {"page up", last, Qt::Key_PageUp, {}, -2},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        table.SetRecNo(c.startRecNo);
        QTest::keyClick(&grid, c.key, c.modifiers);
        if (c.expectedRecNo > 0)
            EXPECT_EQ(table.RecNo(), c.expectedRecNo);
        else if (c.expectedRecNo == 0)
            EXPECT_EQ(table.RecNo(), last);
        else if (c.expectedRecNo == -1)
            EXPECT_NEAR(table.RecNo(), 1 + page, 1);
        else
            EXPECT_NEAR(table.RecNo(), last - page, 1);
        EXPECT_EQ(viewRow(), table.RecNo() - 1);
        EXPECT_TRUE(grid.viewport()->rect().intersects(grid.visualRect(grid.currentIndex())));
    }
}

TEST_F(GridTest, ChangesKeepTheScrollPositionWhileTheCurrentRowIsVisible) {
    for (int i = 0; i < 95; ++i)
        addPair(table, "x" + std::to_string(i), "y");
    show();
    table.SetRecNo(60);
    grid.scrollTo(grid.currentIndex(), QAbstractItemView::PositionAtCenter);
    const int scrolled = grid.verticalScrollBar()->value();
    ASSERT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())));
    table.Edit();
    table.SetFieldValue("nyelv2", cp("változott"));
    table.Post();
    EXPECT_EQ(grid.verticalScrollBar()->value(), scrolled);
    table.Delete();
    EXPECT_EQ(grid.verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(viewRow(), 59);
}

// A failure while the grid moves the table (here: an edit box that cannot write its text when
// the pending change is posted) reaches the error box, and the grid shows where the table
// stayed.
class FailingEditBox : public TableObserver {
public:
    void tableChanged(TMemTable&, Change) override {}
    void updateRecord(TMemTable&) override { throw VembaError(cp("Tbl: nem sikerült")); }
};

TEST_F(GridTest, FailureWhileChoosingARowIsShownAndTheGridStaysWithTheTable) {
    ScriptedMessageBoxes boxes;
    FailingEditBox editBox;
    table.AddObserver(&editBox);
    table.SetRecNo(2);
    table.Edit();
    table.SetFieldValue("nyelv1", cp("füge"));
    grid.setCurrentIndex(model().index(4, 0));
    table.RemoveObserver(&editBox);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_EQ(boxes.shown()[0].text, cp("Tbl: nem sikerült."));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(viewRow(), 1);
}

TEST_F(GridTest, DoubleClickIsReportedAlsoBelowTheRows) {
    show();
    QSignalSpy dbl(&grid, &TThemeDBGrid::dblClick);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       grid.visualRect(model().index(1, 0)).center());
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(table.RecNo(), 2);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       QPoint(10, grid.viewport()->height() - 3));
    EXPECT_EQ(dbl.count(), 2);
    QTest::mouseDClick(grid.viewport(), Qt::RightButton, {},
                       grid.visualRect(model().index(1, 0)).center());
    EXPECT_EQ(dbl.count(), 2);
}

TEST_F(GridTest, TypedLettersDoNotSearchTheGrid) {
    show();
    table.SetRecNo(1);
    QTest::keyClicks(&grid, QStringLiteral("sz"));
    EXPECT_EQ(table.RecNo(), 1);
}

TEST_F(GridTest, GridIsReadOnly) {
    show();
    const QRect first = grid.visualRect(model().index(0, 0));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, first.center());
    QTest::keyClick(&grid, Qt::Key_F2);
    EXPECT_EQ(grid.findChild<QLineEdit*>(), nullptr) << "no cell editor opened";
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

// -- the titles

class TitleTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        show();
    }

    GridHeader& titles() { return grid.titles(); }
    QWidget* area() { return titles().viewport(); }
    QPoint middleOf(int column) {
        return {titles().sectionViewportPosition(column) + titles().sectionSize(column) / 2,
                titles().height() / 2};
    }
    QPoint border(int column) {
        return {titles().sectionViewportPosition(column) + titles().sectionSize(column) - 1,
                titles().height() / 2};
    }
    QPoint onTheRows() { return {middleOf(1).x(), titles().height() + 20}; }

    TitleState state(int column) { return titles().titleState(column); }
};

TEST_F(TitleTest, HoverShowsTheTitleUnderThePointerHot) {
    QTest::mouseMove(area(), middleOf(1));
    EXPECT_EQ(state(1), TitleState::Hot);
    EXPECT_EQ(state(0), TitleState::Normal);
    EXPECT_EQ(titles().hotColumn(), 2) << "the indicator counts as column 0";
    EXPECT_EQ(titles().lastMouseCell(), (GridHeader::Cell{2, 0}));
    QTest::mouseMove(area(), middleOf(0));
    EXPECT_EQ(state(0), TitleState::Hot);
    EXPECT_EQ(state(1), TitleState::Normal);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(area(), &leave);
    EXPECT_EQ(state(0), TitleState::Normal);
    EXPECT_EQ(titles().lastMouseCell(), GridHeader::Cell{});
}

TEST_F(TitleTest, ReleaseOverTheTitleClicksWithTheFieldName) {
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), middleOf(1));
    QTest::mousePress(area(), Qt::LeftButton, {}, middleOf(1));
    EXPECT_EQ(state(1), TitleState::Pressed);
    EXPECT_TRUE(titles().pressedInTitle());
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(area(), Qt::LeftButton, {}, middleOf(1));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 1);
    EXPECT_EQ(clicks[0][1].value<std::string>(), "nyelv2");
    EXPECT_EQ(state(1), TitleState::Normal);
    EXPECT_EQ(titles().pressedColumn(), -1);
}

TEST_F(TitleTest, MovingOffWhilePressedAndReleasingThereIsNoClick) {
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), middleOf(0));
    QTest::mousePress(area(), Qt::LeftButton, {}, middleOf(0));
    QTest::mouseMove(area(), QPoint(middleOf(0).x(), titles().height() + 30));
    EXPECT_EQ(titles().hotColumn(), -1);
    EXPECT_EQ(state(0), TitleState::Pressed) << "held until the button comes up";
    EXPECT_FALSE(titles().dragging());
    QTest::mouseRelease(area(), Qt::LeftButton, {},
                        QPoint(middleOf(0).x(), titles().height() + 30));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(state(0), TitleState::Normal);
}

TEST_F(TitleTest, PressOnAColumnBorderSizesAndDoesNotClick) {
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), border(0));
    QTest::mousePress(area(), Qt::LeftButton, {}, border(0));
    EXPECT_TRUE(titles().sizing());
    EXPECT_EQ(titles().pressedColumn(), -1);
    EXPECT_EQ(state(0), TitleState::Normal);
    EXPECT_EQ(state(1), TitleState::Normal);
    QTest::mouseMove(area(), border(0) + QPoint(30, 0));
    EXPECT_EQ(state(1), TitleState::Normal) << "no hot title while sizing";
    QTest::mouseRelease(area(), Qt::LeftButton, {}, border(0) + QPoint(30, 0));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(titles().sizing());
    EXPECT_EQ(grid.columnWidth(0), 180) << "the standard resize did its work";
}

TEST_F(TitleTest, WithoutAllowTitleClickNoTitleLooksPressedButTheClickIsReported) {
    grid.SetAllowTitleClick(false);
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), middleOf(0));
    QTest::mousePress(area(), Qt::LeftButton, {}, middleOf(0));
    EXPECT_EQ(state(0), TitleState::Hot);
    EXPECT_EQ(titles().pressedColumn(), -1);
    QTest::mouseRelease(area(), Qt::LeftButton, {}, middleOf(0));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][1].value<std::string>(), "nyelv1");
}

TEST_F(TitleTest, OnlyTheLeftButtonPressesAndClicks) {
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), middleOf(0));
    QTest::mousePress(area(), Qt::RightButton, {}, middleOf(0));
    EXPECT_NE(state(0), TitleState::Pressed);
    QTest::mouseRelease(area(), Qt::RightButton, {}, middleOf(0));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(TitleTest, DraggingAColumnMovesItWithoutAClick) {
    QSignalSpy clicks(&grid, &TThemeDBGrid::titleClick);
    QTest::mouseMove(area(), middleOf(0));
    QTest::mousePress(area(), Qt::LeftButton, {}, middleOf(0));
    QTest::mouseMove(area(), middleOf(0) + QPoint(40, 0));
    EXPECT_TRUE(titles().dragging());
    QTest::mouseMove(area(), middleOf(1) + QPoint(40, 0));
    QTest::mouseRelease(area(), Qt::LeftButton, {}, middleOf(1) + QPoint(40, 0));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(titles().dragging());
    EXPECT_EQ(titles().visualIndex(0), 1) << "nyelv1 now stands second";
    EXPECT_EQ(grid.ColumnFieldName(0), "nyelv1") << "columns keep their numbers";
}

// The pixels of one title section as the header paints it now.
QImage sectionImage(GridHeader& titles, int column) {
    const QImage whole = titles.grab().toImage();
    return whole.copy(titles.sectionViewportPosition(column), 0, titles.sectionSize(column),
                      titles.height());
}

QRect inkOf(const QImage& image, const QColor& ink) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == ink)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(TitleTest, TheThreeStatesLookDifferentAndAPressedCaptionSitsOneDownRight) {
    const QColor ink(255, 0, 255);
    QPalette palette = titles().palette();
    palette.setColor(QPalette::ButtonText, ink);
    titles().setPalette(palette);
    QTest::mouseMove(area(), onTheRows());
    ASSERT_EQ(state(0), TitleState::Normal);
    const QImage normal = sectionImage(titles(), 0);
    QTest::mouseMove(area(), middleOf(0));
    const QImage hot = sectionImage(titles(), 0);
    QTest::mousePress(area(), Qt::LeftButton, {}, middleOf(0));
    const QImage pressed = sectionImage(titles(), 0);
    QTest::mouseRelease(area(), Qt::LeftButton, {}, onTheRows());

    EXPECT_NE(normal, hot);
    EXPECT_NE(normal, pressed);
    EXPECT_NE(hot, pressed);
    const QRect normalText = inkOf(normal, ink);
    ASSERT_FALSE(normalText.isEmpty()) << "the caption is painted in the title colour";
    EXPECT_GE(normalText.left(), 2);
    EXPECT_EQ(inkOf(pressed, ink), normalText.translated(1, 1));
}

// -- colours, indicator

TEST_F(GridTest, OszlopKiemelesHighlightsExactlyTheNamedColumn) {
    grid.SetColumns({"nyelv1", "nyelv2", "hanyszor"});
    const QColor highlight(255, 255, 185);
    EXPECT_EQ(colorFromBgr(0xB9FFFF), highlight);
    const QColor window = grid.palette().color(QPalette::Base);
    for (int chosen : {1, 0, 2}) {
        SCOPED_TRACE(chosen);
        OszlopKiemeles(grid, chosen, 0xB9FFFF);
        for (int column = 0; column < grid.ColumnCount(); ++column) {
            EXPECT_EQ(grid.ColumnColor(column), column == chosen ? highlight : window);
            const QVariant brush = model().data(model().index(3, column), Qt::BackgroundRole);
            EXPECT_EQ(brush.isValid(), column == chosen);
        }
    }
    OszlopKiemeles(grid, 7, 0xB9FFFF);
    for (int column = 0; column < grid.ColumnCount(); ++column)
        EXPECT_EQ(grid.ColumnColor(column), window);
}

TEST_F(GridTest, HighlightedColumnAndTheSelectedRowArePainted) {
    show();
    OszlopKiemeles(grid, 1, 0xB9FFFF);
    table.SetRecNo(1);
    grid.clearFocus();
    const QImage image = grid.viewport()->grab().toImage();
    const auto sample = [&](int row, int column) {
        const QRect cell = grid.visualRect(model().index(row, column));
        return image.pixelColor(cell.right() - 3, cell.top() + 2);
    };
    EXPECT_EQ(sample(3, 1), QColor(255, 255, 185));
    EXPECT_EQ(sample(3, 0), grid.palette().color(QPalette::Base));
    const QColor selection = grid.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(sample(0, 0), selection) << "selected also without focus";
    EXPECT_EQ(sample(0, 1), selection);
}

int blackPixelsIn(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == Qt::black)
                ++count;
    return count;
}

TEST_F(GridTest, ArrowMarksTheCurrentRecordOnly) {
    show();
    table.SetRecNo(3);
    IndicatorHeader& indicator = grid.indicator();
    EXPECT_EQ(indicator.width(), IndicatorHeader::IndicatorWidth);
    const auto rowArea = [&](int row) {
        return QRect(0, indicator.sectionViewportPosition(row), indicator.width(),
                     indicator.sectionSize(row));
    };
    QImage image = indicator.grab().toImage();
    EXPECT_GT(blackPixelsIn(image, rowArea(2)), 10);
    EXPECT_EQ(blackPixelsIn(image, rowArea(1)), 0);
    EXPECT_EQ(blackPixelsIn(image, rowArea(3)), 0);

    const QRect row = rowArea(2);
    EXPECT_EQ(image.pixelColor(row.left() + 3, row.top() + 3 + 5), Qt::black);
    EXPECT_EQ(image.pixelColor(row.left() + 9, row.top() + 3 + 5), Qt::white)
        << "the white arrow shows on the tip side";

    table.EmptyTable();
    table.First();
    image = indicator.grab().toImage();
    EXPECT_EQ(blackPixelsIn(image, image.rect()), 0);
    EXPECT_EQ(indicator.currentRow(), -1);
}

TEST_F(GridTest, ClosedTableShowsNoRowsAndNoArrow) {
    table.Close();
    EXPECT_EQ(model().rowCount(), 0);
    EXPECT_EQ(grid.indicator().currentRow(), -1);
    EXPECT_EQ(model().currentRow(), -1);
    grid.SetDataSource(nullptr);
    EXPECT_EQ(model().rowCount(), 0);
}

// -- a large table

TEST(ThemeDBGridLarge, HundredThousandRowsScrollToTheEnd) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    constexpr int Rows = 100000;
    QElapsedTimer timer;
    timer.start();
    table.DisableControls();
    for (int i = 0; i < Rows; ++i)
        addPair(table, "szo" + std::to_string(i), "word" + std::to_string(i));
    table.EnableControls();
    table.First();
    const qint64 fill = timer.restart();

    TThemeDBGrid grid;
    grid.SetColumns({"nyelv1", "nyelv2"});
    grid.SetDataSource(&table);
    grid.resize(500, 400);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const qint64 attach = timer.restart();

    QTest::keyClick(&grid, Qt::Key_End);
    QApplication::processEvents();
    const qint64 end = timer.restart();
    EXPECT_EQ(table.RecNo(), Rows);
    EXPECT_EQ(grid.currentIndex().row(), Rows - 1);
    EXPECT_EQ(grid.verticalScrollBar()->value(), grid.verticalScrollBar()->maximum());
    EXPECT_EQ(grid.model()->data(grid.currentIndex()).toString(),
              QStringLiteral("szo%1").arg(Rows - 1));

    table.SortOn("nyelv2");
    QApplication::processEvents();
    const qint64 sort = timer.restart();
    EXPECT_EQ(grid.currentIndex().row(), table.RecNo() - 1);
    EXPECT_TRUE(grid.viewport()->rect().intersects(grid.visualRect(grid.currentIndex())));

    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QApplication::processEvents();
    const qint64 home = timer.restart();
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    std::printf("[ figures  ] fill %lld ms, attach and show %lld ms, End %lld ms, sort and "
                "follow %lld ms, Ctrl+Home %lld ms\n",
                fill, attach, end, sort, home);
}

} // namespace

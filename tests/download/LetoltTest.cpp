#include "download/Letolt.h"

#include "app/Config.h"
#include "app/MainWindow.h"
#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "editor/TesztSupport.h"
#include "platform/Cp1250.h"
#include "support/HttpTestServer.h"
#include "support/TestFiles.h"
#include "ui/ImageList.h"
#include "ui/Placement.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ThemeDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

struct Entry {
    const char* nyelv; // UTF-8
    const char* nev;
    std::string link;
};

QByteArray catalogueBytes(const std::vector<Entry>& entries) {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    for (const Entry& entry : entries) {
        table.Append();
        table.SetFieldValue("nyelv", cp(entry.nyelv));
        table.SetFieldValue("nev", cp(entry.nev));
        table.SetFieldValue("link", entry.link);
        table.Post();
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

// "nyelv nev" of every row the grid shows, top to bottom.
QStringList shownRows(TThemeDBGrid& grid) {
    QStringList rows;
    const QAbstractItemModel* model = grid.model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString() + QLatin1Char(' ') +
                    model->index(row, 1).data().toString();
    return rows;
}

const QByteArray TestFile = "\"@@FILE VERSION@@\",\"251\"\r\n\"@@TABLEDEF START@@\"\r\n"
                            "\"sorszam=Integer,0,\"\"sorszam\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
                            "\"nyelv1=String,255,\"\"nyelv1\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
                            "\"nyelv2=String,255,\"\"nyelv2\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
                            "\"@@TABLEDEF END@@\"\r\n\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n"
                            ",\"k\xf6rte\",\"pear\",\r\n,\"alma\",\"apple\",\r\n";

// A portable installation in a temporary folder whose catalogue lists tests on the test's
// own server; every box and dialog is scripted.
class LetoltTest : public ::testing::Test {
protected:
    LetoltTest() {
        server.serve(QStringLiteral("/tesztek/teszt1.ask"), HttpTestServer::ok(TestFile));
        server.serve(QStringLiteral("/tesztek/hiba.ask"),
                     HttpTestServer::status(500, "Internal Server Error", "<html/>"));
        entries = {{"német", "Állatok", link("/tesztek/hiba.ask")},
                   {"angol", "gyümölcs", link("/tesztek/teszt1.ask")},
                   {"Angol", "alap", link("/tesztek/")},
                   {"olasz", "szavak", link("/a\\b\\olasz.ask")}};
        writeAll(settingsFile(), QByteArray("[Download]\r\nCatalogueUrl=") +
                                     link("/data/vemba.csv").c_str() + "\r\n");
        initConfig(path("vemba"), TRect{0, 0, 1920, 1040});
        Beall().UtolsoFile = path("Ask/elso.ask");
    }

    std::string link(const char* where) const {
        return server.url(QString::fromLatin1(where)).toStdString();
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString settingsFile() const { return path("Vemba.ini"); }
    QString local() const { return path("vemba.csv"); }
    void writeLocal() { writeAll(local(), catalogueBytes(entries)); }

    // A window opened as TesztLetoltes opens it, shown and active.
    std::unique_ptr<Tfrm_Letolt> openWindow() {
        auto frm = std::make_unique<Tfrm_Letolt>();
        frm->Megnyitas();
        frm->show();
        frm->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frm.get()));
        return frm;
    }

    // Makes the entry with this name current, as a click on its row would.
    void select(Tfrm_Letolt& frm, const char* nev) {
        ASSERT_TRUE(frm.logic().Tbl().Locate("nev", cp(nev)));
    }

    QTemporaryDir dir;
    HttpTestServer server;
    std::vector<Entry> entries;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
};

// Runs the step once the download window is the program's active modal window. Active, not
// only shown: the window's shortcuts (Enter, Esc) take keys only once it is the active window,
// which on a slow run comes some time after it is shown.
void whenShown(std::function<void(Tfrm_Letolt&)> step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        auto* frm = dynamic_cast<Tfrm_Letolt*>(QApplication::activeModalWidget());
        if (frm == nullptr || !frm->isVisible() || !frm->isActiveWindow())
            return;
        timer->stop();
        timer->deleteLater();
        step(*frm);
    });
    timer->start();
}

// ---- opening ------------------------------------------------------------------------------

TEST_F(LetoltTest, WithoutALocalCatalogueTheListIsEmptyAndLetoltFailsSilently) {
    auto frm = openWindow();
    EXPECT_EQ(frm->DBGrid1->model()->rowCount(), 0);
    files.choose(path("lecke.ask"));
    frm->aLetolt->trigger();
    ASSERT_EQ(files.shown().size(), 1u);
    EXPECT_TRUE(files.shown()[0].settings.fileName.isEmpty());
    EXPECT_EQ(files.shown()[0].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(QFileInfo::exists(path("lecke.ask")));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(QFileInfo::exists(local())) << "opening downloads nothing";
}

TEST_F(LetoltTest, DamagedLocalCatalogueIsReportedAndTheWindowOpensEmpty) {
    writeAll(local(), "\"@@TABLEDEF START@@\"\r\n\"nyelv=Blob,25,\"\"\"\",\"\"\"\",10\"\r\n");
    int rows = -1;
    whenShown([&](Tfrm_Letolt& frm) {
        rows = frm.DBGrid1->model()->rowCount();
        pressKey(frm, Qt::Key_Escape);
    });
    EXPECT_TRUE(TesztLetoltes().isEmpty());
    EXPECT_EQ(rows, 0);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_THAT(boxes.shown()[0].text, ::testing::StartsWith("Unknown field type (Blob)"));
}

TEST_F(LetoltTest, OpensSortedIgnoringCaseOnTheFirstEntry) {
    writeLocal();
    auto frm = openWindow();
    EXPECT_EQ(shownRows(*frm->DBGrid1),
              QStringList({QStringLiteral("Angol alap"), QStringLiteral("angol gyümölcs"),
                           QStringLiteral("német Állatok"), QStringLiteral("olasz szavak")}));
    EXPECT_EQ(frm->StatusPanel0->text(), QStringLiteral("4/1"));
    EXPECT_EQ(frm->logic().SearchField(), "nyelv");
}

// ---- the download -----------------------------------------------------------------------

TEST_F(LetoltTest, ProposedNames) {
    writeLocal();
    auto frm = openWindow();
    const struct {
        const char* nev;
        QString proposed;
    } rows[] = {
        {"gyümölcs", QStringLiteral("teszt1.ask")},
        {"alap", QString()},
        {"szavak", QStringLiteral("olasz.ask")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.nev);
        select(*frm, row.nev);
        files.clear();
        files.cancel();
        frm->aLetolt->trigger();
        ASSERT_EQ(files.shown().size(), 1u);
        EXPECT_EQ(files.shown()[0].settings.fileName, row.proposed);
        EXPECT_TRUE(frm->isVisible()) << "a cancelled dialog keeps the window open";
    }
    const FileDialogSettings& dialog = files.shown()[0].settings;
    EXPECT_EQ(fromCp1250(dialog.filter),
              QStringLiteral("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*"));
    EXPECT_TRUE(dialog.defaultExtension.isEmpty());
    EXPECT_EQ(dialog.initialDir, path("Ask"));
}

TEST_F(LetoltTest, EnterInTheSearchBoxDownloadsTheFoundTestAndCloses) {
    writeLocal();
    auto frm = openWindow();
    frm->Edit1->setFocus();
    typeInto(*frm, "angol");
    pressKey(*frm, Qt::Key_Down);
    pressKey(*frm, Qt::Key_Down); // the grid: to the second angol entry
    EXPECT_EQ(frm->logic().Link(), link("/tesztek/teszt1.ask"));
    frm->Edit1->setFocus();
    files.cancel();
    pressKey(*frm, Qt::Key_Return);
    EXPECT_EQ(files.shown().size(), 1u);
    EXPECT_TRUE(frm->isVisible());

    const QString target = path("letoltve/gyumolcs.ask");
    QDir().mkpath(path("letoltve"));
    files.choose(target);
    pressKey(*frm, Qt::Key_Return);
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    EXPECT_EQ(frm->logic().ResultPath(), target);
    EXPECT_EQ(readAll(target), TestFile);
    EXPECT_EQ(AblakBetoltes(settingsFile(), "frm_Letolt", 1, 1, config().MunkaTerulet).Width,
              frm->width())
        << "the placement is stored on every close";
}

TEST_F(LetoltTest, EnterInTheGridAndDoubleClickStartTheDownload) {
    writeLocal();
    auto frm = openWindow();
    select(*frm, "Állatok");
    frm->DBGrid1->setFocus();
    files.choose(path("allatok.ask"));
    pressKey(*frm, Qt::Key_Return);
    ASSERT_EQ(files.shown().size(), 1u);
    EXPECT_EQ(files.shown()[0].settings.fileName, QStringLiteral("hiba.ask"));
    EXPECT_TRUE(frm->isVisible()) << "a failed download keeps the window open";
    EXPECT_FALSE(QFileInfo::exists(path("allatok.ask")));
    EXPECT_TRUE(boxes.shown().empty()) << "downloads fail silently";

    files.cancel();
    Q_EMIT frm->DBGrid1->dblClick();
    EXPECT_EQ(files.shown().size(), 2u);
}

TEST_F(LetoltTest, FailedDownloadLeavesTheChosenFileAsItWas) {
    writeLocal();
    auto frm = openWindow();
    select(*frm, "Állatok");
    writeAll(path("regi.ask"), TestFile);
    files.choose(path("regi.ask"));
    frm->aLetolt->trigger();
    EXPECT_EQ(readAll(path("regi.ask")), TestFile);
    EXPECT_TRUE(frm->isVisible());
}

TEST_F(LetoltTest, EscClosesWithoutADownload) {
    writeLocal();
    whenShown([](Tfrm_Letolt& frm) { pressKey(frm, Qt::Key_Escape); });
    EXPECT_TRUE(TesztLetoltes().isEmpty());
    EXPECT_TRUE(files.shown().empty());
    EXPECT_NE(readAll(settingsFile()).indexOf("[frm_Letolt]"), -1);
}

// The progress window appears for a slow download; "Mégsem" ends it like a failure.
TEST_F(LetoltTest, SlowDownloadShowsTheProgressWindowAndMegsemCancels) {
    server.serve(QStringLiteral("/tesztek/lassu.ask"),
                 HttpTestServer::slow(QByteArray(20000, 'x'), 40, 100));
    entries.push_back({"spanyol", "lassú", link("/tesztek/lassu.ask")});
    writeLocal();
    auto frm = openWindow();
    select(*frm, "lassú");
    QString shownBytes;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QDialog* window = frm->progressWindow().window();
        if (window == nullptr || !window->isVisible())
            return;
        poll.stop();
        EXPECT_TRUE(window->isModal());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Letöltés..."));
        shownBytes = window->findChild<QLabel*>(QStringLiteral("Bytes"))->text();
        window->findChild<QPushButton*>(QStringLiteral("Megsem"))->click();
    });
    poll.start();
    files.choose(path("lassu.ask"));
    frm->aLetolt->trigger();
    EXPECT_TRUE(shownBytes.endsWith(QStringLiteral(" / 20\u00a0000 bájt")))
        << shownBytes.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("lassu.ask")));
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->progressWindow().window(), nullptr);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(DownloadProgressWindow, BytesText) {
    // Hungarian groups digits with a no-break space.
    EXPECT_EQ(DownloadProgressWindow::BytesText(0, -1), QStringLiteral("0 bájt"));
    EXPECT_EQ(DownloadProgressWindow::BytesText(12345, 67890),
              QStringLiteral("12\u00a0345 / 67\u00a0890 bájt"));
}

// ---- the refresh ----------------------------------------------------------------------------

TEST_F(LetoltTest, F5FetchesTheCatalogueAndSortsItWithCase) {
    server.serve(QStringLiteral("/data/vemba.csv"), HttpTestServer::ok(catalogueBytes(entries)));
    auto frm = openWindow();
    pressKey(*frm, Qt::Key_F5);
    EXPECT_EQ(shownRows(*frm->DBGrid1),
              QStringList({QStringLiteral("angol gyümölcs"), QStringLiteral("Angol alap"),
                           QStringLiteral("német Állatok"), QStringLiteral("olasz szavak")}));
    EXPECT_EQ(frm->StatusPanel0->text(), QStringLiteral("4/1"));
    EXPECT_EQ(readAll(local()), catalogueBytes(entries));
}

TEST_F(LetoltTest, RefreshThatIsNoCatalogueKeepsTheListSilently) {
    writeLocal();
    server.serve(QStringLiteral("/data/vemba.csv"),
                 HttpTestServer::ok("<html><body>Karbantart\xe1s</body></html>", "text/html"));
    auto frm = openWindow();
    const QStringList before = shownRows(*frm->DBGrid1);
    frm->aFrissit->trigger();
    EXPECT_EQ(shownRows(*frm->DBGrid1), before);
    EXPECT_EQ(readAll(local()), catalogueBytes(entries));
    EXPECT_TRUE(boxes.shown().empty());
}

// ---- search and sort ------------------------------------------------------------------------

void clickTitle(TThemeDBGrid& grid, int column) {
    QHeaderView* header = grid.horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseMove(header->viewport(), centre);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

TEST_F(LetoltTest, TitleClickSortsHighlightsAndSearchesThatColumn) {
    writeLocal();
    auto frm = openWindow();
    EXPECT_EQ(frm->DBGrid1->ColumnColor(0), colorFromBgr(config().KiemelesSzin));
    clickTitle(*frm->DBGrid1, 1);
    EXPECT_EQ(frm->logic().SearchField(), "nev");
    EXPECT_EQ(frm->DBGrid1->ColumnColor(1), colorFromBgr(config().KiemelesSzin));
    EXPECT_NE(frm->DBGrid1->ColumnColor(0), colorFromBgr(config().KiemelesSzin));
    EXPECT_EQ(frm->focusWidget(), frm->Edit1);
    EXPECT_EQ(shownRows(*frm->DBGrid1),
              QStringList({QStringLiteral("Angol alap"), QStringLiteral("német Állatok"),
                           QStringLiteral("angol gyümölcs"), QStringLiteral("olasz szavak")}));
    typeInto(*frm, "sz");
    EXPECT_EQ(frm->logic().Link(), link("/a\\b\\olasz.ask"));
    EXPECT_EQ(frm->StatusPanel0->text(), QStringLiteral("4/4"));
}

TEST_F(LetoltTest, LetterInTheGridStartsASearch) {
    writeLocal();
    auto frm = openWindow();
    frm->DBGrid1->setFocus();
    typeChar(*frm->DBGrid1, QChar(u'N'));
    EXPECT_EQ(frm->Edit1->text(), QStringLiteral("n"));
    EXPECT_EQ(frm->focusWidget(), frm->Edit1);
    EXPECT_EQ(frm->StatusPanel0->text(), QStringLiteral("4/3"));
}

// ---- look -----------------------------------------------------------------------------------

TEST_F(LetoltTest, WindowTextsCommandsAndColumns) {
    auto frm = openWindow();
    EXPECT_EQ(frm->objectName(), QStringLiteral("frm_Letolt"));
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Teszt állományok letöltése"));
    EXPECT_EQ(frm->Panel1->text(), QStringLiteral("Letölthető tesztek"));
    EXPECT_EQ(frm->Panel1->height(), 35);
    EXPECT_EQ(frm->Edit1->geometry().topLeft(), QPoint(12, 4));
    EXPECT_EQ(frm->Edit1->width(), 121);
    EXPECT_EQ(frm->StatusPanel0->width(), 100);
    EXPECT_TRUE(frm->StatusPanel1->text().isEmpty());
    EXPECT_EQ(frm->DBGrid1->ColumnTitle(0), QStringLiteral("nyelv"));
    EXPECT_EQ(frm->DBGrid1->ColumnTitle(1), QStringLiteral("Teszt neve"));
    EXPECT_EQ(frm->DBGrid1->ColumnTitle(2), QStringLiteral("Letöltési link"));

    const struct {
        QAction* action;
        const char* name;
        const char* caption;
        int image;
        QList<QKeySequence> shortcuts;
    } actions[] = {
        {frm->aFrissit, "aFrissit", "Lista frissítés", 14, {QKeySequence(Qt::Key_F5)}},
        {frm->aLetolt,
         "aLetolt",
         "Letölt, megnyit",
         9,
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}},
        {frm->aBezar, "aBezar", "Bezár", 2, {QKeySequence(Qt::Key_Escape)}},
    };
    for (const auto& a : actions) {
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.action->objectName(), QString::fromUtf8(a.name));
        EXPECT_EQ(a.action->text(), QString::fromUtf8(a.caption));
        EXPECT_EQ(a.action->shortcuts(), a.shortcuts);
        EXPECT_EQ(a.action->icon().pixmap(16, 16).toImage(),
                  ImageList::icon(a.image).pixmap(16, 16).toImage());
    }
    EXPECT_EQ(frm->aFrissit->toolTip(), QStringLiteral("Lista frissítés"));
    EXPECT_EQ(frm->aBezar->toolTip(), QStringLiteral("Bezár"));

    auto names = [](const QList<QAction*>& list) {
        QStringList out;
        for (const QAction* action : list)
            out << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        return out.join(QLatin1Char(' '));
    };
    EXPECT_EQ(names(frm->ToolBar1->actions()), QStringLiteral("aFrissit - aLetolt - aBezar"));
    EXPECT_EQ(names(frm->PopupMenu1->actions()), QStringLiteral("aFrissit - aLetolt - aBezar"));
    const auto* button = qobject_cast<QToolButton*>(frm->ToolBar1->widgetForAction(frm->aLetolt));
    ASSERT_NE(button, nullptr);
    EXPECT_GE(button->width(), 79);
    EXPECT_GE(button->height(), 36);
    EXPECT_GE(button->width(), button->sizeHint().width()) << "the caption is never cut";
}

TEST_F(LetoltTest, PlacementFontAndColumnWidths) {
    AblakMentes(settingsFile(), "frm_Letolt", {30, 40, 777, 500});
    Beall().BetuMeret = 12;
    auto frm = openWindow();
    Beall().BetuMeret = 9;
    EXPECT_EQ(frm->pos(), QPoint(30, 40));
    EXPECT_EQ(frm->size(), QSize(777, 500));
    EXPECT_EQ(frm->font().pointSize(), 12);
    EXPECT_EQ(frm->Edit1->font().pointSize(), 12);
    for (const int width : {777, 640}) {
        frm->resize(width, 500);
        QCoreApplication::processEvents();
        const std::array<int, 3> widths = LetoltLogic::ColumnWidths(frm->DBGrid1->width());
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(frm->DBGrid1->columnWidth(column), widths[std::size_t(column)]) << column;
    }
}

// ---- the main window ------------------------------------------------------------------------

class MainWindowDownload : public LetoltTest {
protected:
    MainWindowDownload() {
        writeLocal();
        window = std::make_unique<Tfrm_Main>();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QString status() const {
        return window->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
    }
    std::unique_ptr<Tfrm_Main> window;
};

TEST_F(MainWindowDownload, F9DownloadsAndDrillsTheTest) {
    const QString target = path("gyumolcs.ask");
    files.choose(target);
    whenShown([this](Tfrm_Letolt& frm) {
        select(frm, "gyümölcs");
        pressKey(frm, Qt::Key_Return);
    });
    QTest::keyClick(window.get(), Qt::Key_F9);
    EXPECT_EQ(readAll(target), TestFile);
    EXPECT_EQ(status(), QStringLiteral("gyumolcs.ask"));
    EXPECT_EQ(window->drill().Tbl().RecordCount(), 2);
    EXPECT_EQ(Beall().UtolsoFile, target);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(MainWindowDownload, EscOrAFailedDownloadLeavesTheDrill) {
    const QString first = path("gyumolcs.ask");
    writeAll(first, TestFile);
    window->openTest(first);
    const int pairs = window->drill().Tbl().RecordCount();
    files.choose(path("hiba.ask"));
    whenShown([this](Tfrm_Letolt& frm) {
        select(frm, "Állatok");
        pressKey(frm, Qt::Key_Return); // fails: the window stays
        pressKey(frm, Qt::Key_Escape);
    });
    window->action("aLetolt")->trigger();
    EXPECT_EQ(files.shown().size(), 1u);
    EXPECT_EQ(status(), QStringLiteral("gyumolcs.ask"));
    EXPECT_EQ(window->drill().Tbl().RecordCount(), pairs);
    EXPECT_FALSE(QFileInfo::exists(path("hiba.ask")));
}

} // namespace

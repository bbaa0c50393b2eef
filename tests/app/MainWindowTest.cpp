#include "app/MainWindow.h"

#include "app/Config.h"
#include "app/DrillButton.h"
#include "app/SqlExport.h"
#include "app/Startup.h"
#include "app/WheelToArrows.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "output/Hatarolt.h"
#include "output/Rezi2Ruva.h"
#include "platform/Cp1250.h"
#include "platform/PrivateProfile.h"
#include "support/PdfText.h"
#include "support/RecordingOpener.h"
#include "support/TestFiles.h"
#include "support/TestPrinters.h"
#include "ui/ImageList.h"
#include "ui/Logo.h"
#include "ui/MenuRajzol.h"
#include "ui/Nevjegy.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Pair {
    std::string nyelv1; // UTF-8
    std::string nyelv2;
};

QString writeTest(const QTemporaryDir& dir, const QString& name, const std::vector<Pair>& pairs) {
    TMemTable table("Tbl");
    DefineDrillFields(table);
    table.Open();
    for (const Pair& pair : pairs) {
        table.Append();
        table.SetFieldValue("nyelv1", cp(pair.nyelv1));
        table.SetFieldValue("nyelv2", cp(pair.nyelv2));
        table.Post();
    }
    const QString path = dir.filePath(name);
    table.SaveToFile(path);
    return path;
}

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A window in a portable installation inside a temporary folder: its settings file is that
// folder's Vemba.ini, which the test may fill before the window is made.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        writeAll(iniPath(), iniText);
        initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1080});
        window = std::make_unique<Tfrm_Main>(opener);
        // The splash stays away unless a test asks for it: it is a window of its own.
        window->setSplash({});
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("Vemba.ini")); }

    void showActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QWidget* keyTarget() const {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus : window.get();
    }
    void key(Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(keyTarget(), which, modifiers);
    }

    template <typename T = QLabel>
    T* child(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* label) const { return child(label)->text(); }

    QString openWithKeys(const QString& path) {
        dialogs.choose(path);
        key(Qt::Key_O, Qt::ControlModifier);
        return path;
    }

    QTemporaryDir dir;
    QByteArray iniText;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::unique_ptr<Tfrm_Main> window;
};

// Layout.

TEST_F(MainWindowTest, WindowIsFixedWithoutMaximizeBox) {
    showActive();
    EXPECT_EQ(window->objectName(), QStringLiteral("frm_Main"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vemba"));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->width(), Tfrm_Main::ClientWidth);
    // The client area is the design's, but for a status bar taller than 19 for its font.
    EXPECT_EQ(window->height() - window->menuBar()->height() - window->statusBar()->height() + 19,
              Tfrm_Main::ClientHeight);
}

TEST_F(MainWindowTest, ElementsSitWhereDesigned) {
    showActive();
    const QWidget* client = window->centralWidget();
    struct Row {
        const char* name;
        QRect rect; // client coordinates
    };
    const Row rows[] = {
        {"ToolBar1", {0, 0, 730, 24}},         {"Shape1", {28, 40, 677, 93}},
        {"SpeedButton1", {32, 120, 121, 49}},  {"SpeedButton2", {396, 120, 121, 49}},
        {"SpeedButton3", {524, 120, 177, 49}}, {"Image1", {304, 132, 401, 257}},
        {"PageControl1", {28, 180, 261, 209}}, {"Panel1", {0, 396, 730, 20}},
    };
    for (const Row& row : rows) {
        const auto* widget = child<QWidget>(row.name);
        ASSERT_NE(widget, nullptr);
        const QRect inClient(widget->mapTo(client, QPoint(0, 0)), widget->size());
        EXPECT_EQ(inClient, row.rect) << row.name;
    }
    EXPECT_EQ(child("DBText1")->pos(), QPoint(40, 52));
    EXPECT_EQ(child("DBText2")->pos(), QPoint(40, 84));
    const QLabel* notice = child("Label7");
    EXPECT_EQ(notice->geometry(), QRect(730 - 234, 0, 234, 20));
    EXPECT_FALSE(notice->isEnabled());
    // 19 high, or as high as its font needs (MainWindowReadableTest).
    EXPECT_GE(window->statusBar()->height(), 19);
    EXPECT_EQ(child("StatusPanel0")->width(), 150);
    EXPECT_FALSE(child("Image1")->pixmap().isNull());
}

TEST_F(MainWindowTest, CardAndCounterFonts) {
    showActive();
    for (const char* name : {"DBText1", "DBText2"}) {
        const QFont font = child(name)->font();
        EXPECT_TRUE(font.bold()) << name;
        EXPECT_EQ(font.pointSize(), 18) << name;
        EXPECT_EQ(font.families().value(0), QStringLiteral("Arial")) << name;
    }
    for (const char* name : {"Label4", "Label5", "Label6"}) {
        const QLabel* counter = child(name);
        EXPECT_TRUE(counter->font().bold()) << name;
        EXPECT_EQ(counter->font().pixelSize(), 27) << name;
        EXPECT_EQ(counter->width(), 153) << name;
        EXPECT_TRUE(counter->alignment().testFlag(Qt::AlignRight)) << name;
        EXPECT_EQ(counter->text(), QStringLiteral("0")) << name;
    }
    const std::map<std::string, QString> captions = {
        {"Label1", u("Összes szó")},
        {"Label2", u("Ennyit tudok már")},
        {"Label3", u("Ennyit nem tudok még")},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(text(name.c_str()), caption);
        EXPECT_FALSE(child(name.c_str())->isEnabled()) << "greyed " << name;
    }
    const auto* pages = child<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Teszt"));
    EXPECT_EQ(pages->tabText(1), u("Teszt beállítás"));
}

// Commands, menu and tool bar.

TEST_F(MainWindowTest, EveryCommandAsDescribed) {
    struct Row {
        const char* name;
        const char* category;
        const char* caption;
        const char* hint; // nullptr: the caption
        const char* shortcut;
        int image;
        bool enabled;
    };
    const Row rows[] = {
        {"aMegnyit", "File", "Megnyit", nullptr, "Ctrl+O", ImageList::Megnyit, true},
        {"aMegnyit2", "File", "Hozzányit...",
         "Jelenlegi megmaradt szavakhoz hozzákapcsolja a tesztet", "F7", ImageList::Hozzanyit,
         true},
        {"aMent", "File", "Pillanatnyi állapot mentése", nullptr, "Ctrl+S", ImageList::Mentes,
         true},
        {"aLetolt", "File", "Letölt", nullptr, "F9", ImageList::Letolt, true},
        {"aTesztSzerkeszto", "File", "Teszt szerkesztő", nullptr, "F8", ImageList::TesztSzerkeszto,
         true},
        {"aBezar", "File", "Bezár", nullptr, "", ImageList::Bezar, true},
        {"aEztMarTudom", "Teszt", "Ezt már tudom", nullptr, "F2", ImageList::EztMarTudom, false},
        {"aMegnezem", "Teszt", "Megnézem...", nullptr, "F3", ImageList::Megnezem, false},
        {"aJohetaKovetkezo", "Teszt", "OK, jöhet a következő", nullptr, "F4",
         ImageList::JohetaKovetkezo, false},
        {"aHonlap", "Súgó", "Kelvarom honlapja", nullptr, "", ImageList::Honlap, true},
        {"aUjdonsag", "Súgó", "Újdonságok, verziókövetés", nullptr, "", ImageList::Ujdonsag, true},
        {"aLevel", "Súgó", "Levélküldés Kelvaromnak", nullptr, "", ImageList::Level, true},
        {"aNevjegy", "Súgó", "Névjegy", nullptr, "", ImageList::Nevjegy, true},
        {"aNyomtat", "File", "Nyomtat", nullptr, "Ctrl+P", ImageList::Nyomtat, true},
        {"aNyomtatKep", "File", "Nyomtatási kép", nullptr, "Ctrl+K", ImageList::NyomtatasiKep,
         true},
        {"aExcelbe", "File", "Excelbe...", nullptr, "Ctrl+E", ImageList::Excelbe, true},
        {"aHtml", "File", "Html export", nullptr, "Ctrl+H", ImageList::Html, true},
        {"aSQLExp", "File", "SQL export", nullptr, "F6", ImageList::SQLExport, true},
    };
    for (const Row& row : rows) {
        const QAction* command = window->action(row.name);
        ASSERT_NE(command, nullptr) << row.name;
        EXPECT_EQ(command->text(), u(row.caption)) << row.name;
        EXPECT_EQ(command->toolTip(), u(row.hint ? row.hint : row.caption)) << row.name;
        EXPECT_EQ(command->shortcut(), QKeySequence(u(row.shortcut))) << row.name;
        EXPECT_EQ(command->property("category").toString(), u(row.category)) << row.name;
        EXPECT_EQ(command->property("imageIndex").toInt(), row.image) << row.name;
        EXPECT_EQ(command->isEnabled(), row.enabled) << row.name;
        EXPECT_FALSE(command->icon().isNull()) << row.name;
    }
}

// An item list as "Caption" entries and "-" for a separator.
QStringList itemsOf(const QList<QAction*>& actions) {
    QStringList items;
    for (const QAction* item : actions)
        items << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return items;
}

TEST_F(MainWindowTest, MenuAndToolBarHoldTheCommandsInOrder) {
    QStringList titles;
    std::vector<QStringList> menus;
    for (const QAction* top : window->menuBar()->actions()) {
        titles << menuCaptionText(top->text());
        menus.push_back(itemsOf(top->menu()->actions()));
    }
    EXPECT_EQ(titles, QStringList({QStringLiteral("File"), QStringLiteral("Teszt"), u("Súgó")}));
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].join(QLatin1Char('|')),
              u("Megnyit|Hozzányit...|Pillanatnyi állapot mentése|-|Letölt|-|Nyomtat|"
                "Nyomtatási kép|-|Excelbe...|Html export|-|Teszt szerkesztő|-|Bezár"));
    EXPECT_EQ(menus[1].join(QLatin1Char('|')),
              u("Ezt már tudom|Megnézem...|OK, jöhet a következő"));
    EXPECT_EQ(menus[2].join(QLatin1Char('|')),
              u("Kelvarom honlapja|Újdonságok, verziókövetés|-|Levélküldés Kelvaromnak|-|"
                "Névjegy"));
    EXPECT_EQ(itemsOf(child<QToolBar>("ToolBar1")->actions()).join(QLatin1Char('|')),
              u("Megnyit|Hozzányit...|Pillanatnyi állapot mentése|-|Letölt|-|Teszt szerkesztő|"
                "-|Nyomtat|Nyomtatási kép|-|Excelbe...|Html export|-|Kelvarom honlapja|"
                "Újdonságok, verziókövetés|-|Névjegy|-|Bezár"));
    const auto* toolBar = child<QToolBar>("ToolBar1");
    EXPECT_EQ(toolBar->iconSize(), QSize(16, 16));
    const auto* button =
        qobject_cast<QToolButton*>(toolBar->widgetForAction(window->action("aMent")));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(button->toolTip(), u("Pillanatnyi állapot mentése"));
}

QMenu* menuHolding(QMenuBar* bar, QAction* command) {
    for (const QAction* top : bar->actions()) {
        if (top->menu() != nullptr && top->menu()->actions().contains(command))
            return top->menu();
    }
    return nullptr;
}

int visibleWindows() {
    int count = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets())
        count += widget->isVisible() ? 1 : 0;
    return count;
}

// Before any test the drill commands are disabled: neither their shortcut, their menu item,
// their drill button nor a direct trigger does anything.
TEST_F(MainWindowTest, DisabledCommandDoesNothingFromMenuButtonOrShortcut) {
    showActive();
    const int windows = visibleWindows();
    const std::pair<const char*, const char*> commands[] = {
        {"aEztMarTudom", "SpeedButton1"},
        {"aMegnezem", "SpeedButton2"},
        {"aJohetaKovetkezo", "SpeedButton3"},
    };
    for (const auto& [name, buttonName] : commands) {
        QAction* command = window->action(name);
        ASSERT_NE(command, nullptr) << name;
        QSignalSpy triggered(command, &QAction::triggered);

        if (!command->shortcut().isEmpty())
            QTest::keySequence(keyTarget(), command->shortcut());

        QMenu* menu = menuHolding(window->menuBar(), command);
        ASSERT_NE(menu, nullptr) << name;
        menu->popup(window->mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(command).center());
        menu->hide();

        auto* button = child<QToolButton>(buttonName);
        EXPECT_FALSE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
        command->trigger();

        EXPECT_EQ(triggered.count(), 0) << name;
    }
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(visibleWindows(), windows);
    EXPECT_TRUE(window->isVisible());
}

// The drill through the window.

TEST_F(MainWindowTest, DrillRunWithKeysOnly) {
    const std::vector<Pair> pairs = {{"alma", "apple"}, {"körte", "pear"}, {"szilva", "plum"}};
    std::map<QString, QString> answerOf;
    for (const Pair& pair : pairs)
        answerOf[u(pair.nyelv1.c_str())] = u(pair.nyelv2.c_str());
    showActive();
    const QString path = openWithKeys(writeTest(dir, QStringLiteral("gyumolcs.ask"), pairs));

    EXPECT_EQ(text("StatusPanel0"), QStringLiteral("gyumolcs.ask"));
    EXPECT_EQ(text("StatusPanel1"), u("Enter a következő szóért"));
    EXPECT_EQ(text("Label4"), QStringLiteral("3"));
    EXPECT_EQ(text("Label5"), QStringLiteral("0"));
    EXPECT_EQ(text("Label6"), QStringLiteral("3"));
    EXPECT_EQ(Beall().UtolsoFile, path);
    EXPECT_TRUE(child<QToolButton>("SpeedButton2")->font().bold());
    EXPECT_FALSE(child<QToolButton>("SpeedButton3")->font().bold());

    // Enter reveals the answer once, however many widgets the press passes on its way up.
    const QString first = text("DBText1");
    ASSERT_EQ(answerOf.count(first), 1u) << first.toStdString();
    EXPECT_FALSE(child("DBText2")->isVisible());
    child<QTabWidget>("PageControl1")->tabBar()->setFocus();
    key(Qt::Key_Return);
    EXPECT_TRUE(child("DBText2")->isVisible());
    EXPECT_EQ(text("DBText2"), answerOf[first]);
    EXPECT_EQ(text("DBText1"), first);
    EXPECT_TRUE(child<QToolButton>("SpeedButton3")->font().bold());
    EXPECT_FALSE(child<QToolButton>("SpeedButton2")->font().bold());

    // Enter again moves on; F4 moves on without touching the emphasis.
    key(Qt::Key_Enter);
    EXPECT_FALSE(child("DBText2")->isVisible());
    EXPECT_NE(text("DBText1"), first);
    EXPECT_TRUE(child<QToolButton>("SpeedButton2")->font().bold());
    key(Qt::Key_F4);
    key(Qt::Key_F3);
    EXPECT_TRUE(child("DBText2")->isVisible());
    EXPECT_EQ(text("DBText2"), answerOf[text("DBText1")]);
    EXPECT_TRUE(child<QToolButton>("SpeedButton2")->font().bold());

    for (int known = 1; known <= 3; ++known) {
        const QString shown = text("DBText1");
        key(Qt::Key_F2);
        EXPECT_EQ(text("Label4"), QStringLiteral("3"));
        EXPECT_EQ(text("Label5"), QString::number(known));
        EXPECT_EQ(text("Label6"), QString::number(3 - known));
        EXPECT_FALSE(child("DBText2")->isVisible());
        if (known < 3) {
            EXPECT_NE(text("DBText1"), shown);
        }
    }
    EXPECT_EQ(text("DBText1"), QString());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::Information);
    EXPECT_EQ(boxes.shown()[0].text, cp("Készen vagyunk...."));
    EXPECT_EQ(boxes.shown()[0].owner, window.get());
    for (const char* name : {"aEztMarTudom", "aMegnezem", "aJohetaKovetkezo"})
        EXPECT_FALSE(window->action(name)->isEnabled()) << name;
    key(Qt::Key_F2);
    EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(MainWindowTest, DirectionPageDrivesTheDrill) {
    showActive();
    openWithKeys(
        writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}, {"eper", "strawberry"}}));
    const QList<QRadioButton*> items =
        child<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1]->text(), u("Második nyelv"));
    EXPECT_TRUE(items[0]->isChecked());
    items[1]->click();
    EXPECT_EQ(window->drill().KikerdezesIndex(), Drill::MasodikNyelv);
    key(Qt::Key_F4);
    const QString question = text("DBText1");
    EXPECT_TRUE(question == QStringLiteral("apple") || question == QStringLiteral("strawberry"))
        << question.toStdString();
}

// Opening, appending and saving.

TEST_F(MainWindowTest, OpenAndAppendShareOneDialog) {
    showActive();
    const QString a = writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}});
    const QString b = writeTest(dir, QStringLiteral("b.ask"), {{"eper", "strawberry"}});
    dialogs.choose(a);
    key(Qt::Key_O, Qt::ControlModifier);
    dialogs.choose(b);
    key(Qt::Key_F7);
    dialogs.cancel();
    key(Qt::Key_O, Qt::ControlModifier);

    ASSERT_EQ(dialogs.shown().size(), 3u);
    const FileDialogSettings& firstShown = dialogs.shown()[0].settings;
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedFileDialogs::Kind::Open);
    EXPECT_EQ(firstShown.fileName, dir.filePath(QStringLiteral("Ask/elso.ask")));
    EXPECT_EQ(firstShown.filter, cp("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*"));
    EXPECT_EQ(bareExtension(firstShown.defaultExtension), QStringLiteral("ask"));
    EXPECT_TRUE(firstShown.mustExist);
    EXPECT_EQ(dialogs.shown()[1].settings.fileName, a);
    EXPECT_EQ(dialogs.shown()[2].settings.fileName, b);

    // Cancelling changed nothing: the drill holds both tests.
    EXPECT_EQ(text("Label4"), QStringLiteral("2"));
    EXPECT_EQ(text("StatusPanel0"), QStringLiteral("b.ask"));
    EXPECT_EQ(Beall().UtolsoFile, b);
}

TEST_F(MainWindowTest, TestFromTheCommandLineOpensLikeMegnyit) {
    const QString path = writeTest(dir, QStringLiteral("parancs.ask"), {{"alma", "apple"}});
    window->openTest(path);
    showActive();
    EXPECT_EQ(text("Label4"), QStringLiteral("1"));
    EXPECT_EQ(text("DBText1"), QStringLiteral("alma"));
    EXPECT_EQ(text("StatusPanel0"), QStringLiteral("parancs.ask"));
    EXPECT_TRUE(window->action("aEztMarTudom")->isEnabled());
    EXPECT_EQ(Beall().UtolsoFile, path);

    dialogs.cancel();
    key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].settings.fileName, path);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(MainWindowTest, SaveWritesTheRemainingPairsWithoutAsking) {
    showActive();
    openWithKeys(
        writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}, {"eper", "strawberry"}}));
    key(Qt::Key_F2);
    const QString out = dir.filePath(QStringLiteral("maradek.ask"));
    writeAll(out, "old content");
    dialogs.choose(dir.filePath(QStringLiteral("maradek")));
    key(Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_TRUE(boxes.shown().empty());
    TMemTable saved("Tbl");
    saved.LoadFromFile(out);
    EXPECT_EQ(saved.RecordCount(), 1);
}

// SQL export.

TEST_F(MainWindowTest, SqlExportPutsTheTemplateOnTheClipboard) {
    showActive();
    QGuiApplication::clipboard()->setText(QStringLiteral("previous"));
    openWithKeys(writeTest(dir, QStringLiteral("sql.ask"), {{"a", "b"}, {"it's", "x"}}));
    window->drill().Tbl().SortOn("nyelv1");
    key(Qt::Key_F6);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("INSERT INTO teszt_sor (nyelv1str,nyelv2str,teszt) VALUES\r\n"
                             "('a','b',XXX),\r\n"
                             "('it''s','x',XXX),\r\n"));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(text("DBText1"), QStringLiteral("it's"));
}

// "Excelbe..." opens the export dialog on the drill table with an empty file name; the export
// follows the drill's order, and the launcher opens the file.
TEST_F(MainWindowTest, ExcelbeExportsTheDrillInItsOrder) {
    showActive();
    openWithKeys(writeTest(dir, QStringLiteral("szavak.ask"), {{"tűz", "fire"}, {"ő", "he"}}));
    TMemTable& table = window->drill().Tbl();
    table.SortOn("nyelv1");
    const QString out = dir.filePath(QStringLiteral("szavak.csv"));
    QStringList fields;
    QString proposed;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<Tfrm_Hatarolt*>(QApplication::activeModalWidget());
        if (d == nullptr)
            return;
        for (int i = 0; i < d->CheckListBox1->count(); ++i)
            fields << d->CheckListBox1->item(i)->text();
        proposed = d->Edit1->text();
        d->Edit1->setText(out);
        d->CheckBox4->setChecked(true);
        d->Button1->click();
    });
    key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(fields, QStringList({u("sorszam"), u("nyelv1"), u("nyelv2")}));
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/File001.csv"))) << proposed.toStdString();
    const QByteArray expected =
        "sorszam;nyelv1;nyelv2;\r\n" +
        QByteArray::number(std::get<std::int32_t>(table.ValueAt(0, 0))) + ";\xf5;he;\r\n" +
        QByteArray::number(std::get<std::int32_t>(table.ValueAt(1, 0))) + ";t\xfbz;fire;\r\n";
    EXPECT_EQ(readAll(out), expected);
    ASSERT_EQ(opener->urls.size(), 1u);
    EXPECT_EQ(opener->urls[0], QUrl::fromLocalFile(out));
    EXPECT_EQ(boxes.shown().size(), 1u); // " file kész."
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(SqlExport, QuotesAndEmptyFields) {
    struct Row {
        const char* name;
        std::string text;
        std::string quoted;
    };
    const Row rows[] = {
        {"plain", "alma", "'alma'"},
        {"empty", "", "''"},
        {"only_quote", "'", "''''"},
        {"two_quotes", "a''b", "'a''''b'"},
        {"accented", cp("körte"), "'" + cp("körte") + "'"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SQLQuoted(row.text), row.quoted) << row.name;
}

// HTML export.

// Runs a step inside the next HTML export dialog, from its own modal loop.
void inHtmlDialog(std::function<void(Tfrm_Rezi2Ruva&)> step) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        auto* dialog = dynamic_cast<Tfrm_Rezi2Ruva*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(*dialog);
    });
    timer->start(10);
}

// Ctrl+H writes the drill in its current order, the question side's language first when the
// direction is "Második nyelv", titled with the test's file name.
TEST_F(MainWindowTest, HtmlExportWritesTheDrillInItsDirection) {
    showActive();
    openWithKeys(writeTest(dir, u("Német ábc.ask"), {{"alma", "apple"}, {"<b>", "körte & co"}}));
    window->drill().Tbl().SortOn("nyelv1");
    const QList<QRadioButton*> items =
        child<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>();
    ASSERT_EQ(items.size(), 3);
    const struct {
        int direction;
        const char* firstRow[2]; // the two cells of the first data row
    } cases[] = {
        {Drill::ElsoNyelv, {"&lt;b&gt;", "körte &amp; co"}},
        {Drill::MasodikNyelv, {"körte &amp; co", "&lt;b&gt;"}},
        {Drill::Vegyesen, {"&lt;b&gt;", "körte &amp; co"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        showActive(); // again after the last dialog
        items[c.direction]->click();
        opener->urls.clear();
        const QString page = dir.filePath(QStringLiteral("lap%1.htm").arg(c.direction));
        QString proposed;
        inHtmlDialog([&](Tfrm_Rezi2Ruva& d) {
            proposed = d.Edit1->text();
            d.Edit1->setText(page);
            d.Button1->click();
        });
        key(Qt::Key_H, Qt::ControlModifier);
        EXPECT_EQ(QFileInfo(proposed).fileName(), u("n_met-_bc.ask.htm"));
        const QByteArray written = readAll(page);
        const QByteArray cell = "%\"><font face=\"Verdana\" size=\"1\">";
        EXPECT_TRUE(written.contains(QByteArray::fromStdString(
            "<tr>\r\n    <td width=\"50" + cell.toStdString() + cp(c.firstRow[0]) +
            "</font></td>\r\n    <td width=\"50" + cell.toStdString() + cp(c.firstRow[1]) +
            "</font></td>\r\n  </tr>")))
            << written.toStdString();
        EXPECT_TRUE(written.contains(
            QByteArray::fromStdString("<title>" + cp("Német ábc.ask") + "</title>\r\n")));
        EXPECT_TRUE(written.contains("size=\"1\"></font></strong></p>\r\n")) << "no subtitle";
        EXPECT_EQ(opener->urls, std::vector<QUrl>{QUrl::fromLocalFile(page)});
    }
    EXPECT_TRUE(boxes.shown().empty());
}

// The printed word list.

// "Nyomtat" prints the drill titled with the status bar's file name, its columns in the order
// of the direction: "Vegyesen" counts as the first language.
TEST_F(MainWindowTest, NyomtatPassesTheTitleAndTheDirectionsFields) {
    showActive();
    openWithKeys(writeTest(dir, QStringLiteral("gyumolcs.ask"), {{"alma", "apple"}}));
    struct Case {
        int direction;
        const char* atLeft;
        const char* atRight;
    };
    for (const Case& c :
         {Case{Drill::ElsoNyelv, "alma", "apple"}, Case{Drill::MasodikNyelv, "apple", "alma"},
          Case{Drill::Vegyesen, "alma", "apple"}}) {
        SCOPED_TRACE(c.direction);
        child<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>().at(c.direction)->click();
        const QString pdf = dir.filePath(QStringLiteral("lista%1.pdf").arg(c.direction));
        TestPrinters printers(pdf);
        key(Qt::Key_P, Qt::ControlModifier);
        std::map<QString, QPointF> at; // each word's top-left corner, mm
        for (const PdfWord& word : pdfWords(pdf))
            at[word.text] = word.box.topLeft();
        ASSERT_TRUE(at.count(QStringLiteral("gyumolcs.ask")));
        EXPECT_NEAR(at[QStringLiteral("gyumolcs.ask")].y(), 11.3, 0.1);
        EXPECT_NEAR(at[u(c.atLeft)].x(), 10, 0.1);
        EXPECT_NEAR(at[u(c.atRight)].x(), 57.6, 0.1);
    }
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(MainWindowTest, NyomtatWithoutAPrinterSaysSo) {
    showActive();
    openWithKeys(writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}}));
    TestPrinters none;
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(none.asked, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(boxes.shown()[0].owner, window.get());
    EXPECT_TRUE(fromCp1250(boxes.shown()[0].text).startsWith(u("Nincs beállított nyomtató.")));
}

// "Nyomtatási kép" shows the preview over the window; the list leaves the drill's table on
// its last pair, and the card follows it.
TEST_F(MainWindowTest, NyomtatasiKepShowsThePreviewAndEndsOnTheLastPair) {
    showActive();
    openWithKeys(writeTest(dir, QStringLiteral("harom.ask"),
                           {{"alma", "apple"}, {"eper", "strawberry"}, {"szilva", "plum"}}));
    QString caption;
    QWidget* owner = nullptr;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
            caption = dialog->windowTitle();
            owner = dialog->parentWidget();
            dialog->close();
        }
    });
    closer.start();
    key(Qt::Key_K, Qt::ControlModifier);
    closer.stop();
    EXPECT_EQ(caption, u("Árlista nyomtatás"));
    EXPECT_EQ(owner, window.get());
    TMemTable& table = window->drill().Tbl();
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(text("DBText1"), fromCp1250(table.FieldByName("nyelv1").AsString()));
    EXPECT_TRUE(boxes.shown().empty());
}

// Before any test the drill's table is closed: the printed list fails as the other outputs
// do, in the program-wide error box.
TEST_F(MainWindowTest, PrintedListBeforeAnyTestReachesTheErrorBox) {
    showActive();
    TestPrinters printers(dir.filePath(QStringLiteral("ures.pdf")));
    key(Qt::Key_P, Qt::ControlModifier);
    key(Qt::Key_K, Qt::ControlModifier);
    ASSERT_EQ(boxes.shown().size(), 2u);
    for (const ScriptedMessageBoxes::Shown& shown : boxes.shown()) {
        EXPECT_EQ(shown.kind, MessageBoxKind::ProgramError);
        EXPECT_EQ(shown.text, "Tbl: Cannot perform this operation on a closed dataset.");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("ures.pdf"))));
}

// Errors reach the program-wide error box.

TEST_F(MainWindowTest, UnhandledErrorsReachTheErrorBoxWithFullStop) {
    showActive();
    key(Qt::Key_F6); // the drill table is still closed
    const QString broken = dir.filePath(QStringLiteral("broken.ask"));
    writeAll(broken, "\"@@FILE VERSION@@\",\"251\"\r\n"
                     "\"@@TABLEDEF START@@\"\r\n"
                     "\"sorszam=Integer,0,\"\"sorszam\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
                     "\"@@INDEXDEF START@@\"\r\n"
                     "\"@@INDEXDEF END@@\"\r\n"
                     "\"@@TABLEDEF END@@\"\r\n"
                     "\"sorszam\",\r\n"
                     "\"two\",\r\n");
    window->openTest(broken);
    window->openTest(dir.filePath(QStringLiteral("missing.ask")));

    // A full stop is added after a letter, not after the closing quote (which sorts before
    // the full stop).
    const std::string endings[] = {"dataset.", "'sorszam'", "directory."};
    ASSERT_EQ(boxes.shown().size(), std::size(endings));
    for (std::size_t i = 0; i < std::size(endings); ++i) {
        const ScriptedMessageBoxes::Shown& shown = boxes.shown()[i];
        EXPECT_EQ(shown.kind, MessageBoxKind::ProgramError);
        EXPECT_EQ(shown.caption, "Vemba");
        EXPECT_EQ(shown.owner, window.get());
        EXPECT_TRUE(shown.text.ends_with(endings[i])) << shown.text;
    }
    EXPECT_TRUE(boxes.shown()[0].text.starts_with("Tbl: ")) << boxes.shown()[0].text;
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text("StatusPanel0"), QString());
    EXPECT_FALSE(window->action("aEztMarTudom")->isEnabled());
}

// Links.

TEST_F(MainWindowTest, LinksGoToTheLauncher) {
    window->action("aHonlap")->trigger();
    window->action("aUjdonsag")->trigger();
    window->action("aLevel")->trigger();
    ASSERT_EQ(opener->urls.size(), 3u);
    EXPECT_EQ(opener->urls[0], QUrl(QStringLiteral("https://vemba.hu")));
    EXPECT_EQ(opener->urls[1], opener->urls[0]);
    EXPECT_EQ(opener->urls[2].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opener->urls[2].path(), QStringLiteral("vemba@vemba.hu"));
    EXPECT_EQ(opener->urls[2].query(QUrl::FullyDecoded), QStringLiteral("subject=Vemba program"));
    EXPECT_TRUE(boxes.shown().empty());
}

// The splash and the About box.

TEST_F(MainWindowTest, SplashOnlyWhenFirstShown) {
    int splashes = 0;
    window->setSplash([&] {
        // After the placement: the splash shows over the window where it will be.
        EXPECT_EQ(window->font().pointSize(), 9);
        ++splashes;
    });
    showActive();
    window->hide();
    showActive();
    EXPECT_EQ(splashes, 1);
}

Tfrm_Logo* shownSplash() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* logo = dynamic_cast<Tfrm_Logo*>(widget); logo != nullptr && logo->isVisible())
            return logo;
    }
    return nullptr;
}

TEST_F(MainWindowTest, InputReachesTheWindowWhileTheSplashIsShown) {
    window->setSplash(LogoMegjelenites);
    const QString path = writeTest(dir, QStringLiteral("a.ask"), {{"alma", "apple"}});
    showActive();
    QPointer<Tfrm_Logo> splash = shownSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->fade().Timer1().isActive());
    EXPECT_EQ(QApplication::activeWindow(), window.get());

    openWithKeys(path);
    key(Qt::Key_F3);
    EXPECT_EQ(text("StatusPanel0"), QStringLiteral("a.ask"));
    EXPECT_TRUE(child("DBText2")->isVisible());
    QTest::mouseClick(child<QToolButton>("SpeedButton1"), Qt::LeftButton);
    EXPECT_EQ(text("Label5"), QStringLiteral("1"));
    EXPECT_FALSE(splash.isNull());
    EXPECT_EQ(QApplication::activeWindow(), window.get());

    splash->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST_F(MainWindowTest, NevjegyShowsAFreshModalBoxEachTime) {
    showActive();
    std::vector<QWidget*> shown;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            auto* box = dynamic_cast<Tfrm_Nevjegy*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown.push_back(box);
            box->Button1->click();
        });
        window->action("aNevjegy")->trigger();
    }
    EXPECT_EQ(shown.size(), 2u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(dynamic_cast<Tfrm_Nevjegy*>(widget), nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(boxes.shown().empty());
}

// Settings.

TEST_F(MainWindowTest, SettingsAreWrittenOnClose) {
    showActive();
    const QString path = openWithKeys(writeTest(dir, QStringLiteral("zöld.ask"), {{"a", "b"}}));
    key(Qt::Key_F2);
    window->action("aBezar")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readProfileValue(iniPath(), "File", "LastFile"), toCp1250(path));
    EXPECT_EQ(readProfileValue(iniPath(), "Font", "Size"), std::string("9"));
    EXPECT_EQ(readProfileValue(iniPath(), "frm_Main", "Left"), std::nullopt);
}

TEST_F(MainWindowTest, FailedSettingsWriteIsShownAndTheWindowStillCloses) {
    showActive();
    QFile::remove(iniPath());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Vemba.ini")));
    window->close();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_EQ(boxes.shown()[0].text.back(), '.');
}

struct FontRow {
    const char* name;
    QByteArray stored;
    int pointSize;
};

void PrintTo(const FontRow& row, std::ostream* out) {
    *out << row.name;
}

class MainWindowFontTest : public MainWindowTest, public ::testing::WithParamInterface<FontRow> {
protected:
    void SetUp() override {
        iniText =
            "[Font]\r\nSize=" + GetParam().stored + "\r\n[frm_Main]\r\nLeft=30\r\nTop=5000\r\n";
        MainWindowTest::SetUp();
    }
};

TEST_P(MainWindowFontTest, FontSizeAndPlacementApplyWhenFirstShown) {
    EXPECT_EQ(window->font().pointSize(), 8);
    showActive();
    EXPECT_EQ(window->font().pointSize(), GetParam().pointSize);
    EXPECT_EQ(child<QToolButton>("SpeedButton1")->font().pointSize(), GetParam().pointSize);
    EXPECT_EQ(child("DBText1")->font().pointSize(), 18);
    EXPECT_EQ(child("Label4")->font().pixelSize(), 27);
    // Left as stored, Top beyond the work area's bottom edge: 0.
    EXPECT_EQ(window->pos(), QPoint(30, 0));
    // The client area keeps its design height; only the status bar may grow with the font.
    EXPECT_EQ(window->height() - window->menuBar()->height() - window->statusBar()->height(),
              Tfrm_Main::ClientHeight - 19);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainWindowFontTest,
                         ::testing::Values(FontRow{"decimal", "12", 12},
                                           FontRow{"hexadecimal", "0x0C", 12},
                                           FontRow{"not_a_number", "abc", 9},
                                           FontRow{"zero", "0", 9}, FontRow{"negative", "-3", 9}),
                         [](const auto& info) { return std::string(info.param.name); });

// Larger fonts: every drill caption whole (on two lines where one is too narrow), the status
// texts and the direction items not cut.
class MainWindowReadableTest : public MainWindowTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        iniText = "[Font]\r\nSize=" + QByteArray::number(GetParam()) + "\r\n";
        MainWindowTest::SetUp();
    }
};

TEST_P(MainWindowReadableTest, CaptionsAndStatusTextsAreWhole) {
    openWithKeys(QString::fromUtf8(VEMBA_SOURCE_DIR "/resources/Ask/elso.ask"));
    showActive();
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3"}) {
        auto* button = child<DrillButton>(name);
        for (const bool bold : {false, true}) {
            SCOPED_TRACE(std::string(name) + (bold ? " bold" : ""));
            QFont font = button->font();
            font.setBold(bold);
            button->setFont(font);
            const QStringList lines = button->captionLines();
            const QFontMetrics metrics(button->font());
            EXPECT_EQ(lines.join(QString()).remove(QLatin1Char(' ')),
                      button->text().remove(QLatin1Char(' ')))
                << lines.join(QLatin1Char('|')).toStdString();
            EXPECT_LE(lines.size(), 2);
            for (const QString& line : lines)
                EXPECT_LE(metrics.horizontalAdvance(line), button->captionRect().width())
                    << line.toStdString();
            EXPECT_LE((lines.size() - 1) * metrics.lineSpacing() + metrics.height(),
                      button->captionRect().height());
        }
    }
    for (const char* name : {"StatusPanel0", "StatusPanel1"}) {
        QLabel* panel = child(name);
        EXPECT_GE(panel->contentsRect().height(), panel->fontMetrics().height()) << name;
        EXPECT_TRUE(
            window->rect().contains(panel->mapTo(window.get(), panel->rect().bottomRight())))
            << name;
    }
    auto* group = child<QGroupBox>("RadioGroup1");
    EXPECT_GE(group->height(), group->sizeHint().height());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainWindowReadableTest, ::testing::Values(9, 10, 12, 14));

// The mouse wheel.

QWheelEvent wheel(QWidget* at, int angle) {
    const QPointF inside(4, 4);
    return QWheelEvent(inside, at->mapToGlobal(inside), QPoint(), QPoint(0, angle), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
}

// Records the key presses a widget receives.
class KeySpy : public QObject {
public:
    explicit KeySpy(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
    std::vector<int> keys;
};

// A shown, active window whose focused list has ten rows, the sixth current, with the
// wheel converter installed.
class WheelTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i)
            list->addItem(QString::number(i));
        list->setCurrentRow(5);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        list->setFocus();
    }

    WheelToArrows converter;
    QWidget window;
    QListWidget* list = new QListWidget(&window);
};

TEST_F(WheelTest, OneWheelEventMovesOneRow) {
    ASSERT_EQ(QApplication::focusWidget(), list);

    const struct {
        int angle;
        int row;
        bool consumed;
    } steps[] = {{120, 4, true}, {-120, 5, true}, {480, 4, true}, {-15, 5, true}, {0, 5, false}};
    for (const auto& step : steps) {
        QWheelEvent event = wheel(list->viewport(), step.angle);
        const bool consumed = QApplication::sendEvent(list->viewport(), &event);
        EXPECT_EQ(list->currentRow(), step.row) << step.angle;
        if (step.consumed) {
            EXPECT_TRUE(consumed) << step.angle;
        }
    }
}

// While a menu is open it has the keyboard: the wheel moves its highlight, not the focused
// widget behind it.
TEST_F(WheelTest, OpenMenuTakesTheArrow) {

    QMenu menu(&window);
    QAction* first = menu.addAction(QStringLiteral("Első"));
    QAction* second = menu.addAction(QStringLiteral("Második"));
    menu.popup(window.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(first);

    QWheelEvent event = wheel(&menu, -120);
    QApplication::sendEvent(&menu, &event);
    EXPECT_EQ(menu.activeAction(), second);
    EXPECT_EQ(list->currentRow(), 5);
    menu.hide();
}

TEST(WheelToArrows, QtDialogsKeepTheirWheel) {
    WheelToArrows converter;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vemba"), QStringLiteral("text"),
                    QMessageBox::Ok);
    box.show();
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    KeySpy boxKeys(ok);
    QWheelEvent onBox = wheel(ok, 120);
    QApplication::sendEvent(ok, &onBox);
    EXPECT_TRUE(boxKeys.keys.empty());

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.show();
    auto* view = files.findChild<QAbstractItemView*>();
    ASSERT_NE(view, nullptr);
    KeySpy viewKeys(view);
    QWheelEvent onView = wheel(view->viewport(), -120);
    QApplication::sendEvent(view->viewport(), &onView);
    EXPECT_TRUE(viewKeys.keys.empty());
}

TEST_F(MainWindowTest, WindowConvertsTheWheel) {
    showActive();
    QRadioButton* first = child<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>().value(0);
    ASSERT_NE(first, nullptr);
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    first->setFocus();
    KeySpy keys(first);
    QWheelEvent event = wheel(child("Image1"), -120);
    QApplication::sendEvent(child("Image1"), &event);
    EXPECT_EQ(keys.keys, std::vector<int>{Qt::Key_Down});
}

TEST_F(MainWindowTest, EnterBeforeAnyTestOnlyMovesTheEmphasisAndStillReachesTheControl) {
    showActive();
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QRadioButton* first = child<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>().value(0);
    ASSERT_NE(first, nullptr);
    first->setFocus();
    KeySpy keys(first);
    const auto bold = [this](const char* button) {
        return child<QToolButton>(button)->font().bold();
    };
    EXPECT_FALSE(bold("SpeedButton2"));
    EXPECT_FALSE(bold("SpeedButton3"));

    key(Qt::Key_Return);
    EXPECT_TRUE(bold("SpeedButton2"));
    key(Qt::Key_Return);
    EXPECT_TRUE(bold("SpeedButton3"));
    EXPECT_FALSE(bold("SpeedButton2"));

    EXPECT_EQ(keys.keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Return}));
    EXPECT_EQ(text("DBText1"), QString());
    EXPECT_EQ(text("Label4"), QStringLiteral("0"));
    EXPECT_TRUE(boxes.shown().empty());
}

// Start-up.

TEST(CommandLine, TestFileIsTakenAsAnAbsolutePath) {
    const QString relative = QStringLiteral("tesztek/angol.ask");
    EXPECT_EQ(parseCommandLine({QStringLiteral("vemba"), relative}).testFile,
              QDir::current().absoluteFilePath(relative));
    EXPECT_EQ(parseCommandLine({QStringLiteral("vemba")}).testFile, QString());
}

// Help and version are printed without a window, so the program can give them without a display.
TEST(CommandLine, OnlyHelpAndVersionPrintText) {
    const struct {
        QStringList arguments;
        bool printsOnly;
    } cases[] = {
        {{QStringLiteral("vemba"), QStringLiteral("--version")}, true},
        {{QStringLiteral("vemba"), QStringLiteral("-v")}, true},
        {{QStringLiteral("vemba"), QStringLiteral("--help")}, true},
        {{QStringLiteral("vemba"), QStringLiteral("teszt.ask"), QStringLiteral("-h")}, true},
        {{QStringLiteral("vemba")}, false},
        {{QStringLiteral("vemba"), QStringLiteral("teszt.ask")}, false},
        {{QStringLiteral("--version")}, false}, // the program's own name
        {{}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(onlyPrintsText(c.arguments), c.printsOnly);
    }
}

TEST(SampleTests, CopiedOnlyWhereMissing) {
    QTemporaryDir from;
    QTemporaryDir data;
    writeAll(from.filePath(QStringLiteral("elso.ask")), "sample one");
    writeAll(from.filePath(QStringLiteral("masodik.ask")), "sample two");
    writeAll(from.filePath(QStringLiteral("readme.txt")), "not a test");
    QDir(data.path()).mkpath(QStringLiteral("Ask"));
    writeAll(data.filePath(QStringLiteral("Ask/elso.ask")), "the user's own");

    EXPECT_EQ(installSampleTests(from.path(), data.path()), 1);
    EXPECT_EQ(readAll(data.filePath(QStringLiteral("Ask/elso.ask"))), "the user's own");
    EXPECT_EQ(readAll(data.filePath(QStringLiteral("Ask/masodik.ask"))), "sample two");
    EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("Ask/readme.txt"))));
    EXPECT_EQ(installSampleTests(from.path(), data.path()), 0);
    EXPECT_EQ(installSampleTests(from.filePath(QStringLiteral("none")), data.path()), 0);
}

TEST(SampleTests, BundledSamplesAreFoundBesideTheBuildTree) {
    const QString folder = sampleTestsFolder(QStringLiteral(VEMBA_BINARY_DIR "/app"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/elso.ask"))) << folder.toStdString();
}

TEST(ImageListTest, EveryNumberHasBothSizes) {
    for (int index = 0; index < ImageList::Count; ++index) {
        EXPECT_EQ(ImageList::image(index).size(), QSize(16, 16)) << index;
        EXPECT_EQ(ImageList::largeImage(index).size(), QSize(32, 32)) << index;
    }
    EXPECT_EQ(ImageList::themeName(ImageList::Megnyit), QStringLiteral("actions/document-open"));
    EXPECT_EQ(ImageList::themeName(ImageList::Bezar), QStringLiteral("actions/system-log-out"));
    EXPECT_TRUE(ImageList::image(ImageList::Count).isNull());
    EXPECT_TRUE(ImageList::image(-1).isNull());
}

} // namespace

#include "editor/Teszt.h"

#include "TesztSupport.h"
#include "app/Config.h"
#include "data/FieldSets.h"
#include "platform/Cp1250.h"
#include "support/TestFiles.h"
#include "ui/ImageList.h"
#include "ui/Placement.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ThemeDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Step = PairDialogScript::Step;

const QString Nevtelen = QStringLiteral("Névtelen teszt");
const std::string NincsMentve = "File nincs mentve. Elmentsem?";

std::pair<std::string, std::string> pair(const char* a, const char* b) {
    return {cp(a), cp(b)};
}

// The editor window, shown, with every box and dialog scripted and three test files beside
// the settings file: full.ask (three pairs in file order c, a, b), empty.ask (no pairs) and
// pairs.csv (two pairs after its header line).
class EditorTest : public ::testing::Test {
public:
    EditorTest() {
        writeTest(path("full.ask"), {pair("c", "1"), pair("a", "3"), pair("b", "2")});
        writeTest(path("empty.ask"), {});
        writeAll(path("pairs.csv"), "nyelv1;nyelv2\r\nkutya;dog\r\nmacska;cat\r\n");
        frm.show();
        frm.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frm));
    }

    QString path(const char* name) const { return env.path(QString::fromUtf8(name)); }
    TesztLogic& logic() { return frm.logic(); }
    TMemTable& tbl() { return frm.logic().Tbl(); }
    Pairs pairs() { return tablePairs(tbl()); }

    void open(const char* name) {
        files.choose(path(name));
        frm.aMegnyit->trigger();
    }
    // aUj with one pair typed and confirmed, then the next dialog cancelled.
    void addPair(const char* nyelv1, const char* nyelv2) {
        script.then(PairDialogScript::typePair(nyelv1, nyelv2));
        script.then(PairDialogScript::escape());
        frm.aUj->trigger();
    }
    // A named test without changes: full.ask opened and saved again.
    void openClean() {
        open("full.ask");
        frm.aMentes->trigger();
    }
    void saveAs(const char* name) {
        files.choose(path(name));
        frm.aMentesMaskent->trigger();
    }
    void importCsv() {
        files.choose(path("pairs.csv"));
        frm.aImport->trigger();
    }

    std::vector<std::string> questions() const {
        std::vector<std::string> texts;
        for (const auto& shown : boxes.shown())
            texts.push_back(shown.text);
        return texts;
    }

    EditorEnvironment env;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    PairDialogScript script;
    Tfrm_Teszt frm;
};

// ---- the modified flag and the file name -------------------------------------------------

struct StateCase {
    const char* name;
    std::function<void(EditorTest&)> events;
    bool modified;
    const char* file; // nullptr: untitled
};

void PrintTo(const StateCase& c, std::ostream* os) {
    *os << c.name;
}

class StateTable : public EditorTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(StateTable, FollowsTheEvents) {
    GetParam().events(*this);
    EXPECT_EQ(logic().Modified(), GetParam().modified);
    const QString file = GetParam().file ? path(GetParam().file) : QString();
    EXPECT_EQ(logic().FileName(), file);
    EXPECT_EQ(frm.StatusPanel1->text(), file);
    EXPECT_EQ(frm.Panel1->text(), GetParam().file ? QString::fromUtf8(GetParam().file) : Nevtelen);
    EXPECT_EQ(script.pendingSteps(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, StateTable,
    ::testing::Values(StateCase{"WindowOpened", [](EditorTest&) {}, false, nullptr},
                      StateCase{"PairPostedByAUj",
                                [](EditorTest& t) { t.addPair("alma", "apple"); }, true, nullptr},
                      StateCase{"PairPostedByASzerkeszt",
                                [](EditorTest& t) {
                                    t.openClean();
                                    t.script.then(PairDialogScript::typePair("x", "y"));
                                    t.frm.aSzerkeszt->trigger();
                                },
                                true, "full.ask"},
                      StateCase{"PairsPostedByTheImport",
                                [](EditorTest& t) {
                                    t.openClean();
                                    t.importCsv();
                                },
                                true, "full.ask"},
                      StateCase{"PairDeletedByATorol",
                                [](EditorTest& t) {
                                    t.openClean();
                                    t.frm.aTorol->trigger();
                                },
                                true, "full.ask"},
                      StateCase{"OpenedFileWithPairs", [](EditorTest& t) { t.open("full.ask"); },
                                true, "full.ask"},
                      StateCase{"OpenedEmptyFileWhileClean",
                                [](EditorTest& t) { t.open("empty.ask"); }, false, "empty.ask"},
                      StateCase{"OpenedEmptyFileWhileModified",
                                [](EditorTest& t) {
                                    t.addPair("alma", "apple");
                                    t.boxes.answerNo();
                                    t.open("empty.ask");
                                },
                                true, "empty.ask"},
                      StateCase{"SaveStepWroteTheFile",
                                [](EditorTest& t) {
                                    t.addPair("alma", "apple");
                                    t.files.choose(t.path("uj.ask"));
                                    t.frm.aMentes->trigger();
                                },
                                false, "uj.ask"},
                      StateCase{"SaveAsWroteTheFile",
                                [](EditorTest& t) {
                                    t.open("full.ask");
                                    t.saveAs("masik.ask");
                                },
                                false, "masik.ask"},
                      StateCase{"UjTesztKeepsBothWhenModified",
                                [](EditorTest& t) {
                                    t.open("full.ask");
                                    t.boxes.answerNo();
                                    t.frm.aUjTeszt->trigger();
                                },
                                true, "full.ask"},
                      StateCase{"UjTesztKeepsBothWhenClean",
                                [](EditorTest& t) {
                                    t.openClean();
                                    t.frm.aUjTeszt->trigger();
                                },
                                false, "full.ask"},
                      StateCase{"CancelledSaveDialogChangesNothing",
                                [](EditorTest& t) {
                                    t.addPair("alma", "apple");
                                    t.files.cancel();
                                    t.frm.aMentes->trigger();
                                },
                                true, nullptr},
                      StateCase{"OverwriteRefusedChangesNothing",
                                [](EditorTest& t) {
                                    t.openClean();
                                    t.frm.aTorol->trigger();
                                    t.boxes.answerNo();
                                    t.saveAs("empty.ask");
                                },
                                true, "full.ask"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the question before discarding changes, and closing ----------------------------------

TEST_F(EditorTest, ClosingAfterOpeningAsksAndCancelKeepsTheWindow) {
    open("full.ask");
    boxes.answerCancel();
    EXPECT_FALSE(frm.close());
    EXPECT_TRUE(frm.isVisible());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::YesNoCancel);
    EXPECT_EQ(boxes.shown()[0].text, NincsMentve);
    EXPECT_EQ(boxes.shown()[0].caption, cp("Kérdés"));
    EXPECT_EQ(boxes.shown()[0].owner, &frm);

    boxes.answerNo();
    EXPECT_TRUE(frm.close());
    EXPECT_FALSE(frm.isVisible());
    EXPECT_EQ(readTest(path("full.ask")).size(), 3u);
}

TEST_F(EditorTest, YesThenCancelledSaveDialogKeepsTheWindowOpen) {
    addPair("alma", "apple");
    boxes.answerYes();
    files.cancel();
    EXPECT_FALSE(frm.close());
    EXPECT_TRUE(frm.isVisible());
    EXPECT_TRUE(logic().Modified());
}

TEST_F(EditorTest, YesThenRefusedOverwriteKeepsTheWindowOpenAndTheFile) {
    addPair("alma", "apple");
    boxes.answerYes();
    files.choose(path("full.ask"));
    boxes.answerNo();
    EXPECT_FALSE(frm.close());
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(readTest(path("full.ask")).size(), 3u);
    EXPECT_EQ(logic().FileName(), QString());
}

TEST_F(EditorTest, YesThenSaveWritesTheTestAndCloses) {
    addPair("alma", "apple");
    boxes.answerYes();
    files.choose(path("uj.ask"));
    EXPECT_TRUE(frm.close());
    EXPECT_THAT(readTest(path("uj.ask")), ElementsAre(pair("alma", "apple")));
}

TEST_F(EditorTest, CleanWindowClosesWithoutAQuestionAndStoresItsPlacement) {
    frm.move(120, 80);
    frm.resize(800, 600);
    EXPECT_TRUE(frm.close());
    EXPECT_THAT(boxes.shown(), IsEmpty());
    EXPECT_EQ(AblakBetoltes(env.settingsFile(), "frm_Teszt", 1, 1, config().MunkaTerulet),
              (TPlacement{frm.x(), frm.y(), 800, 600}));
}

TEST_F(EditorTest, CancelBeforeOpeningKeepsTheTableAndShowsNoDialog) {
    addPair("alma", "apple");
    boxes.answerCancel();
    frm.aMegnyit->trigger();
    EXPECT_THAT(files.shown(), IsEmpty());
    EXPECT_THAT(pairs(), ElementsAre(pair("alma", "apple")));
}

TEST_F(EditorTest, CancelBeforeANewTestKeepsTheTable) {
    open("full.ask");
    boxes.answerCancel();
    frm.aUjTeszt->trigger();
    EXPECT_EQ(tbl().RecordCount(), 3);
}

TEST_F(EditorTest, YesBeforeOpeningSavesFirst) {
    addPair("alma", "apple");
    boxes.answerYes();
    files.choose(path("uj.ask"));
    files.choose(path("full.ask"));
    frm.aMegnyit->trigger();
    EXPECT_THAT(readTest(path("uj.ask")), ElementsAre(pair("alma", "apple")));
    EXPECT_EQ(logic().FileName(), path("full.ask"));
    EXPECT_EQ(tbl().RecordCount(), 3);
}

TEST_F(EditorTest, BezarAndEscEndTheModalShowing) {
    for (const bool byKey : {false, true}) {
        Tfrm_Teszt editor;
        QTimer::singleShot(0, &editor, [&] {
            if (byKey)
                QTest::keyClick(editor.DBGrid1, Qt::Key_Escape);
            else
                editor.aBezar->trigger();
        });
        editor.exec();
        EXPECT_FALSE(editor.isVisible()) << (byKey ? "Esc" : "aBezar");
    }
}

// ---- the save step -------------------------------------------------------------------------

TEST_F(EditorTest, SavingAnUntitledTestOverAnExistingFileAsks) {
    writeTest(path("lecke.ask"), {pair("régi", "old")});
    addPair("alma", "apple");
    files.choose(path("lecke.ask"));
    boxes.answerNo();
    frm.aMentes->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::YesNo);
    EXPECT_EQ(boxes.shown()[0].text, cp("A ...\\lecke.ask már létezik. Felülírjam?"));
    EXPECT_EQ(boxes.shown()[0].caption, cp("Megerősítés"));
    EXPECT_THAT(readTest(path("lecke.ask")), ElementsAre(pair("régi", "old")));

    files.choose(path("lecke"));
    boxes.answerYes();
    frm.aMentes->trigger();
    EXPECT_THAT(readTest(path("lecke.ask")), ElementsAre(pair("alma", "apple")));
    EXPECT_EQ(frm.Panel1->text(), QStringLiteral("lecke.ask"));
}

TEST_F(EditorTest, SavingANamedTestNeverAsks) {
    open("full.ask");
    frm.aTorol->trigger();
    frm.aMentes->trigger();
    EXPECT_THAT(boxes.shown(), IsEmpty());
    EXPECT_EQ(files.shown().size(), 1u); // only the open dialog
    EXPECT_THAT(readTest(path("full.ask")), ElementsAre(pair("a", "3"), pair("b", "2")));
}

TEST_F(EditorTest, SaveAsOfTheCurrentFileAsksAndProposesIt) {
    open("full.ask");
    files.choose(path("full.ask"));
    boxes.answerNo();
    frm.aMentesMaskent->trigger();
    EXPECT_THAT(questions(), ElementsAre(cp("A ...\\full.ask már létezik. Felülírjam?")));
    EXPECT_EQ(files.shown().back().settings.fileName, path("full.ask"));
    EXPECT_TRUE(logic().Modified());
}

TEST_F(EditorTest, SaveWritesThePairsInTheOrderTheGridShows) {
    script.then(PairDialogScript::typePair("körte", "pear"));
    script.then(PairDialogScript::typePair("Alma", "apple"));
    script.then(PairDialogScript::typePair("ágy", "bed"));
    script.then(PairDialogScript::escape());
    frm.aUj->trigger();
    saveAs("rendezett.ask");
    EXPECT_THAT(readTest(path("rendezett.ask")),
                ElementsAre(pair("ágy", "bed"), pair("Alma", "apple"), pair("körte", "pear")));
}

TEST_F(EditorTest, UjTesztKeepsTheNameAndSaveReplacesThatFileUnasked) {
    open("full.ask");
    boxes.answerNo();
    frm.aUjTeszt->trigger();
    EXPECT_EQ(tbl().RecordCount(), 0);
    EXPECT_EQ(frm.Panel1->text(), QStringLiteral("full.ask"));
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("0/-1"));
    boxes.clear();
    frm.aMentes->trigger();
    EXPECT_THAT(boxes.shown(), IsEmpty());
    EXPECT_THAT(readTest(path("full.ask")), IsEmpty());
}

TEST_F(EditorTest, FileDialogsOfTheWindow) {
    open("full.ask");
    saveAs("masik.ask");
    importCsv();
    ASSERT_EQ(files.shown().size(), 3u);
    const std::string ask = cp("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*");
    EXPECT_EQ(files.shown()[0].kind, ScriptedFileDialogs::Kind::Open);
    EXPECT_EQ(files.shown()[0].settings.filter, ask);
    EXPECT_EQ(files.shown()[1].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_EQ(files.shown()[1].settings.filter, ask);
    EXPECT_EQ(bareExtension(files.shown()[1].settings.defaultExtension), QStringLiteral("ask"));
    EXPECT_EQ(files.shown()[2].kind, ScriptedFileDialogs::Kind::Open);
    EXPECT_EQ(files.shown()[2].settings.filter, "CSV file-ok (*.csv)|*.csv|Minden file (*.*)|*.*");
    EXPECT_EQ(bareExtension(files.shown()[2].settings.defaultExtension), QStringLiteral("csv"));
    for (const auto& shown : files.shown())
        EXPECT_EQ(shown.owner, &frm);
}

// ---- opening --------------------------------------------------------------------------------

TEST_F(EditorTest, OpenedPairsShowInFileOrderAtTheFirstRecord) {
    open("full.ask");
    EXPECT_THAT(pairs(), ElementsAre(pair("c", "1"), pair("a", "3"), pair("b", "2")));
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/1"));
    EXPECT_EQ(logic().SearchField(), "nyelv1");
}

TEST_F(EditorTest, FailedOpenLeavesTheTestUntitledSoSavingAsksForAName) {
    // Three good pairs, then a sorszam that is no number.
    const QByteArray broken = readAll(path("full.ask")) + "\"x\",\"rossz\",\"bad\",\r\n";
    writeAll(path("hibas.ask"), broken);
    open("hibas.ask");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_EQ(logic().FileName(), QString());
    EXPECT_EQ(frm.Panel1->text(), Nevtelen);
    EXPECT_EQ(frm.StatusPanel1->text(), QString());

    files.cancel();
    frm.aMentes->trigger();
    ASSERT_EQ(files.shown().size(), 2u);
    EXPECT_EQ(files.shown()[1].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_EQ(readAll(path("hibas.ask")), broken);
}

TEST_F(EditorTest, ImportKeepsTheNameAndAddsPairsSorted) {
    open("full.ask");
    importCsv();
    EXPECT_EQ(frm.Panel1->text(), QStringLiteral("full.ask"));
    EXPECT_EQ(tbl().RecordCount(), 5);
    EXPECT_EQ(tbl().FieldValue("hanyszor"), TValue(std::int32_t(1)));
}

// ---- new and changed pairs -----------------------------------------------------------------

TEST_F(EditorTest, AUjFollowedByCancelChangesNothing) {
    openClean();
    const Pairs before = pairs();
    script.then(PairDialogScript::escape());
    frm.aUj->trigger();
    EXPECT_EQ(pairs(), before);
    EXPECT_FALSE(logic().Modified());
    EXPECT_EQ(tbl().State(), TDataSetState::Browse);
}

TEST_F(EditorTest, AUjAsksForPairAfterPairUntilCancelled) {
    script.then(PairDialogScript::typePair("zebra", "zebra"));
    script.then(PairDialogScript::typePair("alma", "apple"));
    script.then(PairDialogScript::escape());
    frm.aUj->trigger();
    EXPECT_EQ(script.dialogsSeen(), 3);
    EXPECT_THAT(pairs(), ElementsAre(pair("alma", "apple"), pair("zebra", "zebra")));
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(tbl().ValueAt(row, tbl().FieldByName("hanyszor").Index()),
                  TValue(std::int32_t(1)));
        EXPECT_TRUE(isNull(tbl().ValueAt(row, tbl().FieldByName("sorszam").Index())));
        EXPECT_TRUE(isNull(tbl().ValueAt(row, tbl().FieldByName("hanyszorvolt").Index())));
    }
}

TEST_F(EditorTest, PositionShowsMinusOneWhileANewPairIsInTheDialog) {
    open("full.ask");
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/1"));
    script.then([this](Tfrm_Teszt_Szerkeszt& dialog) {
        EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/-1"));
        pressKey(dialog, Qt::Key_Escape);
    });
    frm.aUj->trigger();
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/1"));
}

TEST_F(EditorTest, TheGridGainingTheFocusDoesNotPostTheNewPairUnderTheDialog) {
    open("full.ask");
    script.then([this](Tfrm_Teszt_Szerkeszt& dialog) {
        frm.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
        frm.DBGrid1->setFocus();
        EXPECT_EQ(tbl().State(), TDataSetState::Insert);
        EXPECT_EQ(tbl().RecordCount(), 3);
        dialog.Button4->click();
    });
    frm.aUj->trigger();
    EXPECT_EQ(tbl().RecordCount(), 3);
}

TEST_F(EditorTest, F2OnAnEmptyTableCreatesAPairWithoutHanyszor) {
    script.then(PairDialogScript::typePair("első", "first"));
    QTest::keyClick(frm.DBGrid1, Qt::Key_F2);
    EXPECT_THAT(pairs(), ElementsAre(pair("első", "first")));
    EXPECT_TRUE(isNull(tbl().FieldValue("hanyszor")));
    EXPECT_TRUE(logic().Modified());
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("1/1"));
}

TEST_F(EditorTest, DoubleClickEditsTheCurrentPair) {
    open("full.ask");
    script.then(PairDialogScript::typePair("", "0"));
    Q_EMIT frm.DBGrid1->dblClick();
    EXPECT_EQ(tbl().FieldValue("nyelv2"), TValue(std::string("10")));
}

TEST_F(EditorTest, TorolDeletesAtOnceAndOnAnEmptyTableReportsTheTable) {
    open("full.ask");
    QTest::keyClick(frm.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(tbl().RecordCount(), 2);
    EXPECT_THAT(boxes.shown(), IsEmpty());

    boxes.answerNo();
    frm.aUjTeszt->trigger();
    boxes.clear();
    frm.aTorol->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_EQ(boxes.shown()[0].text, "Tbl: Cannot perform this operation on an empty dataset.");
}

TEST_F(EditorTest, NewPairInAFileWithoutHanyszorStopsBeforeTheDialog) {
    TMemTable drill("Tbl");
    DefineDrillFields(drill);
    drill.Open();
    drill.SaveToFile(path("drill.ask"));
    open("drill.ask");
    frm.aUj->trigger();
    EXPECT_EQ(script.dialogsSeen(), 0);
    EXPECT_THAT(questions(), ElementsAre("Tbl: Field 'hanyszor' not found."));
}

// ---- the incremental search ----------------------------------------------------------------

struct KeyCase {
    const char* name;
    QString typed;
    std::optional<char> search; // cp1250
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class GridSearchKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(GridSearchKeys, LowerCaseDigitsLettersAndHungarianLettersOnly) {
    EXPECT_EQ(TesztLogic::GridSearchKey(GetParam().typed), GetParam().search);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridSearchKeys,
    ::testing::Values(KeyCase{"CapitalA", QStringLiteral("A"), 'a'},
                      KeyCase{"SmallZ", QStringLiteral("z"), 'z'},
                      KeyCase{"Digit5", QStringLiteral("5"), '5'},
                      KeyCase{"Digit0", QStringLiteral("0"), '0'},
                      KeyCase{"CapitalAAcute", QStringLiteral("Á"), '\xe1'},
                      KeyCase{"CapitalODoubleAcute", QStringLiteral("Ő"), '\xf5'},
                      KeyCase{"SmallUDoubleAcute", QStringLiteral("ű"), '\xfb'},
                      KeyCase{"CapitalUDiaeresis", QStringLiteral("Ü"), '\xfc'},
                      KeyCase{"SmallIAcute", QStringLiteral("í"), '\xed'},
                      KeyCase{"Hyphen", QStringLiteral("-"), std::nullopt},
                      KeyCase{"Blank", QStringLiteral(" "), std::nullopt},
                      KeyCase{"ADiaeresisIsNotHungarian", QStringLiteral("ä"), std::nullopt},
                      KeyCase{"SmallSCaron", QStringLiteral("š"), std::nullopt},
                      KeyCase{"ControlCharacter", QStringLiteral("\x01"), std::nullopt},
                      KeyCase{"NoText", QString(), std::nullopt},
                      KeyCase{"TwoCharacters", QStringLiteral("ab"), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Seven pairs in the grid, sorted on nyelv1; Hungarian puts Ágnes between ablak and alma.
class SearchTest : public EditorTest {
protected:
    SearchTest() {
        for (const char* word : {"alma", "ablak", "ász", "Ágnes", "5 perc", "-os", "zebra"}) {
            tbl().Append();
            tbl().SetFieldValue("nyelv1", cp(word));
            tbl().SetFieldValue("nyelv2", cp(word) + "2");
            tbl().Post();
        }
        tbl().First();
        frm.DBGrid1->setFocus();
    }
    std::string current() { return tbl().FieldByName("nyelv1").AsString(); }
};

struct TypedCase {
    const char* name;
    QChar key;
    QString searchText; // the search box afterwards
    const char* current;
};

void PrintTo(const TypedCase& c, std::ostream* os) {
    *os << c.name;
}

class TypingInTheGrid : public SearchTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypingInTheGrid, StartsASearchWithTheSmallLetter) {
    tbl().Locate("nyelv1", std::string("zebra"));
    typeChar(*frm.DBGrid1, GetParam().key);
    EXPECT_EQ(frm.Edit1->text(), GetParam().searchText);
    EXPECT_EQ(current(), cp(GetParam().current));
    const bool searched = !GetParam().searchText.isEmpty();
    EXPECT_EQ(frm.focusWidget(), searched ? static_cast<QWidget*>(frm.Edit1) : frm.DBGrid1);
    if (searched) {
        EXPECT_EQ(frm.Edit1->cursorPosition(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypingInTheGrid,
    ::testing::Values(TypedCase{"CapitalAAcute", QChar(u'Á'), QStringLiteral("á"), "Ágnes"},
                      TypedCase{"CapitalA", QChar(u'A'), QStringLiteral("a"), "ablak"},
                      TypedCase{"Digit5", QChar(u'5'), QStringLiteral("5"), "5 perc"},
                      TypedCase{"HyphenIsLeftToTheGrid", QChar(u'-'), QString(), "zebra"},
                      TypedCase{"NothingMatches", QChar(u'q'), QStringLiteral("q"), "zebra"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchTest, TypingOnInTheSearchBoxNarrowsTheSearch) {
    typeChar(*frm.DBGrid1, QChar(u'a'));
    EXPECT_EQ(current(), "ablak");
    typeInto(frm, "lm");
    EXPECT_EQ(frm.Edit1->text(), QStringLiteral("alm"));
    EXPECT_EQ(current(), "alma");
    pressKey(frm, Qt::Key_Down);
    EXPECT_EQ(frm.focusWidget(), frm.DBGrid1);
}

TEST_F(SearchTest, TheSameLetterTypedAgainSearchesAgain) {
    typeChar(*frm.DBGrid1, QChar(u'z'));
    EXPECT_EQ(current(), "zebra");
    tbl().First();
    frm.DBGrid1->setFocus();
    typeChar(*frm.DBGrid1, QChar(u'Z'));
    EXPECT_EQ(frm.Edit1->text(), QStringLiteral("z"));
    EXPECT_EQ(current(), "zebra");
}

TEST_F(SearchTest, EmptyingTheSearchBoxFindsTheFirstPairWithAText) {
    tbl().Insert();
    tbl().SetFieldValue("nyelv2", std::string("null"));
    tbl().Post(); // a null nyelv1 sorts first
    frm.Edit1->setText(QStringLiteral("z"));
    EXPECT_EQ(current(), "zebra");
    frm.Edit1->clear();
    const Pairs shown = pairs();
    ASSERT_EQ(shown[0].first, "");
    EXPECT_TRUE(isNull(tbl().ValueAt(0, tbl().FieldByName("nyelv1").Index())));
    EXPECT_EQ(current(), shown[1].first);
}

TEST_F(SearchTest, SearchErrorsAreIgnored) {
    TMemTable drill("Tbl");
    DefineDrillFields(drill);
    drill.Open();
    drill.SaveToFile(path("drill.ask"));
    boxes.answerNo();
    open("drill.ask");
    tbl().Close();
    frm.Edit1->setText(QStringLiteral("a"));
    EXPECT_THAT(boxes.shown(), ElementsAre(::testing::Field(&ScriptedMessageBoxes::Shown::kind,
                                                            MessageBoxKind::YesNoCancel)));
}

// ---- sorting by a title click --------------------------------------------------------------

void clickTitle(TThemeDBGrid& grid, int column) {
    QHeaderView* header = grid.horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseMove(header->viewport(), centre);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

TEST_F(EditorTest, TitleClickSortsHighlightsAndSearchesThatColumn) {
    open("full.ask");
    const QColor window = frm.DBGrid1->ColumnColor(1);
    EXPECT_EQ(frm.DBGrid1->ColumnColor(0), colorFromBgr(config().KiemelesSzin));
    EXPECT_EQ(frm.DBGrid1->ColumnTitle(1), QStringLiteral("Második nyelv"));

    clickTitle(*frm.DBGrid1, 1);
    EXPECT_EQ(logic().SearchField(), "nyelv2");
    EXPECT_THAT(pairs(), ElementsAre(pair("c", "1"), pair("b", "2"), pair("a", "3")));
    EXPECT_EQ(frm.DBGrid1->ColumnColor(1), colorFromBgr(config().KiemelesSzin));
    EXPECT_EQ(frm.DBGrid1->ColumnColor(0), window);
    EXPECT_EQ(frm.focusWidget(), frm.Edit1);

    typeInto(frm, "3");
    EXPECT_EQ(tbl().FieldValue("nyelv1"), TValue(std::string("a")));
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/3"));

    clickTitle(*frm.DBGrid1, 0);
    EXPECT_EQ(logic().SearchField(), "nyelv1");
    EXPECT_THAT(pairs(), ElementsAre(pair("a", "3"), pair("b", "2"), pair("c", "1")));
    EXPECT_EQ(frm.StatusPanel0->text(), QStringLiteral("3/1"));
}

// ---- look -----------------------------------------------------------------------------------

struct ColumnWidthCase {
    int grid;
    int column;
};

TEST(ColumnWidth, HalvesRoundToTheEvenNeighbour) {
    for (const ColumnWidthCase c : {ColumnWidthCase{737, 348},
                                    {739, 350},
                                    {740, 350},
                                    {741, 350},
                                    {744, 352},
                                    {40, 0},
                                    {41, 0},
                                    {43, 2}}) {
        EXPECT_EQ(TesztLogic::ColumnWidth(c.grid), c.column) << c.grid;
    }
}

TEST_F(EditorTest, ResizingSharesTheGridWidthBetweenTheColumns) {
    for (const int width : {737, 739}) {
        frm.resize(width, 500);
        QCoreApplication::processEvents();
        ASSERT_EQ(frm.DBGrid1->width(), width);
        EXPECT_EQ(frm.DBGrid1->columnWidth(0), TesztLogic::ColumnWidth(width));
        EXPECT_EQ(frm.DBGrid1->columnWidth(1), TesztLogic::ColumnWidth(width));
    }
    // Opening a file shows the grid anew; the columns keep their share.
    open("full.ask");
    QCoreApplication::processEvents();
    EXPECT_EQ(frm.DBGrid1->columnWidth(0), TesztLogic::ColumnWidth(739));
    EXPECT_EQ(frm.DBGrid1->columnWidth(1), TesztLogic::ColumnWidth(739));
}

TEST_F(EditorTest, WindowTextsAndTitlePanel) {
    EXPECT_EQ(frm.objectName(), QStringLiteral("frm_Teszt"));
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("Teszt szerkesztése"));
    EXPECT_EQ(frm.Panel1->text(), Nevtelen);
    EXPECT_EQ(frm.Panel1->height(), 35);
    EXPECT_EQ(frm.Panel1->font().family(), QStringLiteral("Arial"));
    EXPECT_TRUE(frm.Panel1->font().bold());
    EXPECT_EQ(frm.Edit1->geometry().topLeft(), QPoint(12, 4));
    EXPECT_EQ(frm.Edit1->width(), 121);
    EXPECT_FALSE(frm.Edit1->font().bold()) << "the search box has the window's font";
    EXPECT_EQ(frm.StatusPanel0->width(), 100);
    EXPECT_EQ(frm.DBGrid1->ColumnFieldName(0), "nyelv1");
    EXPECT_EQ(frm.DBGrid1->ColumnFieldName(1), "nyelv2");
    EXPECT_EQ(frm.DBGrid1->ColumnTitle(0), QStringLiteral("Első nyelv"));
}

TEST_F(EditorTest, PlacementAndFontComeFromTheSettings) {
    AblakMentes(env.settingsFile(), "frm_Teszt", {30, 40, 900, 700});
    Beall().BetuMeret = 12;
    Tfrm_Teszt editor;
    editor.show();
    Beall().BetuMeret = 9;
    EXPECT_EQ(editor.pos(), QPoint(30, 40));
    EXPECT_EQ(editor.size(), QSize(900, 700));
    EXPECT_EQ(editor.font().pointSize(), 12);
    EXPECT_EQ(editor.Edit1->font().pointSize(), 12);
}

struct ActionCase {
    QAction* Tfrm_Teszt::*action;
    const char* name;
    const char* caption;
    const char* hint;
    int image;
    QKeySequence shortcut;
};

QImage pictureOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(EditorTest, ActionsToolBarAndContextMenu) {
    const ActionCase actions[] = {
        {&Tfrm_Teszt::aUj, "aUj", "Új sor", "Új sor", 3, QKeySequence(Qt::Key_Insert)},
        {&Tfrm_Teszt::aSzerkeszt, "aSzerkeszt", "Szerkeszt", "Szerkeszt", 4,
         QKeySequence(Qt::Key_F2)},
        {&Tfrm_Teszt::aTorol, "aTorol", "Töröl", "Töröl", 5,
         QKeySequence(QStringLiteral("Ctrl+Del"))},
        {&Tfrm_Teszt::aUjTeszt, "aUjTeszt", "Új teszt", "Új teszt", 0,
         QKeySequence(QStringLiteral("Ctrl+N"))},
        {&Tfrm_Teszt::aMegnyit, "aMegnyit", "Megnyit", "Megnyit", 1,
         QKeySequence(QStringLiteral("Ctrl+O"))},
        {&Tfrm_Teszt::aMentes, "aMentes", "Mentés", "Mentés", 6,
         QKeySequence(QStringLiteral("Ctrl+S"))},
        {&Tfrm_Teszt::aMentesMaskent, "aMentesMaskent", "Másként", "Mentés másként", 7,
         QKeySequence(QStringLiteral("Shift+Ctrl+S"))},
        {&Tfrm_Teszt::aImport, "aImport", "Import", "Import", 24, QKeySequence(Qt::Key_F3)},
        {&Tfrm_Teszt::aBezar, "aBezar", "Bezár", "Bezár", 2, QKeySequence(Qt::Key_Escape)},
    };
    for (const ActionCase& a : actions) {
        const QAction* action = frm.*a.action;
        EXPECT_EQ(action->objectName(), QString::fromUtf8(a.name));
        EXPECT_EQ(action->text(), QString::fromUtf8(a.caption)) << a.name;
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(a.hint)) << a.name;
        EXPECT_EQ(action->shortcut(), a.shortcut) << a.name;
        ASSERT_FALSE(action->icon().isNull()) << a.name;
        EXPECT_EQ(pictureOf(action->icon()),
                  ImageList::image(a.image).toImage().convertToFormat(QImage::Format_ARGB32))
            << a.name;
    }

    auto names = [](const QList<QAction*>& list) {
        QStringList out;
        for (const QAction* action : list)
            out << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        return out.join(QLatin1Char(' '));
    };
    EXPECT_EQ(names(frm.ToolBar1->actions()),
              QStringLiteral(
                  "aUj aSzerkeszt aTorol - aUjTeszt aMegnyit aMentes aMentesMaskent - aImport - "
                  "aBezar"));
    EXPECT_EQ(names(frm.PopupMenu1->actions()),
              QStringLiteral("aUj aSzerkeszt aTorol - aUjTeszt aMegnyit - aMentes "
                             "aMentesMaskent - aBezar"));
}

// The buttons are 53 x 36 pixels at the least, all of one size, and wide enough for every
// caption in the window's font, also a larger one.
TEST_F(EditorTest, ToolButtonsShowWholeCaptions) {
    for (const int points : {9, 14}) {
        SCOPED_TRACE(points);
        Beall().BetuMeret = points;
        Tfrm_Teszt editor;
        editor.show();
        Beall().BetuMeret = 9;
        const auto* first =
            qobject_cast<QToolButton*>(editor.ToolBar1->widgetForAction(editor.aUj));
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_GE(first->width(), 53);
        EXPECT_GE(first->height(), 36);
        for (QAction* action : editor.ToolBar1->actions()) {
            const auto* button =
                qobject_cast<QToolButton*>(editor.ToolBar1->widgetForAction(action));
            if (!button)
                continue;
            EXPECT_EQ(button->size(), first->size()) << action->objectName().toStdString();
            EXPECT_GE(button->width(), button->sizeHint().width())
                << action->objectName().toStdString();
        }
    }
}

TEST_F(EditorTest, CtrlDelInTheSearchBoxDeletesThePair) {
    open("full.ask");
    frm.Edit1->setFocus();
    typeInto(frm, "b");
    QTest::keyClick(frm.Edit1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_THAT(pairs(), ElementsAre(pair("c", "1"), pair("a", "3")));
}

// ---- the keyboard alone ---------------------------------------------------------------------

TEST_F(EditorTest, ATestCanBeMadeFromNothingWithTheKeyboard) {
    script.then(PairDialogScript::typePair("kutya", "dog"));
    script.then(PairDialogScript::typePair("ló", "horse"));
    script.then(PairDialogScript::typePair("cica", "kitten"));
    script.then(PairDialogScript::escape());
    pressKey(frm, Qt::Key_Insert);
    EXPECT_EQ(script.dialogsSeen(), 4);
    // The editor is active again before the user's next key.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    files.choose(path("allatok"));
    pressKey(frm, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(files.shown().size(), 1u);

    EXPECT_EQ(script.pendingSteps(), 0u);
    EXPECT_THAT(readTest(path("allatok.ask")),
                ElementsAre(pair("cica", "kitten"), pair("kutya", "dog"), pair("ló", "horse")));
    EXPECT_FALSE(logic().Modified());
    EXPECT_EQ(frm.Panel1->text(), QStringLiteral("allatok.ask"));
    EXPECT_TRUE(frm.close());
}

} // namespace

#include "TesztSupport.h"
#include "app/Config.h"
#include "data/FieldSets.h"
#include "editor/Teszt_Szerkeszt.h"
#include "support/TestFiles.h"
#include "ui/Placement.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The editor's table on the pair alma / apple, as the editor hands it to the dialog.
class PairDialogTest : public ::testing::Test {
protected:
    PairDialogTest() {
        DefineEditorFields(table);
        table.Open();
        table.Append();
        table.SetFieldValue("nyelv1", std::string("alma"));
        table.SetFieldValue("nyelv2", std::string("apple"));
        table.Post();
    }

    std::string text(const char* field) const { return table.FieldByName(field).AsString(); }

    EditorEnvironment env;
    ScriptedMessageBoxes boxes;
    TMemTable table{"Tbl"};
    PairDialogScript script;
};

// ---- keys --------------------------------------------------------------------------------

struct KeyPath {
    const char* name;
    std::function<void(Tfrm_Teszt_Szerkeszt&)> keys;
    bool confirmed;
};

void PrintTo(const KeyPath& path, std::ostream* os) {
    *os << path.name;
}

class PairDialogKeys : public PairDialogTest, public ::testing::WithParamInterface<KeyPath> {};

TEST_P(PairDialogKeys, EndTheDialogAsTheUserMeant) {
    table.Insert();
    script.then(GetParam().keys);
    EXPECT_EQ(ParSzerkesztes(table), GetParam().confirmed);
    EXPECT_EQ(script.pendingSteps(), 0u);
    // The dialog only fills the working copy; the caller posts or cancels.
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    if (GetParam().confirmed) {
        EXPECT_EQ(text("nyelv1"), "eper");
        EXPECT_EQ(text("nyelv2"), "strawberry");
    }
}

void typeBoth(Tfrm_Teszt_Szerkeszt& dialog) {
    typeInto(dialog, "eper");
    pressKey(dialog, Qt::Key_Return);
    typeInto(dialog, "strawberry");
}

INSTANTIATE_TEST_SUITE_P(Paths, PairDialogKeys,
                         ::testing::Values(KeyPath{"EnterEnterEnterConfirms",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       pressKey(d, Qt::Key_Return);
                                                       EXPECT_EQ(d.focusWidget(), d.Button3);
                                                       EXPECT_TRUE(d.isVisible());
                                                       pressKey(d, Qt::Key_Return);
                                                   },
                                                   true},
                                           KeyPath{"KeypadEnterWorksLikeReturn",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeInto(d, "eper");
                                                       pressKey(d, Qt::Key_Enter);
                                                       typeInto(d, "strawberry");
                                                       pressKey(d, Qt::Key_Enter);
                                                       pressKey(d, Qt::Key_Enter);
                                                   },
                                                   true},
                                           KeyPath{"EscInTheFirstEditCancels",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeInto(d, "eper");
                                                       pressKey(d, Qt::Key_Escape);
                                                   },
                                                   false},
                                           KeyPath{"EscInTheSecondEditCancels",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       pressKey(d, Qt::Key_Escape);
                                                   },
                                                   false},
                                           KeyPath{"EscOnTheOkButtonCancels",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       pressKey(d, Qt::Key_Return);
                                                       pressKey(d, Qt::Key_Escape);
                                                   },
                                                   false},
                                           KeyPath{"EnterOnTheFocusedCancelButtonCancels",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       pressKey(d, Qt::Key_Tab);
                                                       pressKey(d, Qt::Key_Tab);
                                                       EXPECT_EQ(d.focusWidget(), d.Button4);
                                                       pressKey(d, Qt::Key_Return);
                                                   },
                                                   false},
                                           KeyPath{"OkClickedWhileTheSecondEditHasTheFocus",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       d.Button3->click();
                                                   },
                                                   true},
                                           KeyPath{"CloseBoxCancels",
                                                   [](Tfrm_Teszt_Szerkeszt& d) {
                                                       typeBoth(d);
                                                       d.close();
                                                   },
                                                   false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PairDialogTest, TabOrderRunsThroughEditsAndButtonsAndWraps) {
    table.Insert();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_EQ(d.focusWidget(), d.DBEdit1);
        pressKey(d, Qt::Key_Return);
        EXPECT_EQ(d.focusWidget(), d.DBEdit2);
        pressKey(d, Qt::Key_Tab);
        pressKey(d, Qt::Key_Tab);
        pressKey(d, Qt::Key_Tab);
        EXPECT_EQ(d.focusWidget(), d.DBEdit1);
        d.Button4->click();
    });
    EXPECT_FALSE(ParSzerkesztes(table));
}

TEST_F(PairDialogTest, EditsTakeAtMostTheFieldSize) {
    table.Insert();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_EQ(d.DBEdit1->maxLength(), 255);
        EXPECT_EQ(d.DBEdit2->maxLength(), 255);
        typeInto(d, std::string(256, 'x'));
        EXPECT_EQ(d.DBEdit1->text().size(), 255);
        pressKey(d, Qt::Key_Return);
        typeInto(d, std::string(300, 'y'));
        EXPECT_EQ(d.DBEdit2->text().size(), 255);
        d.Button3->click();
    });
    ASSERT_TRUE(ParSzerkesztes(table));
    EXPECT_EQ(text("nyelv1"), std::string(255, 'x'));
    EXPECT_EQ(text("nyelv2"), std::string(255, 'y'));
}

// ---- what the edits show and write ---------------------------------------------------------

TEST_F(PairDialogTest, EditingShowsTheCurrentPairAndWritesOnlyWhatChanged) {
    table.Edit();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_EQ(d.DBEdit1->text(), QStringLiteral("alma"));
        EXPECT_EQ(d.DBEdit2->text(), QStringLiteral("apple"));
        pressKey(d, Qt::Key_Return);
        d.DBEdit2->selectAll();
        typeInto(d, "körte");
        pressKey(d, Qt::Key_Return);
        pressKey(d, Qt::Key_Return);
    });
    ASSERT_TRUE(ParSzerkesztes(table));
    EXPECT_EQ(text("nyelv1"), "alma");
    EXPECT_EQ(text("nyelv2"), cp("körte"));
}

TEST_F(PairDialogTest, EnterShowsTheFocusAsTabWould) {
    table.Insert();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        pressKey(d, Qt::Key_Return);
        pressKey(d, Qt::Key_Return);
        QPushButton* ok = d.Button3;
        EXPECT_EQ(d.focusWidget(), ok);
        // What the style reads to draw the focus frame of the focused button.
        QStyleOption option;
        option.initFrom(ok);
        EXPECT_TRUE(option.state.testFlag(QStyle::State_KeyboardFocusChange));
        pressKey(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ParSzerkesztes(table));
}

TEST_F(PairDialogTest, NewPairStartsEmptyAndMayStayEmpty) {
    table.Insert();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_TRUE(d.DBEdit1->text().isEmpty());
        EXPECT_TRUE(d.DBEdit2->text().isEmpty());
        pressKey(d, Qt::Key_Return);
        pressKey(d, Qt::Key_Return);
        pressKey(d, Qt::Key_Return);
    });
    ASSERT_TRUE(ParSzerkesztes(table));
    table.Post();
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(text("nyelv1"), "");
    EXPECT_EQ(text("nyelv2"), "");
}

TEST_F(PairDialogTest, PostWritesTheTextOfTheEditThatStillHasTheFocus) {
    table.Insert();
    Tfrm_Teszt_Szerkeszt dialog(table);
    dialog.show();
    typeInto(dialog, "szilva");
    table.Post();
    EXPECT_EQ(text("nyelv1"), "szilva");
}

TEST_F(PairDialogTest, OnlyTheFocusedEditHasTheFocusColour) {
    table.Insert();
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        const QColor window = QApplication::palette(d.DBEdit1).color(QPalette::Base);
        EXPECT_EQ(Tfrm_Teszt_Szerkeszt::FocusColor, QColor(166, 202, 240));
        EXPECT_EQ(d.DBEdit1->palette().color(QPalette::Base), Tfrm_Teszt_Szerkeszt::FocusColor);
        EXPECT_EQ(d.DBEdit2->palette().color(QPalette::Base), window);
        pressKey(d, Qt::Key_Return);
        EXPECT_EQ(d.DBEdit1->palette().color(QPalette::Base), window);
        EXPECT_EQ(d.DBEdit2->palette().color(QPalette::Base), Tfrm_Teszt_Szerkeszt::FocusColor);
        d.Button4->click();
    });
    EXPECT_FALSE(ParSzerkesztes(table));
}

// ---- look and place ------------------------------------------------------------------------

TEST_F(PairDialogTest, LayoutAndTexts) {
    Tfrm_Teszt_Szerkeszt dialog(table);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Szerkeszt"));
    EXPECT_EQ(dialog.size(), QSize(459, 178));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Első nyelv (több szó vesszővel elválasztva)"));
    EXPECT_EQ(dialog.Label2->text(),
              QStringLiteral("Második nyelv (több szó vesszővel elválasztva)"));
    EXPECT_EQ(dialog.DBEdit1->geometry(), QRect(12, 36, 433, 21));
    EXPECT_EQ(dialog.DBEdit2->geometry(), QRect(12, 84, 433, 21));
    EXPECT_EQ(dialog.Button3->geometry(), QRect(284, 136, 75, 25));
    EXPECT_EQ(dialog.Button4->geometry(), QRect(364, 136, 75, 25));
    EXPECT_EQ(dialog.Button4->text(), QStringLiteral("Mégsem"));
    EXPECT_FALSE(dialog.Button3->isDefault() || dialog.Button3->autoDefault());
    EXPECT_FALSE(dialog.Button4->isDefault() || dialog.Button4->autoDefault());
}

TEST_F(PairDialogTest, StoredPositionIsUsedUnclampedAndTheNewOneSaved) {
    PozicioMentes(env.settingsFile(), "frm_Teszt_Szerkeszt", {5000, -300});
    Beall().BetuMeret = 12;
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_EQ(d.pos(), QPoint(5000, -300));
        EXPECT_EQ(d.font().pointSize(), 12);
        for (const QLabel* label : {d.Label1, d.Label2})
            EXPECT_GE(label->width(), label->sizeHint().width()) << "the label shows its text";
        d.move(40, 60);
        d.Button4->click();
    });
    table.Edit();
    EXPECT_FALSE(ParSzerkesztes(table));
    Beall().BetuMeret = 9;
    EXPECT_EQ(PozicioBetoltes(env.settingsFile(), "frm_Teszt_Szerkeszt"), (TPosition{40, 60}));
}

TEST_F(PairDialogTest, MissingPositionDefaultsToTenTen) {
    script.then([](Tfrm_Teszt_Szerkeszt& d) {
        EXPECT_EQ(d.pos(), QPoint(10, 10));
        d.Button4->click();
    });
    table.Edit();
    EXPECT_FALSE(ParSzerkesztes(table));
}

} // namespace

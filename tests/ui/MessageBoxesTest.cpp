#include "ui/MessageBoxes.h"

#include "platform/Error.h"
#include "support/TestFiles.h"
#include "ui/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// What a real box showed.
struct SeenBox {
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList buttonTexts;
    QWidget* parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
};

// Waits for the next modal message box, notes what it shows and closes it with the button
// given (NoButton: with Esc).
class BoxDriver {
public:
    explicit BoxDriver(QMessageBox::StandardButton press) {
        QObject::connect(&timer_, &QTimer::timeout, [this, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer_.stop();
            seen = note(*box);
            if (press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(press)->click();
        });
        timer_.start(5);
    }

    SeenBox seen;

private:
    static SeenBox note(const QMessageBox& box) {
        SeenBox s{box.windowTitle(),
                  box.text(),
                  box.textFormat(),
                  box.icon(),
                  box.standardButtons(),
                  QMessageBox::NoButton,
                  {},
                  box.parentWidget(),
                  box.windowModality()};
        if (box.defaultButton())
            s.defaultButton = box.standardButton(box.defaultButton());
        for (QAbstractButton* button : box.buttons())
            s.buttonTexts << button->text();
        s.buttonTexts.sort();
        return s;
    }

    QTimer timer_;
};

struct RealBoxCase {
    const char* name;
    std::function<int(QWidget*)> show;
    const char* caption; // UTF-8
    const char* text;    // UTF-8
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton press;
    int result;
};

void PrintTo(const RealBoxCase& c, std::ostream* os) {
    *os << c.name;
}

class RealBox : public ::testing::TestWithParam<RealBoxCase> {};

const QMessageBox::StandardButtons YesNo = QMessageBox::Yes | QMessageBox::No;
const QMessageBox::StandardButtons YesNoCancel = YesNo | QMessageBox::Cancel;

TEST_P(RealBox, ShowsCaptionIconButtonsAndGivesTheResult) {
    const RealBoxCase& c = GetParam();
    QWidget owner;
    owner.show();
    BoxDriver driver(c.press);
    int result = c.show(&owner);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(driver.seen.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(driver.seen.text, QString::fromUtf8(c.text));
    EXPECT_EQ(driver.seen.format, Qt::PlainText);
    EXPECT_EQ(driver.seen.icon, c.icon);
    EXPECT_EQ(driver.seen.buttons, c.buttons);
    EXPECT_EQ(driver.seen.parent, &owner);
    EXPECT_EQ(driver.seen.modality, Qt::WindowModal);
    EXPECT_EQ(driver.seen.defaultButton,
              c.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
}

int uzenet(QWidget* owner) {
    Uzenet(cp("Kész: <b>12</b> szó"), owner);
    return 0;
}

int hibaUzenet(QWidget* owner) {
    HibaUzenet(cp("Hiba: nem írható"), owner);
    return 0;
}

int igenNem(QWidget* owner) {
    return IgenNem(cp("Felülírjam?"), cp("Megerősítés"), owner);
}

int igenNemMegse(QWidget* owner) {
    return IgenNemMegse(cp("Mentsem?"), cp("Kérdés"), owner);
}

int programError(QWidget* owner) {
    ProgramErrorBox(VembaError("Unable to write to /tmp/x/Vemba.ini"), owner);
    return 0;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RealBox,
    ::testing::Values(
        RealBoxCase{"Uzenet", uzenet, "Üzenet", "Kész: <b>12</b> szó", QMessageBox::Information,
                    QMessageBox::Ok, QMessageBox::Ok, 0},
        RealBoxCase{"HibaUzenet", hibaUzenet, "Hiba", "Hiba: nem írható", QMessageBox::Critical,
                    QMessageBox::Ok, QMessageBox::Ok, 0},
        RealBoxCase{"IgenNemYes", igenNem, "Megerősítés", "Felülírjam?", QMessageBox::Question,
                    YesNo, QMessageBox::Yes, 1},
        RealBoxCase{"IgenNemNo", igenNem, "Megerősítés", "Felülírjam?", QMessageBox::Question,
                    YesNo, QMessageBox::No, 0},
        RealBoxCase{"IgenNemEscapeIsNo", igenNem, "Megerősítés", "Felülírjam?",
                    QMessageBox::Question, YesNo, QMessageBox::NoButton, 0},
        RealBoxCase{"IgenNemMegseYes", igenNemMegse, "Kérdés", "Mentsem?", QMessageBox::Question,
                    YesNoCancel, QMessageBox::Yes, IDYES},
        RealBoxCase{"IgenNemMegseNo", igenNemMegse, "Kérdés", "Mentsem?", QMessageBox::Question,
                    YesNoCancel, QMessageBox::No, IDNO},
        RealBoxCase{"IgenNemMegseCancel", igenNemMegse, "Kérdés", "Mentsem?", QMessageBox::Question,
                    YesNoCancel, QMessageBox::Cancel, IDCANCEL},
        RealBoxCase{"IgenNemMegseEscapeIsCancel", igenNemMegse, "Kérdés", "Mentsem?",
                    QMessageBox::Question, YesNoCancel, QMessageBox::NoButton, IDCANCEL},
        RealBoxCase{"ProgramError", programError, "Vemba", "Unable to write to /tmp/x/Vemba.ini.",
                    QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, 0}),
    [](const auto& info) { return std::string(info.param.name); });

QStringList hungarianButtons() {
    QStringList texts{QStringLiteral("&Igen"), QStringLiteral("&Nem"), QString::fromUtf8("Mégse")};
    texts.sort();
    return texts;
}

TEST(RealBoxTexts, ButtonsAreHungarianWithoutQtsTranslation) {
    BoxDriver driver(QMessageBox::Cancel);
    IgenNemMegse("?", "?", nullptr);
    EXPECT_EQ(driver.seen.buttonTexts, hungarianButtons());
    EXPECT_EQ(driver.seen.modality, Qt::ApplicationModal);
}

TEST(RealBoxTexts, ButtonsComeFromQtsTranslationWhenLoaded) {
    ASSERT_TRUE(installQtTranslation(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Igen"));
    BoxDriver driver(QMessageBox::Cancel);
    IgenNemMegse("?", "?", nullptr);
    EXPECT_EQ(driver.seen.buttonTexts, hungarianButtons());
}

// The questions and the error box give the activation back to the window that had it
// before; the information box leaves it where closing the box put it.
class ActiveWindow : public ::testing::Test {
protected:
    void SetUp() override {
        first.setWindowTitle(QStringLiteral("first"));
        second.setWindowTitle(QStringLiteral("second"));
        first.show();
        second.show();
        first.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&first));
    }

    // The window active once the box, owned by the second window, has gone.
    QWidget* activeAfter(const std::function<void()>& show) {
        BoxDriver driver(QMessageBox::Ok);
        show();
        QTest::qWait(50);
        return QApplication::activeWindow();
    }

    QWidget first;
    QWidget second;
};

TEST_F(ActiveWindow, ErrorBoxActivatesTheWindowActiveBefore) {
    EXPECT_EQ(activeAfter([this] { HibaUzenet("x", &second); }), &first);
}

TEST_F(ActiveWindow, InformationBoxLeavesItToThePlatform) {
    EXPECT_NE(activeAfter([this] { Uzenet("x", &second); }), &first);
}

// ---- the full stop of the error box -------------------------------------------------------

TEST(WithFullStop, AddsOneAfterCharactersOrderedAfterTheFullStop) {
    const std::pair<std::string, std::string> cases[] = {
        {"Hiba", "Hiba."},
        {"Kész.", "Kész."},
        {"Vége!", "Vége!"},
        {"(zárójel)", "(zárójel)"},
        {"vessző,", "vessző,"},
        {"szóköz ", "szóköz "},
        {"Biztos?", "Biztos?."},
        {"szám 1", "szám 1."},
        {"kettőspont:", "kettőspont:."},
        {"kötőjel-", "kötőjel-"},
        {"perjel/", "perjel/."},
        {"Szótár", "Szótár."},
        {"ékezet é", "ékezet é."},
        {"", ""},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(withFullStop(cp(message)), cp(expected)) << message;
}

// ---- the scripted service -------------------------------------------------------------

TEST(ScriptedBoxes, RecordEveryBoxWithItsCaptionAndOwner) {
    ScriptedMessageBoxes boxes;
    QWidget owner;
    boxes.answerYes();
    boxes.answerCancel();
    boxes.answerNo();
    Uzenet(cp("Készen vagyunk...."), &owner);
    HibaUzenet("baj", nullptr);
    EXPECT_TRUE(IgenNem("a", "b", &owner));
    EXPECT_EQ(IgenNemMegse("c", "d", &owner), IDCANCEL);
    EXPECT_EQ(IgenNemMegse("e", "f", &owner), IDNO);
    ProgramErrorBox(std::string_view("Tbl: Field 'hanyszor' not found"), &owner);

    using K = MessageBoxKind;
    const std::vector<std::tuple<K, std::string, std::string, QWidget*, int>> expected = {
        {K::Information, cp("Készen vagyunk...."), cp("Üzenet"), &owner, IDOK},
        {K::Error, "baj", "Hiba", nullptr, IDOK},
        {K::YesNo, "a", "b", &owner, IDYES},
        {K::YesNoCancel, "c", "d", &owner, IDCANCEL},
        {K::YesNoCancel, "e", "f", &owner, IDNO},
        {K::ProgramError, "Tbl: Field 'hanyszor' not found.", "Vemba", &owner, IDOK},
    };
    ASSERT_EQ(boxes.shown().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& s = boxes.shown()[i];
        EXPECT_EQ(std::tie(s.kind, s.text, s.caption, s.owner, s.result), expected[i]) << i;
    }
    EXPECT_EQ(boxes.pendingAnswers(), 0u);
}

TEST(ScriptedBoxes, UnansweredQuestionsGetTheHarmlessAnswer) {
    ScriptedMessageBoxes boxes;
    boxes.answerYes(); // not used by an OK box
    Uzenet("x", nullptr);
    EXPECT_EQ(boxes.pendingAnswers(), 1u);
    EXPECT_TRUE(IgenNem("x", "y", nullptr));
    EXPECT_FALSE(IgenNem("x", "y", nullptr));
    EXPECT_EQ(IgenNemMegse("x", "y", nullptr), IDCANCEL);
}

TEST(ScriptedBoxes, PutTheServiceTheyReplacedBack) {
    MessageBoxService* real = &MessageBoxService::current();
    {
        ScriptedMessageBoxes outer;
        {
            ScriptedMessageBoxes inner;
            EXPECT_EQ(&MessageBoxService::current(), &inner);
        }
        EXPECT_EQ(&MessageBoxService::current(), &outer);
    }
    EXPECT_EQ(&MessageBoxService::current(), real);
}

} // namespace

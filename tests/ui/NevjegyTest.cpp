#include "ui/Nevjegy.h"

#include "ui/Links.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

Tfrm_Nevjegy* shownBox() {
    return dynamic_cast<Tfrm_Nevjegy*>(QApplication::activeModalWidget());
}

int boxesAlive() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += dynamic_cast<Tfrm_Nevjegy*>(widget) != nullptr ? 1 : 0;
    return count;
}

// Runs the box modally; once it is shown, act does what the user would. A box still open
// after that is closed with OK, so a failing test does not hang.
int runBox(Tfrm_Nevjegy& box, const std::function<void(Tfrm_Nevjegy&)>& act) {
    QTimer::singleShot(0, &box, [&] {
        act(box);
        if (box.isVisible())
            QTimer::singleShot(0, box.Button1, &QPushButton::click);
    });
    return box.exec();
}

TEST(Nevjegy, LayoutAsDesigned) {
    Tfrm_Nevjegy box;
    EXPECT_EQ(box.objectName(), QStringLiteral("frm_Nevjegy"));
    EXPECT_EQ(box.windowTitle(), u("Névjegy"));
    EXPECT_EQ(box.size(), QSize(424, 492));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(box.font().families().value(0), QStringLiteral("Segoe UI"));
    EXPECT_EQ(box.font().pointSize(), 8);

    struct Row {
        QWidget* widget;
        QRect geometry;
    };
    const Row rows[] = {
        {box.Panel1, {8, 8, 409, 437}},    {box.Image1, {4, 4, 401, 253}},
        {box.Label3, {4, 260, 397, 24}},   {box.Label4, {4, 288, 397, 40}},
        {box.Label5, {4, 332, 397, 16}},   {box.Label6, {4, 348, 397, 81}},
        {box.Button1, {175, 456, 75, 25}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.widget->objectName().toStdString());
        EXPECT_EQ(row.widget->geometry(), row.geometry);
    }
    for (QWidget* inPanel : {static_cast<QWidget*>(box.Image1), static_cast<QWidget*>(box.Label1),
                             static_cast<QWidget*>(box.Label6)})
        EXPECT_EQ(inPanel->parentWidget(), box.Panel1);
    EXPECT_EQ(box.Label1->pos(), QPoint(275, 16));
    EXPECT_EQ(box.Label2->pos(), QPoint(262, 68));

    // The picture at its natural size, cut off by its box.
    ASSERT_FALSE(box.Image1->pixmap().isNull());
    EXPECT_EQ(box.Image1->pixmap().size(), QSize(400, 300));
    EXPECT_FALSE(box.Image1->hasScaledContents());
}

TEST(Nevjegy, TextsAndFonts) {
    Tfrm_Nevjegy box;
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Vemba\r\nV2.0.0.11"));
    EXPECT_EQ(Tfrm_Nevjegy::ProductText(), box.Label1->text());
    EXPECT_TRUE(box.Label1->alignment() & Qt::AlignRight);
    EXPECT_EQ(box.Label1->font().pixelSize(), 21);
    EXPECT_TRUE(box.Label1->font().bold());
    EXPECT_EQ(box.Label1->font().families().value(0), QStringLiteral("Arial"));
    EXPECT_FALSE(box.Label1->autoFillBackground());
    // Two lines: the label is sized to both.
    EXPECT_GE(box.Label1->height(), 2 * QFontMetrics(box.Label1->font()).height() - 2);

    EXPECT_EQ(box.Label2->text(), u(Links::MakerNotice));
    EXPECT_EQ(box.Label3->text(), u("VEMBA - Tanulást segítő program"));
    EXPECT_EQ(box.Label3->font().pixelSize(), 15);
    EXPECT_TRUE(box.Label3->font().bold());
    EXPECT_EQ(box.Label4->text(), QString());
    EXPECT_TRUE(box.Label4->wordWrap());
    EXPECT_EQ(box.Label5->text(), u("Elérhetőség"));
    EXPECT_TRUE(box.Label5->font().bold());

    const QStringList contact = box.Label6->text().split(QLatin1Char('\n'));
    ASSERT_EQ(contact.size(), 5);
    EXPECT_TRUE(contact[3].endsWith(QStringLiteral("https://vemba.hu")));
    EXPECT_TRUE(contact[4].endsWith(QStringLiteral("vemba@vemba.hu")));
    for (QLabel* centred : {box.Label3, box.Label4, box.Label5, box.Label6})
        EXPECT_TRUE(centred->alignment() & Qt::AlignHCenter) << centred->objectName().toStdString();

    EXPECT_EQ(box.Button1->text(), QStringLiteral("OK"));
    EXPECT_TRUE(box.Button1->isDefault());
}

struct KeyRow {
    const char* name;
    std::function<void(Tfrm_Nevjegy&)> act;
    bool closes;
    int result; // when it closes
};

void PrintTo(const KeyRow& row, std::ostream* out) {
    *out << row.name;
}

class NevjegyClosing : public testing::TestWithParam<KeyRow> {};

TEST_P(NevjegyClosing, OkAndEnterCloseWithOkEscapeDoesNothing) {
    Tfrm_Nevjegy box;
    bool stillOpen = false;
    const int result = runBox(box, [&](Tfrm_Nevjegy& shown) {
        GetParam().act(shown);
        QApplication::processEvents();
        stillOpen = shown.isVisible();
    });
    EXPECT_EQ(stillOpen, !GetParam().closes);
    if (GetParam().closes) {
        EXPECT_EQ(result, GetParam().result);
    }
}

void key(Tfrm_Nevjegy& box, Qt::Key which) {
    QWidget* focus = box.focusWidget();
    QTest::keyClick(focus ? focus : &box, which);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NevjegyClosing,
    testing::Values(
        KeyRow{"ok_button", [](Tfrm_Nevjegy& box) { box.Button1->click(); }, true,
               QDialog::Accepted},
        KeyRow{"return", [](Tfrm_Nevjegy& box) { key(box, Qt::Key_Return); }, true,
               QDialog::Accepted},
        KeyRow{"keypad_enter", [](Tfrm_Nevjegy& box) { key(box, Qt::Key_Enter); }, true,
               QDialog::Accepted},
        KeyRow{"escape", [](Tfrm_Nevjegy& box) { key(box, Qt::Key_Escape); }, false, 0},
        KeyRow{"escape_on_the_box",
               [](Tfrm_Nevjegy& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false, 0},
        KeyRow{"close_box", [](Tfrm_Nevjegy& box) { box.close(); }, true, QDialog::Rejected}),
    [](const auto& info) { return std::string(info.param.name); });

// Each "Névjegy" makes a box of its own, centred again, and nothing of it is left afterwards.
TEST(Nevjegy, TwoBoxesOneAfterTheOtherShareNothing) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            Tfrm_Nevjegy* box = shownBox();
            ASSERT_NE(box, nullptr);
            shown = true;
            EXPECT_TRUE(box->isModal());
            EXPECT_EQ(box->parentWidget(), nullptr);
            const QPoint offCentre = box->frameGeometry().center() - screen.center();
            EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();
            EXPECT_EQ(box->Label4->text(), QString());
            EXPECT_EQ(box->property("seen"), QVariant());
            // What the first box is left with must not reach the second.
            box->setProperty("seen", true);
            box->Label4->setText(QStringLiteral("changed"));
            box->move(0, 0);
            box->Button1->click();
        });
        Nevjegy();
        EXPECT_TRUE(shown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(boxesAlive(), 0);
    }
}

} // namespace

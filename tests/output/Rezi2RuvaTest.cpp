#include "output/Rezi2Ruva.h"

#include "StandInMailer.h"
#include "app/Config.h"
#include "data/FieldSets.h"
#include "support/RecordingOpener.h"
#include "support/TestFiles.h"
#include "ui/FocusColour.h"
#include "ui/Placement.h"
#include "ui/ScriptedDialogs.h"
#include "ui/Starter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs a step inside the next modal dialog of this kind, from its own event loop. The step
// waits for the dialog as long as the returned timer lives, so one that never comes leaves
// nothing behind.
[[nodiscard]] std::unique_ptr<QTimer> inNextDialog(std::function<void(Tfrm_Rezi2Ruva&)> step) {
    auto timer = std::make_unique<QTimer>();
    QTimer* waiting = timer.get();
    QObject::connect(waiting, &QTimer::timeout, [waiting, step] {
        auto* dialog = dynamic_cast<Tfrm_Rezi2Ruva*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        waiting->stop();
        step(*dialog);
    });
    waiting->start(10);
    return timer;
}

// A settings file of its own, a drill table, a recording launcher, a stand-in mail helper
// and a fixed date on the page.
class Rezi2RuvaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        writeAll(settingsFile(), QByteArray());
        initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1040});
        qputenv("SOURCE_DATE_EPOCH", "1700000000");
        DefineDrillFields(table);
        table.Open();
        add(3);
    }
    void TearDown() override { qunsetenv("SOURCE_DATE_EPOCH"); }

    QString settingsFile() const { return dir.filePath(QStringLiteral("Vemba.ini")); }
    QString path(const char* name) const { return dir.filePath(u(name)); }

    void add(int count) {
        for (int i = 0; i < count; ++i) {
            table.Append();
            table.SetFieldValue("nyelv1", cp("szó") + std::to_string(table.RecordCount()));
            table.SetFieldValue("nyelv2", "word" + std::to_string(table.RecordCount()));
            table.Post();
        }
    }

    std::unique_ptr<Tfrm_Rezi2Ruva> makeDialog(const QString& fixed = {}) {
        auto dialog = std::make_unique<Tfrm_Rezi2Ruva>(
            table, MezoListaBetoltes(NyelvOszlopok(false)), cp("Német ábc"), "", fixed, starter);
        return dialog;
    }

    // The page as the writer makes it for these columns and title.
    QByteArray expectedPage() {
        THtmlOldal page(table, MezoListaBetoltes(NyelvOszlopok(false)), cp("Német ábc"), "");
        return page.Build();
    }

    QTemporaryDir dir;
    StandInMailer mailer;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    TMemTable table{"Tbl"};
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    TStarter starter{opener};
};

// ---- the window ---------------------------------------------------------------------------

TEST_F(Rezi2RuvaTest, ControlsAsDesigned) {
    auto d = makeDialog();
    EXPECT_EQ(d->windowTitle(), u("HTML export"));
    EXPECT_EQ(d->objectName(), u("frm_Rezi2Ruva"));
    EXPECT_EQ(d->size(), QSize(546, 158));
    const struct {
        QWidget* control;
        QRect geometry;
        const char* caption; // nullptr: none to compare
    } rows[] = {
        {d->Edit1, QRect(12, 28, 489, 21), nullptr},
        {d->BitBtn1, QRect(504, 24, 33, 33), ""},
        {d->Image1, QRect(12, 56, 64, 64), nullptr},
        {d->CheckBox1, QRect(84, 56, 165, 17), "Mentés után megnyitás"},
        {d->Button3, QRect(84, 88, 75, 25), "E-Mail"},
        {d->Button1, QRect(380, 88, 75, 25), "OK"},
        {d->Button2, QRect(464, 88, 75, 25), "Mégsem"},
        {d->Bevel1, QRect(4, 119, 381, 10), nullptr},
        {d->ProgressBar1, QRect(0, 141, 546, 17), nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control->objectName().toStdString());
        EXPECT_EQ(row.control->geometry(), row.geometry);
        if (auto* button = qobject_cast<QAbstractButton*>(row.control); button && row.caption) {
            EXPECT_EQ(button->text(), u(row.caption));
        }
    }
    EXPECT_EQ(d->Label1->text(), u("Mentés helye"));
    EXPECT_EQ(d->Label1->pos(), QPoint(12, 12));
    EXPECT_FALSE(d->BitBtn1->icon().isNull());
    EXPECT_FALSE(d->Image1->pixmap().isNull());
    EXPECT_TRUE(d->CheckBox1->isChecked());
    EXPECT_TRUE(d->Button1->isDefault());
    EXPECT_FALSE(d->Button2->isDefault() || d->Button3->isDefault());
    EXPECT_EQ(d->ProgressBar1->value(), 0);
    EXPECT_EQ(QFileInfo(d->Edit1->text()).fileName(), u("n_met-_bc.htm"));

    // Tab order.
    d->show();
    d->Edit1->setFocus();
    QWidget* focus = d->Edit1;
    for (QWidget* next : {static_cast<QWidget*>(d->BitBtn1), static_cast<QWidget*>(d->CheckBox1),
                          static_cast<QWidget*>(d->Button1), static_cast<QWidget*>(d->Button2),
                          static_cast<QWidget*>(d->Button3), static_cast<QWidget*>(d->Edit1)}) {
        focus = focus->nextInFocusChain();
        while (focus->focusPolicy() == Qt::NoFocus || !focus->isVisible())
            focus = focus->nextInFocusChain();
        EXPECT_EQ(focus, next) << next->objectName().toStdString();
    }
}

// The page is proposed in the documents folder, or in the home folder while there is no
// documents folder, so that OK can write it as proposed.
TEST_F(Rezi2RuvaTest, ProposedPathIsInTheDocumentsFolderOrAtHome) {
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = path("haz");
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    const QString atHome = makeDialog()->Edit1->text();
    ASSERT_TRUE(QDir(home).mkdir(u("Documents")));
    const QString inDocuments = makeDialog()->Edit1->text();
    qputenv("HOME", oldHome);
    EXPECT_EQ(atHome, home + u("/n_met-_bc.htm"));
    EXPECT_EQ(inDocuments, home + u("/Documents/n_met-_bc.htm"));
}

TEST_F(Rezi2RuvaTest, EditBoxHasTheFocusColourOnlyWhileFocused) {
    auto d = makeDialog();
    d->show();
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    d->Edit1->setFocus();
    EXPECT_EQ(d->Edit1->palette().color(QPalette::Base), QColor(166, 202, 240));
    EXPECT_EQ(FocusColour, QColor(166, 202, 240));
    d->Button1->setFocus();
    EXPECT_EQ(d->Edit1->palette().color(QPalette::Base),
              QApplication::palette(d->Edit1).color(QPalette::Base));
}

TEST_F(Rezi2RuvaTest, StoredPositionAndFontSizeAreUsedAndThePositionSaved) {
    const struct {
        std::optional<TPosition> stored;
        QPoint shown;
    } cases[] = {{std::nullopt, QPoint(10, 10)}, {TPosition{5000, -300}, QPoint(5000, -300)}};
    Beall().BetuMeret = 12;
    for (const auto& c : cases) {
        writeAll(settingsFile(), QByteArray());
        if (c.stored)
            PozicioMentes(settingsFile(), "frm_Rezi2Ruva", *c.stored);
        auto d = makeDialog();
        d->show();
        EXPECT_EQ(d->pos(), c.shown);
        EXPECT_EQ(d->font().pointSize(), 12);
        EXPECT_GE(d->CheckBox1->width(), d->CheckBox1->sizeHint().width());
        EXPECT_GE(d->Label1->width(), d->Label1->sizeHint().width());
        EXPECT_GE(d->Edit1->y(), d->Label1->geometry().bottom()) << "the label stays whole";
        for (QPushButton* button : {d->Button1, d->Button2, d->Button3})
            EXPECT_GE(button->height(), button->sizeHint().height());
        d->move(40, 60);
        d->Button2->click();
        EXPECT_EQ(PozicioBetoltes(settingsFile(), "frm_Rezi2Ruva"), (TPosition{40, 60}));
    }
    Beall().BetuMeret = 9;
}

// ---- the buttons --------------------------------------------------------------------------

TEST_F(Rezi2RuvaTest, OkWritesOpensAndCloses) {
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "opened" : "not opened");
        opener->urls.clear();
        auto d = makeDialog();
        d->show();
        const QString page = path(open ? "lap ж.htm" : "lap.htm");
        writeAll(page, "régi");
        d->Edit1->setText(page);
        d->CheckBox1->setChecked(open);
        d->Button1->click();
        EXPECT_EQ(readAll(page), expectedPage());
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_FALSE(d->isVisible());
        // A path beyond the code page is opened exactly as written.
        EXPECT_EQ(opener->urls,
                  open ? std::vector<QUrl>{QUrl::fromLocalFile(page)} : std::vector<QUrl>{});
        EXPECT_FALSE(mailer.ran());
        EXPECT_TRUE(boxes.shown().empty());
    }
}

TEST_F(Rezi2RuvaTest, EmailUnticksWritesSendsAndStaysOpen) {
    auto d = makeDialog();
    d->show();
    const QString page = path("a \"b\"; c.htm");
    d->Edit1->setText(page);
    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE(time);
        mailer.forget();
        d->Button3->click();
        EXPECT_FALSE(d->CheckBox1->isChecked());
        EXPECT_EQ(readAll(page), expectedPage());
        EXPECT_EQ(mailer.arguments(),
                  (std::vector<std::string>{"--utf8", "--subject", "Html küldés", "--body",
                                            "Html küldés", "--attach", page.toStdString()}));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->result(), 0);
    }
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_TRUE(boxes.shown().empty());
}

// Without a mail helper the page is written and nothing else happens; whatever the helper
// answers is not shown either.
TEST_F(Rezi2RuvaTest, EmailWithoutMailProgramShowsNothing) {
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "helper failing" : "no helper");
        if (present)
            mailer.install("exit 3");
        else
            mailer.removeFromPath();
        auto d = makeDialog();
        d->show();
        const QString page = path(present ? "b.htm" : "a.htm");
        d->Edit1->setText(page);
        d->Button3->click();
        EXPECT_EQ(readAll(page), expectedPage());
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_TRUE(opener->urls.empty());
    }
}

TEST_F(Rezi2RuvaTest, CancelWritesNothing) {
    const std::pair<const char*, std::function<void(Tfrm_Rezi2Ruva&)>> ways[] = {
        {"Mégsem", [](Tfrm_Rezi2Ruva& d) { d.Button2->click(); }},
        {"Esc", [](Tfrm_Rezi2Ruva& d) { QTest::keyClick(d.Edit1, Qt::Key_Escape); }},
        {"close box", [](Tfrm_Rezi2Ruva& d) { d.close(); }},
    };
    for (const auto& [name, cancel] : ways) {
        SCOPED_TRACE(name);
        auto d = makeDialog();
        d->show();
        d->Edit1->setText(path("nem.htm"));
        cancel(*d);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->result(), QDialog::Rejected);
        EXPECT_FALSE(QFile::exists(path("nem.htm")));
    }
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_FALSE(mailer.ran());
}

// A page that cannot be written reaches the program-wide error box; the dialog stays open,
// an existing file stays as it was, nothing is opened or sent.
TEST_F(Rezi2RuvaTest, FailedWriteIsShownAndKeepsTheDialogOpen) {
    const std::pair<const char*, std::function<void(Tfrm_Rezi2Ruva&)>> buttons[] = {
        {"OK", [](Tfrm_Rezi2Ruva& d) { d.Button1->click(); }},
        {"E-Mail", [](Tfrm_Rezi2Ruva& d) { d.Button3->click(); }},
    };
    for (const auto& [name, press] : buttons) {
        SCOPED_TRACE(name);
        boxes.clear();
        auto d = makeDialog();
        d->show();
        d->Edit1->setText(path("nincs/lap.htm"));
        press(*d);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
        EXPECT_EQ(boxes.shown()[0].text.rfind("Cannot create file \"", 0), 0u);
        EXPECT_EQ(boxes.shown()[0].owner, d.get());
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->Busy());
        EXPECT_FALSE(table.ControlsDisabled());
    }
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_FALSE(mailer.ran());
}

TEST_F(Rezi2RuvaTest, FolderButtonChoosesThePath) {
    auto d = makeDialog();
    d->show();
    const QString proposed = d->Edit1->text();
    dialogs.cancel();
    d->BitBtn1->click();
    EXPECT_EQ(d->Edit1->text(), proposed);
    dialogs.choose(path("valasztott"));
    d->BitBtn1->click();
    EXPECT_EQ(d->Edit1->text(), path("valasztott.htm"));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    const FileDialogSettings& shown = dialogs.shown()[0].settings;
    EXPECT_EQ(dialogs.shown()[0].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_EQ(shown.fileName, proposed);
    EXPECT_EQ(shown.filter, "HTML dokumentum (*.htm;*.html)|*.htm;*.html");
    EXPECT_EQ(shown.defaultExtension, u(".htm"));
    EXPECT_FALSE(shown.mustExist);
    EXPECT_EQ(dialogs.shown()[0].owner, d.get());
    EXPECT_EQ(dialogs.shown()[1].settings.fileName, proposed);
}

// Window messages are let through every ten records; a second OK or E-Mail, Mégsem and the
// close box meanwhile do nothing, and the first run ends as it would have.
TEST_F(Rezi2RuvaTest, ButtonsWaitWhileAPageIsWritten) {
    add(22);
    auto d = makeDialog();
    d->show();
    d->Edit1->setText(path("lap.htm"));
    std::vector<int> seen;
    QObject::connect(d->ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { seen.push_back(value); });
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        pressed = true;
        EXPECT_TRUE(d->Busy());
        d->Edit1->setText(path("masik.htm"));
        d->Button1->click();
        d->Button3->click();
        d->Button2->click();
        d->close();
        EXPECT_TRUE(d->isVisible());
    });
    d->Button1->click();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(seen, (std::vector<int>{10, 20}));
    EXPECT_EQ(d->ProgressBar1->maximum(), 25);
    EXPECT_EQ(readAll(path("lap.htm")), expectedPage());
    EXPECT_FALSE(QFile::exists(path("masik.htm")));
    EXPECT_EQ(opener->urls, std::vector<QUrl>{QUrl::fromLocalFile(path("lap.htm"))});
    EXPECT_FALSE(mailer.ran());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_FALSE(d->isVisible());
}

// While the mail program has the page, the dialog stays painted but its buttons and closing
// wait; afterwards it is usable again.
TEST_F(Rezi2RuvaTest, ButtonsWaitWhileThePageIsMailed) {
    mailer.install("sleep 0.3");
    auto d = makeDialog();
    d->show();
    d->Edit1->setText(path("lap.htm"));
    bool pressed = false;
    QTimer::singleShot(100, [&] {
        pressed = true;
        EXPECT_TRUE(d->Busy());
        d->Edit1->setText(path("masik.htm"));
        d->Button1->click();
        d->Button3->click();
        d->Button2->click();
        d->close();
    });
    d->Button3->click();
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(d->Busy());
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(QFile::exists(path("masik.htm")));
    EXPECT_TRUE(opener->urls.empty());
    d->Button2->click();
    EXPECT_FALSE(d->isVisible());
}

// ---- HtmlKiiras ---------------------------------------------------------------------------

TEST_F(Rezi2RuvaTest, FixedFileNameWritesAtOnceAndOpensThePage) {
    const QString page = path("fix.htm");
    HtmlKiiras(table, NyelvOszlopok(false), cp("Német ábc"), "", page, starter);
    EXPECT_EQ(readAll(page), expectedPage());
    EXPECT_EQ(opener->urls, std::vector<QUrl>{QUrl::fromLocalFile(page)});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(PozicioBetoltes(settingsFile(), "frm_Rezi2Ruva"), (TPosition{10, 10}))
        << "a dialog never shown stores no position";
    EXPECT_FALSE(readAll(settingsFile()).contains("frm_Rezi2Ruva"));

    // With a fixed name a failure goes to the caller.
    EXPECT_THROW(HtmlKiiras(table, {"nincs;;50;"}, "t", "", page, starter), VembaError);
    EXPECT_EQ(readAll(page), expectedPage());
}

TEST_F(Rezi2RuvaTest, BadSpecificationFailsBeforeAnyWindow) {
    bool shown = false;
    const auto waiting = inNextDialog([&](Tfrm_Rezi2Ruva& d) {
        shown = true;
        d.Button2->click();
    });
    try {
        HtmlKiiras(table, {"nyelv1;;fel;"}, "t", "", {}, starter);
        FAIL() << "no error";
    } catch (const VembaError& error) {
        EXPECT_STREQ(error.what(), "'fel' is not a valid integer value");
    }
    QTest::qWait(50);
    EXPECT_FALSE(shown);
    EXPECT_THROW(
        HtmlKiiras(table, std::vector<std::string>(51, "nyelv1;;1;"), "t", "", {}, starter),
        VembaError);
}

TEST_F(Rezi2RuvaTest, WithoutFileNameTheDialogAsksModally) {
    QString proposed;
    const auto waiting = inNextDialog([&](Tfrm_Rezi2Ruva& d) {
        proposed = d.Edit1->text();
        d.Edit1->setText(path("kert.htm"));
        d.Button1->click();
    });
    HtmlKiiras(table, NyelvOszlopok(false), cp("Német ábc"), "", {}, starter);
    EXPECT_EQ(QFileInfo(proposed).fileName(), u("n_met-_bc.htm"));
    EXPECT_EQ(readAll(path("kert.htm")), expectedPage());
    EXPECT_EQ(opener->urls, std::vector<QUrl>{QUrl::fromLocalFile(path("kert.htm"))});
}

} // namespace

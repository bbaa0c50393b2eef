#include "output/Hatarolt.h"

#include "BiffReader.h"
#include "app/Config.h"
#include "data/FieldSets.h"
#include "platform/Cp1250.h"
#include "support/RecordingOpener.h"
#include "support/TestFiles.h"
#include "ui/FocusColour.h"
#include "ui/Placement.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ShellFolders.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The dialog on an editor table of three pairs (labels "Első nyelv", "Második nyelv",
// "Hányszor?"), in a portable installation inside a temporary folder, with every box and file
// dialog scripted. The file name box holds out.csv of that folder.
class HataroltTest : public ::testing::Test {
protected:
    HataroltTest() {
        writeAll(settingsFile(), QByteArray());
        initConfig(path("vemba"), TRect{0, 0, 1920, 1040});
        DefineEditorFields(table);
        table.Open();
        add(70000, "tűz", "fire");
        add(2, "say \"hi\"", "a;b");
        add(3, "ő", "");
        table.First();
    }
    ~HataroltTest() override { Beall().BetuMeret = 9; }

    QString path(const char* name) const { return dir.filePath(u(name)); }
    QString settingsFile() const { return path("Vemba.ini"); }

    void add(std::int32_t sorszam, const char* nyelv1, const char* nyelv2) {
        table.Append();
        table.SetFieldValue("sorszam", sorszam);
        table.SetFieldValue("nyelv1", cp(nyelv1));
        if (*nyelv2 != 0)
            table.SetFieldValue("nyelv2", cp(nyelv2));
        table.Post();
    }

    Tfrm_Hatarolt& dialog() {
        if (!dialog_) {
            dialog_ = std::make_unique<Tfrm_Hatarolt>(table, path("out.csv"), nullptr, opener);
            dialog_->show();
        }
        return *dialog_;
    }

    // "Export indítás" to the file name.
    void exportTo(const char* name) {
        dialog().Edit1->setText(path(name));
        dialog().Button1->click();
    }

    // The file as UTF-8 with "¶" for CR LF.
    std::string text(const char* name) const {
        return fromCp1250(readAll(path(name)).toStdString())
            .replace(QStringLiteral("\r\n"), u("¶"))
            .toStdString();
    }

    std::vector<std::string> shownTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : boxes.shown())
            texts.push_back(fromCp1250(shown.text).toStdString());
        return texts;
    }

    // Runs the step as a user's click while an export runs: once the progress bar has moved,
    // from the window messages the export lets through.
    void whileRunning(std::function<void()> step) {
        auto done = std::make_shared<bool>(false);
        QObject::connect(dialog().ProgressBar1, &QProgressBar::valueChanged, dialog().ProgressBar1,
                         [step, done](int value) {
                             if (value > 0 && !*done) {
                                 *done = true;
                                 QTimer::singleShot(0, step);
                             }
                         });
    }

    void untick(int item) { dialog().CheckListBox1->item(item)->setCheckState(Qt::Unchecked); }

    QTemporaryDir dir;
    TMemTable table{"Tbl"};
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::unique_ptr<Tfrm_Hatarolt> dialog_;
};

// ---- look ---------------------------------------------------------------------------------

TEST_F(HataroltTest, ControlsCaptionsAndStartValues) {
    Tfrm_Hatarolt& d = dialog();
    EXPECT_EQ(d.windowTitle(), u("Határolt szöveg export"));
    EXPECT_EQ(d.size(), QSize(635, 387));
    struct Row {
        QWidget* widget;
        QRect rect;
        const char* caption;
    };
    const Row rows[] = {
        {d.CheckListBox1, {0, 0, 121, 370}, nullptr},
        {d.Button4, {132, 12, 89, 25}, "összes"},
        {d.Button5, {132, 44, 89, 25}, "Egyik sem"},
        {d.Image3, {140, 80, 72, 72}, nullptr},
        {d.RadioGroup2, {228, 8, 209, 153}, "Határoló karakter"},
        {d.RadioGroup1, {444, 8, 177, 153}, "Szövegjelölő"},
        {d.CheckBox1,
         {136, 172, 409, 17},
         "Többsoros mezőket is kiírja (egy sorba cső karakter választással)"},
        {d.CheckBox2,
         {136, 192, 409, 17},
         "Eredeti mezőneveket használja (nem a megjelenített neveket)"},
        {d.CheckBox3, {136, 212, 409, 17}, "Fejléc nem kell (az első sorban)"},
        {d.CheckBox4, {136, 232, 409, 17}, "Export után megnyitás"},
        {d.Edit1, {136, 276, 445, 21}, nullptr},
        {d.SpeedButton1, {584, 272, 33, 33}, nullptr},
        {d.Button3, {140, 312, 89, 25}, "Megállít"},
        {d.Button1, {412, 312, 97, 25}, "Export indítás"},
        {d.Button2, {520, 312, 97, 25}, "Bezár"},
        {d.Bevel1, {132, 348, 345, 10}, nullptr},
        {d.ProgressBar1, {0, 370, 635, 17}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.widget->objectName().toStdString());
        EXPECT_EQ(row.widget->geometry(), row.rect);
        if (row.caption == nullptr)
            continue;
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(row.widget))
            caption = button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(row.widget))
            caption = group->title();
        EXPECT_EQ(caption, u(row.caption));
        if (auto* box = qobject_cast<QCheckBox*>(row.widget)) {
            EXPECT_FALSE(box->isChecked());
        }
    }
    EXPECT_EQ(d.Label1->text(), u("Filenév"));
    EXPECT_EQ(d.Label1->pos(), QPoint(136, 260));
    EXPECT_FALSE(d.Image3->pixmap().isNull());
    EXPECT_FALSE(d.SpeedButton1->icon().isNull());
    EXPECT_TRUE(d.SpeedButton1->text().isEmpty());

    QStringList delimiters, qualifiers;
    for (QAbstractButton* b : d.RadioGroup2Items->buttons())
        delimiters << b->text();
    for (QAbstractButton* b : d.RadioGroup1Items->buttons())
        qualifiers << b->text();
    EXPECT_EQ(delimiters,
              QStringList({u("Pontosvessző (;)"), u("Tabulátor"), u("Vessző (,)"), u("Cső (|)")}));
    EXPECT_EQ(qualifiers, QStringList({u("Idézőjel (\")"), u("Aposztróf (')"), u("Semmi")}));
    EXPECT_EQ(d.RadioGroup2Items->checkedId(), 0);
    EXPECT_EQ(d.RadioGroup1Items->checkedId(), 2);

    QStringList fields;
    for (int i = 0; i < d.CheckListBox1->count(); ++i) {
        fields << d.CheckListBox1->item(i)->text();
        EXPECT_EQ(d.CheckListBox1->item(i)->checkState(), Qt::Checked);
    }
    EXPECT_EQ(fields, QStringList({u("sorszam"), u("nyelv1"), u("nyelv2"), u("hanyszor"),
                                   u("hanyszorvolt")}));

    EXPECT_FALSE(d.Button3->isEnabled());
    EXPECT_TRUE(d.Button1->isDefault());
    EXPECT_EQ(d.Edit1->text(), path("out.csv"));
    EXPECT_EQ(d.SaveDialog1.fileName, path("out.csv"));
    EXPECT_EQ(d.SaveDialog1.defaultExtension, u("csv"));
    EXPECT_EQ(fromCp1250(d.SaveDialog1.filter),
              u("CSV állományok (*.csv)|*.csv|Text állományok (*.txt)|*.txt|Excel munkalap "
                "(*.xls)|*.xls|Minden állomány (*.*)|*.*"));
}

// The documents folder, or the home folder while there is none, so that "Export indítás"
// can write the proposal as it stands.
TEST_F(HataroltTest, EmptyFileNameProposesFile001InTheDocumentsFolderOrAtHome) {
    const QByteArray oldHome = qgetenv("HOME");
    const QString home = path("haz");
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    QString atHome;
    {
        Tfrm_Hatarolt d(table, QString(), nullptr, opener);
        atHome = d.Edit1->text();
        EXPECT_EQ(d.SaveDialog1.fileName, d.Edit1->text());
    }
    ASSERT_TRUE(QDir(home).mkdir(u("Documents")));
    const QString inDocuments = Tfrm_Hatarolt(table, QString(), nullptr, opener).Edit1->text();
    qputenv("HOME", oldHome);
    EXPECT_EQ(atHome, home + u("/File001.csv"));
    EXPECT_EQ(inDocuments, home + u("/Documents/File001.csv"));
}

TEST_F(HataroltTest, TabOrderFollowsTheControlList) {
    Tfrm_Hatarolt& d = dialog();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.CheckListBox1->setFocus();
    std::vector<QWidget*> order;
    for (int i = 0; i < 12; ++i) {
        order.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The radio groups take the focus on their chosen item; "Megállít" is disabled.
    EXPECT_THAT(order,
                ElementsAre(d.CheckListBox1, d.Button4, d.Button5, d.RadioGroup2Items->button(0),
                            d.RadioGroup1Items->button(2), d.CheckBox1, d.CheckBox2, d.CheckBox3,
                            d.CheckBox4, d.Edit1, d.Button1, d.Button2));
    EXPECT_EQ(QApplication::focusWidget(), d.CheckListBox1) << "round again";
    d.CheckBox1->setFocus();
    QTest::keyClick(d.CheckBox1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), d.RadioGroup1Items->button(2));
}

TEST_F(HataroltTest, FileNameBoxHasTheFocusColourWhileFocused) {
    Tfrm_Hatarolt& d = dialog();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    const QColor window = QApplication::palette(d.Edit1).color(QPalette::Base);
    EXPECT_EQ(FocusColour, QColor(166, 202, 240));
    d.Edit1->setFocus();
    EXPECT_EQ(d.Edit1->palette().color(QPalette::Base), FocusColour);
    d.Button4->setFocus();
    EXPECT_EQ(d.Edit1->palette().color(QPalette::Base), window);
}

TEST_F(HataroltTest, PositionFromTheSettingsFontFromBetuMeretAndPositionStoredOnClose) {
    PozicioMentes(settingsFile(), Tfrm_Hatarolt::FormName, {300, -20});
    Beall().BetuMeret = 12;
    Tfrm_Hatarolt& d = dialog();
    EXPECT_EQ(d.pos(), QPoint(300, -20));
    EXPECT_EQ(d.font().pointSize(), 12);
    // A larger font grows the dialog so that every caption is shown whole.
    for (QCheckBox* box : {d.CheckBox1, d.CheckBox2, d.CheckBox3, d.CheckBox4})
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName().toStdString();
    EXPECT_GE(d.Button1->width(), d.Button1->sizeHint().width());
    EXPECT_GE(d.Edit1->y(), d.Label1->geometry().bottom());
    d.move(40, 60);
    d.Button2->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(PozicioBetoltes(settingsFile(), Tfrm_Hatarolt::FormName), (TPosition{40, 60}));
}

TEST_F(HataroltTest, MissingPositionIsTenTen) {
    EXPECT_EQ(dialog().pos(), QPoint(10, 10));
}

TEST_F(HataroltTest, AllAndNoneTickAndUntickEveryField) {
    Tfrm_Hatarolt& d = dialog();
    auto states = [&] {
        std::vector<Qt::CheckState> s;
        for (int i = 0; i < d.CheckListBox1->count(); ++i)
            s.push_back(d.CheckListBox1->item(i)->checkState());
        return s;
    };
    untick(1);
    d.Button5->click();
    EXPECT_EQ(states(), std::vector<Qt::CheckState>(5, Qt::Unchecked));
    d.Button4->click();
    EXPECT_EQ(states(), std::vector<Qt::CheckState>(5, Qt::Checked));
}

TEST_F(HataroltTest, FolderButtonChoosesTheFileName) {
    Tfrm_Hatarolt& d = dialog();
    d.Edit1->setText(path("elozo.csv"));
    files.choose(path("uj.txt"));
    d.SpeedButton1->click();
    ASSERT_EQ(files.shown().size(), 1u);
    EXPECT_EQ(files.shown()[0].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_EQ(files.shown()[0].settings.fileName, path("elozo.csv"));
    EXPECT_EQ(d.Edit1->text(), path("uj.txt"));

    files.cancel();
    d.SpeedButton1->click();
    EXPECT_EQ(d.Edit1->text(), path("uj.txt"));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(QFile::exists(path("uj.txt")));
}

// ---- the text export ----------------------------------------------------------------------

struct TextCase {
    const char* name;
    std::function<void(Tfrm_Hatarolt&)> choose;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class HataroltTextCases : public HataroltTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(HataroltTextCases, WriteTheFileAndSayItIsDone) {
    Tfrm_Hatarolt& d = dialog();
    untick(3);
    untick(4);
    GetParam().choose(d);
    exportTo("out.csv");
    EXPECT_EQ(text("out.csv"), GetParam().text);
    EXPECT_THAT(shownTexts(), ElementsAre(path("out.csv").toStdString() + " file kész."));
    EXPECT_EQ(boxes.shown().at(0).kind, MessageBoxKind::Information);
    EXPECT_EQ(d.ProgressBar1->value(), 0);
    EXPECT_FALSE(d.Button3->isEnabled());
    EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_EQ(table.RecNo(), 3) << "the cursor stays on the last record";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HataroltTextCases,
    ::testing::Values(
        TextCase{"Defaults", [](Tfrm_Hatarolt&) {},
                 "sorszam;Első nyelv;Második nyelv;¶70000;tűz;fire;¶2;say \"hi\";a;b;¶3;ő;;¶"},
        TextCase{"NamesInTheHeaderTabAndDoubleQuotes",
                 [](Tfrm_Hatarolt& d) {
                     d.CheckBox2->setChecked(true);
                     d.RadioGroup2Items->button(1)->setChecked(true);
                     d.RadioGroup1Items->button(0)->setChecked(true);
                 },
                 "\"sorszam\"\t\"nyelv1\"\t\"nyelv2\"\t¶\"70000\"\t\"tűz\"\t\"fire\"\t¶"
                 "\"2\"\t\"say \"\"hi\"\"\"\t\"a;b\"\t¶\"3\"\t\"ő\"\t\"\"\t¶"},
        TextCase{"NoHeaderCommaAndApostrophes",
                 [](Tfrm_Hatarolt& d) {
                     d.CheckBox3->setChecked(true);
                     d.RadioGroup2Items->button(2)->setChecked(true);
                     d.RadioGroup1Items->button(1)->setChecked(true);
                 },
                 "¶'70000','tűz','fire',¶'2','say \"hi\"','a;b',¶'3','ő','',¶"},
        TextCase{"DelimiterInsideAValueIsWrittenUnchanged",
                 [](Tfrm_Hatarolt& d) {
                     d.CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
                     d.CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
                 },
                 "Második nyelv;¶fire;¶a;b;¶;¶"},
        TextCase{"PipeAfterEveryField",
                 [](Tfrm_Hatarolt& d) {
                     d.RadioGroup2Items->button(3)->setChecked(true);
                     d.CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
                 },
                 "sorszam|Második nyelv|¶70000|fire|¶2|a;b|¶3||¶"},
        TextCase{"NoFieldTicked", [](Tfrm_Hatarolt& d) { d.Button5->click(); }, "¶¶¶¶"}));

TEST_F(HataroltTest, EmptyTableGivesTheHeaderLineAndTheMessage) {
    table.EmptyTable();
    untick(3);
    untick(4);
    exportTo("out.csv");
    EXPECT_EQ(text("out.csv"), "sorszam;Első nyelv;Második nyelv;¶");
    EXPECT_THAT(shownTexts(), ElementsAre(path("out.csv").toStdString() + " file kész."));
}

TEST_F(HataroltTest, EmptyFileNameAsksForOneAndCancellingWritesNothing) {
    Tfrm_Hatarolt& d = dialog();
    d.Edit1->clear();
    files.cancel();
    d.Button1->click();
    EXPECT_EQ(files.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(d.Edit1->text().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u("Vemba.ini")});

    files.choose(path("valasztott.txt"));
    d.Button1->click();
    EXPECT_EQ(d.Edit1->text(), path("valasztott.txt"));
    EXPECT_TRUE(QFile::exists(path("valasztott.txt")));
}

TEST_F(HataroltTest, FailedTextExportSaysSoKeepsTheFileAndOpensNothing) {
    writeAll(path("out.csv"), "previous");
    table.Close();
    dialog().CheckBox4->setChecked(true);
    exportTo("out.csv");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(shownTexts()[0], "Hiba: Tbl: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(readAll(path("out.csv")), QByteArray("previous"));
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_FALSE(dialog().Button3->isEnabled());
}

// Notes whether "Megállít" is enabled when a box shows.
class StopButtonAtBox final : public MessageBoxService {
public:
    explicit StopButtonAtBox(QPushButton* stop)
        : stop_(stop)
        , previous_(MessageBoxService::install(this)) {}
    ~StopButtonAtBox() override { MessageBoxService::install(previous_); }
    int show(const MessageBoxRequest&) override {
        enabled.push_back(stop_->isEnabled());
        return IDOK;
    }
    std::vector<bool> enabled;

private:
    QPushButton* stop_;
    MessageBoxService* previous_;
};

TEST_F(HataroltTest, StopIsOffWhileTheBoxShows) {
    StopButtonAtBox seen(dialog().Button3);
    exportTo("out.csv");
    table.Close();
    exportTo("out.csv");
    EXPECT_EQ(seen.enabled, std::vector<bool>({false, false}));
}

// "Megállít" is seen before the next record: the file holds the header line and the records
// finished until then, and the export ends as usual.
TEST_F(HataroltTest, StopWritesWhatWasGathered) {
    table.EmptyTable();
    for (int i = 0; i < 300; ++i)
        add(i, "x", "y");
    table.AfterScroll = [](TMemTable&) { QThread::msleep(1); };
    bool stopEnabled = false;
    whileRunning([&] {
        stopEnabled = dialog().Button3->isEnabled();
        dialog().Button3->click();
    });
    dialog().Button5->click();
    dialog().CheckListBox1->item(0)->setCheckState(Qt::Checked);
    exportTo("out.csv");
    table.AfterScroll = nullptr;
    EXPECT_TRUE(stopEnabled);
    const QList<QByteArray> lines = readAll(path("out.csv")).split('\n');
    ASSERT_GT(lines.size(), 2) << "some records were written";
    ASSERT_LT(lines.size(), 302) << "not all of them";
    EXPECT_EQ(lines.front(), "sorszam;\r");
    EXPECT_EQ(lines.back(), "") << "the last line is whole";
    for (int i = 1; i < lines.size() - 1; ++i)
        EXPECT_EQ(lines[i], QByteArray::number(i - 1) + ";\r");
    EXPECT_EQ(table.RecNo(), lines.size() - 1) << "the cursor on the record it stopped at";
    EXPECT_THAT(shownTexts(), ElementsAre(path("out.csv").toStdString() + " file kész."));
    EXPECT_FALSE(dialog().Button3->isEnabled());
}

// While an export runs, a second "Export indítás" does nothing and "Bezár" waits for its end.
TEST_F(HataroltTest, SecondStartIsIgnoredAndCloseWaitsForTheEnd) {
    for (int i = 0; i < 100; ++i)
        add(i, "x", "y");
    table.AfterScroll = [](TMemTable&) { QThread::msleep(1); };
    bool stillOpen = false;
    whileRunning([&] {
        dialog().move(50, 70);
        dialog().Button1->click();
        dialog().Button2->click();
        stillOpen = dialog().isVisible();
    });
    exportTo("out.csv");
    table.AfterScroll = nullptr;
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Rejected);
    EXPECT_EQ(readAll(path("out.csv")).count('\n'), 1 + 103);
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(PozicioBetoltes(settingsFile(), Tfrm_Hatarolt::FormName), (TPosition{50, 70}));
}

TEST_F(HataroltTest, OpenAfterExportLaunchesTheFileAndClosesTheDialog) {
    dialog().CheckBox4->setChecked(true);
    exportTo("szavak.csv");
    ASSERT_EQ(opener->urls.size(), 1u);
    EXPECT_EQ(opener->urls[0], QUrl::fromLocalFile(path("szavak.csv")));
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
}

// ---- the workbook export ------------------------------------------------------------------

struct ExtensionRow {
    const char* name;
    bool workbook;
};

TEST_F(HataroltTest, ExtensionChoosesTheWorkbook) {
    const ExtensionRow rows[] = {{"a.xls", true},   {"b.Xls", true}, {"c.XLS", true},
                                 {"d.xlsx", false}, {"e", false},    {"f.csv", false}};
    for (const ExtensionRow& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        exportTo(row.name);
        EXPECT_EQ(readAll(path(row.name)).startsWith(QByteArray::fromHex("0900")), row.workbook);
        // The workbook export says nothing when done.
        EXPECT_EQ(boxes.shown().size(), row.workbook ? 0u : 1u);
    }
}

TEST_F(HataroltTest, WorkbookHasNoColumnForAnUntickedField) {
    table.First();
    table.Next();
    untick(0);
    untick(3);
    untick(4);
    dialog().CheckBox3->setChecked(true); // no effect on a workbook
    exportTo("szavak.xls");
    const auto records = biffRecords(readAll(path("szavak.xls")));
    ASSERT_TRUE(records.has_value());
    std::vector<std::string> cells;
    for (const BiffCell& cell : biffCells(*records))
        cells.push_back(describe(cell));
    EXPECT_THAT(cells,
                ElementsAre("0,0 LABEL Első nyelv 00 80 00", "0,1 LABEL Második nyelv 00 80 00",
                            "1,0 LABEL tűz 00 00 01", "1,1 LABEL fire 00 00 01",
                            "2,0 LABEL say \"hi\" 00 00 01", "2,1 LABEL a;b 00 00 01",
                            "3,0 LABEL ő 00 00 01", "3,1 BLANK 00 00 01"));
    EXPECT_EQ(table.RecNo(), 2) << "the cursor back where it was";
    EXPECT_EQ(dialog().ProgressBar1->value(), 0);
    EXPECT_FALSE(dialog().Button3->isEnabled());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(HataroltTest, WorkbookProgressAdvancesPerRecord) {
    std::vector<int> values;
    QObject::connect(dialog().ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { values.push_back(value); });
    exportTo("szavak.xls");
    EXPECT_THAT(values, ElementsAre(1, 2, 3, 0));
    EXPECT_EQ(dialog().ProgressBar1->maximum(), 3);
}

TEST_F(HataroltTest, FailedWorkbookReachesTheProgramErrorBoxAndKeepsTheFile) {
    writeAll(path("szavak.xls"), "previous");
    table.EmptyTable();
    dialog().CheckBox4->setChecked(true);
    exportTo("szavak.xls");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
    EXPECT_EQ(shownTexts()[0], "Cannot perform this operation on an empty dataset.");
    EXPECT_EQ(readAll(path("szavak.xls")), QByteArray("previous"));
    EXPECT_TRUE(opener->urls.empty());
    EXPECT_TRUE(dialog().isVisible());
}

TEST_F(HataroltTest, WorkbookOpenedAfterExport) {
    dialog().CheckBox4->setChecked(true);
    exportTo("szavak.xls");
    ASSERT_EQ(opener->urls.size(), 1u);
    EXPECT_EQ(opener->urls[0], QUrl::fromLocalFile(path("szavak.xls")));
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
}

TEST_F(HataroltTest, HataroltExportShowsTheDialogModally) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<Tfrm_Hatarolt*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        seen = true;
        EXPECT_EQ(d->Edit1->text(), path("kezdo.csv"));
        d->Button2->click();
    });
    HataroltExport(table, path("kezdo.csv"), nullptr, opener);
    EXPECT_TRUE(seen);
}

} // namespace

#include "output/ListaNyomtatas.h"

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "support/PdfText.h"
#include "support/TestFiles.h"
#include "support/TestPrinters.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

// Records what the progress window shows: its caption, its range and its text at every step.
class ProgressWatch : public QObject {
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QProgressDialog*>(watched);
        if (dialog == nullptr || event->type() != QEvent::Show)
            return false;
        titles.insert(dialog->windowTitle());
        maximum = dialog->maximum();
        labels.insert(dialog->labelText());
        if (auto* bar = dialog->findChild<QProgressBar*>())
            connect(bar, &QProgressBar::valueChanged, this,
                    [this, dialog] { labels.insert(dialog->labelText()); });
        return false;
    }

    std::set<QString> titles;
    std::set<QString> labels;
    int maximum = -1;
};

// Runs the check on the first modal window to show up, then closes it.
void whenModalShows(std::function<void(QWidget*)> check) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(modal);
            modal->close();
        }
    });
    timer->start();
}

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ListaNyomtatasTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineDrillFields(table);
        table.Open();
        for (int i = 1; i <= 150; ++i) {
            table.Append();
            table.SetFieldValue("nyelv1", cp("szó" + std::to_string(i)));
            table.SetFieldValue("nyelv2", "word" + std::to_string(i));
            table.Post();
        }
        table.First();
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void expectOnTheLastRecord() const {
        EXPECT_TRUE(table.Eof());
        EXPECT_EQ(table.RecNo(), 150);
    }

    QTemporaryDir dir;
    TMemTable table{"Tbl"};
    ScriptedMessageBoxes boxes;
};

TEST_F(ListaNyomtatasTest, NoPrinterSaysSoAndPointsToThePreview) {
    TestPrinters printers;
    ListaNyomtatas(table, "Teszt", "nyelv1", "nyelv2", true);
    EXPECT_EQ(printers.asked, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::Error);
    const QString text = fromCp1250(boxes.shown()[0].text);
    EXPECT_TRUE(text.startsWith(u("Nincs beállított nyomtató."))) << text.toStdString();
    EXPECT_TRUE(text.contains(u("Nyomtatási kép")));
    EXPECT_TRUE(text.contains(QStringLiteral("PDF")));
}

TEST_F(ListaNyomtatasTest, PrintsEveryPageOnTheDefaultPrinterWithProgress) {
    TestPrinters printers(path("nyomtato.pdf"));
    ProgressWatch progress;
    ListaNyomtatas(table, cp("Gyümölcsök"), "nyelv1", "nyelv2", true);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(progress.titles, std::set<QString>{u("Árlista nyomtatás")});
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.labels,
              (std::set<QString>{u("Nyomtatás: 0 / 2 oldal"), u("Nyomtatás: 1 / 2 oldal"),
                                 u("Nyomtatás: 2 / 2 oldal")}));
    // The job's name is the report's title.
    EXPECT_EQ(pdfInfo(path("nyomtato.pdf"), QStringLiteral("Title")), u("Árlista nyomtatás"));
    EXPECT_EQ(pdfInfo(path("nyomtato.pdf"), QStringLiteral("Pages")), QStringLiteral("2"));
    const QString text = pdfText(path("nyomtato.pdf"));
    for (const char* expected : {"Gyümölcsök", "szó1", "word150", "oldal: 1", "oldal: 2"})
        EXPECT_TRUE(text.contains(u(expected))) << expected;
    expectOnTheLastRecord();
}

TEST_F(ListaNyomtatasTest, PrinterThatCannotStartFails) {
    TestPrinters printers(path("nincs/nyomtato.pdf"));
    EXPECT_THROW(ListaNyomtatas(table, "Teszt", "nyelv1", "nyelv2", true), VembaError);
    EXPECT_TRUE(boxes.shown().empty());
}

// The preview is Qt's print preview with the report's title as its caption; it pages through
// the list and prints it, with progress, from the layout made once.
TEST_F(ListaNyomtatasTest, PreviewPagesThroughTheListAndPrintsIt) {
    TestPrinters printers;
    ProgressWatch progress;
    QString caption;
    int pages = 0;
    int pageAfterBrowsing = 0;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        pages = preview->pageCount();
        // Painting the preview's pages shows no progress; printing does.
        EXPECT_TRUE(progress.titles.empty());
        preview->setCurrentPage(2);
        pageAfterBrowsing = preview->currentPage();
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(path("elonezet.pdf"));
        preview->print();
    });
    ListaNyomtatas(table, "Teszt", "nyelv1", "nyelv2", false);
    EXPECT_EQ(printers.asked, 0);
    EXPECT_EQ(caption, u("Árlista nyomtatás"));
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(pageAfterBrowsing, 2);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(progress.labels.count(u("Nyomtatás: 2 / 2 oldal")));
    EXPECT_EQ(pdfInfo(path("elonezet.pdf"), QStringLiteral("Pages")), QStringLiteral("2"));
    EXPECT_TRUE(pdfText(path("elonezet.pdf")).contains(QStringLiteral("oldal: 2")));
    expectOnTheLastRecord();
}

// Printing from the preview to a place that cannot be written is shown, and the preview
// goes on.
TEST_F(ListaNyomtatasTest, PreviewShowsAFailedPrint) {
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(path("nincs/elonezet.pdf"));
        dialog->findChild<QPrintPreviewWidget*>()->print();
    });
    ListaNyomtatas(table, "Teszt", "nyelv1", "nyelv2", false);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, MessageBoxKind::ProgramError);
}

} // namespace

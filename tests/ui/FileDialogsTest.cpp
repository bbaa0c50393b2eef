#include "ui/FileDialogs.h"

#include "support/TestFiles.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const std::string AskFilter = cp("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*");
const std::string ExportFilter =
    cp("CSV állományok (*.csv)|*.csv|Text állományok (*.txt)|*.txt|Excel munkalap (*.xls)|*.xls|"
       "Minden állomány (*.*)|*.*");

TEST(NameFilters, BecomeQtsFormWithEveryFileMatchingTheCatchAll) {
    EXPECT_EQ(qtNameFilters(AskFilter), (QStringList{QString::fromUtf8("Teszt állományok (*.ask)"),
                                                     QStringLiteral("Minden file (*)")}));
    EXPECT_EQ(qtNameFilters("HTML dokumentum (*.htm;*.html)|*.htm;*.html"),
              QStringList{QStringLiteral("HTML dokumentum (*.htm *.html)")});
    EXPECT_EQ(qtNameFilters("CSV|*.csv|Dangling"), QStringList{QStringLiteral("CSV (*.csv)")});
    EXPECT_EQ(qtNameFilters(""), QStringList());
}

TEST(DefaultExtension, IsAddedOnlyToNamesWithoutOne) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/a/lecke", ".ask", "/a/lecke.ask"},
        {"/a/lecke", "ask", "/a/lecke.ask"},
        {"/a/lecke.txt", ".ask", "/a/lecke.txt"},
        {"/a.b/lecke", "csv", "/a.b/lecke.csv"},
        {"/a/lecke", "", "/a/lecke"},
        {"", "ask", ""},
    };
    for (const auto& [path, extension, expected] : cases)
        EXPECT_EQ(withDefaultExtension(QString::fromUtf8(path), QString::fromUtf8(extension)),
                  QString::fromUtf8(expected))
            << path;
}

TEST(DefaultExtension, FollowsAFilterNamingOneExtension) {
    FileDialogSettings dialog;
    dialog.filter = ExportFilter;
    dialog.defaultExtension = QStringLiteral("csv");
    const std::pair<int, const char*> cases[] = {
        {1, "csv"}, {2, "txt"}, {3, "xls"}, {4, "csv"}, {9, "csv"}};
    for (const auto& [index, expected] : cases) {
        dialog.filterIndex = index;
        EXPECT_EQ(extensionForFilter(dialog), QString::fromUtf8(expected)) << index;
    }
    dialog.defaultExtension.clear();
    dialog.filterIndex = 3;
    EXPECT_EQ(extensionForFilter(dialog), QString()) << "no default: nothing is ever added";
}

// ---- the real dialog, driven offscreen ----------------------------------------------------

// Waits for the next modal file dialog and hands it to the test's action.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QFileDialog&)> action) {
        QObject::connect(&timer_, &QTimer::timeout, [this, action] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer_.stop();
            action(*dialog);
        });
        timer_.start(5);
    }

private:
    QTimer timer_;
};

class RealDialog : public ::testing::Test {
protected:
    RealDialog() {
        settings.title = cp("Teszt megnyitása");
        settings.filter = AskFilter;
        settings.defaultExtension = QStringLiteral(".ask");
        settings.fileName = dir.filePath(QStringLiteral("elso.ask"));
    }
    QTemporaryDir dir;
    FileDialogSettings settings;
};

TEST_F(RealDialog, SaveShowsTheSettingsAndAddsTheDefaultExtension) {
    QFileDialog::FileMode mode = QFileDialog::Directory;
    QString title, suffix, filter, folder;
    QStringList filters, selected;
    bool confirms = true;
    DialogDriver driver([&](QFileDialog& d) {
        title = d.windowTitle();
        filters = d.nameFilters();
        filter = d.selectedNameFilter();
        suffix = d.defaultSuffix();
        folder = d.directory().absolutePath();
        selected = d.selectedFiles();
        mode = d.fileMode();
        confirms = !d.testOption(QFileDialog::DontConfirmOverwrite);
        d.selectFile(QStringLiteral("lecke"));
        static_cast<QDialog&>(d).accept(); // as the dialog's own button does
    });
    QWidget owner;
    ASSERT_TRUE(SaveFileDialog(settings, &owner));
    EXPECT_EQ(title, QString::fromUtf8("Teszt megnyitása"));
    EXPECT_EQ(filters, qtNameFilters(AskFilter));
    EXPECT_EQ(filter, filters.value(0));
    EXPECT_EQ(suffix, QStringLiteral("ask"));
    EXPECT_EQ(folder, dir.path());
    EXPECT_EQ(selected, QStringList{dir.filePath(QStringLiteral("elso.ask"))});
    EXPECT_EQ(mode, QFileDialog::AnyFile);
    EXPECT_FALSE(confirms) << "the save dialog must not ask before replacing a file";
    EXPECT_EQ(settings.fileName, dir.filePath(QStringLiteral("lecke.ask")));
    EXPECT_EQ(settings.filterIndex, 1);
}

TEST_F(RealDialog, ChosenFilterDecidesTheExtensionAndIsRemembered) {
    settings.filter = ExportFilter;
    settings.defaultExtension = QStringLiteral("csv");
    DialogDriver driver([&](QFileDialog& d) {
        QString excel = d.nameFilters().value(2);
        d.selectNameFilter(excel);
        Q_EMIT d.filterSelected(excel); // as the user's choice in the list does
        d.selectFile(QStringLiteral("lista"));
        static_cast<QDialog&>(d).accept(); // as the dialog's own button does
    });
    ASSERT_TRUE(SaveFileDialog(settings, nullptr));
    EXPECT_EQ(settings.fileName, dir.filePath(QStringLiteral("lista.xls")));
    EXPECT_EQ(settings.filterIndex, 3);
}

TEST_F(RealDialog, OpenAcceptsOnlyExistingFilesAndCancelChangesNothing) {
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    DialogDriver driver([&](QFileDialog& d) {
        mode = d.fileMode();
        d.reject();
    });
    FileDialogSettings before = settings;
    EXPECT_FALSE(OpenFileDialog(settings, nullptr));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_EQ(settings.fileName, before.fileName);
}

TEST_F(RealDialog, OpenConfirmsAnExistingFile) {
    writeAll(dir.filePath(QStringLiteral("lecke.ask")), "x");
    DialogDriver driver([&](QFileDialog& d) {
        d.selectFile(dir.filePath(QStringLiteral("lecke.ask")));
        static_cast<QDialog&>(d).accept(); // as the dialog's own button does
    });
    ASSERT_TRUE(OpenFileDialog(settings, nullptr));
    EXPECT_EQ(settings.fileName, dir.filePath(QStringLiteral("lecke.ask")));
}

// ---- the scripted service -------------------------------------------------------------

TEST(ScriptedDialogs, AnswerFromTheQueueAndRecordWhatWasAsked) {
    ScriptedFileDialogs dialogs;
    QWidget owner;
    FileDialogSettings open;
    open.filter = AskFilter;
    open.defaultExtension = QStringLiteral(".ask");
    open.fileName = QStringLiteral("/data/Ask/elso.ask");
    dialogs.choose(QStringLiteral("/home/anna/lecke"));
    dialogs.cancel();
    dialogs.choose(QStringLiteral("/home/anna/minden"), 2);

    ASSERT_TRUE(OpenFileDialog(open, &owner));
    EXPECT_EQ(open.fileName, QStringLiteral("/home/anna/lecke.ask"));
    EXPECT_FALSE(SaveFileDialog(open, nullptr));
    EXPECT_EQ(open.fileName, QStringLiteral("/home/anna/lecke.ask")) << "cancel keeps the name";
    ASSERT_TRUE(OpenFileDialog(open, &owner));
    EXPECT_EQ(open.filterIndex, 2);
    EXPECT_EQ(open.fileName, QStringLiteral("/home/anna/minden.ask"));
    EXPECT_FALSE(OpenFileDialog(open, &owner)) << "no answer left: cancelled";

    ASSERT_EQ(dialogs.shown().size(), 4u);
    const auto& first = dialogs.shown()[0];
    EXPECT_EQ(first.kind, ScriptedFileDialogs::Kind::Open);
    EXPECT_EQ(first.settings.fileName, QStringLiteral("/data/Ask/elso.ask"));
    EXPECT_EQ(first.owner, &owner);
    EXPECT_TRUE(first.confirmed);
    EXPECT_EQ(dialogs.shown()[1].kind, ScriptedFileDialogs::Kind::Save);
    EXPECT_EQ(dialogs.shown()[1].settings.fileName, QStringLiteral("/home/anna/lecke.ask"))
        << "a second use starts where the first ended";
    EXPECT_FALSE(dialogs.shown()[1].confirmed);
    EXPECT_FALSE(dialogs.shown()[3].confirmed);
}

TEST(ScriptedDialogs, PutTheServiceTheyReplacedBack) {
    FileDialogService* real = &FileDialogService::current();
    {
        ScriptedFileDialogs scripted;
        EXPECT_EQ(&FileDialogService::current(), &scripted);
    }
    EXPECT_EQ(&FileDialogService::current(), real);
}

} // namespace

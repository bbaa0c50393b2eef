#pragma once

#include "output/HtmlPage.h"
#include "ui/FileDialogs.h"

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TStarter;

// The dialog "HTML export": where to write the page of a word list, whether to open it
// afterwards, and "E-Mail" to mail it. The page itself is THtmlOldal's; the dialog chooses
// the file, moves its progress bar and opens or mails what was written.
class Tfrm_Rezi2Ruva : public QDialog {
public:
    static constexpr const char* FormName = "frm_Rezi2Ruva";
    static constexpr int DesignWidth = 546;
    static constexpr int DesignHeight = 158;
    // The subject and the body of the mail.
    static constexpr const char* MailText = "Html k\xfc"
                                            "ld\xe9s";

    // A fixed file name writes there without asking; empty lets the user choose the file,
    // starting from Edit1's proposal in the documents folder (the home folder while there is
    // no documents folder). Pages are opened through the launcher given, which must
    // outlive the dialog, like the table.
    Tfrm_Rezi2Ruva(TMemTable& table, const TMezoLista& columns, std::string title,
                   std::string subtitle, QString fixedFileName, TStarter& opener,
                   QWidget* parent = nullptr);
    ~Tfrm_Rezi2Ruva() override;

    QLabel* Label1;
    QLineEdit* Edit1;     // the page's path
    QPushButton* BitBtn1; // the save dialog
    QLabel* Image1;       // decoration
    QCheckBox* CheckBox1; // "Mentés után megnyitás"
    QPushButton* Button3; // "E-Mail"
    QPushButton* Button1; // "OK"
    QPushButton* Button2; // "Mégsem"
    QFrame* Bevel1;       // decoration
    QProgressBar* ProgressBar1;

    // The save dialog BitBtn1 shows; it starts from Edit1's path each time.
    FileDialogSettings SaveDialog1;

    // "OK": writes the page (opening it when CheckBox1 is ticked) and closes the dialog. A
    // failure is shown in the program-wide error box and the dialog stays open.
    void Button1Click();
    // "E-Mail": unticks CheckBox1, writes the page and hands it to the mail program; the
    // dialog stays open. After a failed write nothing is sent.
    void Button3Click();
    void BitBtn1Click();

    // Writes the page to the fixed file name or to Edit1's path, opens it when CheckBox1 is
    // ticked or the name is fixed, and returns the path written. Failures are thrown. A call
    // while a page is being written or mailed does nothing and returns an empty path.
    QString OldalIras();

    // True while a page is being written or mailed: the buttons and closing wait meanwhile.
    bool Busy() const { return busy_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void applyFontSize();
    void savePosition();
    void openPage(const QString& path);
    QString writePage();

    TMemTable& table_;
    TMezoLista columns_;
    std::string title_;
    std::string subtitle_;
    QString fixedFileName_;
    TStarter& opener_;
    bool busy_ = false;
    bool positioned_ = false;
};

// The HTML export: the columns are column lines (at most 50, "name;caption;width;",
// code page 1250 like the title and subtitle). A column line that cannot be read fails
// before any window is shown. With an empty file name the dialog is shown modal to owner;
// with one, the page is written there at once and opened, and a failure is thrown.
void HtmlKiiras(TMemTable& table, const std::vector<std::string>& columns, const std::string& title,
                const std::string& subtitle, const QString& fileName, TStarter& opener,
                QWidget* owner = nullptr);

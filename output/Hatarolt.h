#pragma once

#include "data/MemTable.h"
#include "output/DataToXLS.h"
#include "output/DelimitedText.h"
#include "ui/FileDialogs.h"
#include "ui/Starter.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

// The export dialog "Határolt szöveg export": the fields to write, the delimiter, the text
// qualifier, the header options and the file name. A name ending in ".xls" (any case of the
// letters) writes a worksheet with TDataToXLS, any other name delimited text with
// TDelimitedTextExport; the dialog only wires its controls to them.
//
// A text export lets window messages through while it runs, so "Megállít" can stop it; a
// second "Export indítás" meanwhile does nothing, and closing the dialog takes effect when the
// export has finished. A failed export leaves an existing file as it was and opens nothing.
class Tfrm_Hatarolt : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* FormName = "frm_Hatarolt";
    static constexpr int DesignWidth = 635;
    static constexpr int DesignHeight = 387;

    // The table must outlive the dialog. An empty file name proposes "File001.csv" in the
    // user's documents folder. "Export után megnyitás" opens the file through the opener.
    Tfrm_Hatarolt(TMemTable& table, const QString& fileName, QWidget* parent = nullptr,
                  std::shared_ptr<TStarterOpener> opener = std::make_shared<TDesktopOpener>());
    ~Tfrm_Hatarolt() override;

    QListWidget* CheckListBox1;
    QPushButton* Button4; // "összes"
    QPushButton* Button5; // "Egyik sem"
    QLabel* Image3;
    QGroupBox* RadioGroup2; // "Határoló karakter"
    QButtonGroup* RadioGroup2Items;
    QGroupBox* RadioGroup1; // "Szövegjelölő"
    QButtonGroup* RadioGroup1Items;
    QCheckBox* CheckBox1; // memo lines joined
    QCheckBox* CheckBox2; // field names in the header
    QCheckBox* CheckBox3; // no header
    QCheckBox* CheckBox4; // open after the export
    QLabel* Label1;
    QLineEdit* Edit1;
    QToolButton* SpeedButton1;
    QPushButton* Button3; // "Megállít"
    QPushButton* Button1; // "Export indítás"
    QPushButton* Button2; // "Bezár"
    QFrame* Bevel1;
    QProgressBar* ProgressBar1;

    FileDialogSettings SaveDialog1;
    TDataToXLS DataToXLS1;
    TStarter Exe;

    // True while an export runs.
    bool Exporting() const { return exporting_; }

    // While an export runs, closing waits for its end.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createChoices();
    void createOptions();
    void createFileControls();
    void setTabOrder();
    void fillFieldList();
    void applyFontSize();

    void Button1Click();
    void Button3Click();
    void checkAll(bool checked);
    void SpeedButton1Click();

    DelimitedTextOptions textOptions() const;
    bool textExport(const QString& path);
    bool workbookExport(const QString& path);
    void DataToXLS1BeginExport();
    void DataToXLS1AfterWriteRecord();
    void restorePosition();
    void savePosition();

    TMemTable& table_;
    TDelimitedTextExport* textExport_ = nullptr;
    bool exporting_ = false;
    bool positioned_ = false;
    int closeResult_ = -1; // a close asked for during an export
};

// Shows the export dialog modally on the table and returns when it is closed. An empty file
// name proposes "File001.csv" in the user's documents folder.
void HataroltExport(TMemTable& table, const QString& fileName, QWidget* owner = nullptr,
                    std::shared_ptr<TStarterOpener> opener = std::make_shared<TDesktopOpener>());

#pragma once

#include "data/GridSearch.h"
#include "data/MemTable.h"
#include "ui/FileDialogs.h"

#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

// What the test editor asks of its user: the two questions, the file dialogs and the pair
// dialog. The window answers with its message boxes, file dialogs and Tfrm_Teszt_Szerkeszt.
// Texts and captions are code page 1250.
class TesztPrompts {
public:
    virtual ~TesztPrompts() = default;
    // IDYES, IDNO or IDCANCEL (ui/MessageBoxes.h).
    virtual int IgenNemMegse(std::string_view text, std::string_view caption) = 0;
    virtual bool IgenNem(std::string_view text, std::string_view caption) = 0;
    // true when the user confirmed; the dialog then holds the chosen path.
    virtual bool OpenDialog(FileDialogSettings& dialog) = 0;
    virtual bool SaveDialog(FileDialogSettings& dialog) = 0;
    // The pair dialog on the table's current record (in Edit or Insert); true for OK.
    virtual bool ParSzerkesztes(TMemTable& table) = 0;
};

// Gives a closed table the editor's five fields, opens it empty and sorts it on nyelv1
// ignoring case: the editor's table as the window opens. vemba-cli's import starts there too.
void openEditorTable(TMemTable& table);

// The test editor without its widgets: the word table Tbl, the modified flag, the current
// file name and the search field, and every command of the window. Failures of the table
// and of reading or writing files leave the commands as VembaError; the window shows them in
// the program-wide error box. Only the incremental search swallows its errors.
class TesztLogic : public QObject, private TableObserver {
    Q_OBJECT

public:
    // The title panel's caption while the test has no file, code page 1250.
    static constexpr std::string_view NevtelenTeszt = "N\xe9vtelen teszt";

    // Creates Tbl with the editor's fields, opens it and sorts it on nyelv1 ignoring case.
    // The prompts must outlive the editor.
    explicit TesztLogic(TesztPrompts& prompts, QObject* parent = nullptr);
    // Closes Tbl, discarding whatever it holds.
    ~TesztLogic() override;

    TMemTable& Tbl() { return tbl_; }
    const TMemTable& Tbl() const { return tbl_; }

    bool Modified() const { return modified_; }
    // Full path of the file aMentes writes to; empty while the test is untitled.
    const QString& FileName() const { return fileName_; }
    // The field the incremental search looks in: nyelv1, or the field of the column whose
    // title was clicked last.
    const std::string& SearchField() const { return search_.SearchField(); }

    // Panel1's caption: the file's name without its folder, or "Névtelen teszt".
    QString TitleText() const;
    // Status panel 0, "count/recno"; empty until the table has reported a change.
    const QString& PositionText() const { return positionText_; }
    // Status panel 1: the full path of the current file.
    const QString& FilePanelText() const { return fileName_; }

    // The commands of the window.
    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();
    void aUjTesztExecute();
    void aMegnyitExecute();
    void aMentesExecute();
    void aMentesMaskentExecute();
    // Shows OpenDialog2 and adds the pairs of the chosen CSV file to the table.
    void aImportExecute();

    // The save step: true when the test was written.
    bool Mentes();
    // The question before discarding changes: true when the command may go on (nothing to
    // lose, No, or Yes and the test was written).
    bool MentesiKerdes();
    // The close question: true when the window may close.
    bool FormCloseQuery();

    // The incremental search and the title-click sort (data/GridSearch.h); a title click
    // also brings the position text up to date.
    void Kereses(std::string_view text) { search_.Kereses(text); }
    void TitleClick(std::string_view fieldName);
    static std::optional<char> GridSearchKey(const QString& typed) {
        return GridSearch::GridSearchKey(typed);
    }
    // The width of each of the two grid columns for the grid's outer width: (W - 40) / 2,
    // halves rounded to the even neighbour.
    static int ColumnWidth(int gridWidth);

Q_SIGNALS:
    // The file name changed: the title panel and status panel 1 follow it.
    void fileNameChanged();
    // The position text changed.
    void positionChanged();

private:
    void tableChanged(TMemTable& table, Change change) override;
    void TblAfterPostDelete(TMemTable& table);
    void TblAfterScroll(TMemTable& table);
    void refreshPosition();
    void setFileName(const QString& path);
    bool chooseSaveName();
    void write();
    void load(const QString& path);

    TesztPrompts& prompts_;
    TMemTable tbl_;
    bool modified_ = false;
    QString fileName_;
    GridSearch search_{tbl_, "nyelv1"};
    QString positionText_;
    bool positionStale_ = false;
    // The window's three file dialogs, kept between uses.
    FileDialogSettings openDialog1_;
    FileDialogSettings saveDialog1_;
    FileDialogSettings openDialog2_;
};

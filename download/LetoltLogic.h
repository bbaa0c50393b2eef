#pragma once

#include "data/GridSearch.h"
#include "data/MemTable.h"
#include "download/UrlLetoltes.h"
#include "ui/FileDialogs.h"

#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <string_view>

// What the download window asks of its user: where to save the test. The window answers
// with the program's save dialog.
class LetoltPrompts {
public:
    virtual ~LetoltPrompts() = default;
    // true when the user confirmed; the dialog then holds the chosen path.
    virtual bool SaveDialog(FileDialogSettings& dialog) = 0;
};

// Where the window's files are and come from, handed in by the program.
struct LetoltSettings {
    QString DataFolder;   // holds the local catalogue
    QString CatalogueUrl; // where "Lista frissítés" fetches the catalogue
    QString SaveFolder;   // where the save dialog starts
    DownloadSettings Download;
};

// The download window without its widgets: the catalogue table Tbl, the search field, the
// position text and the window's commands. Downloads fail silently: the commands say only
// whether they succeeded. Other failures (the table's, a local catalogue that cannot be read)
// are thrown as VembaError for the window to show.
class LetoltLogic : public QObject {
    Q_OBJECT

public:
    // The prompts must outlive the logic. Tbl starts closed; Megnyitas fills it.
    LetoltLogic(LetoltPrompts& prompts, LetoltSettings settings, QObject* parent = nullptr);
    ~LetoltLogic() override;

    TMemTable& Tbl() { return tbl_; }
    const TMemTable& Tbl() const { return tbl_; }
    LetoltSettings& Settings() { return settings_; }

    // Tbl as the window opens: the local catalogue when there is one, sorted on "nyelv;nev"
    // ignoring case; nothing is downloaded. A local catalogue that cannot be read throws the
    // reader's error and leaves an empty list, which a refresh can mend.
    void Megnyitas();

    // "Lista frissítés": fetches the catalogue again and shows it sorted with case. A failed
    // download, or one that is not a catalogue, changes nothing and returns false.
    bool aFrissitExecute();

    // "Letölt, megnyit": proposes a file name from the current record's link, asks where to
    // save and downloads the test there. True when the test was downloaded; ResultPath() then
    // names it. A cancelled dialog or a failed download returns false.
    bool aLetoltExecute();

    // The path of the test downloaded last; empty until one was.
    const QString& ResultPath() const { return resultPath_; }

    // The incremental search and the title-click sort (data/GridSearch.h).
    const std::string& SearchField() const { return search_.SearchField(); }
    void Kereses(std::string_view text) { search_.Kereses(text); }
    void TitleClick(std::string_view fieldName);

    // Status panel 0: "count/recno".
    const QString& PositionText() const { return positionText_; }

    // The current record's link (code page 1250), empty when there is none.
    std::string Link() const;

    // The name proposed in the save dialog: the link's part after its last "\" or "/", or
    // the whole link when it holds neither, at most 100 characters.
    static std::string ProposedFileName(std::string_view link);

    // The widths of the three grid columns for the grid's outer width W: (W - 40) times
    // 0.15, 0.3 and 0.55, halves rounded to the even neighbour.
    static std::array<int, 3> ColumnWidths(int gridWidth);

Q_SIGNALS:
    void positionChanged();

private:
    void refreshPosition();

    LetoltPrompts& prompts_;
    LetoltSettings settings_;
    TMemTable tbl_;
    GridSearch search_{tbl_, "nyelv"};
    FileDialogSettings saveDialog1_;
    QString resultPath_;
    QString positionText_;
};

#pragma once

#include "download/DownloadProgressWindow.h"
#include "download/LetoltLogic.h"

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class TThemeDBGrid;

// The download window's question: the program's save dialog, modal to the window.
class LetoltDialogs final : public LetoltPrompts {
public:
    explicit LetoltDialogs(QWidget* owner)
        : owner_(owner) {}
    bool SaveDialog(FileDialogSettings& dialog) override;

private:
    QWidget* owner_;
};

// The download window "Teszt állományok letöltése": the tool bar, the title panel with the
// search box, the grid of the catalogue and the status bar. Everything it does is
// LetoltLogic's; the window wires widgets to it. Accepted exactly when a test was downloaded.
class Tfrm_Letolt : public QDialog {
public:
    static constexpr const char* FormName = "frm_Letolt";
    static constexpr int DesignWidth = 599;
    static constexpr int DesignHeight = 464;

    // The catalogue URL, the data folder and where the save dialog starts come from the
    // program's configuration and settings.
    explicit Tfrm_Letolt(QWidget* parent = nullptr);
    ~Tfrm_Letolt() override;

    LetoltLogic& logic() { return logic_; }
    DownloadProgressWindow& progressWindow() { return progress_; }

    // Fills the list as the window opens; a local catalogue that cannot be read is shown in
    // the program-wide error box and the list stays empty.
    void Megnyitas();

    QToolBar* ToolBar1;
    QLabel* Panel1;
    QLineEdit* Edit1;
    TThemeDBGrid* DBGrid1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel0; // the position, "count/recno"
    QLabel* StatusPanel1; // stays empty
    QMenu* PopupMenu1;

    QAction* aFrissit;
    QAction* aLetolt;
    QAction* aBezar;

    // Every close, accepted or not, stores the placement.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ActionSpec;
    static const ActionSpec Actions[];

    void createActions();
    void createToolBar();
    QList<QToolButton*> toolButtons() const;
    void fitToolButtons();
    void createTitlePanel();
    void createGrid();
    void createStatusBar();
    void createPopupMenu();
    void layOut();
    void connectSearch();

    void aFrissitExecute();
    void aLetoltExecute();
    void aBezarExecute() { reject(); }
    // Runs a command; its failure ends it and reaches the program-wide error box.
    void run(const std::function<void()>& command);

    void FormShow();
    void savePlacement();
    void fitColumns();
    void showPosition();

    LetoltDialogs dialogs_;
    DownloadProgressWindow progress_;
    LetoltLogic logic_;
    bool shown_ = false;
};

// Shows the download window modally and returns the full path of the test downloaded, or an
// empty text when nothing was.
QString TesztLetoltes();

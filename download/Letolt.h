#pragma once

#include "download/DownloadProgressWindow.h"
#include "download/LetoltLogic.h"
#include "ui/GridWindow.h"

#include <QDialog>
#include <functional>

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
// The status bar's second panel stays empty.
class Tfrm_Letolt : public QDialog, public GridWindowWidgets {
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

    QAction* aFrissit;
    QAction* aLetolt;
    QAction* aBezar;

    // Every close, accepted or not, stores the placement.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using ActionSpec = GridActionSpec<Tfrm_Letolt>;
    static const ActionSpec Actions[];

    void connectSearch();

    void aFrissitExecute();
    void aLetoltExecute();
    void aBezarExecute() { reject(); }
    void run(const std::function<void()>& command) { runGridCommand(*this, command); }

    void FormShow();
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

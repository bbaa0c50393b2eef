#pragma once

#include "editor/TesztLogic.h"
#include "ui/GridWindow.h"

#include <QDialog>
#include <functional>
#include <string>

// The editor's questions as the program's message boxes and file dialogs, modal to the owner
// window, and the pair dialog Tfrm_Teszt_Szerkeszt.
class TesztDialogs final : public TesztPrompts {
public:
    explicit TesztDialogs(QWidget* owner)
        : owner_(owner) {}

    int IgenNemMegse(std::string_view text, std::string_view caption) override;
    bool IgenNem(std::string_view text, std::string_view caption) override;
    bool OpenDialog(FileDialogSettings& dialog) override;
    bool SaveDialog(FileDialogSettings& dialog) override;
    bool ParSzerkesztes(TMemTable& table) override;

private:
    void takeKeyboardBack() const;

    QWidget* owner_;
};

// The test editor window "Teszt szerkesztése": a tool bar with every command, the title panel
// with the search box, the grid of the pairs and the status bar. Everything it does is
// TesztLogic's; the window wires widgets to it and shows the commands' failures in the
// program-wide error box. The status bar's second panel shows the full path of the current
// file.
class Tfrm_Teszt : public QDialog, public GridWindowWidgets {
public:
    static constexpr const char* FormName = "frm_Teszt";
    static constexpr int DesignWidth = 744;
    static constexpr int DesignHeight = 531;

    explicit Tfrm_Teszt(QWidget* parent = nullptr);
    ~Tfrm_Teszt() override;

    TesztLogic& logic() { return logic_; }

    QAction* aUj;
    QAction* aSzerkeszt;
    QAction* aTorol;
    QAction* aUjTeszt;
    QAction* aMegnyit;
    QAction* aMentes;
    QAction* aMentesMaskent;
    QAction* aImport;
    QAction* aBezar;

    // Esc and every other way of rejecting go through the close question.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using ActionSpec = GridActionSpec<Tfrm_Teszt>;
    static const ActionSpec Actions[];

    void connectSearch();
    void connectLogic();

    void aUjExecute() {
        run([this] { logic_.aUjExecute(); });
    }
    void aSzerkesztExecute() {
        run([this] { logic_.aSzerkesztExecute(); });
    }
    void aTorolExecute() {
        run([this] { logic_.aTorolExecute(); });
    }
    void aUjTesztExecute() {
        run([this] { logic_.aUjTesztExecute(); });
    }
    void aMegnyitExecute() {
        run([this] { logic_.aMegnyitExecute(); });
    }
    void aMentesExecute() {
        run([this] { logic_.aMentesExecute(); });
    }
    void aMentesMaskentExecute() {
        run([this] { logic_.aMentesMaskentExecute(); });
    }
    void aImportExecute() {
        run([this] { logic_.aImportExecute(); });
    }
    void aBezarExecute() { close(); }
    void run(const std::function<void()>& command) { runGridCommand(*this, command); }

    void FormShow();
    bool FormCloseQuery();
    void fitColumns();
    void showFileName();
    void showPosition();

    TesztDialogs dialogs_;
    TesztLogic logic_;
    bool shown_ = false;
};

// Opens the test editor, modal, and returns when it has been closed.
void TesztSzerkeszto();

#pragma once

#include "app/Drill.h"
#include "ui/FileDialogs.h"
#include "ui/Starter.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

class QAction;
class QButtonGroup;
class QLabel;
class QToolButton;

// The main window, the only window that lives for the whole run: the drill card and its
// counters, and every command of the program as an action feeding the menu, the tool bar, the
// three drill buttons and the shortcuts. The drill itself is the widget-free Drill; the window
// mirrors it. Closing the window writes the settings and ends the program.
//
// Creating it takes the data folder decision again, creates the folder and reads the
// settings, so initConfig must have run.
class Tfrm_Main : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 730;
    static constexpr int ClientHeight = 435;

    // Links are opened through the opener given (the desktop's by default).
    explicit Tfrm_Main(std::shared_ptr<TStarterOpener> opener = std::make_shared<TDesktopOpener>());
    ~Tfrm_Main() override;

    Drill& drill() { return drill_; }

    // The command's action by its name ("aMegnyit"); nullptr for an unknown name.
    QAction* action(std::string_view name) const;

    // Opens a test into the drill as "Megnyit" does, showing a failure in the program-wide
    // error box: the test named on the command line. The open dialog starts from it next.
    void openTest(const QString& path);

    // Runs a command: an error it does not handle ends it and reaches the program-wide error
    // box; the program goes on. The card is brought up to date afterwards.
    void runCommand(const std::function<void()>& command);

    // What the window does to show the splash when it is first shown (LogoMegjelenites by
    // default); tests keep the splash away or count it. An empty function shows nothing.
    void setSplash(std::function<void()> show) { splash_ = std::move(show); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Enter is seen before the window's controls get it (and they still get it).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Handler = void (Tfrm_Main::*)();
    struct ActionDescription;
    static std::span<const ActionDescription> actionTable();

    // Commands. The File, Teszt and Súgó menus, the tool bar and the shortcuts run these.
    void aMegnyitExecute();
    void aMegnyit2Execute();
    void aMentExecute();
    void aLetoltExecute();
    void aTesztSzerkesztoExecute();
    void aBezarExecute();
    void aEztMarTudomExecute();
    void aMegnezemExecute();
    void aJohetaKovetkezoExecute();
    void aHonlapExecute();
    void aUjdonsagExecute();
    void aLevelExecute();
    void aHtmlExecute();
    void aNevjegyExecute();
    void aExcelbeExecute();
    void aSQLExpExecute();
    void aNyomtatExecute();
    void aNyomtatKepExecute();

    void LinkInditas(std::string_view address);
    void ListaNyomtatasDrill(bool print);
    void FormKeyPress(char key);

    // Set-up.
    void createActions();
    void createMenu();
    void createToolBar(QWidget* client);
    void createCard(QWidget* client);
    void createPages(QWidget* client);
    QWidget* createCountersPage();
    QWidget* createDirectionPage();
    void createBottomStrip(QWidget* client);
    void createStatusBar();
    void createDialogs();
    void connectDrill();
    void applyFirstShow();
    void fitToFont();
    void fixClientSize();

    // Mirroring the drill.
    void scheduleCardRefresh();
    void refreshCard();
    void refreshEmphasis();
    void refreshCounters();
    void refreshCommandsEnabled(bool enabled);
    void refreshStatus();
    void showFinished(const std::string& message);

    bool isFirstDelivery(QObject* receiver, const QEvent* event);

    Drill drill_;
    // The opener of the links, also handed to the export dialog.
    std::shared_ptr<TStarterOpener> opener_;
    TStarter Exe;
    // The dialog shared by "Megnyit" and "Hozzányit...", and the one of "Pillanatnyi állapot
    // mentése": each use starts where the last one ended.
    FileDialogSettings openDialog_;
    FileDialogSettings saveDialog_;
    bool shownOnce_ = false;
    std::function<void()> splash_;
    bool cardDirty_ = false;

    // The key press last seen, so that its trip to the parents of a control that ignored it
    // is not taken for another press.
    const QEvent* lastKey_ = nullptr;
    QPointer<QObject> lastKeyReceiver_;

    QLabel* DBText1 = nullptr;
    QLabel* DBText2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QButtonGroup* Kikerdezes = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
};

#include "download/Letolt.h"

#include "app/Config.h"
#include "download/Catalogue.h"
#include "editor/Teszt_Szerkeszt.h"
#include "platform/Cp1250.h"
#include "ui/GridSearchBox.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <exception>

bool LetoltDialogs::SaveDialog(FileDialogSettings& dialog) {
    const bool chosen = SaveFileDialog(dialog, owner_);
    // The keyboard comes back to the window also where no window manager hands it back.
    if (owner_ && owner_->isVisible())
        owner_->activateWindow();
    return chosen;
}

// ---- the commands -----------------------------------------------------------------------

const Tfrm_Letolt::ActionSpec Tfrm_Letolt::Actions[] = {
    {&Tfrm_Letolt::aFrissit,
     "aFrissit",
     "Lista friss\xedt\xe9s",
     "Lista friss\xedt\xe9s",
     ImageList::Frissit,
     {Qt::Key_F5},
     &Tfrm_Letolt::aFrissitExecute},
    // Enter of the main keys and of the keypad.
    {&Tfrm_Letolt::aLetolt,
     "aLetolt",
     "Let\xf6lt, megnyit",
     "",
     ImageList::Letolt,
     {Qt::Key_Return, Qt::Key_Enter},
     &Tfrm_Letolt::aLetoltExecute},
    {&Tfrm_Letolt::aBezar,
     "aBezar",
     "Bez\xe1r",
     "Bez\xe1r",
     ImageList::Bezar,
     {Qt::Key_Escape},
     &Tfrm_Letolt::aBezarExecute},
};

namespace {

constexpr QSize ToolButtonSize(79, 36);

LetoltSettings windowSettings() {
    LetoltSettings settings;
    settings.DataFolder = config().AdatMappa;
    settings.CatalogueUrl = catalogueUrl(config().BeallitasFile);
    settings.SaveFolder = QFileInfo(Beall().UtolsoFile).absolutePath();
    return settings;
}

} // namespace

// ---- the window -------------------------------------------------------------------------

Tfrm_Letolt::Tfrm_Letolt(QWidget* parent)
    : QDialog(parent)
    , dialogs_(this)
    , progress_(this)
    , logic_(dialogs_, windowSettings()) {
    logic_.Settings().Download.Progress = &progress_;
    setUpGridWindow(*this, FormName, fromCp1250("Teszt \xe1llom\xe1nyok let\xf6lt\xe9se"),
                    TesztDesignFont());
    createGridActions(*this, Actions);
    createGridWidgets(*this, *this,
                      {fromCp1250("Let\xf6lthet\xf5 tesztek"),
                       {aFrissit, nullptr, aLetolt, nullptr, aBezar},
                       ToolButtonSize,
                       &logic_.Tbl(),
                       {"nyelv", "nev", "link"},
                       aLetolt,
                       {aFrissit, nullptr, aLetolt, nullptr, aBezar},
                       TesztDesignFont()});
    connectSearch();
    connect(&logic_, &LetoltLogic::positionChanged, this, &Tfrm_Letolt::showPosition);
    resize(DesignWidth, DesignHeight);
    DBGrid1->setFocus();
}

// The grid watches the table that the logic owns; it must let go before the logic, a
// member, dies ahead of the child widgets.
Tfrm_Letolt::~Tfrm_Letolt() {
    DBGrid1->SetDataSource(nullptr);
}

void Tfrm_Letolt::Megnyitas() {
    try {
        logic_.Megnyitas();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
    showPosition();
}

void Tfrm_Letolt::connectSearch() {
    new GridSearchBox(*this, *Edit1, *DBGrid1, config().KiemelesSzin,
                      {[this](std::string_view text) { logic_.Kereses(text); },
                       [this](std::string_view field) { logic_.TitleClick(field); }});
}

void Tfrm_Letolt::showPosition() {
    StatusPanel0->setText(logic_.PositionText());
}

void Tfrm_Letolt::aFrissitExecute() {
    run([this] { logic_.aFrissitExecute(); });
}

void Tfrm_Letolt::aLetoltExecute() {
    bool downloaded = false;
    run([&] { downloaded = logic_.aLetoltExecute(); });
    if (downloaded)
        accept();
}

// ---- showing and closing ----------------------------------------------------------------

void Tfrm_Letolt::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void Tfrm_Letolt::FormShow() {
    showGridWindow(*this,
                   {config().KiemelesSzin, Beall().BetuMeret, config().BeallitasFile, FormName,
                    QSize(DesignWidth, DesignHeight), ToolButtonSize},
                   config().MunkaTerulet, *this);
}

void Tfrm_Letolt::done(int result) {
    if (isVisible())
        saveGridWindowPlacement(*this, config().BeallitasFile, FormName);
    QDialog::done(result);
}

// ---- grid -------------------------------------------------------------------------------

bool Tfrm_Letolt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1 && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Letolt::fitColumns() {
    const std::array<int, 3> widths = LetoltLogic::ColumnWidths(DBGrid1->width());
    for (int column = 0; column < DBGrid1->ColumnCount() && column < 3; ++column)
        DBGrid1->setColumnWidth(column, widths[std::size_t(column)]);
}

QString TesztLetoltes() {
    Tfrm_Letolt frm;
    frm.Megnyitas();
    if (frm.exec() != QDialog::Accepted)
        return {};
    return frm.logic().ResultPath();
}

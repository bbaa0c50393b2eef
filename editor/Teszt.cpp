#include "editor/Teszt.h"

#include "app/Config.h"
#include "editor/Teszt_Szerkeszt.h"
#include "platform/Cp1250.h"
#include "ui/GridSearchBox.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <exception>

// ---- TesztDialogs -----------------------------------------------------------------------

int TesztDialogs::IgenNemMegse(std::string_view text, std::string_view caption) {
    const int answer = ::IgenNemMegse(text, caption, owner_);
    takeKeyboardBack();
    return answer;
}

bool TesztDialogs::IgenNem(std::string_view text, std::string_view caption) {
    const bool yes = ::IgenNem(text, caption, owner_);
    takeKeyboardBack();
    return yes;
}

bool TesztDialogs::OpenDialog(FileDialogSettings& dialog) {
    const bool chosen = OpenFileDialog(dialog, owner_);
    takeKeyboardBack();
    return chosen;
}

bool TesztDialogs::SaveDialog(FileDialogSettings& dialog) {
    const bool chosen = SaveFileDialog(dialog, owner_);
    takeKeyboardBack();
    return chosen;
}

bool TesztDialogs::ParSzerkesztes(TMemTable& table) {
    const bool confirmed = ::ParSzerkesztes(table, owner_);
    takeKeyboardBack();
    return confirmed;
}

// The editor takes the keyboard back when a box or dialog closes, also where no window
// manager hands it back, so the next shortcut (Insert, Ctrl+S) reaches it.
void TesztDialogs::takeKeyboardBack() const {
    if (owner_ && owner_->isVisible())
        owner_->activateWindow();
}

// ---- the commands -----------------------------------------------------------------------

const Tfrm_Teszt::ActionSpec Tfrm_Teszt::Actions[] = {
    {&Tfrm_Teszt::aUj,
     "aUj",
     "\xdaj sor",
     "\xdaj sor",
     ImageList::UjSor,
     {Qt::Key_Insert},
     &Tfrm_Teszt::aUjExecute},
    {&Tfrm_Teszt::aSzerkeszt,
     "aSzerkeszt",
     "Szerkeszt",
     "Szerkeszt",
     ImageList::Szerkeszt,
     {Qt::Key_F2},
     &Tfrm_Teszt::aSzerkesztExecute},
    {&Tfrm_Teszt::aTorol,
     "aTorol",
     "T\xf6r\xf6l",
     "T\xf6r\xf6l",
     ImageList::Torol,
     {Qt::CTRL | Qt::Key_Delete},
     &Tfrm_Teszt::aTorolExecute},
    {&Tfrm_Teszt::aUjTeszt,
     "aUjTeszt",
     "\xdaj teszt",
     "\xdaj teszt",
     ImageList::UjTeszt,
     {Qt::CTRL | Qt::Key_N},
     &Tfrm_Teszt::aUjTesztExecute},
    {&Tfrm_Teszt::aMegnyit,
     "aMegnyit",
     "Megnyit",
     "Megnyit",
     ImageList::Megnyit,
     {Qt::CTRL | Qt::Key_O},
     &Tfrm_Teszt::aMegnyitExecute},
    {&Tfrm_Teszt::aMentes,
     "aMentes",
     "Ment\xe9s",
     "Ment\xe9s",
     ImageList::Mentes,
     {Qt::CTRL | Qt::Key_S},
     &Tfrm_Teszt::aMentesExecute},
    {&Tfrm_Teszt::aMentesMaskent,
     "aMentesMaskent",
     "M\xe1sk\xe9nt",
     "Ment\xe9s m\xe1sk\xe9nt",
     ImageList::MentesMaskent,
     {Qt::SHIFT | Qt::CTRL | Qt::Key_S},
     &Tfrm_Teszt::aMentesMaskentExecute},
    {&Tfrm_Teszt::aImport,
     "aImport",
     "Import",
     "Import",
     ImageList::Import,
     {Qt::Key_F3},
     &Tfrm_Teszt::aImportExecute},
    {&Tfrm_Teszt::aBezar,
     "aBezar",
     "Bez\xe1r",
     "Bez\xe1r",
     ImageList::Bezar,
     {Qt::Key_Escape},
     &Tfrm_Teszt::aBezarExecute},
};

namespace {

constexpr QSize ToolButtonSize(53, 36);

} // namespace

// ---- the window -------------------------------------------------------------------------

Tfrm_Teszt::Tfrm_Teszt(QWidget* parent)
    : QDialog(parent)
    , dialogs_(this)
    , logic_(dialogs_) {
    setUpGridWindow(*this, FormName, fromCp1250("Teszt szerkeszt\xe9se"), TesztDesignFont());
    createGridActions(*this, Actions);
    // The title panel shows the file's name once the logic reports it.
    createGridWidgets(*this, *this,
                      {QString(),
                       {aUj, aSzerkeszt, aTorol, nullptr, aUjTeszt, aMegnyit, aMentes,
                        aMentesMaskent, nullptr, aImport, nullptr, aBezar},
                       ToolButtonSize,
                       &logic_.Tbl(),
                       {"nyelv1", "nyelv2"},
                       aSzerkeszt,
                       {aUj, aSzerkeszt, aTorol, nullptr, aUjTeszt, aMegnyit, nullptr, aMentes,
                        aMentesMaskent, nullptr, aBezar},
                       TesztDesignFont()});
    connectSearch();
    connectLogic();
    resize(DesignWidth, DesignHeight);
    DBGrid1->setFocus();
}

// The grid watches the table that the logic owns; it must let go before the logic, a
// member, dies ahead of the child widgets.
Tfrm_Teszt::~Tfrm_Teszt() {
    DBGrid1->SetDataSource(nullptr);
}

void Tfrm_Teszt::connectSearch() {
    new GridSearchBox(*this, *Edit1, *DBGrid1, config().KiemelesSzin,
                      {[this](std::string_view text) { logic_.Kereses(text); },
                       [this](std::string_view field) { logic_.TitleClick(field); }});
}

void Tfrm_Teszt::connectLogic() {
    connect(&logic_, &TesztLogic::fileNameChanged, this, &Tfrm_Teszt::showFileName);
    connect(&logic_, &TesztLogic::positionChanged, this, &Tfrm_Teszt::showPosition);
    showFileName();
    showPosition();
}

void Tfrm_Teszt::showFileName() {
    Panel1->setText(logic_.TitleText());
    StatusPanel1->setText(logic_.FilePanelText());
}

void Tfrm_Teszt::showPosition() {
    StatusPanel0->setText(logic_.PositionText());
}

// ---- showing and closing ----------------------------------------------------------------

void Tfrm_Teszt::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void Tfrm_Teszt::FormShow() {
    showGridWindow(*this,
                   {config().KiemelesSzin, Beall().BetuMeret, config().BeallitasFile, FormName,
                    QSize(DesignWidth, DesignHeight), ToolButtonSize},
                   config().MunkaTerulet, *this);
}

void Tfrm_Teszt::reject() {
    close();
}

void Tfrm_Teszt::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    saveGridWindowPlacement(*this, config().BeallitasFile, FormName);
    event->accept();
    QDialog::done(QDialog::Rejected);
}

bool Tfrm_Teszt::FormCloseQuery() {
    try {
        return logic_.FormCloseQuery();
    } catch (const std::exception& error) {
        // A save that failed did not write the test: the window stays open.
        ProgramErrorBox(error, this);
        return false;
    }
}

// ---- grid and search box ----------------------------------------------------------------

bool Tfrm_Teszt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1 && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Teszt::fitColumns() {
    const int width = TesztLogic::ColumnWidth(DBGrid1->width());
    for (int column = 0; column < DBGrid1->ColumnCount(); ++column)
        DBGrid1->setColumnWidth(column, width);
}

void TesztSzerkeszto() {
    Tfrm_Teszt frm;
    frm.exec();
}

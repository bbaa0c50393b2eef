#include "editor/Teszt.h"

#include "app/Config.h"
#include "editor/Teszt_Szerkeszt.h"
#include "platform/Cp1250.h"
#include "ui/GridSearchBox.h"
#include "ui/ImageList.h"
#include "ui/MenuBeallitas.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
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

struct Tfrm_Teszt::ActionSpec {
    QAction* Tfrm_Teszt::*action;
    const char* name;
    const char* caption; // code page 1250
    const char* hint;    // code page 1250
    int image;
    QKeyCombination shortcut;
    void (Tfrm_Teszt::*execute)();
};

const Tfrm_Teszt::ActionSpec Tfrm_Teszt::Actions[] = {
    {&Tfrm_Teszt::aUj, "aUj", "\xdaj sor", "\xdaj sor", ImageList::UjSor, Qt::Key_Insert,
     &Tfrm_Teszt::aUjExecute},
    {&Tfrm_Teszt::aSzerkeszt, "aSzerkeszt", "Szerkeszt", "Szerkeszt", ImageList::Szerkeszt,
     Qt::Key_F2, &Tfrm_Teszt::aSzerkesztExecute},
    {&Tfrm_Teszt::aTorol, "aTorol", "T\xf6r\xf6l", "T\xf6r\xf6l", ImageList::Torol,
     Qt::CTRL | Qt::Key_Delete, &Tfrm_Teszt::aTorolExecute},
    {&Tfrm_Teszt::aUjTeszt, "aUjTeszt", "\xdaj teszt", "\xdaj teszt", ImageList::UjTeszt,
     Qt::CTRL | Qt::Key_N, &Tfrm_Teszt::aUjTesztExecute},
    {&Tfrm_Teszt::aMegnyit, "aMegnyit", "Megnyit", "Megnyit", ImageList::Megnyit,
     Qt::CTRL | Qt::Key_O, &Tfrm_Teszt::aMegnyitExecute},
    {&Tfrm_Teszt::aMentes, "aMentes", "Ment\xe9s", "Ment\xe9s", ImageList::Mentes,
     Qt::CTRL | Qt::Key_S, &Tfrm_Teszt::aMentesExecute},
    {&Tfrm_Teszt::aMentesMaskent, "aMentesMaskent", "M\xe1sk\xe9nt", "Ment\xe9s m\xe1sk\xe9nt",
     ImageList::MentesMaskent, Qt::SHIFT | Qt::CTRL | Qt::Key_S,
     &Tfrm_Teszt::aMentesMaskentExecute},
    {&Tfrm_Teszt::aImport, "aImport", "Import", "Import", ImageList::Import, Qt::Key_F3,
     &Tfrm_Teszt::aImportExecute},
    {&Tfrm_Teszt::aBezar, "aBezar", "Bez\xe1r", "Bez\xe1r", ImageList::Bezar, Qt::Key_Escape,
     &Tfrm_Teszt::aBezarExecute},
};

namespace {

constexpr int ToolButtonWidth = 53;
constexpr int ToolButtonHeight = 36;
constexpr int TitlePanelHeight = 35;
constexpr int PositionPanelWidth = 100;

// nullptr stands for a separator.
using ActionMember = QAction* Tfrm_Teszt::*;

void addActionList(QWidget& target, Tfrm_Teszt& window, std::initializer_list<ActionMember> list) {
    for (ActionMember member : list) {
        if (member == nullptr) {
            auto* separator = new QAction(&target);
            separator->setSeparator(true);
            target.addAction(separator);
        } else {
            target.addAction(window.*member);
        }
    }
}

QFont withPointSize(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

} // namespace

// ---- the window -------------------------------------------------------------------------

Tfrm_Teszt::Tfrm_Teszt(QWidget* parent)
    : QDialog(parent)
    , dialogs_(this)
    , logic_(dialogs_) {
    setObjectName(QLatin1String(FormName));
    setWindowTitle(fromCp1250("Teszt szerkeszt\xe9se"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setFont(TesztDesignFont());
    createActions();
    createToolBar();
    createTitlePanel();
    createGrid();
    createStatusBar();
    createPopupMenu();
    layOut();
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

void Tfrm_Teszt::createActions() {
    for (const ActionSpec& def : Actions) {
        auto* action = new QAction(fromCp1250(def.caption), this);
        action->setObjectName(QLatin1String(def.name));
        action->setToolTip(fromCp1250(def.hint));
        action->setIcon(ImageList::icon(def.image));
        action->setShortcut(QKeySequence(def.shortcut));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, def.execute);
        this->*def.action = action;
        addAction(action);
    }
}

void Tfrm_Teszt::createToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addActionList(*ToolBar1, *this,
                  {&Tfrm_Teszt::aUj, &Tfrm_Teszt::aSzerkeszt, &Tfrm_Teszt::aTorol, nullptr,
                   &Tfrm_Teszt::aUjTeszt, &Tfrm_Teszt::aMegnyit, &Tfrm_Teszt::aMentes,
                   &Tfrm_Teszt::aMentesMaskent, nullptr, &Tfrm_Teszt::aImport, nullptr,
                   &Tfrm_Teszt::aBezar});
    for (QToolButton* button : toolButtons())
        button->setAutoRaise(true);
    fitToolButtons();
}

QList<QToolButton*> Tfrm_Teszt::toolButtons() const {
    QList<QToolButton*> buttons;
    for (QAction* action : ToolBar1->actions())
        if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(action)))
            buttons.append(button);
    return buttons;
}

// The buttons are 53 x 36 pixels, all of one size, and grow together when a caption in the
// current font needs more: a caption is never cut short.
void Tfrm_Teszt::fitToolButtons() {
    QSize size(ToolButtonWidth, ToolButtonHeight);
    for (const QToolButton* button : toolButtons())
        size = size.expandedTo(button->sizeHint());
    for (QToolButton* button : toolButtons())
        button->setFixedSize(size);
}

void Tfrm_Teszt::createTitlePanel() {
    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFixedHeight(TitlePanelHeight);
    Panel1->setFrameShape(QFrame::StyledPanel);
    QFont title;
    title.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    title.setBold(true);
    title.setPixelSize(15);
    Panel1->setFont(title);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFont(TesztDesignFont());
    Edit1->move(12, 4);
}

void Tfrm_Teszt::createGrid() {
    DBGrid1 = new TThemeDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetDataSource(&logic_.Tbl());
    DBGrid1->SetColumns({"nyelv1", "nyelv2"});
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGrid1->installEventFilter(this);
    connect(DBGrid1, &TThemeDBGrid::dblClick, aSzerkeszt, &QAction::trigger);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos));
    });
}

void Tfrm_Teszt::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusPanel0 = new QLabel(StatusBar1);
    StatusPanel0->setFixedWidth(PositionPanelWidth);
    StatusPanel1 = new QLabel(StatusBar1);
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusPanel1, 1);
}

void Tfrm_Teszt::createPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addActionList(*PopupMenu1, *this,
                  {&Tfrm_Teszt::aUj, &Tfrm_Teszt::aSzerkeszt, &Tfrm_Teszt::aTorol, nullptr,
                   &Tfrm_Teszt::aUjTeszt, &Tfrm_Teszt::aMegnyit, nullptr, &Tfrm_Teszt::aMentes,
                   &Tfrm_Teszt::aMentesMaskent, nullptr, &Tfrm_Teszt::aBezar});
}

void Tfrm_Teszt::layOut() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(StatusBar1);
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

void Tfrm_Teszt::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
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
    OszlopKiemeles(*DBGrid1, 0, config().KiemelesSzin);
    Edit1->setFont(withPointSize(Edit1->font(), Beall().BetuMeret));
    resize(DesignWidth, DesignHeight);
    restorePlacement(*this, config().BeallitasFile, FormName, config().MunkaTerulet);
    setFont(withPointSize(font(), Beall().BetuMeret));
    fitToolButtons();
    Edit1->resize(121, Edit1->sizeHint().height());
    MenuBeallitas(this);
}

void Tfrm_Teszt::reject() {
    close();
}

void Tfrm_Teszt::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    savePlacement();
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

void Tfrm_Teszt::savePlacement() {
    try {
        storePlacement(*this, config().BeallitasFile, FormName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
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

#include "download/Letolt.h"

#include "app/Config.h"
#include "download/Catalogue.h"
#include "editor/Teszt_Szerkeszt.h"
#include "platform/Cp1250.h"
#include "ui/GridSearchBox.h"
#include "ui/ImageList.h"
#include "ui/MenuBeallitas.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

bool LetoltDialogs::SaveDialog(FileDialogSettings& dialog) {
    const bool chosen = SaveFileDialog(dialog, owner_);
    // The keyboard comes back to the window also where no window manager hands it back.
    if (owner_ && owner_->isVisible())
        owner_->activateWindow();
    return chosen;
}

// ---- the commands -----------------------------------------------------------------------

struct Tfrm_Letolt::ActionSpec {
    QAction* Tfrm_Letolt::*action;
    const char* name;
    const char* caption; // code page 1250
    const char* hint;    // code page 1250
    int image;
    QList<QKeySequence> shortcuts;
    void (Tfrm_Letolt::*execute)();
};

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

constexpr int ToolButtonWidth = 79;
constexpr int ToolButtonHeight = 36;
constexpr int TitlePanelHeight = 35;
constexpr int PositionPanelWidth = 100;

// nullptr stands for a separator.
using ActionMember = QAction* Tfrm_Letolt::*;

void addActionList(QWidget& target, Tfrm_Letolt& window, std::initializer_list<ActionMember> list) {
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
    setObjectName(QLatin1String(FormName));
    setWindowTitle(fromCp1250("Teszt \xe1llom\xe1nyok let\xf6lt\xe9se"));
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

void Tfrm_Letolt::createActions() {
    for (const ActionSpec& def : Actions) {
        auto* action = new QAction(fromCp1250(def.caption), this);
        action->setObjectName(QLatin1String(def.name));
        action->setToolTip(fromCp1250(def.hint));
        action->setIcon(ImageList::icon(def.image));
        action->setShortcuts(def.shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, def.execute);
        this->*def.action = action;
        addAction(action);
    }
}

void Tfrm_Letolt::createToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addActionList(
        *ToolBar1, *this,
        {&Tfrm_Letolt::aFrissit, nullptr, &Tfrm_Letolt::aLetolt, nullptr, &Tfrm_Letolt::aBezar});
    for (QToolButton* button : toolButtons())
        button->setAutoRaise(true);
    fitToolButtons();
}

QList<QToolButton*> Tfrm_Letolt::toolButtons() const {
    QList<QToolButton*> buttons;
    for (QAction* action : ToolBar1->actions())
        if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(action)))
            buttons.append(button);
    return buttons;
}

// The buttons are 79 x 36 pixels, all of one size, and grow together when a caption in the
// current font needs more: a caption is never cut short.
void Tfrm_Letolt::fitToolButtons() {
    QSize size(ToolButtonWidth, ToolButtonHeight);
    for (const QToolButton* button : toolButtons())
        size = size.expandedTo(button->sizeHint());
    for (QToolButton* button : toolButtons())
        button->setFixedSize(size);
}

void Tfrm_Letolt::createTitlePanel() {
    Panel1 = new QLabel(fromCp1250("Let\xf6lthet\xf5 tesztek"), this);
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

void Tfrm_Letolt::createGrid() {
    DBGrid1 = new TThemeDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetDataSource(&logic_.Tbl());
    DBGrid1->SetColumns({"nyelv", "nev", "link"});
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGrid1->installEventFilter(this);
    connect(DBGrid1, &TThemeDBGrid::dblClick, aLetolt, &QAction::trigger);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos));
    });
}

void Tfrm_Letolt::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusPanel0 = new QLabel(StatusBar1);
    StatusPanel0->setFixedWidth(PositionPanelWidth);
    StatusPanel1 = new QLabel(StatusBar1);
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusPanel1, 1);
}

void Tfrm_Letolt::createPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addActionList(
        *PopupMenu1, *this,
        {&Tfrm_Letolt::aFrissit, nullptr, &Tfrm_Letolt::aLetolt, nullptr, &Tfrm_Letolt::aBezar});
}

void Tfrm_Letolt::layOut() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(StatusBar1);
}

void Tfrm_Letolt::connectSearch() {
    new GridSearchBox(*this, *Edit1, *DBGrid1, config().KiemelesSzin,
                      {[this](std::string_view text) { logic_.Kereses(text); },
                       [this](std::string_view field) { logic_.TitleClick(field); }});
}

void Tfrm_Letolt::showPosition() {
    StatusPanel0->setText(logic_.PositionText());
}

void Tfrm_Letolt::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
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
    OszlopKiemeles(*DBGrid1, 0, config().KiemelesSzin);
    Edit1->setFont(withPointSize(Edit1->font(), Beall().BetuMeret));
    resize(DesignWidth, DesignHeight);
    restorePlacement(*this, config().BeallitasFile, FormName, config().MunkaTerulet);
    setFont(withPointSize(font(), Beall().BetuMeret));
    fitToolButtons();
    Edit1->resize(121, Edit1->sizeHint().height());
    MenuBeallitas(this);
}

void Tfrm_Letolt::done(int result) {
    if (isVisible())
        savePlacement();
    QDialog::done(result);
}

void Tfrm_Letolt::savePlacement() {
    try {
        storePlacement(*this, config().BeallitasFile, FormName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
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

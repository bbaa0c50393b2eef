#include "app/MainWindow.h"

#include "app/Config.h"
#include "app/DrillButton.h"
#include "app/SqlExport.h"
#include "app/WheelToArrows.h"
#include "download/Letolt.h"
#include "editor/Teszt.h"
#include "output/Hatarolt.h"
#include "output/ListaNyomtatas.h"
#include "output/Rezi2Ruva.h"
#include "platform/Cp1250.h"
#include "ui/ImageList.h"
#include "ui/Links.h"
#include "ui/Logo.h"
#include "ui/MenuBeallitas.h"
#include "ui/MessageBoxes.h"
#include "ui/Nevjegy.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <initializer_list>
#include <vector>

// The picture and the program icon are compiled into a static library; nothing else would
// pull them out of it. Q_INIT_RESOURCE must be used outside any namespace.
static void initVembaResources() {
    Q_INIT_RESOURCE(vemba);
}

// One command: the action's name, menu category, caption and hint (UTF-8; no hint: the
// caption), shortcut in portable text form, picture and handler. A command without a handler
// belongs to a window that is not part of the program yet: its action stays disabled, and
// naming the handler here is all it takes to enable it.
struct Tfrm_Main::ActionDescription {
    const char* name;
    const char* category;
    const char* caption;
    const char* hint;
    const char* shortcut;
    int image;
    Handler handler;
};

namespace {

constexpr int DefaultFontSize = 9;
constexpr int ToolBarHeight = 24;
constexpr int StatusBarHeight = 19;
constexpr int DirectionGroupHeight = 104;
constexpr int StatusPanel0Width = 150;
constexpr int BottomStripHeight = 20;
constexpr int NoticeWidth = 234;
constexpr int CounterBoxWidth = 153;
constexpr int CounterPixelSize = 27;
// Room for a counter caption in the largest font size the window is usually given.
constexpr int HeadingWidth = 225;
constexpr int HeadingHeight = 20;
constexpr std::string_view Separator = "-";

// Element positions in the client area (below the menu bar, the tool bar included).
constexpr QRect CardFrameRect{28, 40, 677, 93};
constexpr QPoint QuestionPos{40, 52};
constexpr QPoint AnswerPos{40, 84};
constexpr QRect SpeedButton1Rect{32, 120, 121, 49};
constexpr QRect SpeedButton2Rect{396, 120, 121, 49};
constexpr QRect SpeedButton3Rect{524, 120, 177, 49};
constexpr QRect PictureRect{304, 132, 401, 257};
constexpr QRect PagesRect{28, 180, 261, 209};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

// The design font families; the first one found is used. Liberation Sans has the metrics of
// Arial, and stands in for both where the Windows fonts are missing.
QFont designFont(const char* family) {
    QFont font;
    font.setFamilies({utf8(family), QStringLiteral("Liberation Sans")});
    return font;
}

QFont designFont(const char* family, int pointSize) {
    QFont font = designFont(family);
    font.setPointSize(pointSize);
    return font;
}

QFont cardFont() {
    QFont font = designFont("Arial", Drill::DesignFontSize);
    font.setBold(true);
    return font;
}

QFont counterFont() {
    QFont font = designFont("Arial");
    font.setPixelSize(CounterPixelSize);
    font.setBold(true);
    return font;
}

// Only the weight is set, so the button keeps following the window's font otherwise.
QFont weightOnly(bool bold) {
    QFont font;
    font.setBold(bold);
    return font;
}

QLabel* plainLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

struct MenuDescription {
    const char* title;
    std::vector<const char*> items; // action names, "-" for a line
};

const MenuDescription MainMenu[] = {
    {"&File",
     {"aMegnyit", "aMegnyit2", "aMent", "-", "aLetolt", "-", "aNyomtat", "aNyomtatKep", "-",
      "aExcelbe", "aHtml", "-", "aTesztSzerkeszto", "-", "aBezar"}},
    {"&Teszt", {"aEztMarTudom", "aMegnezem", "aJohetaKovetkezo"}},
    {"&Súgó", {"aHonlap", "aUjdonsag", "-", "aLevel", "-", "aNevjegy"}},
};

const char* const ToolBarItems[] = {
    "aMegnyit", "aMegnyit2", "aMent",       "-",        "aLetolt",  "-",     "aTesztSzerkeszto",
    "-",        "aNyomtat",  "aNyomtatKep", "-",        "aExcelbe", "aHtml", "-",
    "aHonlap",  "aUjdonsag", "-",           "aNevjegy", "-",        "aBezar"};

} // namespace

std::span<const Tfrm_Main::ActionDescription> Tfrm_Main::actionTable() {
    using W = Tfrm_Main;
    static const ActionDescription table[] = {
        {"aMegnyit", "File", "Megnyit", nullptr, "Ctrl+O", ImageList::Megnyit, &W::aMegnyitExecute},
        {"aMegnyit2", "File", "Hozzányit...",
         "Jelenlegi megmaradt szavakhoz hozzákapcsolja a tesztet", "F7", ImageList::Hozzanyit,
         &W::aMegnyit2Execute},
        {"aMent", "File", "Pillanatnyi állapot mentése", nullptr, "Ctrl+S", ImageList::Mentes,
         &W::aMentExecute},
        {"aLetolt", "File", "Letölt", nullptr, "F9", ImageList::Letolt, &W::aLetoltExecute},
        {"aTesztSzerkeszto", "File", "Teszt szerkesztő", nullptr, "F8", ImageList::TesztSzerkeszto,
         &W::aTesztSzerkesztoExecute},
        {"aBezar", "File", "Bezár", nullptr, "", ImageList::Bezar, &W::aBezarExecute},
        {"aEztMarTudom", "Teszt", "Ezt már tudom", nullptr, "F2", ImageList::EztMarTudom,
         &W::aEztMarTudomExecute},
        {"aMegnezem", "Teszt", "Megnézem...", nullptr, "F3", ImageList::Megnezem,
         &W::aMegnezemExecute},
        {"aJohetaKovetkezo", "Teszt", "OK, jöhet a következő", nullptr, "F4",
         ImageList::JohetaKovetkezo, &W::aJohetaKovetkezoExecute},
        {"aHonlap", "Súgó", "Kelvarom honlapja", nullptr, "", ImageList::Honlap,
         &W::aHonlapExecute},
        {"aUjdonsag", "Súgó", "Újdonságok, verziókövetés", nullptr, "", ImageList::Ujdonsag,
         &W::aUjdonsagExecute},
        {"aLevel", "Súgó", "Levélküldés Kelvaromnak", nullptr, "", ImageList::Level,
         &W::aLevelExecute},
        {"aNevjegy", "Súgó", "Névjegy", nullptr, "", ImageList::Nevjegy, &W::aNevjegyExecute},
        {"aNyomtat", "File", "Nyomtat", nullptr, "Ctrl+P", ImageList::Nyomtat, &W::aNyomtatExecute},
        {"aNyomtatKep", "File", "Nyomtatási kép", nullptr, "Ctrl+K", ImageList::NyomtatasiKep,
         &W::aNyomtatKepExecute},
        {"aExcelbe", "File", "Excelbe...", nullptr, "Ctrl+E", ImageList::Excelbe,
         &W::aExcelbeExecute},
        {"aHtml", "File", "Html export", nullptr, "Ctrl+H", ImageList::Html, &W::aHtmlExecute},
        {"aSQLExp", "File", "SQL export", nullptr, "F6", ImageList::SQLExport, &W::aSQLExpExecute},
    };
    return table;
}

Tfrm_Main::Tfrm_Main(std::shared_ptr<TStarterOpener> opener)
    : drill_(Beall())
    , opener_(opener)
    , Exe(std::move(opener))
    , splash_(LogoMegjelenites) {
    initVembaResources();
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(utf8(ProgramTitle));
    // A fixed single border with system menu and minimize box: no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(designFont("Segoe UI", 8));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
    setCentralWidget(client);

    createActions();
    createMenu();
    createCard(client);
    createPages(client);
    createToolBar(client);
    createBottomStrip(client);
    createStatusBar();
    connectDrill();
    fixClientSize();

    new WheelToArrows(this);
    QCoreApplication::instance()->installEventFilter(this);

    prepareDataFolder();
    BeallitasBetoltes(Beall(), config());
    createDialogs();
}

Tfrm_Main::~Tfrm_Main() {
    QCoreApplication::instance()->removeEventFilter(this);
}

QAction* Tfrm_Main::action(std::string_view name) const {
    const QString objectName =
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void Tfrm_Main::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        refreshCard();
        ProgramErrorBox(error, this);
    }
    refreshCard();
}

void Tfrm_Main::openTest(const QString& path) {
    openDialog_.fileName = path;
    runCommand([&] { drill_.TesztMegnyitas(path, false); });
}

// Set-up.

void Tfrm_Main::createActions() {
    for (const ActionDescription& description : actionTable()) {
        auto* command = new QAction(utf8(description.caption), this);
        command->setObjectName(utf8(description.name));
        // The drill buttons show the caption as it is, its "..." included.
        command->setIconText(command->text());
        command->setToolTip(utf8(description.hint ? description.hint : description.caption));
        command->setShortcut(QKeySequence(utf8(description.shortcut), QKeySequence::PortableText));
        command->setIcon(ImageList::icon(description.image));
        command->setProperty("category", utf8(description.category));
        command->setProperty("imageIndex", description.image);
        command->setEnabled(description.handler != nullptr);
        if (const Handler handler = description.handler) {
            connect(command, &QAction::triggered, this,
                    [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
        }
        // Shortcuts work whether or not the command is in a menu or on the tool bar.
        addAction(command);
    }
}

void Tfrm_Main::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const MenuDescription& description : MainMenu) {
        QMenu* menu = bar->addMenu(utf8(description.title));
        for (const char* item : description.items) {
            if (std::string_view(item) == Separator)
                menu->addSeparator();
            else
                menu->addAction(action(item));
        }
    }
}

void Tfrm_Main::createToolBar(QWidget* client) {
    auto* toolBar = new QToolBar(client);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const char* item : ToolBarItems) {
        if (std::string_view(item) == Separator)
            toolBar->addSeparator();
        else
            toolBar->addAction(action(item));
    }
}

void Tfrm_Main::createCard(QWidget* client) {
    auto* picture = plainLabel(client, "Image1");
    picture->setGeometry(PictureRect);
    picture->setPixmap(QPixmap(QStringLiteral(":/vemba/kep.png")));

    auto* frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("Shape1"));
    frame->setGeometry(CardFrameRect);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setAutoFillBackground(true);
    QPalette ground = frame->palette();
    ground.setColor(QPalette::Window, Qt::white);
    ground.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    frame->setPalette(ground);

    DBText1 = plainLabel(client, "DBText1");
    DBText1->move(QuestionPos);
    DBText2 = plainLabel(client, "DBText2");
    DBText2->move(AnswerPos);
    for (QLabel* label : {DBText1, DBText2})
        label->setFont(cardFont());

    const std::pair<QToolButton**, std::pair<const char*, QRect>> buttons[] = {
        {&SpeedButton1, {"aEztMarTudom", SpeedButton1Rect}},
        {&SpeedButton2, {"aMegnezem", SpeedButton2Rect}},
        {&SpeedButton3, {"aJohetaKovetkezo", SpeedButton3Rect}},
    };
    int number = 1;
    for (const auto& [button, what] : buttons) {
        *button = new DrillButton(client);
        (*button)->setObjectName(QStringLiteral("SpeedButton%1").arg(number++));
        (*button)->setGeometry(what.second);
        (*button)->setIconSize(QSize(32, 32));
        (*button)->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        // Like the classic speed buttons they stand for: clicked, never focused.
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setDefaultAction(action(what.first));
    }
}

void Tfrm_Main::createPages(QWidget* client) {
    auto* pages = new QTabWidget(client);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setGeometry(PagesRect);
    pages->addTab(createCountersPage(), QStringLiteral("Teszt"));
    pages->addTab(createDirectionPage(), utf8("Teszt beállítás"));
}

QWidget* Tfrm_Main::createCountersPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    struct Counter {
        const char* headingName;
        const char* heading;
        const char* name;
        QLabel** label;
    };
    const Counter counters[] = {
        {"Label1", "Összes szó", "Label4", &Label4},
        {"Label2", "Ennyit tudok már", "Label5", &Label5},
        {"Label3", "Ennyit nem tudok még", "Label6", &Label6},
    };
    int top = 8;
    for (const Counter& counter : counters) {
        QLabel* heading = plainLabel(page, counter.headingName, utf8(counter.heading));
        heading->setGeometry(16, top, HeadingWidth, HeadingHeight);
        // Greyed: the captions are there to read, not to act on.
        heading->setEnabled(false);
        QLabel* number = plainLabel(page, counter.name, QStringLiteral("0"));
        *counter.label = number;
        number->setGeometry(16, top + 16, CounterBoxWidth, 34);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setFont(counterFont());
        top += 56;
    }
    return page;
}

QWidget* Tfrm_Main::createDirectionPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* group = new QGroupBox(utf8("Kikérdezés"), page);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setGeometry(12, 10, 230, DirectionGroupHeight);
    auto* layout = new QVBoxLayout(group);
    Kikerdezes = new QButtonGroup(group);
    for (int index = 0; index < static_cast<int>(Drill::KikerdezesItems.size()); ++index) {
        auto* item = new QRadioButton(fromCp1250(Drill::KikerdezesItems[index]), group);
        Kikerdezes->addButton(item, index);
        layout->addWidget(item);
    }
    Kikerdezes->button(drill_.KikerdezesIndex())->setChecked(true);
    connect(Kikerdezes, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            drill_.SetKikerdezesIndex(index);
    });
    return page;
}

void Tfrm_Main::createBottomStrip(QWidget* client) {
    auto* strip = new QFrame(client);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setGeometry(0, client->height() - BottomStripHeight, ClientWidth, BottomStripHeight);
    QLabel* notice = plainLabel(strip, "Label7", utf8(Links::MakerNotice));
    notice->setGeometry(ClientWidth - NoticeWidth, 0, NoticeWidth, BottomStripHeight);
    notice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    notice->setContentsMargins(0, 0, 8, 0);
    notice->setEnabled(false);
}

// The last test only pre-fills the open dialog; it is not opened.
void Tfrm_Main::createDialogs() {
    const std::string filter =
        toCp1250(utf8("Teszt állományok (*.ask)|*.ask|Minden file (*.*)|*.*"));
    for (FileDialogSettings* dialog : {&openDialog_, &saveDialog_}) {
        dialog->filter = filter;
        dialog->defaultExtension = QStringLiteral(".ask");
    }
    openDialog_.mustExist = true;
    openDialog_.fileName = Beall().UtolsoFile;
    saveDialog_.mustExist = false;
}

void Tfrm_Main::createStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusBarHeight);
    StatusPanel0 = plainLabel(bar, "StatusPanel0");
    StatusPanel0->setFixedWidth(StatusPanel0Width);
    StatusPanel1 = plainLabel(bar, "StatusPanel1");
    for (QLabel* panel : {StatusPanel0, StatusPanel1})
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1, 1);
    setStatusBar(bar);
}

void Tfrm_Main::connectDrill() {
    connect(&drill_, &Drill::cardChanged, this, &Tfrm_Main::scheduleCardRefresh);
    connect(&drill_, &Drill::emphasisChanged, this, &Tfrm_Main::refreshEmphasis);
    connect(&drill_, &Drill::countersChanged, this, &Tfrm_Main::refreshCounters);
    connect(&drill_, &Drill::commandsEnabledChanged, this, &Tfrm_Main::refreshCommandsEnabled);
    connect(&drill_, &Drill::statusChanged, this, &Tfrm_Main::refreshStatus);
    connect(&drill_, &Drill::finished, this, &Tfrm_Main::showFinished);
    refreshCard();
    refreshEmphasis();
    refreshCounters();
    refreshCommandsEnabled(drill_.CommandsEnabled());
    refreshStatus();
}

// The layout is fixed, but the status bar and the direction group grow to the font they
// show, so that a larger font is not cut at the bottom; the window grows with the status bar.
void Tfrm_Main::fitToFont() {
    // The status bar keeps 3 pixels above its panels and 2 below them.
    const int panel = fontMetrics().height() + 2 * StatusPanel0->frameWidth();
    statusBar()->setFixedHeight(std::max(StatusBarHeight, panel + 5));
    auto* group = findChild<QGroupBox*>(QStringLiteral("RadioGroup1"));
    group->setFixedHeight(std::max(DirectionGroupHeight, group->sizeHint().height()));
    for (const char* name : {"Label1", "Label2", "Label3"}) {
        auto* heading = findChild<QLabel*>(QLatin1String(name));
        heading->setFixedHeight(std::max(HeadingHeight, heading->fontMetrics().height()));
    }
}

// The menu bar sits above the client area, so the window is the client area and the menu.
void Tfrm_Main::fixClientSize() {
    setFixedSize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight - StatusBarHeight +
                                  statusBar()->maximumHeight());
}

// Showing and closing.

void Tfrm_Main::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        applyFirstShow();
    }
    QMainWindow::showEvent(event);
}

void Tfrm_Main::applyFirstShow() {
    QFont sized = font();
    sized.setPointSize(Beall().BetuMeret > 0 ? Beall().BetuMeret : DefaultFontSize);
    setFont(sized);
    MenuBeallitas(this);
    fitToFont();
    fixClientSize();
    restorePlacement(*this, config().BeallitasFile, "frm_Main", config().MunkaTerulet);
    if (splash_)
        splash_();
}

// The settings are written whichever way the window is closed. A failed write is shown, but
// does not keep the window open: the program could not be ended otherwise.
void Tfrm_Main::closeEvent(QCloseEvent* event) {
    try {
        BeallitasMentes(Beall(), config().BeallitasFile);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
    QMainWindow::closeEvent(event);
}

// Commands.

void Tfrm_Main::aMegnyitExecute() {
    if (OpenFileDialog(openDialog_, this))
        drill_.TesztMegnyitas(openDialog_.fileName, false);
}

void Tfrm_Main::aMegnyit2Execute() {
    if (OpenFileDialog(openDialog_, this))
        drill_.TesztMegnyitas(openDialog_.fileName, true);
}

void Tfrm_Main::aMentExecute() {
    if (saveDialog_.fileName.isEmpty() && saveDialog_.initialDir.isEmpty())
        saveDialog_.initialDir = QFileInfo(Beall().UtolsoFile).absolutePath();
    if (SaveFileDialog(saveDialog_, this))
        drill_.Tbl().SaveToFile(saveDialog_.fileName);
}

// Nothing downloaded (Esc, a failed download) leaves the drill as it was.
void Tfrm_Main::aLetoltExecute() {
    const QString path = TesztLetoltes();
    if (!path.isEmpty())
        drill_.TesztMegnyitas(path, false);
}

// The editor works on a table of its own: the drill is not touched.
void Tfrm_Main::aTesztSzerkesztoExecute() {
    TesztSzerkeszto();
}

void Tfrm_Main::aBezarExecute() {
    close();
}

void Tfrm_Main::aEztMarTudomExecute() {
    drill_.aEztMarTudomExecute();
}

void Tfrm_Main::aMegnezemExecute() {
    drill_.aMegnezemExecute();
}

void Tfrm_Main::aJohetaKovetkezoExecute() {
    drill_.aJohetaKovetkezoExecute();
}

void Tfrm_Main::aHonlapExecute() {
    LinkInditas(Links::Honlap);
}

void Tfrm_Main::aUjdonsagExecute() {
    LinkInditas(Links::Honlap);
}

void Tfrm_Main::aLevelExecute() {
    LinkInditas(Links::LevelCim());
}

void Tfrm_Main::aNevjegyExecute() {
    Nevjegy();
}

// The export dialog on the drill table, in the drill's order.
void Tfrm_Main::aExcelbeExecute() {
    HataroltExport(drill_.Tbl(), QString(), this, opener_);
}

void Tfrm_Main::aSQLExpExecute() {
    const std::string text = SQLExportText(drill_.Tbl());
    QGuiApplication::clipboard()->setText(fromCp1250(text));
}

// The page of the drill in its shuffled order, the second language first when the direction
// is "Második nyelv"; the test's file name is the title.
void Tfrm_Main::aHtmlExecute() {
    const bool masodikElol = drill_.KikerdezesIndex() == Drill::MasodikNyelv;
    HtmlKiiras(drill_.Tbl(), NyelvOszlopok(masodikElol), toCp1250(drill_.StatusPanelText(0)), {},
               {}, Exe, this);
}

void Tfrm_Main::aNyomtatExecute() {
    ListaNyomtatasDrill(true);
}

void Tfrm_Main::aNyomtatKepExecute() {
    ListaNyomtatasDrill(false);
}

// The word list of the drill in its shuffled order, titled with the test's file name, its
// columns in the order of the direction ("Vegyesen" as the first language first).
void Tfrm_Main::ListaNyomtatasDrill(bool print) {
    const bool secondFirst = drill_.KikerdezesIndex() == Drill::MasodikNyelv;
    ListaNyomtatas(drill_.Tbl(), toCp1250(drill_.StatusPanelText(0)),
                   secondFirst ? "nyelv2" : "nyelv1", secondFirst ? "nyelv1" : "nyelv2", print,
                   this);
}

void Tfrm_Main::LinkInditas(std::string_view address) {
    Exe.SetDefaultDir(toCp1250(config().ProgramMappa));
    Exe.SetCommand(std::string(address));
    Exe.Inditas();
}

// Enter.

void Tfrm_Main::FormKeyPress(char key) {
    runCommand([this, key] { drill_.FormKeyPress(key); });
}

// A key press that a control ignores goes on to its parent, through the application's event
// filters again; only its first delivery is a key press of the user's.
bool Tfrm_Main::isFirstDelivery(QObject* receiver, const QEvent* event) {
    auto* widget = static_cast<QWidget*>(receiver);
    auto* last = qobject_cast<QWidget*>(lastKeyReceiver_.data());
    if (event == lastKey_ && last != nullptr && widget->isAncestorOf(last))
        return false;
    lastKey_ = event;
    lastKeyReceiver_ = receiver;
    return true;
}

bool Tfrm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        lastKey_ = nullptr;
        lastKeyReceiver_ = nullptr;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget*>(watched)->window() != this || !isFirstDelivery(watched, event))
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        FormKeyPress('\r');
    return false;
}

// Mirroring the drill.

// The drill announces every step of its passes over the table; the card is drawn once the
// command has ended, and at the latest when the event loop runs again.
void Tfrm_Main::scheduleCardRefresh() {
    if (cardDirty_)
        return;
    cardDirty_ = true;
    QMetaObject::invokeMethod(this, &Tfrm_Main::refreshCard, Qt::QueuedConnection);
}

void Tfrm_Main::refreshCard() {
    cardDirty_ = false;
    const std::pair<QLabel*, std::pair<std::string, int>> labels[] = {
        {DBText1, {drill_.DBText1Text(), drill_.DBText1FontSize()}},
        {DBText2, {drill_.DBText2Text(), drill_.DBText2FontSize()}},
    };
    for (const auto& [label, shown] : labels) {
        QFont sized = label->font();
        sized.setPointSize(shown.second);
        label->setFont(sized);
        label->setText(fromCp1250(shown.first));
        label->adjustSize();
    }
    DBText2->setVisible(drill_.DBText2Visible());
}

void Tfrm_Main::refreshEmphasis() {
    SpeedButton2->setFont(weightOnly(drill_.SpeedButton2Bold()));
    SpeedButton3->setFont(weightOnly(drill_.SpeedButton3Bold()));
}

void Tfrm_Main::refreshCounters() {
    Label4->setText(fromCp1250(drill_.Label4Text()));
    Label5->setText(fromCp1250(drill_.Label5Text()));
    Label6->setText(fromCp1250(drill_.Label6Text()));
}

void Tfrm_Main::refreshCommandsEnabled(bool enabled) {
    for (const char* name : {"aEztMarTudom", "aMegnezem", "aJohetaKovetkezo"})
        action(name)->setEnabled(enabled);
}

void Tfrm_Main::refreshStatus() {
    StatusPanel0->setText(drill_.StatusPanelText(0));
    StatusPanel1->setText(drill_.StatusPanelText(1));
}

void Tfrm_Main::showFinished(const std::string& message) {
    refreshCard();
    Uzenet(message, this);
}

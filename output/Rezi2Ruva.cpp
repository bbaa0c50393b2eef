#include "output/Rezi2Ruva.h"

#include "app/Config.h"
#include "output/MapiMail.h"
#include "platform/Cp1250.h"
#include "ui/DialogFont.h"
#include "ui/FocusColour.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellFolders.h"
#include "ui/Starter.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <exception>

// The decoration is the program's picture, compiled into a static library. Q_INIT_RESOURCE
// must be used outside any namespace.
static void initRezi2RuvaResources() {
    Q_INIT_RESOURCE(vemba);
}

namespace {

constexpr int ProgressHeight = 17;

// Segoe UI with a character height of 11 pixels; Liberation Sans where it is missing.
QFont designFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    return font;
}

QPushButton* makeButton(QWidget* parent, const char* text, const char* name, QRect geometry) {
    auto* button = new QPushButton(fromCp1250(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

// Marks the dialog busy for the life of a block, however the block is left.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy)
        : busy_(busy) {
        busy_ = true;
    }
    ~BusyGuard() { busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& busy_;
};

} // namespace

Tfrm_Rezi2Ruva::Tfrm_Rezi2Ruva(TMemTable& table, const TMezoLista& columns, std::string title,
                               std::string subtitle, QString fixedFileName, TStarter& opener,
                               QWidget* parent)
    : QDialog(parent)
    , table_(table)
    , columns_(columns)
    , title_(std::move(title))
    , subtitle_(std::move(subtitle))
    , fixedFileName_(std::move(fixedFileName))
    , opener_(opener) {
    initRezi2RuvaResources();
    setObjectName(QLatin1String(FormName));
    setWindowTitle(QStringLiteral("HTML export"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(designFont());
    setFixedSize(DesignWidth, DesignHeight);
    createControls();
    Edit1->setText(HtmlAjanlottNev(JavasoltMappa(), title_));
    SaveDialog1.defaultExtension = QStringLiteral(".htm");
    SaveDialog1.filter = "HTML dokumentum (*.htm;*.html)|*.htm;*.html";
    SaveDialog1.mustExist = false;
}

Tfrm_Rezi2Ruva::~Tfrm_Rezi2Ruva() = default;

void Tfrm_Rezi2Ruva::createControls() {
    Label1 = new QLabel(fromCp1250("Ment\xe9s helye"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(12, 12);
    Label1->adjustSize();

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(12, 28, 489, 21);
    Label1->setBuddy(Edit1);

    BitBtn1 = makeButton(this, "", "BitBtn1", QRect(504, 24, 33, 33));
    BitBtn1->setIcon(ImageList::icon(ImageList::Megnyit));
    BitBtn1->setIconSize(QSize(16, 16));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 56, 64, 64);
    Image1->setPixmap(QPixmap(QStringLiteral(":/vemba/vemba.png"))
                          .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    CheckBox1 = new QCheckBox(fromCp1250("Ment\xe9s ut\xe1n megnyit\xe1s"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(84, 56, 165, 17);
    CheckBox1->setChecked(true);

    Button3 = makeButton(this, "E-Mail", "Button3", QRect(84, 88, 75, 25));
    Button1 = makeButton(this, "OK", "Button1", QRect(380, 88, 75, 25));
    Button1->setDefault(true);
    Button2 = makeButton(this, "M\xe9gsem", "Button2", QRect(464, 88, 75, 25));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(4, 119, 381, 10);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(0, DesignHeight - ProgressHeight, DesignWidth, ProgressHeight);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);

    setTabOrder(Edit1, BitBtn1);
    setTabOrder(BitBtn1, CheckBox1);
    setTabOrder(CheckBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);

    connect(BitBtn1, &QPushButton::clicked, this, &Tfrm_Rezi2Ruva::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &Tfrm_Rezi2Ruva::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &Tfrm_Rezi2Ruva::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    showFocusColour(*Edit1);
    Edit1->setFocus();
}

// The font size of the settings: a larger font grows the dialog, and the label and the check
// box fit their text.
void Tfrm_Rezi2Ruva::applyFontSize() {
    growWithFont(*this, Beall().BetuMeret, TBeall().BetuMeret, QSize(DesignWidth, DesignHeight));
    Label1->adjustSize();
    CheckBox1->resize(std::max(165, CheckBox1->sizeHint().width()),
                      std::max(17, CheckBox1->sizeHint().height()));
}

void Tfrm_Rezi2Ruva::showEvent(QShowEvent* event) {
    if (!positioned_) {
        positioned_ = true;
        applyFontSize();
        // Only the position is kept; one off the screen is used as stored.
        restorePosition(*this, config().BeallitasFile, FormName);
    }
    QDialog::showEvent(event);
}

void Tfrm_Rezi2Ruva::BitBtn1Click() {
    if (busy_)
        return;
    SaveDialog1.fileName = Edit1->text();
    if (SaveFileDialog(SaveDialog1, this))
        Edit1->setText(SaveDialog1.fileName);
}

void Tfrm_Rezi2Ruva::Button1Click() {
    if (busy_)
        return;
    try {
        OldalIras();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
        return;
    }
    accept();
}

void Tfrm_Rezi2Ruva::Button3Click() {
    if (busy_)
        return;
    CheckBox1->setChecked(false);
    QString path;
    try {
        path = OldalIras();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
        return;
    }
    BusyGuard busy(busy_);
    // What the mail program answers is its own business: it shows its own failures.
    (void)MapiKuldes(MailText, MailText, path, {}, {}, {}, {});
}

QString Tfrm_Rezi2Ruva::OldalIras() {
    if (busy_)
        return {};
    BusyGuard busy(busy_);
    const QString path = writePage();
    if (CheckBox1->isChecked() || !fixedFileName_.isEmpty())
        openPage(path);
    return path;
}

// The path is taken once, so typing in Edit1 while the rows are built changes nothing of
// this page; the page is opened and mailed from where it was written.
QString Tfrm_Rezi2Ruva::writePage() {
    const QString chosen = fixedFileName_.isEmpty() ? Edit1->text() : fixedFileName_;
    const QString path = chosen.isEmpty() ? chosen : QFileInfo(chosen).absoluteFilePath();
    // A bar with no steps would show as busy instead of empty.
    ProgressBar1->setRange(0, std::max(1, table_.RecordCount()));
    ProgressBar1->setValue(0);
    THtmlOldal page(table_, columns_, title_, subtitle_);
    page.Progress = [this](int done) {
        ProgressBar1->setValue(done);
        QCoreApplication::processEvents();
    };
    page.WriteToFile(path);
    return path;
}

// A file address is ASCII, so it carries any path through the launcher's code page text.
void Tfrm_Rezi2Ruva::openPage(const QString& path) {
    opener_.SetCommand(QUrl::fromLocalFile(path).toEncoded().toStdString());
    opener_.Inditas();
}

void Tfrm_Rezi2Ruva::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// Mégsem, Esc and the close box wait while a page is being written or mailed.
void Tfrm_Rezi2Ruva::done(int result) {
    if (busy_)
        return;
    savePosition();
    QDialog::done(result);
}

void Tfrm_Rezi2Ruva::savePosition() {
    try {
        storePosition(*this, config().BeallitasFile, FormName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
}

void HtmlKiiras(TMemTable& table, const std::vector<std::string>& columns, const std::string& title,
                const std::string& subtitle, const QString& fileName, TStarter& opener,
                QWidget* owner) {
    const TMezoLista list = MezoListaBetoltes(columns);
    Tfrm_Rezi2Ruva dialog(table, list, title, subtitle, fileName, opener, owner);
    if (!fileName.isEmpty()) {
        dialog.OldalIras();
        return;
    }
    dialog.exec();
}

#include "output/Hatarolt.h"

#include "app/Config.h"
#include "platform/Cp1250.h"
#include "ui/DialogFont.h"
#include "ui/FocusColour.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellFolders.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace {

constexpr int ProgressBarHeight = 17;

const char* const SaveFilter = "CSV \xe1llom\xe1nyok (*.csv)|*.csv|Text \xe1llom\xe1nyok "
                               "(*.txt)|*.txt|Excel munkalap (*.xls)|*.xls|Minden "
                               "\xe1llom\xe1ny (*.*)|*.*";
const char* const DoneMessage = " file k\xe9sz.";

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Segoe UI with a character height of 11 pixels, Liberation Sans (Arial's metrics) where it
// is missing; the shown size comes from the settings when the dialog is first shown.
QFont designFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    return font;
}

template <class W>
W* placed(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect rect) {
    auto* b = new QPushButton(utf8(caption), parent);
    return placed(b, name, rect.x(), rect.y(), rect.width(), rect.height());
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, int top) {
    return placed(new QCheckBox(utf8(caption), parent), name, 136, top, 409, 17);
}

// A radio group: the caption and its items one under the other, evenly spread, the first
// item of the group numbered 0.
QGroupBox* radioGroup(QWidget* parent, const char* name, const char* caption,
                      std::initializer_list<const char*> items, QButtonGroup*& group, QRect rect) {
    auto* box = placed(new QGroupBox(utf8(caption), parent), name, rect.x(), rect.y(), rect.width(),
                       rect.height());
    group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(utf8(item), box);
        radio->installEventFilter(parent);
        group->addButton(radio, id++);
        layout->addWidget(radio, 1);
    }
    return box;
}

} // namespace

Tfrm_Hatarolt::Tfrm_Hatarolt(TMemTable& table, const QString& fileName, QWidget* parent,
                             std::shared_ptr<TStarterOpener> opener)
    : QDialog(parent)
    , Exe(std::move(opener))
    , table_(table) {
    setObjectName(QLatin1String(FormName));
    setWindowTitle(utf8("Határolt szöveg export"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(designFont());
    setFixedSize(DesignWidth, DesignHeight);
    createControls();

    // The workbook: no columns and no title of its own; bold 10-point Arial title and header.
    for (TxlBand* band :
         {static_cast<TxlBand*>(&DataToXLS1.Title), static_cast<TxlBand*>(&DataToXLS1.Header)}) {
        band->Font.Name = "Arial";
        band->Font.Size = 10;
        band->Font.Bold = true;
    }
    DataToXLS1.OnBeginExport = [this](TDataExport&) { DataToXLS1BeginExport(); };
    DataToXLS1.AfterWriteRecord = [this](TDataExport&) { DataToXLS1AfterWriteRecord(); };

    SaveDialog1.defaultExtension = QStringLiteral("csv");
    SaveDialog1.filter = SaveFilter;
    SaveDialog1.mustExist = false;

    fillFieldList();
    const QString initial =
        fileName.isEmpty() ? JavasoltMappa() + QStringLiteral("/File001.csv") : fileName;
    Edit1->setText(initial);
    SaveDialog1.fileName = initial;
}

Tfrm_Hatarolt::~Tfrm_Hatarolt() = default;

void Tfrm_Hatarolt::createControls() {
    CheckListBox1 =
        placed(new QListWidget(this), "CheckListBox1", 0, 0, 121, DesignHeight - ProgressBarHeight);
    Button4 = button(this, "Button4", "összes", {132, 12, 89, 25});
    Button5 = button(this, "Button5", "Egyik sem", {132, 44, 89, 25});
    Image3 = placed(new QLabel(this), "Image3", 140, 80, 72, 72);
    Image3->setPixmap(ImageList::largeImage(ImageList::Excelbe));
    Image3->setAlignment(Qt::AlignCenter);
    createChoices();
    createOptions();
    createFileControls();
    Bevel1 = placed(new QFrame(this), "Bevel1", 132, 348, 345, 10);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    ProgressBar1 = placed(new QProgressBar(this), "ProgressBar1", 0,
                          DesignHeight - ProgressBarHeight, DesignWidth, ProgressBarHeight);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    setTabOrder();

    connect(Button4, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(Button5, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void Tfrm_Hatarolt::createChoices() {
    RadioGroup2 = radioGroup(this, "RadioGroup2", "Határoló karakter",
                             {"Pontosvessző (;)", "Tabulátor", "Vessző (,)", "Cső (|)"},
                             RadioGroup2Items, {228, 8, 209, 153});
    RadioGroup2Items->button(0)->setChecked(true);
    RadioGroup1 =
        radioGroup(this, "RadioGroup1", "Szövegjelölő", {"Idézőjel (\")", "Aposztróf (')", "Semmi"},
                   RadioGroup1Items, {444, 8, 177, 153});
    RadioGroup1Items->button(2)->setChecked(true);
}

void Tfrm_Hatarolt::createOptions() {
    CheckBox1 = checkBox(this, "CheckBox1",
                         "Többsoros mezőket is kiírja (egy sorba cső karakter választással)", 172);
    CheckBox2 = checkBox(this, "CheckBox2",
                         "Eredeti mezőneveket használja (nem a megjelenített neveket)", 192);
    CheckBox3 = checkBox(this, "CheckBox3", "Fejléc nem kell (az első sorban)", 212);
    CheckBox4 = checkBox(this, "CheckBox4", "Export után megnyitás", 232);
}

void Tfrm_Hatarolt::createFileControls() {
    Label1 = placed(new QLabel(QStringLiteral("Filenév"), this), "Label1", 136, 260, 0, 0);
    Label1->adjustSize();
    Edit1 = placed(new QLineEdit(this), "Edit1", 136, 276, 445, 21);
    showFocusColour(*Edit1);
    Label1->setBuddy(Edit1);
    SpeedButton1 = placed(new QToolButton(this), "SpeedButton1", 584, 272, 33, 33);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(ImageList::icon(ImageList::Megnyit));
    SpeedButton1->setIconSize(QSize(16, 16));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    Button3 = button(this, "Button3", "Megállít", {140, 312, 89, 25});
    Button3->setEnabled(false);
    Button1 = button(this, "Button1", "Export indítás", {412, 312, 97, 25});
    Button1->setDefault(true);
    Button2 = button(this, "Button2", "Bezár", {520, 312, 97, 25});
}

void Tfrm_Hatarolt::setTabOrder() {
    QList<QWidget*> chain = {CheckListBox1, Button4, Button5};
    for (QAbstractButton* radio : RadioGroup2Items->buttons())
        chain << radio;
    for (QAbstractButton* radio : RadioGroup1Items->buttons())
        chain << radio;
    chain << CheckBox1 << CheckBox2 << CheckBox3 << CheckBox4 << Edit1 << Button1 << Button2
          << Button3;
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Tfrm_Hatarolt::fillFieldList() {
    for (int i = 0; i < table_.FieldCount(); ++i) {
        auto* item = new QListWidgetItem(fromCp1250(table_.Fields(i).FieldName()), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void Tfrm_Hatarolt::showEvent(QShowEvent* event) {
    if (!positioned_) {
        positioned_ = true;
        applyFontSize();
        restorePosition();
    }
    QDialog::showEvent(event);
}

void Tfrm_Hatarolt::applyFontSize() {
    growWithFont(*this, Beall().BetuMeret, TBeall().BetuMeret, QSize(DesignWidth, DesignHeight));
    Label1->adjustSize();
}

// Left and top only: the dialog's size is fixed.
void Tfrm_Hatarolt::restorePosition() {
    ::restorePosition(*this, config().BeallitasFile, FormName);
}

void Tfrm_Hatarolt::savePosition() {
    try {
        storePosition(*this, config().BeallitasFile, FormName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
}

bool Tfrm_Hatarolt::eventFilter(QObject* watched, QEvent* event) {
    // Tab into a radio group lands on its chosen item.
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        auto* radio = qobject_cast<QRadioButton*>(watched);
        QAbstractButton* chosen =
            radio && radio->group() ? radio->group()->checkedButton() : nullptr;
        if (chosen != nullptr && chosen != radio &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
            chosen->setFocus(reason);
            return false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Hatarolt::done(int result) {
    if (exporting_) {
        closeResult_ = result;
        return;
    }
    savePosition();
    QDialog::done(result);
}

void Tfrm_Hatarolt::checkAll(bool checked) {
    for (int i = 0; i < CheckListBox1->count(); ++i)
        CheckListBox1->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void Tfrm_Hatarolt::SpeedButton1Click() {
    SaveDialog1.fileName = Edit1->text();
    if (SaveFileDialog(SaveDialog1, this))
        Edit1->setText(SaveDialog1.fileName);
}

void Tfrm_Hatarolt::Button1Click() {
    if (exporting_)
        return;
    if (Edit1->text().isEmpty()) {
        if (!SaveFileDialog(SaveDialog1, this))
            return;
        Edit1->setText(SaveDialog1.fileName);
    }
    const QString path = Edit1->text();
    exporting_ = true;
    const bool written = isWorkbookPath(path) ? workbookExport(path) : textExport(path);
    exporting_ = false;
    if (written && CheckBox4->isChecked()) {
        Exe.SetCommand(toCp1250(path));
        Exe.Inditas();
        closeResult_ = QDialog::Accepted;
    }
    if (closeResult_ >= 0)
        done(closeResult_);
}

void Tfrm_Hatarolt::Button3Click() {
    if (textExport_ != nullptr)
        textExport_->Stop();
}

DelimitedTextOptions Tfrm_Hatarolt::textOptions() const {
    DelimitedTextOptions options;
    options.Delimiter = DelimiterChoices.at(std::size_t(RadioGroup2Items->checkedId()));
    options.Qualifier = QualifierChoices.at(std::size_t(RadioGroup1Items->checkedId()));
    options.JoinMemoLines = CheckBox1->isChecked();
    options.FieldNames = CheckBox2->isChecked();
    options.NoHeader = CheckBox3->isChecked();
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        if (item->checkState() == Qt::Checked)
            options.Fields.push_back(toCp1250(item->text()));
    }
    return options;
}

// Window messages are let through while it runs, so "Megállít" and the progress bar work.
bool Tfrm_Hatarolt::textExport(const QString& path) {
    Button3->setEnabled(true);
    TDelimitedTextExport exporter;
    exporter.Options = textOptions();
    exporter.OnProgress = [this](int finished) {
        ProgressBar1->setValue(finished);
        QCoreApplication::processEvents();
    };
    textExport_ = &exporter;
    std::string failure;
    try {
        ProgressBar1->setMaximum(std::max(1, table_.RecordCount()));
        exporter.ExportToFile(table_, path);
        ProgressBar1->setValue(0);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    // "Megállít" is off before the box, which waits for the user.
    textExport_ = nullptr;
    Button3->setEnabled(false);
    if (!failure.empty()) {
        HibaUzenet("Hiba: " + failure, this);
        return false;
    }
    Uzenet(toCp1250(path) + DoneMessage, this);
    return true;
}

// Not guarded by the dialog: a failure reaches the program-wide error box.
bool Tfrm_Hatarolt::workbookExport(const QString& path) {
    DataToXLS1.SetDataSet(&table_);
    try {
        if (table_.Active())
            ProgressBar1->setMaximum(std::max(1, table_.RecordCount()));
        DataToXLS1.ExportToFile(path);
        ProgressBar1->setValue(0);
        return true;
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
        return false;
    }
}

// The columns follow the field list by position: an unticked item's column is not written.
void Tfrm_Hatarolt::DataToXLS1BeginExport() {
    TxlColumns& columns = DataToXLS1.Columns;
    for (int i = 0; i < columns.Count() && i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->checkState() != Qt::Checked)
            columns[i].Save = false;
}

void Tfrm_Hatarolt::DataToXLS1AfterWriteRecord() {
    ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void HataroltExport(TMemTable& table, const QString& fileName, QWidget* owner,
                    std::shared_ptr<TStarterOpener> opener) {
    Tfrm_Hatarolt dialog(table, fileName, owner, std::move(opener));
    dialog.exec();
}

#include "editor/Teszt_Szerkeszt.h"

#include "app/Config.h"
#include "platform/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <exception>

// ---- TDBEdit ----------------------------------------------------------------------------

TDBEdit::TDBEdit(QWidget* parent)
    : QLineEdit(parent) {}

TDBEdit::~TDBEdit() {
    setDataSource(nullptr, {});
}

void TDBEdit::setDataSource(TMemTable* table, std::string fieldName) {
    if (table_)
        table_->RemoveObserver(this);
    table_ = table;
    fieldName_ = std::move(fieldName);
    if (table_)
        table_->AddObserver(this);
    showField();
}

TField* TDBEdit::field() const {
    return table_ && table_->Active() ? table_->FindField(fieldName_) : nullptr;
}

void TDBEdit::showField() {
    const TField* f = field();
    // A string field limits the text; QLineEdit's own default limit otherwise.
    setMaxLength(f && f->DataType() == TFieldType::String ? f->Size() : 32767);
    setText(f ? fromCp1250(f->AsString()) : QString());
    setModified(false);
}

void TDBEdit::updateRecord() {
    TField* f = field();
    if (!f || !isModified())
        return;
    const TDataSetState state = table_->State();
    if (state != TDataSetState::Edit && state != TDataSetState::Insert)
        return;
    writing_ = true;
    try {
        f->SetAsString(toCp1250(text()));
    } catch (...) {
        writing_ = false;
        throw;
    }
    writing_ = false;
    setModified(false);
}

void TDBEdit::updateRecord(TMemTable&) {
    updateRecord();
}

void TDBEdit::tableChanged(TMemTable&, Change change) {
    // A value written by this edit, or by another while this one holds typing of its own,
    // does not replace what this edit shows.
    if (change == Change::Record && (writing_ || isModified()))
        return;
    showField();
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    try {
        updateRecord();
    } catch (const std::exception& error) {
        ProgramErrorBox(error, window());
    }
}

// ---- Tfrm_Teszt_Szerkeszt ---------------------------------------------------------------

const QColor Tfrm_Teszt_Szerkeszt::FocusColor = QColor(0xA6, 0xCA, 0xF0);

namespace {

QLabel* makeLabel(QWidget* parent, const char* text, int top) {
    auto* label = new QLabel(fromCp1250(text), parent);
    label->move(12, top);
    label->adjustSize();
    return label;
}

TDBEdit* makeEdit(QWidget* parent, TMemTable& ds, const char* field, int top) {
    auto* edit = new TDBEdit(parent);
    edit->setGeometry(12, top, 433, 21);
    edit->setDataSource(&ds, field);
    return edit;
}

// Neither button is a default button: Enter moves the focus instead.
QPushButton* makeButton(QWidget* parent, const char* text, int left) {
    auto* button = new QPushButton(fromCp1250(text), parent);
    button->setGeometry(left, 136, 75, 25);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

bool isEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

Tfrm_Teszt_Szerkeszt::Tfrm_Teszt_Szerkeszt(TMemTable& ds, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QLatin1String(FormName));
    setWindowTitle(QStringLiteral("Szerkeszt"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(TesztDesignFont());
    setFixedSize(459, 178);
    createControls(ds);
    DBEdit1->setFocus();
}

Tfrm_Teszt_Szerkeszt::~Tfrm_Teszt_Szerkeszt() = default;

void Tfrm_Teszt_Szerkeszt::createControls(TMemTable& ds) {
    Label1 = makeLabel(this,
                       "Els\xf5 nyelv (t\xf6"
                       "bb sz\xf3 vessz\xf5vel elv\xe1lasztva)",
                       20);
    DBEdit1 = makeEdit(this, ds, "nyelv1", 36);
    Label2 = makeLabel(this,
                       "M\xe1sodik nyelv (t\xf6"
                       "bb sz\xf3 vessz\xf5vel elv\xe1lasztva)",
                       68);
    DBEdit2 = makeEdit(this, ds, "nyelv2", 84);
    Button3 = makeButton(this, "OK", 284);
    Button4 = makeButton(this, "M\xe9gsem", 364);
    Label1->setBuddy(DBEdit1);
    Label2->setBuddy(DBEdit2);
    setTabOrder(DBEdit1, DBEdit2);
    setTabOrder(DBEdit2, Button3);
    setTabOrder(Button3, Button4);
    connect(Button3, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    // Every key reaches the dialog before the focused control.
    for (QWidget* control : {static_cast<QWidget*>(DBEdit1), static_cast<QWidget*>(DBEdit2),
                             static_cast<QWidget*>(Button3), static_cast<QWidget*>(Button4)})
        control->installEventFilter(this);
}

void Tfrm_Teszt_Szerkeszt::showEvent(QShowEvent* event) {
    if (!positioned_) {
        positioned_ = true;
        QFont sized = font();
        sized.setPointSize(Beall().BetuMeret);
        setFont(sized);
        // The labels size themselves to their text, in the font they show now.
        Label1->adjustSize();
        Label2->adjustSize();
        // Used as stored: a position off the screen stays off the screen.
        restorePosition(*this, config().BeallitasFile, FormName);
    }
    QDialog::showEvent(event);
}

bool Tfrm_Teszt_Szerkeszt::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (handleKey(watched, static_cast<const QKeyEvent&>(*event)))
            return true;
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == DBEdit1 || watched == DBEdit2)
            setFocusColour(static_cast<TDBEdit*>(watched), event->type() == QEvent::FocusIn);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// Enter moves on in tab order, except that a focused button takes it as a press; Esc is
// "Mégsem" wherever the focus is.
bool Tfrm_Teszt_Szerkeszt::handleKey(QObject* watched, const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape) {
        Button4->click();
        return true;
    }
    if (!isEnter(key))
        return false;
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        button->click();
        return true;
    }
    // Shown as Tab shows it: the button Enter reaches shows its focus frame, so the next
    // Enter is seen to confirm.
    setAttribute(Qt::WA_KeyboardFocusChange);
    focusNextPrevChild(true);
    return true;
}

void Tfrm_Teszt_Szerkeszt::setFocusColour(TDBEdit* edit, bool focused) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base,
                     focused ? FocusColor : QApplication::palette(edit).color(QPalette::Base));
    edit->setPalette(palette);
}

// The caller posts as soon as the dialog is gone, so OK writes the edits' texts first, also
// when the focus never left the last edit. A text the field refuses keeps the dialog open.
void Tfrm_Teszt_Szerkeszt::done(int result) {
    if (result == QDialog::Accepted) {
        try {
            DBEdit1->updateRecord();
            DBEdit2->updateRecord();
        } catch (const std::exception& error) {
            ProgramErrorBox(error, this);
            return;
        }
    }
    savePosition();
    QDialog::done(result);
}

void Tfrm_Teszt_Szerkeszt::savePosition() {
    try {
        storePosition(*this, config().BeallitasFile, FormName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, this);
    }
}

QFont TesztDesignFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    return font;
}

bool ParSzerkesztes(TMemTable& ds, QWidget* owner) {
    Tfrm_Teszt_Szerkeszt dialog(ds, owner);
    return dialog.exec() == QDialog::Accepted;
}

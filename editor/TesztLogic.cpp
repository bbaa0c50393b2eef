#include "editor/TesztLogic.h"

#include "data/FieldSets.h"
#include "editor/CsvImport.h"
#include "platform/Cp1250.h"
#include "ui/MessageBoxes.h"

#include <QFileInfo>

namespace {

constexpr std::string_view KerdesCaption = "K\xe9rd\xe9s";
constexpr std::string_view NincsMentveText = "File nincs mentve. Elmentsem?";
constexpr std::string_view MegerositesCaption = "Meger\xf5s\xedt\xe9s";

constexpr const char* TesztFilter = "Teszt \xe1llom\xe1nyok (*.ask)|*.ask|Minden file (*.*)|*.*";
constexpr const char* CsvFilter = "CSV file-ok (*.csv)|*.csv|Minden file (*.*)|*.*";

FileDialogSettings fileDialog(const char* filter, const char* extension, bool mustExist) {
    FileDialogSettings dialog;
    dialog.filter = filter;
    dialog.defaultExtension = QString::fromLatin1(extension);
    dialog.mustExist = mustExist;
    return dialog;
}

// "A ...\lecke.ask már létezik. Felülírjam?"
std::string overwriteQuestion(const QString& path) {
    return "A ...\\" + toCp1250(QFileInfo(path).fileName()) +
           " m\xe1r l\xe9tezik. Fel\xfcl\xedrjam?";
}

// floor(n / 2) for negative n too.
int halfDown(int n) {
    return n >= 0 ? n / 2 : -((1 - n) / 2);
}

} // namespace

void openEditorTable(TMemTable& table) {
    DefineEditorFields(table);
    table.Open();
    table.SortOn("nyelv1", TOption::CaseInsensitive);
}

TesztLogic::TesztLogic(TesztPrompts& prompts, QObject* parent)
    : QObject(parent)
    , prompts_(prompts)
    , tbl_("Tbl")
    , openDialog1_(fileDialog(TesztFilter, "ask", true))
    , saveDialog1_(fileDialog(TesztFilter, "ask", false))
    , openDialog2_(fileDialog(CsvFilter, "csv", true)) {
    tbl_.AfterPost = [this](TMemTable& table) { TblAfterPostDelete(table); };
    tbl_.AfterDelete = [this](TMemTable& table) { TblAfterPostDelete(table); };
    tbl_.AfterScroll = [this](TMemTable& table) { TblAfterScroll(table); };
    tbl_.AddObserver(this);
    openEditorTable(tbl_);
}

TesztLogic::~TesztLogic() {
    tbl_.RemoveObserver(this);
    tbl_.AfterPost = nullptr;
    tbl_.AfterDelete = nullptr;
    tbl_.AfterScroll = nullptr;
    tbl_.Close();
}

QString TesztLogic::TitleText() const {
    if (fileName_.isEmpty())
        return fromCp1250(NevtelenTeszt);
    return QFileInfo(fileName_).fileName();
}

// ---- commands ---------------------------------------------------------------------------

void TesztLogic::aUjExecute() {
    for (;;) {
        tbl_.Insert();
        tbl_.SetFieldValue("hanyszor", std::int32_t(1));
        if (!prompts_.ParSzerkesztes(tbl_)) {
            tbl_.Cancel();
            return;
        }
        tbl_.Post();
        modified_ = true;
    }
}

void TesztLogic::aSzerkesztExecute() {
    tbl_.Edit();
    if (!prompts_.ParSzerkesztes(tbl_)) {
        tbl_.Cancel();
        return;
    }
    tbl_.Post();
    modified_ = true;
}

void TesztLogic::aTorolExecute() {
    tbl_.Delete();
    modified_ = true;
}

void TesztLogic::aUjTesztExecute() {
    if (!MentesiKerdes())
        return;
    tbl_.EmptyTable();
    // EmptyTable reports nothing, and the grid is empty now: the position must not keep
    // naming a record that is gone.
    refreshPosition();
}

void TesztLogic::aMegnyitExecute() {
    if (!MentesiKerdes())
        return;
    if (!prompts_.OpenDialog(openDialog1_))
        return;
    load(openDialog1_.fileName);
}

void TesztLogic::aMentesExecute() {
    Mentes();
}

void TesztLogic::aMentesMaskentExecute() {
    if (chooseSaveName())
        Mentes();
}

void TesztLogic::aImportExecute() {
    if (prompts_.OpenDialog(openDialog2_))
        importCsvFile(tbl_, openDialog2_.fileName);
}

bool TesztLogic::Mentes() {
    if (fileName_.isEmpty() && !chooseSaveName())
        return false;
    write();
    return true;
}

bool TesztLogic::MentesiKerdes() {
    if (!modified_)
        return true;
    switch (prompts_.IgenNemMegse(NincsMentveText, KerdesCaption)) {
    case IDYES:
        return Mentes();
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool TesztLogic::FormCloseQuery() {
    return MentesiKerdes();
}

// ---- search and sorting -----------------------------------------------------------------

void TesztLogic::TitleClick(std::string_view fieldName) {
    search_.TitleClick(fieldName);
    // The current record keeps its place in the new order but its number changes; SortOn
    // fires no event of its own.
    refreshPosition();
}

int TesztLogic::ColumnWidth(int gridWidth) {
    const int twice = gridWidth - 40;
    const int lower = halfDown(twice);
    if (twice % 2 == 0 || lower % 2 == 0)
        return lower;
    return lower + 1;
}

// ---- table events -----------------------------------------------------------------------

void TesztLogic::TblAfterPostDelete(TMemTable& table) {
    modified_ = true;
    TblAfterScroll(table);
}

// While the table's controls are off (a file is loading) the position would change once
// per record; it is brought up to date when the controls come back.
void TesztLogic::TblAfterScroll(TMemTable& table) {
    if (table.ControlsDisabled()) {
        positionStale_ = true;
        return;
    }
    refreshPosition();
}

void TesztLogic::tableChanged(TMemTable&, Change change) {
    if (positionStale_ && (change == Change::DataSet || change == Change::Active))
        refreshPosition();
}

void TesztLogic::refreshPosition() {
    positionStale_ = false;
    if (RefreshPositionText(tbl_, positionText_))
        Q_EMIT positionChanged();
}

// ---- files ------------------------------------------------------------------------------

void TesztLogic::setFileName(const QString& path) {
    if (path == fileName_)
        return;
    fileName_ = path;
    Q_EMIT fileNameChanged();
}

// Steps 2 to 4 of the save step: the dialog (proposing the current file), the overwrite
// question, the new name.
bool TesztLogic::chooseSaveName() {
    if (!fileName_.isEmpty())
        saveDialog1_.fileName = fileName_;
    if (!prompts_.SaveDialog(saveDialog1_))
        return false;
    const QString path = saveDialog1_.fileName;
    if (QFileInfo::exists(path) && !prompts_.IgenNem(overwriteQuestion(path), MegerositesCaption))
        return false;
    setFileName(path);
    return true;
}

void TesztLogic::write() {
    tbl_.SaveToFile(fileName_);
    modified_ = false;
}

// A file that could not be read leaves the test untitled: keeping its name would let the
// next "Mentés" replace it, unasked, with whatever part of it was read.
void TesztLogic::load(const QString& path) {
    setFileName(path);
    tbl_.EmptyTable();
    try {
        tbl_.LoadFromFile(path);
    } catch (...) {
        setFileName(QString());
        refreshPosition();
        throw;
    }
}

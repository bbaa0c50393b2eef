#include "download/LetoltLogic.h"

#include "download/Catalogue.h"
#include "platform/Cp1250.h"
#include "ui/TextRoutines.h"

#include <cstdint>

namespace {

constexpr const char* TesztFilter = "Teszt \xe1llom\xe1nyok (*.ask)|*.ask|Minden file (*.*)|*.*";
constexpr std::size_t ProposedNameLimit = 100;

// round(numerator / 100) with halves to the even neighbour, for numerator >= 0.
int roundHundredthsHalfEven(std::int64_t numerator) {
    const std::int64_t whole = numerator / 100;
    const std::int64_t rest = numerator % 100;
    if (rest > 50 || (rest == 50 && whole % 2 != 0))
        return int(whole + 1);
    return int(whole);
}

// The same for a negative numerator, by symmetry: round(-x) = -round(x) for half to even.
int roundHalfEven(std::int64_t numerator) {
    return numerator >= 0 ? roundHundredthsHalfEven(numerator)
                          : -roundHundredthsHalfEven(-numerator);
}

} // namespace

LetoltLogic::LetoltLogic(LetoltPrompts& prompts, LetoltSettings settings, QObject* parent)
    : QObject(parent)
    , prompts_(prompts)
    , settings_(std::move(settings))
    , tbl_("Tbl") {
    saveDialog1_.filter = TesztFilter;
    saveDialog1_.mustExist = false;
    saveDialog1_.initialDir = settings_.SaveFolder;
    tbl_.AfterScroll = [this](TMemTable& table) {
        // While a file loads, the position would change once per record; the command
        // brings it up to date at its end.
        if (!table.ControlsDisabled())
            refreshPosition();
    };
}

LetoltLogic::~LetoltLogic() {
    tbl_.AfterScroll = nullptr;
    tbl_.Close();
}

void LetoltLogic::Megnyitas() {
    try {
        loadLocalCatalogue(tbl_, localCatalogueFile(settings_.DataFolder));
    } catch (...) {
        refreshPosition();
        throw;
    }
    refreshPosition();
}

bool LetoltLogic::aFrissitExecute() {
    const DownloadResult result =
        refreshCatalogue(tbl_, settings_.CatalogueUrl, settings_.DataFolder, settings_.Download);
    refreshPosition();
    return result.Ok;
}

bool LetoltLogic::aLetoltExecute() {
    saveDialog1_.fileName = fromCp1250(ProposedFileName(Link()));
    if (!prompts_.SaveDialog(saveDialog1_))
        return false;
    const QString path = saveDialog1_.fileName;
    if (!UrlLetoltes(fromCp1250(Link()), path, settings_.Download))
        return false;
    resultPath_ = path;
    return true;
}

void LetoltLogic::TitleClick(std::string_view fieldName) {
    search_.TitleClick(fieldName);
    // The current record keeps its place in the new order but its number changes.
    refreshPosition();
}

std::string LetoltLogic::Link() const {
    if (!tbl_.Active() || tbl_.FindField("link") == nullptr)
        return {};
    return VarSzoveg(tbl_.FieldValue("link"), "");
}

std::string LetoltLogic::ProposedFileName(std::string_view link) {
    const std::size_t separator = link.find_last_of("\\/");
    const std::string_view name =
        separator == std::string_view::npos ? link : link.substr(separator + 1);
    return std::string(name.substr(0, ProposedNameLimit));
}

std::array<int, 3> LetoltLogic::ColumnWidths(int gridWidth) {
    const std::int64_t inner = std::int64_t(gridWidth) - 40;
    return {roundHalfEven(inner * 15), roundHalfEven(inner * 30), roundHalfEven(inner * 55)};
}

void LetoltLogic::refreshPosition() {
    if (RefreshPositionText(tbl_, positionText_))
        Q_EMIT positionChanged();
}

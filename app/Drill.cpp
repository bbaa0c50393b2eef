#include "app/Drill.h"

#include "data/FieldSets.h"

#include <QFileInfo>
#include <utility>

namespace {

constexpr const char* Kesz = "K\xe9szen vagyunk....";

// The scratch table is open only while a test is being appended, also when the append fails.
class ClosesAtEnd {
public:
    explicit ClosesAtEnd(TMemTable& table)
        : table_(table) {}
    ~ClosesAtEnd() { table_.Close(); }
    ClosesAtEnd(const ClosesAtEnd&) = delete;
    ClosesAtEnd& operator=(const ClosesAtEnd&) = delete;

private:
    TMemTable& table_;
};

// Runs the changes of a pending Edit or Insert and posts them. When a change fails the
// working copy is dropped: left pending, a half-made pair would be posted by the table's
// next operation.
template <typename Change>
void postOrCancel(TMemTable& table, Change change) {
    try {
        change();
        table.Post();
    } catch (...) {
        table.Cancel();
        throw;
    }
}

} // namespace

int CardFontSize(int length, int currentSize) {
    struct Step {
        int upTo;
        int size;
    };
    static constexpr Step steps[] = {{48, 18}, {60, 14}, {70, 12}, {1000, 10}};
    for (const Step& step : steps) {
        if (length <= step.upTo)
            return step.size;
    }
    return currentSize;
}

const std::array<std::string_view, 3> Drill::KikerdezesItems = {"Els\xf5 nyelv", "M\xe1sodik nyelv",
                                                                "Vegyesen"};

Drill::Drill(TBeall& beall, QObject* parent)
    : Drill(beall, std::make_unique<SeedClock>(), nullptr, parent) {}

Drill::Drill(TBeall& beall, SeedSource& seeds, QObject* parent)
    : Drill(beall, nullptr, &seeds, parent) {}

Drill::Drill(TBeall& beall, std::unique_ptr<SeedClock> ownClock, SeedSource* seeds, QObject* parent)
    : QObject(parent)
    , beall_(beall)
    , ownClock_(std::move(ownClock))
    , random_(seeds != nullptr ? *seeds : *ownClock_)
    , tbl_("Tbl")
    , tbl1_("Tbl1") {
    DefineDrillFields(tbl_);
    DefineDrillFields(tbl1_);
    tbl_.AfterScroll = [this](TMemTable& table) { TblAfterScroll(table); };
    tbl_.AddObserver(this);
}

Drill::~Drill() {
    tbl_.RemoveObserver(this);
    tbl_.AfterScroll = nullptr;
}

void Drill::TesztMegnyitas(const QString& path, bool append) {
    random_.Reseed();
    if (append)
        appendTest(path);
    else
        replaceTest(path);
    shuffle();
    restartCounters();
    setCommandsEnabled(true);
    setStatusPanel(0, QFileInfo(path).fileName());
    // The direction applies from the next "OK, jöhet a következő" on.
    bind("nyelv1", "nyelv2");
    setEmphasis(Emphasis::Megnezem);
    beall_.UtolsoFile = path;
    setStatusPanel(1, QStringLiteral("Enter a következő szóért"));
}

void Drill::replaceTest(const QString& path) {
    tbl_.Close();
    tbl_.Open();
    tbl_.LoadFromFile(path);
}

void Drill::appendTest(const QString& path) {
    // Opened empty, so that exactly the pairs of the file are appended.
    tbl1_.Close();
    tbl1_.Open();
    const ClosesAtEnd scratch(tbl1_);
    tbl1_.LoadFromFile(path);
    const QuietControls quiet(tbl_);
    for (tbl1_.First(); !tbl1_.Eof(); tbl1_.Next())
        appendScratchPair();
}

void Drill::appendScratchPair() {
    const TValue nyelv1 = tbl1_.FieldValue("nyelv1");
    const TValue nyelv2 = tbl1_.FieldValue("nyelv2");
    random_.Reseed();
    tbl_.Insert();
    postOrCancel(tbl_, [&] {
        tbl_.SetFieldValue("sorszam", static_cast<std::int32_t>(random_.Below(ShuffleKeyRange)));
        tbl_.SetFieldValue("nyelv1", nyelv1);
        tbl_.SetFieldValue("nyelv2", nyelv2);
    });
}

// Every pair gets a new random key while the order is by nyelv1, where rewriting the key
// moves nothing; the final sort on the keys keeps the current pair (the last in nyelv1
// order) current, so the drill starts there.
void Drill::shuffle() {
    const QuietControls quiet(tbl_);
    tbl_.SortOn("nyelv1");
    tbl_.First();
    while (!tbl_.Eof()) {
        random_.Reseed();
        tbl_.Edit();
        postOrCancel(tbl_, [&] {
            tbl_.SetFieldValue("sorszam",
                               static_cast<std::int32_t>(random_.Below(ShuffleKeyRange)));
        });
        tbl_.Next();
    }
    tbl_.SortOn("sorszam");
}

void Drill::restartCounters() {
    osszesSzo_ = tbl_.RecordCount();
    beall_.Tudom = 0;
    beall_.NemTudom = osszesSzo_;
    Q_EMIT countersChanged();
}

void Drill::aEztMarTudomExecute() {
    if (!commandsEnabled_)
        return;
    tbl_.Delete();
    setAnswerVisible(false);
    if (tbl_.Eof())
        tbl_.First();
    ++beall_.Tudom;
    --beall_.NemTudom;
    Q_EMIT countersChanged();
    setEmphasis(Emphasis::Megnezem);
    if (tbl_.RecordCount() == 0) {
        setCommandsEnabled(false);
        Q_EMIT finished(Kesz);
    }
}

void Drill::aMegnezemExecute() {
    if (commandsEnabled_)
        setAnswerVisible(true);
}

void Drill::aJohetaKovetkezoExecute() {
    if (!commandsEnabled_)
        return;
    // Chosen before the move, so the binding applies to the pair that becomes current.
    bindByDirection();
    setAnswerVisible(false);
    tbl_.Next();
    if (tbl_.Eof())
        tbl_.First();
}

void Drill::bindByDirection() {
    switch (kikerdezes_) {
    case ElsoNyelv:
        bind("nyelv1", "nyelv2");
        break;
    case MasodikNyelv:
        bind("nyelv2", "nyelv1");
        break;
    case Vegyesen:
        if (random_.SeededBelow(10) % 2 == 1)
            bind("nyelv1", "nyelv2");
        else
            bind("nyelv2", "nyelv1");
        break;
    default:
        break;
    }
}

void Drill::FormKeyPress(char key) {
    if (key != '\r')
        return;
    if (emphasis_ == Emphasis::Megnezem) {
        aMegnezemExecute();
        setEmphasis(Emphasis::Johet);
    } else {
        aJohetaKovetkezoExecute();
        setEmphasis(Emphasis::Megnezem);
    }
}

void Drill::TblAfterScroll(TMemTable& table) {
    (void)table;
    questionFontSize_ = CardFontSize(static_cast<int>(DBText1Text().size()), questionFontSize_);
    answerFontSize_ = CardFontSize(static_cast<int>(DBText2Text().size()), answerFontSize_);
    Q_EMIT cardChanged();
}

QString Drill::StatusPanelText(int panel) const {
    if (panel < 0 || panel >= static_cast<int>(statusPanels_.size()))
        return {};
    return statusPanels_[static_cast<std::size_t>(panel)];
}

void Drill::tableChanged(TMemTable& table, Change change) {
    (void)table;
    (void)change;
    Q_EMIT cardChanged();
}

void Drill::setCommandsEnabled(bool enabled) {
    if (commandsEnabled_ == enabled)
        return;
    commandsEnabled_ = enabled;
    Q_EMIT commandsEnabledChanged(enabled);
}

void Drill::setStatusPanel(int panel, const QString& text) {
    statusPanels_[static_cast<std::size_t>(panel)] = text;
    Q_EMIT statusChanged();
}

// A new binding changes the texts the labels show, not their font sizes.
void Drill::bind(std::string question, std::string answer) {
    questionField_ = std::move(question);
    answerField_ = std::move(answer);
    Q_EMIT cardChanged();
}

void Drill::setAnswerVisible(bool visible) {
    answerVisible_ = visible;
    Q_EMIT cardChanged();
}

void Drill::setEmphasis(Emphasis emphasis) {
    emphasis_ = emphasis;
    Q_EMIT emphasisChanged();
}

// What a label bound to the field shows: the current pair's value (the working copy's
// during Edit and Insert), nothing when there is no pair or no such field.
std::string Drill::labelText(const std::string& field) const {
    if (!tbl_.Active())
        return {};
    const TField* bound = tbl_.FindField(field);
    if (bound == nullptr)
        return {};
    const TDataSetState state = tbl_.State();
    const bool workingCopy = state == TDataSetState::Edit || state == TDataSetState::Insert;
    if (!workingCopy && tbl_.IsEmpty())
        return {};
    return bound->AsString();
}

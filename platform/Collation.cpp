#include "platform/Collation.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <unicode/ucol.h>
#include <unicode/uset.h>

namespace {

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

struct SetCloser {
    void operator()(USet* set) const { uset_close(set); }
};

// Every byte of code page 1250 is one UTF-16 unit, so a table converts much faster than a
// codec, which matters when a million keys are made.
const std::array<char16_t, 256>& utf16Table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString s = fromCp1250(std::string_view(&c, 1));
            t[size_t(b)] = s.size() == 1 ? char16_t(s.at(0).unicode()) : u'\uFFFD';
        }
        return t;
    }();
    return table;
}

void toUtf16(std::string_view text, std::u16string& out) {
    const auto& table = utf16Table();
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = table[static_cast<unsigned char>(text[i])];
}

std::u16string& scratch(int which) {
    thread_local std::array<std::u16string, 2> buffers;
    return buffers[size_t(which)];
}

// ICU names locales with underscores: "hu_HU", "zh_Hant_TW".
std::string localeIdOf(const QLocale& locale) {
    QByteArray name = locale.bcp47Name().toLatin1();
    name.replace('-', '_');
    return name.toStdString();
}

CollatorPtr openCollator(const std::string& localeId, bool caseInsensitive) {
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr collator(ucol_open(localeId.c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    // QCollator's attributes: canonical equivalents are equal, digits sort as characters,
    // punctuation counts; ignoring case is secondary strength, which keeps accents.
    ucol_setAttribute(collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator.get(), UCOL_STRENGTH,
                      caseInsensitive ? UCOL_SECONDARY : UCOL_DEFAULT_STRENGTH, &status);
    ucol_setAttribute(collator.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    return U_FAILURE(status) ? nullptr : std::move(collator);
}

[[noreturn]] void collationFailed() {
    throw VembaError("Invalid locale.");
}

// A contraction as code page 1250 text, or empty when it holds a character that the code page
// lacks or when it is a single character (an accented letter is a contraction of its parts).
std::string contractionText(const UChar* units, int32_t length) {
    const QString nfc = QString::fromUtf16(units, length).normalized(QString::NormalizationForm_C);
    if (nfc.size() < 2)
        return {};
    const std::string bytes = toCp1250(nfc);
    return fromCp1250(bytes) == nfc ? bytes : std::string();
}

} // namespace

struct Collation::Engine {
    CollatorPtr exact;
    CollatorPtr ignoringCase;
    std::once_flag contractionsFound;
    std::vector<std::string> contractions;

    const UCollator& collator(bool caseInsensitive) const {
        const UCollator* c = caseInsensitive ? ignoringCase.get() : exact.get();
        if (!c)
            collationFailed();
        return *c;
    }

    void findContractions();
};

// Without the full list a prefix search could miss records, so a failure is the collation's.
void Collation::Engine::findContractions() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<USet, SetCloser> set(uset_openEmpty());
    ucol_getContractionsAndExpansions(&collator(false), set.get(), nullptr, true, &status);
    if (U_FAILURE(status))
        collationFailed();
    std::array<UChar, 64> units{};
    const int32_t items = uset_getItemCount(set.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        UErrorCode itemStatus = U_ZERO_ERROR;
        const int32_t length = uset_getItem(set.get(), i, &start, &end, units.data(),
                                            int32_t(units.size()), &itemStatus);
        if (U_FAILURE(itemStatus) || length <= 0)
            continue;
        std::string text = contractionText(units.data(), length);
        if (!text.empty())
            contractions.push_back(std::move(text));
    }
    // Different code points (such as two middle dots) can give the same code page text.
    std::sort(contractions.begin(), contractions.end());
    contractions.erase(std::unique(contractions.begin(), contractions.end()), contractions.end());
}

Collation::Collation(const QLocale& locale)
    : Collation(ById(), localeIdOf(locale)) {}

Collation::Collation(ById, std::string localeId)
    : engine_(std::make_shared<Engine>())
    , localeId_(std::move(localeId)) {
    engine_->exact = openCollator(localeId_, false);
    engine_->ignoringCase = openCollator(localeId_, true);
}

Collation Collation::fromLocaleId(std::string localeId) {
    return Collation(ById(), std::move(localeId));
}

int Collation::compare(std::string_view a, std::string_view b, bool caseInsensitive) const {
    const UCollator& c = engine_->collator(caseInsensitive);
    std::u16string& ua = scratch(0);
    std::u16string& ub = scratch(1);
    toUtf16(a, ua);
    toUtf16(b, ub);
    const UCollationResult r =
        ucol_strcoll(&c, ua.data(), int32_t(ua.size()), ub.data(), int32_t(ub.size()));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

void Collation::appendSortKey(std::string_view text, bool caseInsensitive, std::string& key) const {
    const UCollator& c = engine_->collator(caseInsensitive);
    std::u16string& units = scratch(0);
    toUtf16(text, units);
    const size_t start = key.size();
    int32_t room = int32_t(units.size() * 4 + 16);
    for (;;) {
        key.resize(start + size_t(room));
        auto* out = reinterpret_cast<uint8_t*>(key.data() + start);
        const int32_t needed = ucol_getSortKey(&c, units.data(), int32_t(units.size()), out, room);
        if (needed == 0) // even an empty text has a key of its level separators
            collationFailed();
        if (needed <= room) {
            // The service ends every key with a NUL, which the byte comparison does not need.
            key.resize(start + size_t(needed - 1));
            return;
        }
        room = needed;
    }
}

Collation::KeyBounds Collation::letterPrefixBounds(std::string_view text) const {
    std::string key;
    appendSortKey(text, true, key);
    key.push_back('\0'); // the service reads the key up to its NUL
    const auto* source = reinterpret_cast<const uint8_t*>(key.data());
    KeyBounds bounds;
    auto bound = [&](UColBoundMode mode, std::string& out) {
        int32_t room = int32_t(key.size()) + 8;
        for (;;) {
            out.resize(size_t(room));
            UErrorCode status = U_ZERO_ERROR;
            const int32_t needed = ucol_getBound(
                source, -1, mode, 1, reinterpret_cast<uint8_t*>(out.data()), room, &status);
            if (needed > 0 && needed <= room && U_SUCCESS(status)) {
                out.resize(size_t(needed - 1));
                return;
            }
            if (needed <= room)
                collationFailed();
            room = needed;
        }
    };
    bound(UCOL_BOUND_LOWER, bounds.lower);
    bound(UCOL_BOUND_UPPER_LONG, bounds.upper);
    return bounds;
}

const std::vector<std::string>& Collation::contractions() const {
    std::call_once(engine_->contractionsFound, [this] { engine_->findContractions(); });
    return engine_->contractions;
}

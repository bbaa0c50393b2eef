#include "data/MemTable.h"

#include "data/OrderList.h"
#include "platform/Cp1250.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr std::string_view ClosedMessage = "Cannot perform this operation on a closed dataset";
constexpr std::string_view EmptyMessage = "Cannot perform this operation on an empty dataset";
constexpr std::string_view NotEditingMessage = "Dataset not in edit or insert mode";
constexpr std::string_view NotEditModeMessage = "Dataset is not in edit mode.";
constexpr std::string_view OpenMessage = "Cannot perform this operation on an open dataset";

// Below this many records the second thread costs more than it saves.
constexpr size_t ParallelSortThreshold = 20000;
// The binary search of Locate pays off only above this many records.
constexpr int BinarySearchThreshold = 20;

bool storedAsInteger(TFieldType type) {
    return type == TFieldType::Integer || type == TFieldType::SmallInt ||
           type == TFieldType::Word || type == TFieldType::AutoInc;
}

std::string format1(std::string_view pattern, std::string_view a) {
    std::string out;
    const size_t at = pattern.find("%s");
    out.append(pattern.substr(0, at)).append(a).append(pattern.substr(at + 2));
    return out;
}

VembaError invalidInteger(std::string_view text, const TField& field) {
    return VembaError("'" + std::string(text) + "' is not a valid integer value for field '" +
                      field.DisplayName() + "'");
}

VembaError indexError(int index) {
    return VembaError("List index out of bounds (" + std::to_string(index) + ")");
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A whole decimal number with an optional sign; blanks around it are allowed. Nothing for
// anything else, including numbers outside the 32-bit range.
std::optional<std::int32_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-'))
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb && (ca | 0x20) != (cb | 0x20))
            return false;
        if (ca != cb && ((ca | 0x20) < 'a' || (ca | 0x20) > 'z'))
            return false;
    }
    return true;
}

bool namesEqual(std::string_view a, std::string_view b) {
    if (asciiEqualIgnoringCase(a, b))
        return true;
    // Accented letters: the letters must be the same, their case may differ. A full collation
    // comparison would also equate texts such as "ccs" and "cscs", which no user means as one
    // name.
    return fromCp1250(a).compare(fromCp1250(b), Qt::CaseInsensitive) == 0;
}

// Lower-case forms of code page 1250 characters, for comparing letters regardless of case.
const std::array<char, 256>& lowerTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const std::string lower = toCp1250(fromCp1250(std::string_view(&c, 1)).toLower());
            t[size_t(b)] = lower.size() == 1 && lower[0] != '?' ? lower[0] : c;
        }
        return t;
    }();
    return table;
}

// Whether text is a proper prefix of letter, case ignored.
bool beginsLetter(std::string_view text, std::string_view letter) {
    if (text.size() >= letter.size())
        return false;
    const auto& lower = lowerTable();
    for (size_t i = 0; i < text.size(); ++i)
        if (lower[static_cast<unsigned char>(text[i])] !=
            lower[static_cast<unsigned char>(letter[i])])
            return false;
    return true;
}

// ---- Record encoding -------------------------------------------------------------------
//
// A stored record is one byte string: for every field in order a tag, then the value. The tag
// is a variable-length number: 0 is null; an integer field has 1 followed by four bytes; a
// string field has its length + 1 followed by the characters.

void putTag(std::string& out, std::uint32_t tag) {
    while (tag >= 0x80) {
        out.push_back(char((tag & 0x7F) | 0x80));
        tag >>= 7;
    }
    out.push_back(char(tag));
}

std::uint32_t takeTag(const char*& p) {
    std::uint32_t tag = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*p++);
        tag |= std::uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return tag;
        shift += 7;
    }
}

struct StoredValue {
    bool null = true;
    std::int32_t number = 0;
    std::string_view text;
};

// ---- Record storage --------------------------------------------------------------------
//
// Records live in large chunks rather than one allocation each, which keeps a million-record
// test compact and quick to load. A slot names a record; freed slots are reused last in,
// first out. Every record that takes a slot gets a new serial number, so a marker of a deleted
// record never names the record that reuses its slot.
class RecordStore {
public:
    std::uint32_t add(std::string_view bytes) {
        std::uint32_t slot;
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        } else {
            slot = std::uint32_t(slots_.size());
            slots_.emplace_back();
        }
        Slot& s = slots_[slot];
        place(bytes, s);
        s.serial = nextSerial();
        live_ += bytes.size();
        ++count_;
        return slot;
    }

    void replace(std::uint32_t slot, std::string_view bytes) {
        Slot& s = slots_[slot];
        live_ += bytes.size();
        live_ -= s.length;
        if (bytes.size() <= s.length) {
            std::memcpy(chunks_[s.chunk].get() + s.offset, bytes.data(), bytes.size());
            wasted_ += s.length - bytes.size();
            s.length = std::uint32_t(bytes.size());
        } else {
            wasted_ += s.length;
            place(bytes, s);
        }
        compactIfWasteful();
    }

    void remove(std::uint32_t slot) {
        Slot& s = slots_[slot];
        live_ -= s.length;
        wasted_ += s.length;
        s = Slot{};
        free_.push_back(slot);
        --count_;
        compactIfWasteful();
    }

    void clear() {
        slots_ = std::vector<Slot>();
        free_ = std::vector<std::uint32_t>();
        chunks_ = std::vector<std::unique_ptr<char[]>>();
        used_ = capacity_ = 0;
        live_ = wasted_ = 0;
        count_ = 0;
    }

    std::string_view bytes(std::uint32_t slot) const {
        const Slot& s = slots_[slot];
        return {chunks_[s.chunk].get() + s.offset, s.length};
    }

    bool holds(std::uint32_t slot) const { return slot < slots_.size() && slots_[slot].serial; }
    std::uint32_t serial(std::uint32_t slot) const { return slots_[slot].serial; }
    std::uint32_t slotCount() const { return std::uint32_t(slots_.size()); }
    std::uint32_t count() const { return count_; }

private:
    static constexpr size_t ChunkSize = size_t(1) << 20;
    static constexpr size_t FirstChunkSize = size_t(1) << 12;

    struct Slot {
        std::uint32_t chunk = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t serial = 0; // 0: free
    };

    std::uint32_t nextSerial() {
        if (++serial_ == 0)
            ++serial_;
        return serial_;
    }

    void place(std::string_view bytes, Slot& s) {
        if (chunks_.empty() || used_ + bytes.size() > capacity_) {
            // Chunks start small and double, so a table of a few records (the scratch
            // table, a catalogue) does not take a whole large chunk.
            capacity_ = std::max(std::min(ChunkSize, std::max(FirstChunkSize, 2 * capacity_)),
                                 bytes.size());
            chunks_.push_back(std::make_unique_for_overwrite<char[]>(capacity_));
            used_ = 0;
        }
        if (!bytes.empty())
            std::memcpy(chunks_.back().get() + used_, bytes.data(), bytes.size());
        s.chunk = std::uint32_t(chunks_.size() - 1);
        s.offset = std::uint32_t(used_);
        s.length = std::uint32_t(bytes.size());
        used_ += bytes.size();
    }

    // Changed and deleted records leave their old bytes behind; once those outweigh the live
    // records the live ones are copied together.
    void compactIfWasteful() {
        if (wasted_ < 4 * ChunkSize || wasted_ < live_)
            return;
        std::vector<std::unique_ptr<char[]>> old;
        old.swap(chunks_);
        used_ = capacity_ = 0;
        for (Slot& s : slots_) {
            if (!s.serial)
                continue;
            const std::string_view bytes(old[s.chunk].get() + s.offset, s.length);
            place(bytes, s);
        }
        wasted_ = 0;
    }

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    size_t used_ = 0;
    size_t capacity_ = 0;
    size_t live_ = 0;
    size_t wasted_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t serial_ = 0;
};

// ---- Sorting ---------------------------------------------------------------------------

struct SortEntry {
    std::uint64_t head; // the first eight key bytes, big-endian, so most comparisons are cheap
    const char* key;
    std::uint32_t length;
    std::uint32_t slot;
};

bool operator<(const SortEntry& a, const SortEntry& b) {
    if (a.head != b.head)
        return a.head < b.head;
    const int c = std::string_view(a.key, a.length).compare(std::string_view(b.key, b.length));
    return c != 0 ? c < 0 : a.slot < b.slot;
}

std::uint64_t keyHead(std::string_view key) {
    std::uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i)
        head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
}

} // namespace

// ---- The table -------------------------------------------------------------------------

struct TMemTable::Impl {
    // A value of the working copy. Strings keep their buffers between records, so a load
    // does not allocate per value.
    struct WorkValue {
        bool null = true;
        std::int32_t number = 0;
        std::string text;
    };

    struct SortSpec {
        std::vector<int> fields;
        bool caseInsensitive = false;
    };

    enum class NewRecord { Insert, Append };

    Impl(TMemTable& table, std::string tableName, Collation coll)
        : self(table)
        , name(std::move(tableName))
        , collation(std::move(coll)) {}

    TMemTable& self;
    std::string name;
    Collation collation;

    std::vector<std::unique_ptr<TField>> fields;
    std::vector<char> integerField; // per field: stored as an integer
    std::vector<TIndexDef> indexDefs;

    RecordStore store;
    OrderList rowOrder;
    OrderList sortOrder;
    std::optional<SortSpec> sort;

    TDataSetState state = TDataSetState::Inactive;
    int pos = 0;
    bool bof = true;
    bool eof = true;

    // The change in progress.
    std::vector<WorkValue> work;
    bool modified = false;
    NewRecord newRecord = NewRecord::Insert;
    int changePos = 0;       // cursor position when Edit/Insert/Append began
    bool hadCurrent = false; // Insert: a record was current
    bool fromLoader = false; // begun by a load, which fills every value itself
    std::uint32_t editSlot = 0;
    std::string encoded; // reused encoding buffer

    int disabled = 0;
    int loading = 0;
    std::vector<TableObserver*> observers;
    int notifying = 0;

    // -- basics

    [[noreturn]] void fail(std::string_view message) const { throw tableError(self, message); }

    void requireActive() const {
        if (state == TDataSetState::Inactive)
            fail(ClosedMessage);
    }

    bool editing() const { return state == TDataSetState::Edit || state == TDataSetState::Insert; }

    const OrderList& order() const { return sort ? sortOrder : rowOrder; }
    OrderList& order() { return sort ? sortOrder : rowOrder; }
    int count() const { return int(order().size()); }

    bool hasCurrent() const {
        return state != TDataSetState::Inactive && state != TDataSetState::Insert && count() > 0;
    }
    std::uint32_t currentSlot() const { return order()[size_t(pos)]; }

    TField* find(std::string_view fieldName) const {
        for (const auto& f : fields)
            if (asciiEqualIgnoringCase(f->FieldName(), fieldName))
                return f.get();
        for (const auto& f : fields)
            if (namesEqual(f->FieldName(), fieldName))
                return f.get();
        return nullptr;
    }

    TField& byName(std::string_view fieldName) const {
        if (TField* f = find(fieldName))
            return *f;
        fail(format1("Field '%s' not found", fieldName));
    }

    // -- observers and events

    void notify(TableObserver::Change change) {
        if (disabled == 0)
            tellObservers([&](TableObserver& o) { o.tableChanged(self, change); });
    }

    // Asked also while controls are disabled: disabling stops refreshes, and an edit box's
    // typing must still reach the record. A record a load began holds a line of the file,
    // which no edit box shows, so nothing is asked for it.
    void askForEdits() {
        if (!fromLoader)
            tellObservers([&](TableObserver& o) { o.updateRecord(self); });
    }

    template <typename Tell>
    void tellObservers(Tell tell) {
        ++notifying;
        try {
            for (size_t i = 0; i < observers.size(); ++i)
                if (TableObserver* o = observers[i])
                    tell(*o);
        } catch (...) {
            endNotifying();
            throw;
        }
        endNotifying();
    }

    // Observers may detach while being told; their entries are cleared then and removed here.
    void endNotifying() {
        if (--notifying == 0)
            std::erase(observers, nullptr);
    }

    void fire(const std::function<void(TMemTable&)>& event) {
        if (!event)
            return;
        // A handler may assign another handler to its own event.
        const auto handler = event;
        handler(self);
    }

    // -- values

    StoredValue stored(std::uint32_t slot, int field) const {
        const std::string_view rec = store.bytes(slot);
        const char* p = rec.data();
        for (int i = 0;; ++i) {
            const std::uint32_t tag = takeTag(p);
            const bool integer = integerField[size_t(i)];
            if (i == field) {
                StoredValue v;
                if (tag == 0)
                    return v;
                v.null = false;
                if (integer)
                    std::memcpy(&v.number, p, 4);
                else
                    v.text = std::string_view(p, tag - 1);
                return v;
            }
            if (tag != 0)
                p += integer ? 4 : tag - 1;
        }
    }

    static TValue toValue(const StoredValue& v, bool integer) {
        if (v.null)
            return std::monostate();
        if (integer)
            return v.number;
        return std::string(v.text);
    }

    // The value a field shows now: of the working copy while editing, else of the current
    // record; null when there is none.
    StoredValue shown(int field) const {
        if (editing()) {
            const WorkValue& w = work[size_t(field)];
            return StoredValue{w.null, w.number, w.text};
        }
        if (!hasCurrent())
            return {};
        return stored(currentSlot(), field);
    }

    WorkValue& writable(int field) {
        if (!editing())
            fail(NotEditModeMessage);
        return work[size_t(field)];
    }

    void changed() {
        modified = true;
        notify(TableObserver::Change::Record);
    }

    void setNull(int field) {
        writable(field).null = true;
        changed();
    }

    void setNumber(int field, std::int32_t number) {
        WorkValue& w = writable(field);
        if (integerField[size_t(field)]) {
            w.null = false;
            w.number = number;
            changed();
        } else {
            setText(field, std::to_string(number));
        }
    }

    void setText(int field, std::string_view text) {
        WorkValue& w = writable(field);
        const TField& f = *fields[size_t(field)];
        if (integerField[size_t(field)]) {
            if (trimmed(text).empty()) {
                w.null = true;
            } else {
                const auto number = parseInteger(text);
                if (!number)
                    throw invalidInteger(text, f);
                w.null = false;
                w.number = *number;
            }
        } else {
            text = text.substr(0, std::min(text.find('\0'), size_t(f.Size())));
            w.null = false;
            w.text.assign(text);
        }
        changed();
    }

    void resetWork() {
        work.resize(fields.size());
        for (WorkValue& w : work)
            w.null = true;
        modified = false;
    }

    void loadWork(std::uint32_t slot) {
        resetWork();
        for (size_t i = 0; i < fields.size(); ++i) {
            const StoredValue v = stored(slot, int(i));
            WorkValue& w = work[i];
            w.null = v.null;
            w.number = v.number;
            if (!v.null && !integerField[i])
                w.text.assign(v.text);
        }
    }

    const std::string& encodeWork() {
        encoded.clear();
        for (size_t i = 0; i < fields.size(); ++i) {
            const WorkValue& w = work[i];
            if (w.null) {
                putTag(encoded, 0);
            } else if (integerField[i]) {
                putTag(encoded, 1);
                char bytes[4];
                std::memcpy(bytes, &w.number, 4);
                encoded.append(bytes, 4);
            } else {
                putTag(encoded, std::uint32_t(w.text.size()) + 1);
                encoded.append(w.text);
            }
        }
        return encoded;
    }

    // -- comparing on the sort fields

    int compareValues(const StoredValue& a, const StoredValue& b, int field,
                      bool caseInsensitive) const {
        if (a.null || b.null)
            return int(!a.null) - int(!b.null);
        if (integerField[size_t(field)])
            return (a.number > b.number) - (a.number < b.number);
        return collation.compare(a.text, b.text, caseInsensitive);
    }

    // Stored record against the working copy.
    int compareToWork(std::uint32_t slot) const {
        for (const int field : sort->fields) {
            const WorkValue& w = work[size_t(field)];
            const int c = compareValues(stored(slot, field), StoredValue{w.null, w.number, w.text},
                                        field, sort->caseInsensitive);
            if (c != 0)
                return c;
        }
        return 0;
    }

    // Where the working copy goes: in front of the first record that is not smaller.
    size_t sortedPlace() const {
        return sortOrder.partitionPoint(
            [&](std::uint32_t slot) { return compareToWork(slot) < 0; });
    }

    // A record's key on the sort fields: compared bytewise, keys order records as the field
    // comparisons do. A string field gives its collation key ended by a NUL (the key holds no
    // NUL itself), so a shorter key sorts first whatever the next field holds; a null gives
    // the NUL alone and so sorts before every text. An integer field gives NUL for null, else
    // 1 and the number biased to sort as unsigned, big-endian.
    void appendKey(const Collation& coll, std::uint32_t slot, std::string& key) const {
        for (const int field : sort->fields) {
            const StoredValue v = stored(slot, field);
            if (integerField[size_t(field)]) {
                key.push_back(v.null ? '\0' : '\x01');
                if (v.null)
                    continue;
                const std::uint32_t biased = std::uint32_t(v.number) ^ 0x80000000u;
                for (int shift = 24; shift >= 0; shift -= 8)
                    key.push_back(char((biased >> shift) & 0xFF));
            } else {
                if (!v.null)
                    coll.appendSortKey(v.text, sort->caseInsensitive, key);
                key.push_back('\0');
            }
        }
    }

    // One thread's share of a sort: the keys of its records, kept in large blocks so that
    // they are never moved, and its records sorted by key.
    class SortRun {
    public:
        void add(std::string_view key, std::uint32_t slot) {
            if (used_ + key.size() > capacity_) {
                // Blocks start small and double, as the record store's chunks do.
                capacity_ = std::max(std::min(BlockSize, std::max(FirstBlockSize, 2 * capacity_)),
                                     key.size());
                blocks_.push_back(std::make_unique_for_overwrite<char[]>(capacity_));
                used_ = 0;
            }
            char* kept = blocks_.back().get() + used_;
            std::memcpy(kept, key.data(), key.size());
            used_ += key.size();
            entries.push_back(SortEntry{keyHead(key), kept, std::uint32_t(key.size()), slot});
        }

        std::vector<SortEntry> entries;

    private:
        static constexpr size_t BlockSize = size_t(1) << 20;
        static constexpr size_t FirstBlockSize = size_t(1) << 12;
        std::vector<std::unique_ptr<char[]>> blocks_;
        size_t used_ = 0;
        size_t capacity_ = 0;
    };

    void sortRun(const Collation& coll, const std::uint32_t* slots, size_t n, SortRun& run) const {
        run.entries.reserve(n);
        std::string key;
        for (size_t i = 0; i < n; ++i) {
            key.clear();
            appendKey(coll, slots[i], key);
            run.add(key, slots[i]);
        }
        std::sort(run.entries.begin(), run.entries.end());
    }

    // Builds the sort order from every record: records are ordered by their keys, equal keys
    // by slot number. Each key is made once. On large tables a second thread, with a collator
    // of its own, makes and sorts the keys of the upper half of the slots; the two runs are
    // then merged.
    void rebuildSortOrder() {
        std::vector<std::uint32_t> slots = rowOrder.toVector();
        std::sort(slots.begin(), slots.end());
        const size_t n = slots.size();
        const size_t half = n >= ParallelSortThreshold ? n / 2 : n;
        SortRun lower;
        SortRun upper;
        if (half < n) {
            // Probing once here raises "Invalid locale." on this thread, before any work.
            collation.compare({}, {}, sort->caseInsensitive);
            const Collation own = collation.detached();
            std::exception_ptr failure;
            std::optional<std::thread> helper;
            try {
                helper.emplace([&] {
                    try {
                        sortRun(own, slots.data() + half, n - half, upper);
                    } catch (...) {
                        failure = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                // No thread to be had: this one does both halves.
                sortRun(collation, slots.data() + half, n - half, upper);
            }
            try {
                sortRun(collation, slots.data(), half, lower);
            } catch (...) {
                if (helper)
                    helper->join();
                throw;
            }
            if (helper)
                helper->join();
            if (failure)
                std::rethrow_exception(failure);
        } else {
            sortRun(collation, slots.data(), n, lower);
        }
        slots = std::vector<std::uint32_t>();
        std::vector<std::uint32_t> sorted;
        sorted.reserve(n);
        auto a = lower.entries.begin();
        auto b = upper.entries.begin();
        while (a != lower.entries.end() || b != upper.entries.end()) {
            const bool fromUpper =
                a == lower.entries.end() || (b != upper.entries.end() && *b < *a);
            sorted.push_back(fromUpper ? (b++)->slot : (a++)->slot);
        }
        sortOrder.assign(sorted);
    }

    // -- cursor

    void settle() {
        bof = eof = count() == 0;
        pos = std::clamp(pos, 0, std::max(0, count() - 1));
    }

    int positionOf(std::uint32_t slot) const {
        const size_t at = order().find(slot);
        return at == order().size() ? -1 : int(at);
    }

    void scrolled() {
        notify(TableObserver::Change::Scroll);
        fire(self.AfterScroll);
    }

    // -- changes

    void beginNew(NewRecord kind) {
        newRecord = kind;
        fromLoader = loading > 0;
        hadCurrent = count() > 0;
        changePos = kind == NewRecord::Append ? count() : (hadCurrent ? pos : 0);
        resetWork();
        state = TDataSetState::Insert;
        notify(TableObserver::Change::State);
        scrolled();
    }

    // Finishes a pending change the way navigation does: a changed working copy is posted,
    // an untouched one dropped.
    void finishPending() {
        if (!editing())
            return;
        if (modified)
            self.Post();
        else
            drop();
    }

    // Drops the working copy without an event; after an Insert the record that was current
    // before is current again.
    void drop() {
        const bool wasInsert = state == TDataSetState::Insert;
        state = TDataSetState::Browse;
        modified = false;
        if (wasInsert)
            pos = changePos;
        settle();
        notify(TableObserver::Change::State);
        notify(wasInsert ? TableObserver::Change::Scroll : TableObserver::Change::Record);
    }

    // The new place is found before anything changes, so a failing comparison leaves the
    // table as it was. It is counted with the record still in the order.
    void storeEdit() {
        const bool moves = sort && !loading && compareToWork(editSlot) != 0;
        size_t from = 0;
        size_t to = 0;
        if (moves) {
            from = sortOrder.find(editSlot);
            to = sortedPlace();
            if (to > from)
                --to;
        }
        store.replace(editSlot, encodeWork());
        if (!moves)
            return;
        sortOrder.erase(from);
        sortOrder.insert(to, editSlot);
    }

    void storeNew() {
        // The place in the sort order is found before the record is stored: it is the same,
        // and the comparisons then never meet the new record itself.
        const size_t sortAt = sort && !loading ? sortedPlace() : sortOrder.size();
        const std::uint32_t slot = store.add(encodeWork());
        if (newRecord == NewRecord::Insert && !sort && hadCurrent)
            rowOrder.insert(size_t(changePos), slot);
        else
            rowOrder.push_back(slot);
        if (sort)
            sortOrder.insert(sortAt, slot);
    }

    void removeCurrent() {
        const std::uint32_t slot = currentSlot();
        order().erase(size_t(pos));
        if (sort)
            rowOrder.erase(rowOrder.find(slot));
        store.remove(slot);
    }

    void discardRecords() {
        store.clear();
        rowOrder.clear();
        sortOrder.clear();
        pos = 0;
        bof = eof = true;
    }

    void rebuildRowOrder() {
        std::vector<std::uint32_t> slots;
        slots.reserve(store.count());
        for (std::uint32_t slot = 0; slot < store.slotCount(); ++slot)
            if (store.holds(slot))
                slots.push_back(slot);
        rowOrder.assign(slots);
    }

    // -- Locate

    struct Search {
        int field = 0;
        bool caseInsensitive = false;
        bool partial = false;
        bool integer = false;
        std::int32_t number = 0;
        std::string text;
    };

    bool matches(const Search& s, std::uint32_t slot) const {
        const StoredValue v = stored(slot, s.field);
        if (v.null)
            return false;
        if (s.integer && !s.partial)
            return v.number == s.number;
        const std::string number = s.integer ? std::to_string(v.number) : std::string();
        std::string_view text = s.integer ? std::string_view(number) : v.text;
        if (s.partial)
            text = text.substr(0, s.text.size());
        return text == s.text || collation.compare(text, s.text, s.caseInsensitive) == 0;
    }

    std::optional<int> scan(const Search& s, int from, int to) const {
        const auto& o = order();
        for (int i = from; i < to; ++i)
            if (matches(s, o[size_t(i)]))
                return i;
        return std::nullopt;
    }

    bool searchable(const Search& s) const {
        return sort && sort->fields.front() == s.field && count() > BinarySearchThreshold &&
               !(s.integer && s.partial);
    }

    template <typename Less>
    int firstNotLess(Less less) const {
        const auto& o = order();
        return int(o.partitionPoint(less));
    }

    // Nulls come first in a sort order; the first non-null record.
    int firstValue(int field) const {
        return firstNotLess([&](std::uint32_t slot) { return stored(slot, field).null; });
    }

    std::optional<int> locate(const Search& s) const {
        if (!searchable(s))
            return scan(s, 0, count());
        if (s.integer)
            return locateNumber(s);
        if (!s.partial)
            return locateText(s);
        if (s.text.empty()) {
            const int first = firstValue(s.field);
            return first < count() ? std::optional<int>(first) : std::nullopt;
        }
        return locatePrefix(s);
    }

    std::optional<int> locateNumber(const Search& s) const {
        const int at = firstNotLess([&](std::uint32_t slot) {
            const StoredValue v = stored(slot, s.field);
            return v.null || v.number < s.number;
        });
        return at < count() && matches(s, order()[size_t(at)]) ? std::optional<int>(at)
                                                               : std::nullopt;
    }

    // The records equal to the value when case is ignored if either the sort or the search
    // ignores it form one run of the sort order, since ignoring case only merges neighbours;
    // the first match lies in that run.
    std::optional<int> locateText(const Search& s) const {
        const bool coarse = s.caseInsensitive || sort->caseInsensitive;
        auto compareAt = [&](int i) {
            const StoredValue v = stored(order()[size_t(i)], s.field);
            return v.null ? -1 : collation.compare(v.text, s.text, coarse);
        };
        const int start = firstNotLess([&](std::uint32_t slot) {
            const StoredValue v = stored(slot, s.field);
            return v.null || collation.compare(v.text, s.text, coarse) < 0;
        });
        for (int i = start; i < count() && compareAt(i) == 0; ++i)
            if (matches(s, order()[size_t(i)]))
                return i;
        return std::nullopt;
    }

    // Texts that begin with the value's characters lie among the texts whose letters begin
    // with the value's letters, except where the value's last characters and what follows
    // them make one letter ("c" + "s" is the letter "cs" in Hungarian). Each such letter gives
    // one more run of the sort order to search. Within the runs the records are checked one by
    // one, so the first match found is the one a scan from the start would find.
    std::optional<int> locatePrefix(const Search& s) const {
        std::vector<std::pair<int, int>> runs{letterRun(s, s.text)};
        for (const std::string& letter : collation.contractions())
            for (size_t at = 0; at < s.text.size(); ++at)
                if (beginsLetter(std::string_view(s.text).substr(at), letter))
                    runs.push_back(letterRun(s, s.text.substr(0, at) + letter));
        std::sort(runs.begin(), runs.end());
        int scanned = 0;
        for (const auto& [from, to] : runs) {
            const int start = std::max(from, scanned);
            if (const auto found = scan(s, start, to))
                return found;
            scanned = std::max(scanned, to);
        }
        return std::nullopt;
    }

    std::pair<int, int> letterRun(const Search& s, const std::string& letters) const {
        const Collation::KeyBounds bounds = collation.letterPrefixBounds(letters);
        std::string key;
        auto keyOf = [&](std::uint32_t slot) -> const std::string* {
            const StoredValue v = stored(slot, s.field);
            if (v.null)
                return nullptr;
            key.clear();
            collation.appendSortKey(v.text, sort->caseInsensitive, key);
            return &key;
        };
        const int from = firstNotLess([&](std::uint32_t slot) {
            const std::string* k = keyOf(slot);
            return !k || *k < bounds.lower;
        });
        const int to = firstNotLess([&](std::uint32_t slot) {
            const std::string* k = keyOf(slot);
            return !k || *k <= bounds.upper;
        });
        return {from, std::max(from, to)};
    }

    Search makeSearch(const TField& field, const TValue& value, TOptions options) const {
        Search s;
        s.field = field.Index();
        s.caseInsensitive = options.testFlag(TOption::CaseInsensitive);
        s.partial = options.testFlag(TOption::PartialKey);
        s.integer = integerField[size_t(s.field)];
        if (const auto* number = std::get_if<std::int32_t>(&value)) {
            s.number = *number;
            s.text = std::to_string(*number);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            s.text = *text;
            if (s.integer && !s.partial) {
                const auto parsed = parseInteger(*text);
                if (!parsed && !trimmed(*text).empty())
                    throw invalidInteger(*text, field);
                s.number = parsed.value_or(0);
            }
        }
        return s;
    }

    // -- sort field list

    SortSpec parseSortFields(std::string_view list, TOptions options) const {
        SortSpec sortDef;
        sortDef.caseInsensitive = options.testFlag(TOption::CaseInsensitive);
        for (;;) {
            const size_t semicolon = list.find(';');
            sortDef.fields.push_back(byName(trimmed(list.substr(0, semicolon))).Index());
            if (semicolon == std::string_view::npos)
                return sortDef;
            list.remove_prefix(semicolon + 1);
        }
    }
};

// ---- TField ----------------------------------------------------------------------------

TField::TField(TMemTable& table, int index, std::string name, TFieldType type, int size)
    : table_(table)
    , index_(index)
    , name_(std::move(name))
    , type_(type)
    , size_(storedAsInteger(type) ? 0 : size) {}

TAlignment TField::Alignment() const {
    return storedAsInteger(type_) ? TAlignment::Right : TAlignment::Left;
}

void TField::SetDisplayLabel(std::string label) {
    label_ = label == name_ ? std::string() : std::move(label);
}

int TField::DisplayWidth() const {
    if (width_ != 0)
        return width_;
    return storedAsInteger(type_) ? 10 : size_;
}

std::string TField::AsString() const {
    const StoredValue v = table_.d->shown(index_);
    if (v.null)
        return {};
    return storedAsInteger(type_) ? std::to_string(v.number) : std::string(v.text);
}

void TField::SetAsString(std::string_view text) {
    table_.d->setText(index_, text);
}

std::int32_t TField::AsInteger() const {
    const StoredValue v = table_.d->shown(index_);
    if (v.null)
        return 0;
    if (storedAsInteger(type_))
        return v.number;
    const auto number = parseInteger(v.text);
    if (!number)
        throw VembaError("'" + std::string(v.text) + "' is not a valid integer value");
    return *number;
}

void TField::SetAsInteger(std::int32_t value) {
    table_.d->setNumber(index_, value);
}

TValue TField::Value() const {
    return TMemTable::Impl::toValue(table_.d->shown(index_), storedAsInteger(type_));
}

void TField::SetValue(const TValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        SetAsInteger(*number);
    else if (const auto* text = std::get_if<std::string>(&value))
        SetAsString(*text);
    else
        Clear();
}

bool TField::IsNull() const {
    return table_.d->shown(index_).null;
}

void TField::Clear() {
    table_.d->setNull(index_);
}

// ---- TMemTable -------------------------------------------------------------------------

TMemTable::TMemTable(std::string name, Collation collation)
    : d(std::make_unique<Impl>(*this, std::move(name), std::move(collation))) {}

TMemTable::~TMemTable() = default;

const std::string& TMemTable::Name() const {
    return d->name;
}

TField& TMemTable::AddField(std::string name, TFieldType type, int size, std::string label) {
    if (d->state != TDataSetState::Inactive)
        d->fail(OpenMessage);
    const int index = int(d->fields.size());
    std::unique_ptr<TField> field(new TField(*this, index, std::move(name), type, size));
    field->SetDisplayLabel(std::move(label));
    d->fields.push_back(std::move(field));
    d->integerField.push_back(storedAsInteger(type));
    return *d->fields.back();
}

void TMemTable::ClearFields() {
    if (d->state != TDataSetState::Inactive)
        d->fail(OpenMessage);
    d->fields.clear();
    d->integerField.clear();
}

int TMemTable::FieldCount() const {
    return int(d->fields.size());
}

TField& TMemTable::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw indexError(index);
    return *d->fields[size_t(index)];
}

TField& TMemTable::FieldByName(std::string_view name) const {
    return d->byName(name);
}

TField* TMemTable::FindField(std::string_view name) const {
    return d->find(name);
}

std::vector<TIndexDef>& TMemTable::IndexDefs() {
    return d->indexDefs;
}

const std::vector<TIndexDef>& TMemTable::IndexDefs() const {
    return d->indexDefs;
}

void TMemTable::Open() {
    if (d->state != TDataSetState::Inactive)
        return;
    d->discardRecords();
    d->sort.reset();
    d->state = TDataSetState::Browse;
    d->notify(TableObserver::Change::Active);
}

void TMemTable::Close() {
    if (d->state == TDataSetState::Inactive)
        return;
    d->modified = false;
    d->discardRecords();
    d->sort.reset();
    d->state = TDataSetState::Inactive;
    d->notify(TableObserver::Change::Active);
}

bool TMemTable::Active() const {
    return d->state != TDataSetState::Inactive;
}

void TMemTable::EmptyTable() {
    d->requireActive();
    d->finishPending();
    QuietControls quiet(*this);
    d->discardRecords();
}

void TMemTable::SortOn(std::string_view fieldList, TOptions options) {
    if (!Active())
        return;
    fieldList = trimmed(fieldList);
    std::optional<Impl::SortSpec> sortDef;
    if (!fieldList.empty())
        sortDef = d->parseSortFields(fieldList, options);
    d->finishPending();
    const bool hadCurrent = d->hasCurrent();
    const std::uint32_t current = hadCurrent ? d->currentSlot() : 0;
    std::optional<Impl::SortSpec> oldSort = std::exchange(d->sort, std::move(sortDef));
    OrderList oldOrder = std::exchange(d->sortOrder, {});
    if (d->sort) {
        try {
            d->rebuildSortOrder();
        } catch (...) {
            d->sort = std::move(oldSort);
            d->sortOrder = std::move(oldOrder);
            throw;
        }
    }
    d->notify(TableObserver::Change::DataSet);
    if (!hadCurrent) {
        First();
        return;
    }
    d->pos = d->positionOf(current);
    d->bof = d->eof = false;
    d->notify(TableObserver::Change::Scroll);
}

bool TMemTable::Sorted() const {
    return d->sort.has_value();
}

void TMemTable::First() {
    d->requireActive();
    d->finishPending();
    d->pos = 0;
    d->bof = true;
    d->eof = d->count() == 0;
    d->scrolled();
}

void TMemTable::Next() {
    d->requireActive();
    d->finishPending();
    if (d->eof)
        return;
    d->bof = false;
    if (d->pos + 1 < d->count())
        ++d->pos;
    else
        d->eof = true;
    d->scrolled();
}

bool TMemTable::Eof() const {
    return !Active() || d->eof;
}

bool TMemTable::Bof() const {
    return !Active() || d->bof;
}

int TMemTable::RecordCount() const {
    d->requireActive();
    return d->count();
}

int TMemTable::RecNo() const {
    return d->hasCurrent() ? d->pos + 1 : -1;
}

void TMemTable::SetRecNo(int recNo) {
    d->requireActive();
    d->finishPending();
    if (recNo < 1 || recNo > d->count())
        return;
    d->pos = recNo - 1;
    d->bof = d->eof = false;
    d->scrolled();
}

bool TMemTable::IsEmpty() const {
    return !Active() || d->count() == 0;
}

bool TMemTable::Locate(std::string_view fieldName, const TValue& value, TOptions options) {
    d->requireActive();
    const TField& field = d->byName(fieldName);
    const Impl::Search search = d->makeSearch(field, value, options);
    d->finishPending();
    // Null matches nothing, and neither does a number spelled as empty text.
    if (isNull(value) || (search.integer && !search.partial && trimmed(search.text).empty()))
        return false;
    const std::optional<int> found = d->locate(search);
    if (!found)
        return false;
    d->pos = *found;
    d->bof = d->eof = false;
    d->scrolled();
    return true;
}

TBookmark TMemTable::GetBookmark() const {
    if (!d->hasCurrent())
        return {};
    const std::uint32_t slot = d->currentSlot();
    return TBookmark{(std::uint64_t(d->store.serial(slot)) << 32) | slot};
}

void TMemTable::FreeBookmark(TBookmark& bookmark) {
    bookmark = TBookmark{};
}

void TMemTable::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.isNull())
        return;
    d->requireActive();
    const auto slot = std::uint32_t(bookmark.id & 0xFFFFFFFFu);
    const auto serial = std::uint32_t(bookmark.id >> 32);
    auto valid = [&] { return d->store.holds(slot) && d->store.serial(slot) == serial; };
    if (!valid())
        return;
    d->finishPending();
    if (!valid())
        return;
    d->pos = d->positionOf(slot);
    d->bof = d->eof = false;
    d->scrolled();
}

void TMemTable::Insert() {
    d->requireActive();
    d->finishPending();
    d->beginNew(Impl::NewRecord::Insert);
}

void TMemTable::Append() {
    d->requireActive();
    d->finishPending();
    d->beginNew(Impl::NewRecord::Append);
}

void TMemTable::Edit() {
    d->requireActive();
    if (d->editing())
        return;
    if (d->count() == 0) {
        Insert();
        return;
    }
    d->editSlot = d->currentSlot();
    d->changePos = d->pos;
    d->fromLoader = false;
    d->loadWork(d->editSlot);
    d->state = TDataSetState::Edit;
    d->notify(TableObserver::Change::State);
}

void TMemTable::Post() {
    d->requireActive();
    if (!d->editing())
        d->fail(NotEditingMessage);
    d->askForEdits();
    if (!d->editing())
        return;
    if (d->state == TDataSetState::Edit)
        d->storeEdit();
    else
        d->storeNew();
    d->state = TDataSetState::Browse;
    d->modified = false;
    d->pos = d->changePos;
    d->settle();
    d->bof = d->eof = false;
    d->notify(TableObserver::Change::DataSet);
    d->notify(TableObserver::Change::State);
    d->fire(AfterPost);
}

void TMemTable::Cancel() {
    if (!d->editing())
        return;
    const bool wasInsert = d->state == TDataSetState::Insert;
    d->drop();
    if (wasInsert)
        d->fire(AfterScroll);
}

void TMemTable::Delete() {
    d->requireActive();
    if (d->state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (d->count() == 0)
        d->fail(EmptyMessage);
    if (d->state == TDataSetState::Edit) {
        d->state = TDataSetState::Browse;
        d->modified = false;
        d->notify(TableObserver::Change::State);
    }
    d->removeCurrent();
    d->settle();
    d->notify(TableObserver::Change::DataSet);
    d->fire(AfterDelete);
    d->scrolled();
}

TDataSetState TMemTable::State() const {
    return d->state;
}

bool TMemTable::Modified() const {
    return d->editing() && d->modified;
}

TValue TMemTable::FieldValue(std::string_view fieldName) const {
    return FieldByName(fieldName).Value();
}

void TMemTable::SetFieldValue(std::string_view fieldName, const TValue& value) {
    FieldByName(fieldName).SetValue(value);
}

TValue TMemTable::ValueAt(int row, int fieldIndex) const {
    d->requireActive();
    if (row < 0 || row >= d->count())
        throw tableError(*this, "List index out of bounds (" + std::to_string(row) + ")");
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        throw indexError(fieldIndex);
    const StoredValue v = d->stored(d->order()[size_t(row)], fieldIndex);
    return Impl::toValue(v, d->integerField[size_t(fieldIndex)]);
}

void TMemTable::DisableControls() {
    ++d->disabled;
}

void TMemTable::EnableControls() {
    if (d->disabled == 0)
        return;
    if (--d->disabled == 0)
        d->notify(TableObserver::Change::DataSet);
}

bool TMemTable::ControlsDisabled() const {
    return d->disabled > 0;
}

void TMemTable::AddObserver(TableObserver* observer) {
    if (observer &&
        std::find(d->observers.begin(), d->observers.end(), observer) == d->observers.end())
        d->observers.push_back(observer);
}

void TMemTable::RemoveObserver(TableObserver* observer) {
    const auto it = std::find(d->observers.begin(), d->observers.end(), observer);
    if (it == d->observers.end())
        return;
    if (d->notifying > 0)
        *it = nullptr;
    else
        d->observers.erase(it);
}

void TMemTable::BeginLoad() {
    DisableControls();
    ++d->loading;
}

void TMemTable::FinishLoad() {
    // BeginLoad's disabling lasts until the orders are rebuilt, however this is left; then the
    // controls get their one refresh.
    QuietControls quiet(*this);
    EnableControls();
    d->loading = std::max(0, d->loading - 1);
    if (!Active())
        return;
    d->finishPending();
    d->rebuildRowOrder();
    if (d->sort)
        d->rebuildSortOrder();
    First();
}

VembaError tableError(const TMemTable& table, std::string_view message) {
    return VembaError(table.Name() + ": " + std::string(message));
}

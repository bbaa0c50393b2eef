#pragma once

#include "platform/Collation.h"
#include "platform/Error.h"

#include <QFlags>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class QIODevice;
class TMemTable;

// Field types in the order of their codes; the names are those of the test file format.
// A table holds only Integer and String fields; the other names exist for the file reader.
enum class TFieldType {
    Unknown,
    String,
    SmallInt,
    Integer,
    Word,
    Boolean,
    Float,
    Currency,
    BCD,
    Date,
    Time,
    DateTime,
    Bytes,
    VarBytes,
    AutoInc,
    Blob,
    Memo,
    Graphic,
    FmtMemo,
    ParadoxOle,
    dBaseOle,
    TypedBinary,
    Cursor,
    FixedChar,
    WideString,
    LargeInt,
    ADT,
    Array,
    Reference,
    DataSet,
    HugeBlob,
    HugeClob,
    Variant,
    Interface,
    Dispatch,
    Guid,
    SQLTimeStamp,
    FMTBcdField
};

enum class TFieldKind { Data, Calculated, Lookup, InternalCalc, Aggregate };

enum class TAlignment { Left, Right };

enum class TDataSetState { Inactive, Browse, Edit, Insert };

// Options of Locate and SortOn (SortOn uses only CaseInsensitive).
enum class TOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
Q_DECLARE_FLAGS(TOptions, TOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOptions)

// A field value: null (monostate), a signed 32-bit integer, or code page 1250 text.
using TValue = std::variant<std::monostate, std::int32_t, std::string>;

inline bool isNull(const TValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

// Names one record for as long as that record exists. A default-made marker is null.
struct TBookmark {
    std::uint64_t id = 0;
    bool isNull() const { return id == 0; }
    friend bool operator==(const TBookmark&, const TBookmark&) = default;
};

// An index definition read from a file. It never changes an order; SaveToFile writes it back.
struct TIndexDef {
    std::string Name;
    std::string Fields;
    bool Descending = false;
    bool CaseInsensitive = false;
    bool NonMaintained = false;
    bool Unique = false;
};

// One field of a table: its definition, and access to its value in the table's current
// record (in the working copy during Edit and Insert).
class TField {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const std::string& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Size() const { return size_; }
    int Index() const { return index_; }
    TAlignment Alignment() const;

    const std::string& DisplayLabel() const { return label_; }
    // A label equal to the field name is stored as an empty label.
    void SetDisplayLabel(std::string label);
    // The label when there is one, else the field name.
    const std::string& DisplayName() const { return label_.empty() ? name_ : label_; }

    // 0 stands for the default width: Size for a string field, 10 for an integer field.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { width_ = width; }

    bool Visible() const { return visible_; }
    void SetVisible(bool on) { visible_ = on; }
    bool Required() const { return required_; }
    void SetRequired(bool on) { required_ = on; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(std::string mask) { editMask_ = std::move(mask); }
    const std::string& DefaultExpression() const { return defaultExpression_; }
    void SetDefaultExpression(std::string expr) { defaultExpression_ = std::move(expr); }
    TFieldKind FieldKind() const { return kind_; }
    void SetFieldKind(TFieldKind kind) { kind_ = kind; }

    // Reading: an integer as decimal text, a string as stored, null as empty text.
    // Writing (Edit/Insert only): a string is cut to Size and ends at its first NUL; an
    // integer field takes an optionally signed decimal number, empty text makes it null,
    // anything else fails.
    std::string AsString() const;
    void SetAsString(std::string_view text);
    std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t value);
    TValue Value() const;
    void SetValue(const TValue& value);
    bool IsNull() const;
    void Clear();
    std::string DisplayText() const { return AsString(); }

private:
    friend class TMemTable;
    TField(TMemTable& table, int index, std::string name, TFieldType type, int size);

    TMemTable& table_;
    int index_;
    std::string name_;
    TFieldType type_;
    int size_;
    std::string label_;
    int width_ = 0;
    bool visible_ = true;
    bool required_ = false;
    bool readOnly_ = false;
    std::string editMask_;
    std::string defaultExpression_;
    TFieldKind kind_ = TFieldKind::Data;
};

// Attached controls (grid models, labels, edit boxes) observe a table through this interface.
// While the table's controls are disabled no change is sent; EnableControls sends DataSet
// once. A load runs with controls disabled and may replace the fields, so after DataSet an
// observer reads the fields again too. Post asks for edits whether or not controls are
// disabled, except when it stores a record that a load has read.
class TableObserver {
public:
    enum class Change {
        Active,  // opened or closed; the fields may have been replaced
        DataSet, // records, their values or the current order changed: show everything again
        Record,  // a value of the current record or of the working copy changed
        Scroll,  // another record became current
        State,   // the state (Browse, Edit, Insert) changed
    };
    virtual void tableChanged(TMemTable& table, Change change) = 0;
    // Post asks edit controls to write their text into the working copy first; one whose
    // text has not changed since it was shown writes nothing.
    virtual void updateRecord(TMemTable& table) { (void)table; }

protected:
    ~TableObserver() = default;
};

// The in-memory word table: records with named fields, a row order, at most one sort order,
// a cursor, the states Inactive/Browse/Edit/Insert and three events. Every failure is thrown
// as VembaError; messages of the table itself carry the prefix "<Name>: ".
class TMemTable {
public:
    explicit TMemTable(std::string name = "Tbl", Collation collation = Collation());
    ~TMemTable();
    TMemTable(const TMemTable&) = delete;
    TMemTable& operator=(const TMemTable&) = delete;

    const std::string& Name() const;

    // Fields. AddField and ClearFields are for a closed table.
    TField& AddField(std::string name, TFieldType type, int size = 0, std::string label = {});
    void ClearFields();
    int FieldCount() const;
    TField& Fields(int index) const;
    TField& FieldByName(std::string_view name) const; // fails when there is no such field
    TField* FindField(std::string_view name) const;   // nullptr when there is no such field
    std::vector<TIndexDef>& IndexDefs();
    const std::vector<TIndexDef>& IndexDefs() const;

    // Opening, closing, files.
    void Open();
    void Close();
    bool Active() const;
    void EmptyTable();
    void LoadFromFile(const QString& path);
    void SaveToFile(const QString& path);

    // Order and navigation, all in the current order.
    void SortOn(std::string_view fieldList, TOptions options = {});
    bool Sorted() const; // a sort order is current
    void First();
    void Next();
    bool Eof() const;
    bool Bof() const;
    int RecordCount() const;
    int RecNo() const;
    // Makes the record at 1-based position recNo current (*), as a grid does when a row is
    // chosen; fires AfterScroll.
    void SetRecNo(int recNo);
    bool IsEmpty() const;
    bool Locate(std::string_view fieldName, const TValue& value, TOptions options = {});
    TBookmark GetBookmark() const;
    void FreeBookmark(TBookmark& bookmark);
    void GotoBookmark(const TBookmark& bookmark);
    TBookmark Bookmark() const { return GetBookmark(); }
    void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }

    // Changing records.
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    TDataSetState State() const;
    bool Modified() const; // a field of the working copy was changed

    // Values of the current record (of the working copy during Edit/Insert).
    TValue FieldValue(std::string_view fieldName) const;
    void SetFieldValue(std::string_view fieldName, const TValue& value);

    // Any record of the current order, read without moving the cursor (0-based row).
    // Grids read only the rows they show; SaveToFile writes every row this way.
    TValue ValueAt(int row, int fieldIndex) const;

    // Attached controls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;
    void AddObserver(TableObserver* observer);
    void RemoveObserver(TableObserver* observer);

    // Events: at most one handler each, run inside the operation that fires them.
    std::function<void(TMemTable&)> AfterScroll;
    std::function<void(TMemTable&)> AfterPost;
    std::function<void(TMemTable&)> AfterDelete;

    // For the file reader only: between BeginLoad and FinishLoad, posted records are stored
    // without keeping the orders up to date. FinishLoad finishes a pending Insert by the (*)
    // rule, rebuilds the row order from the storage slots and the sort order from it, makes
    // the first record current and enables the controls that BeginLoad disabled.
    void BeginLoad();
    void FinishLoad();

private:
    friend class TField;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Keeps a table's attached controls disabled for the life of a block, however the block is
// left; they are refreshed once at the end.
class QuietControls {
public:
    explicit QuietControls(TMemTable& table)
        : table_(table) {
        table_.DisableControls();
    }
    ~QuietControls() { table_.EnableControls(); }
    QuietControls(const QuietControls&) = delete;
    QuietControls& operator=(const QuietControls&) = delete;

private:
    TMemTable& table_;
};

// The text of a table's own failures: "<table name>: <message>".
VembaError tableError(const TMemTable& table, std::string_view message);

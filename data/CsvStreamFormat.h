#pragma once

class QIODevice;
class TMemTable;

// The test file format (.ask): a version line, the table's field and index definitions,
// a header line of display names and one line of quoted, comma-separated values per record,
// in code page 1250 with CR LF line ends. Every table uses the same fixed settings, so the
// format carries no state.
// What a load found at the top of the file: whether it carried a definition block, and how
// many columns of its header line named a field of the table (by display name). A caller
// that must tell a test file from some other text (a web page) looks at it.
struct TLoadSummary {
    bool definitions = false;
    int headerFields = 0;
};

class TCSVStreamFormat {
public:
    static constexpr const char* Version = "3.00";

    // Writes every record of the table's current order; the cursor does not move and no
    // event fires. Fails on a closed table.
    static void Save(TMemTable& table, QIODevice& device);

    // Reads from the device's current position (the start of the file). On a failure what
    // was read stays in the table, the finishing step runs, then the error is thrown.
    static void Load(TMemTable& table, QIODevice& device, TLoadSummary* summary = nullptr);
};

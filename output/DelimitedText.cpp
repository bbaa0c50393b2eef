#include "output/DelimitedText.h"

#include "platform/Cp1250.h"
#include "platform/SafeSave.h"
#include "ui/TextRoutines.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <charconv>

namespace {

constexpr std::size_t FlushSize = 1 << 16;
constexpr std::string_view LineEnd = "\r\n";

enum class FieldKind { Plain, Memo, Blob };

FieldKind kindOf(TFieldType type) {
    switch (type) {
    case TFieldType::Memo:
    case TFieldType::FmtMemo:
    case TFieldType::HugeClob:
        return FieldKind::Memo;
    case TFieldType::Blob:
    case TFieldType::Graphic:
    case TFieldType::ParadoxOle:
    case TFieldType::dBaseOle:
    case TFieldType::TypedBinary:
    case TFieldType::HugeBlob:
        return FieldKind::Blob;
    default:
        return FieldKind::Plain;
    }
}

bool heldAsInteger(TFieldType type) {
    return type == TFieldType::Integer || type == TFieldType::SmallInt ||
           type == TFieldType::Word || type == TFieldType::AutoInc;
}

struct Column {
    const TField* field;
    FieldKind kind;
};

// Gathers the output and hands it to the device in large pieces.
class Output {
public:
    explicit Output(QIODevice& device)
        : device_(device) {
        buffer_.reserve(FlushSize + 4096);
    }
    std::string& text() { return buffer_; }
    void endLine() {
        buffer_ += LineEnd;
        if (buffer_.size() >= FlushSize)
            flush();
    }
    void flush() {
        const auto size = qint64(buffer_.size());
        if (size > 0 && device_.write(buffer_.data(), size) != size)
            throw VembaError(toCp1250(device_.errorString()));
        buffer_.clear();
    }

private:
    QIODevice& device_;
    std::string buffer_;
};

class Writer {
public:
    Writer(const TMemTable& table, const DelimitedTextOptions& options, Output& out)
        : options_(options)
        , out_(out.text()) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            const TField& field = table.Fields(i);
            if (std::find(options.Fields.begin(), options.Fields.end(), field.FieldName()) !=
                options.Fields.end())
                columns_.push_back({&field, kindOf(field.DataType())});
        }
    }

    void header() {
        if (options_.NoHeader)
            return;
        for (const Column& column : columns_)
            qualified(options_.FieldNames ? column.field->FieldName()
                                          : column.field->DisplayName());
    }

    void record() {
        for (const Column& column : columns_) {
            switch (column.kind) {
            case FieldKind::Plain:
                plain(*column.field);
                break;
            case FieldKind::Memo:
                qualified(options_.JoinMemoLines ? joinedMemo(*column.field) : "BLOB");
                break;
            case FieldKind::Blob:
                qualified("BLOB");
                break;
            }
        }
    }

private:
    void plain(const TField& field) {
        if (!heldAsInteger(field.DataType()) || field.IsNull()) {
            qualified(field.AsString());
            return;
        }
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, field.AsInteger()).ptr;
        qualified(std::string_view(digits, std::size_t(end - digits)));
    }

    std::string joinedMemo(const TField& field) const {
        std::string text = SorokOsszefuzese(field.AsString(), "|");
        std::replace(text.begin(), text.end(), options_.Delimiter, ',');
        return text;
    }

    // The qualifier inside a qualified text is doubled, so a reader can split the line back.
    void qualified(std::string_view text) {
        const std::string& q = options_.Qualifier;
        if (q.empty()) {
            out_ += text;
        } else {
            out_ += q;
            for (char c : text) {
                out_ += c;
                if (c == q.front())
                    out_ += c;
            }
            out_ += q;
        }
        out_ += options_.Delimiter;
    }

    const DelimitedTextOptions& options_;
    std::string& out_;
    std::vector<Column> columns_;
};

} // namespace

int TDelimitedTextExport::ExportToStream(TMemTable& table, QIODevice& device) {
    running_ = true;
    int written = 0;
    try {
        table.First();
        QuietControls quiet(table);
        Output out(device);
        Writer writer(table, Options, out);
        writer.header();
        out.endLine();
        QElapsedTimer sinceProgress;
        bool first = true;
        while (!table.Eof()) {
            // The clock is read every few records only; a record takes far less than that.
            if (OnProgress &&
                (first || ((written & 15) == 0 && sinceProgress.elapsed() >= ProgressInterval))) {
                first = false;
                OnProgress(written);
                sinceProgress.start();
            }
            if (!running_)
                break;
            writer.record();
            out.endLine();
            ++written;
            table.Next();
        }
        out.flush();
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
    return written;
}

int TDelimitedTextExport::ExportToFile(TMemTable& table, const QString& path) {
    int written = 0;
    saveFileOrThrow(path, [&](QIODevice& device) { written = ExportToStream(table, device); });
    return written;
}

bool isWorkbookSuffix(const QString& suffix) {
    QString upper = suffix;
    for (QChar& c : upper)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return upper == QLatin1String("XLS");
}

bool isWorkbookPath(const QString& path) {
    return isWorkbookSuffix(QFileInfo(path).suffix());
}

#include "platform/PrivateProfile.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "platform/SafeSave.h"

#include <QFile>
#include <vector>

namespace {

constexpr std::string_view Blanks = " \t\r";

std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    return fromCp1250(trimmed(a)).compare(fromCp1250(trimmed(b)), Qt::CaseInsensitive) == 0;
}

// One line of the file: where its text starts, how long the text is and how long it is with
// its line end.
struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t lengthWithEnd = 0;
};

// The file's text split into lines; a line ends in CR LF, LF or a lone CR.
class Profile {
public:
    explicit Profile(std::string text)
        : text_(std::move(text)) {
        split();
    }

    const std::string& text() const { return text_; }

    std::optional<std::string_view> value(std::string_view section, std::string_view key) const {
        std::optional<std::size_t> index = keyLine(section, key);
        if (!index)
            return std::nullopt;
        std::string_view line = lineText(*index);
        return trimmed(line.substr(line.find('=') + 1));
    }

    void set(std::string_view section, std::string_view key, std::string_view value) {
        if (std::optional<std::size_t> index = keyLine(section, key))
            replaceValue(*index, value);
        else if (std::optional<std::size_t> header = sectionHeader(section))
            insertAfter(lastLineOfSection(*header), newKeyLine(key, value));
        else
            appendSection(section, newKeyLine(key, value));
    }

private:
    void split() {
        std::size_t pos = 0;
        while (pos < text_.size()) {
            std::size_t textEnd = text_.find_first_of("\r\n", pos);
            std::size_t end = textEnd;
            if (textEnd == std::string::npos)
                textEnd = end = text_.size();
            else if (text_[textEnd] == '\r' && textEnd + 1 < text_.size() &&
                     text_[textEnd + 1] == '\n')
                end = textEnd + 2;
            else
                end = textEnd + 1;
            lines_.push_back({pos, textEnd - pos, end - pos});
            pos = end;
        }
    }

    std::string_view lineText(std::size_t index) const {
        return std::string_view(text_).substr(lines_[index].start, lines_[index].length);
    }

    // The name of a section header line, or nothing for any other line.
    std::optional<std::string_view> headerName(std::size_t index) const {
        std::string_view line = trimmed(lineText(index));
        if (line.empty() || line.front() != '[')
            return std::nullopt;
        line.remove_prefix(1);
        return line.substr(0, line.find(']'));
    }

    std::optional<std::size_t> sectionHeader(std::string_view section) const {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            std::optional<std::string_view> name = headerName(i);
            if (name && sameName(*name, section))
                return i;
        }
        return std::nullopt;
    }

    std::optional<std::size_t> keyLine(std::string_view section, std::string_view key) const {
        std::optional<std::size_t> header = sectionHeader(section);
        if (!header)
            return std::nullopt;
        for (std::size_t i = *header + 1; i < lines_.size() && !headerName(i); ++i) {
            std::string_view line = lineText(i);
            std::size_t equals = line.find('=');
            if (equals != std::string_view::npos && sameName(line.substr(0, equals), key))
                return i;
        }
        return std::nullopt;
    }

    std::size_t lastLineOfSection(std::size_t header) const {
        std::size_t last = header;
        for (std::size_t i = header + 1; i < lines_.size() && !headerName(i); ++i) {
            if (!trimmed(lineText(i)).empty())
                last = i;
        }
        return last;
    }

    // The line end of the file's first line, so added lines look like the rest.
    std::string lineEnd() const {
        for (const Line& line : lines_) {
            if (line.lengthWithEnd > line.length)
                return text_.substr(line.start + line.length, line.lengthWithEnd - line.length);
        }
        return "\r\n";
    }

    std::string newKeyLine(std::string_view key, std::string_view value) const {
        return std::string(key) + '=' + std::string(value) + lineEnd();
    }

    void replaceValue(std::size_t index, std::string_view value) {
        const Line& line = lines_[index];
        std::size_t valueStart = text_.find('=', line.start) + 1;
        text_.replace(valueStart, line.start + line.length - valueStart, value);
        reparse();
    }

    // The new text goes after the given line; a last line without a line end gets one first.
    void insertAfter(std::size_t index, const std::string& newLines) {
        const Line& line = lines_[index];
        std::size_t pos = line.start + line.lengthWithEnd;
        std::string inserted = line.lengthWithEnd == line.length ? lineEnd() + newLines : newLines;
        text_.insert(pos, inserted);
        reparse();
    }

    void appendSection(std::string_view section, const std::string& newLines) {
        if (!text_.empty() && text_.back() != '\n')
            text_ += lineEnd();
        text_ += '[' + std::string(section) + ']' + lineEnd() + newLines;
        reparse();
    }

    void reparse() {
        lines_.clear();
        split();
    }

    std::string text_;
    std::vector<Line> lines_;
};

// The system's reason follows the path when there is one.
[[noreturn]] void throwWriteError(const QString& path, const QString& reason = QString()) {
    std::string message = "Unable to write to " + toCp1250(path);
    if (!reason.isEmpty())
        message += ". " + toCp1250(reason);
    throw VembaError(message);
}

std::optional<std::string> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// A file that exists but cannot be read must not be replaced by one holding only the new key.
std::string readFileForUpdate(const QString& path) {
    std::optional<std::string> text = readFile(path);
    if (!text && QFile::exists(path))
        throwWriteError(path);
    return text.value_or(std::string());
}

// A settings file in a folder the user may not create files in is rewritten in place, but
// only once its new length is reserved, so a full disk never costs the file its tail.
void writeFile(const QString& path, const std::string& text) {
    const std::optional<QString> failure = saveFileSafely(path, [&text](QIODevice& device) {
        return device.write(text.data(), qint64(text.size())) == qint64(text.size());
    });
    if (failure)
        throwWriteError(path, *failure);
}

std::optional<std::uint64_t> digitsValue(std::string_view digits, int base) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int32_t> parseProfileInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    }
    std::optional<std::uint64_t> magnitude = digitsValue(text, base);
    if (!magnitude)
        return std::nullopt;
    std::int64_t value;
    if (base == 16)
        value = std::int32_t(std::uint32_t(*magnitude));
    else if (*magnitude <= (negative ? 0x80000000ull : 0x7FFFFFFFull))
        value = std::int64_t(*magnitude);
    else
        return std::nullopt;
    return std::int32_t(negative ? -value : value);
}

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    Profile profile{std::string(text)};
    std::optional<std::string_view> found = profile.value(section, key);
    if (!found)
        return std::nullopt;
    std::string_view value = *found;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, ProfileValueLimit));
}

std::string profileWithValue(std::string text, std::string_view section, std::string_view key,
                             std::string_view value) {
    Profile profile(std::move(text));
    profile.set(section, key, value.substr(0, value.find_first_of("\r\n")));
    return profile.text();
}

std::optional<std::string> readProfileValue(const QString& file, std::string_view section,
                                            std::string_view key) {
    return profileValue(readFile(file).value_or(std::string()), section, key);
}

std::string readProfileString(const QString& file, std::string_view section, std::string_view key,
                              std::string_view defaultValue) {
    std::optional<std::string> value = readProfileValue(file, section, key);
    return value ? *value : std::string(defaultValue.substr(0, ProfileValueLimit));
}

std::int32_t readProfileInteger(const QString& file, std::string_view section, std::string_view key,
                                std::int32_t defaultValue) {
    std::optional<std::string> value = readProfileValue(file, section, key);
    std::optional<std::int32_t> number = value ? parseProfileInteger(*value) : std::nullopt;
    return number.value_or(defaultValue);
}

void writeProfileString(const QString& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    writeFile(file, profileWithValue(readFileForUpdate(file), section, key, value));
}

void writeProfileInteger(const QString& file, std::string_view section, std::string_view key,
                         std::int32_t value) {
    writeProfileString(file, section, key, std::to_string(value));
}

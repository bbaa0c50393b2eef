#include "ui/TextRoutines.h"

#include <charconv>
#include <vector>

std::string Mezo(std::string_view delimiters, std::string_view line, int n) {
    std::string result;
    int field = 1;
    for (char c : line) {
        if (delimiters.find(c) != std::string_view::npos)
            ++field;
        else if (field == n)
            result += c;
    }
    return result;
}

std::string VarSzoveg(const TValue& value, std::string_view defaultText) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return std::string(defaultText);
}

namespace {

double textAsNumber(const std::string& text) {
    std::string_view digits(text);
    std::size_t first = digits.find_first_not_of(" \t");
    std::size_t last = digits.find_last_not_of(" \t");
    digits = first == std::string_view::npos ? std::string_view()
                                             : digits.substr(first, last - first + 1);
    std::string number(digits);
    for (char& c : number) {
        if (c == ',')
            c = '.';
    }
    if (!number.empty() && number.front() == '+')
        number.erase(0, 1);
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::fixed);
    if (number.empty() || error != std::errc() || end != number.data() + number.size())
        throw VembaError("'" + text + "' is not a valid floating point value");
    return value;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

} // namespace

double VarSzam(const TValue& value, double defaultValue) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    if (const auto* text = std::get_if<std::string>(&value))
        return textAsNumber(*text);
    return defaultValue;
}

std::string VarCsere(const TValue& value, char a, char b) {
    if (isNull(value))
        return {};
    std::string text = VarSzoveg(value, {});
    for (char& c : text) {
        if (c == a)
            c = b;
    }
    return text;
}

std::string FileNevTisztitas(std::string_view text) {
    constexpr std::string_view Hyphenated = " !\"#%&'*+/:?@\\";
    std::string result(text);
    for (char& c : result) {
        auto byte = static_cast<unsigned char>(c);
        if (Hyphenated.find(c) != std::string_view::npos)
            c = '-';
        else if (byte >= 0x81)
            c = '_';
        else if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a'); // only ASCII letters are left to lower
    }
    return result;
}

std::string SorokOsszefuzese(std::string_view text, std::string_view separator) {
    std::string result;
    for (std::string_view line : splitLines(text)) {
        result += line;
        result += separator;
    }
    if (!result.empty())
        result.pop_back();
    return result;
}

std::string SzovegTorles(std::string_view part, std::string_view text) {
    std::string result(text);
    if (part.empty())
        return result;
    for (std::size_t pos = result.find(part); pos != std::string::npos; pos = result.find(part))
        result.erase(pos, 1);
    return result;
}

#include "BiffReader.h"

#include "platform/Cp1250.h"

#include <QString>
#include <cstdio>
#include <cstring>
#include <map>

std::uint16_t u16At(const QByteArray& data, int offset) {
    return std::uint16_t(std::uint8_t(data.at(offset)) | (std::uint8_t(data.at(offset + 1)) << 8));
}

std::optional<std::vector<BiffRecord>> biffRecords(const QByteArray& file) {
    std::vector<BiffRecord> records;
    int at = 0;
    while (at < file.size()) {
        if (at + 4 > file.size())
            return std::nullopt;
        const int length = u16At(file, at + 2);
        if (at + 4 + length > file.size())
            return std::nullopt;
        records.push_back({u16At(file, at), file.mid(at + 4, length)});
        at += 4 + length;
    }
    return records;
}

std::optional<BiffCell> biffCell(const BiffRecord& record) {
    if (record.type < 0x0001 || record.type > 0x0005 || record.data.size() < 7)
        return std::nullopt;
    BiffCell cell;
    cell.type = record.type;
    cell.row = u16At(record.data, 0);
    cell.column = u16At(record.data, 2);
    for (int i = 0; i < 3; ++i)
        cell.attributes[i] = std::uint8_t(record.data.at(4 + i));
    const QByteArray rest = record.data.mid(7);
    switch (record.type) {
    case 0x0002:
        cell.value = std::int64_t(u16At(rest, 0));
        break;
    case 0x0003: {
        double number = 0;
        std::memcpy(&number, rest.constData(), sizeof number); // little-endian host
        cell.value = number;
        break;
    }
    case 0x0004: {
        const int length = std::uint8_t(rest.at(0));
        cell.value = rest.mid(1, length).toStdString();
        break;
    }
    case 0x0005:
        cell.value = std::int64_t(std::uint8_t(rest.at(0)));
        break;
    default:
        break;
    }
    return cell;
}

std::vector<std::string> biffKinds(const std::vector<BiffRecord>& records) {
    static const std::map<std::uint16_t, std::string> names = {
        {0x0000, "DIMENSIONS"}, {0x0001, "BLANK"},    {0x0002, "INTEGER"}, {0x0003, "NUMBER"},
        {0x0004, "LABEL"},      {0x0005, "BOOLERR"},  {0x0009, "BOF"},     {0x000A, "EOF"},
        {0x001C, "NOTE"},       {0x0024, "COLWIDTH"}, {0x0031, "FONT"},    {0x0042, "CODEPAGE"},
    };
    std::vector<std::string> kinds;
    for (const BiffRecord& record : records) {
        const auto found = names.find(record.type);
        char unknown[8];
        std::snprintf(unknown, sizeof unknown, "?%04x", record.type);
        kinds.push_back(found != names.end() ? found->second : unknown);
    }
    return kinds;
}

std::vector<BiffCell> biffCells(const std::vector<BiffRecord>& records) {
    std::vector<BiffCell> cells;
    for (const BiffRecord& record : records)
        if (auto cell = biffCell(record))
            cells.push_back(*cell);
    return cells;
}

std::string describe(const BiffCell& cell) {
    static const char* const kinds[] = {"", "BLANK", "INTEGER", "NUMBER", "LABEL", "BOOLERR"};
    std::string text =
        std::to_string(cell.row) + "," + std::to_string(cell.column) + " " + kinds[cell.type];
    if (const auto* number = std::get_if<std::int64_t>(&cell.value))
        text += " " + std::to_string(*number);
    else if (const auto* real = std::get_if<double>(&cell.value))
        text += " " + QString::number(*real, 'g', 17).toStdString();
    else if (const auto* label = std::get_if<std::string>(&cell.value))
        text += " " + fromCp1250(*label).toStdString();
    char attributes[16];
    std::snprintf(attributes, sizeof attributes, " %02x %02x %02x", cell.attributes[0],
                  cell.attributes[1], cell.attributes[2]);
    return text + attributes;
}

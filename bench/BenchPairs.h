#pragma once

#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"

#include <QString>
#include <cstdint>
#include <iterator>
#include <string>

// The drill table the benchmarks measure with: the drill's fields, opened, holding the given
// number of distinct pairs of ordinary lengths (a Hungarian word and an English one, each
// numbered) with the shuffle keys 0, 1, 2, ...
inline void fillDrillPairs(TMemTable& table, int pairs) {
    static const char* const words[] = {"alma",  "körte", "szilva", "eper",  "dinnye", "szőlő",
                                        "ház",   "kert",  "ablak",  "ajtó",  "könyv",  "tanító",
                                        "piros", "zöld",  "kék",    "sárga", "fehér",  "fekete"};
    static const char* const meanings[] = {
        "apple", "pear", "plum",    "strawberry", "melon", "grape", "house",  "garden", "window",
        "door",  "book", "teacher", "red",        "green", "blue",  "yellow", "white",  "black"};
    constexpr int count = static_cast<int>(std::size(words));
    DefineDrillFields(table);
    table.Open();
    for (int i = 0; i < pairs; ++i) {
        const std::string number = " " + std::to_string(i);
        table.Append();
        table.SetFieldValue("sorszam", std::int32_t(i));
        table.SetFieldValue("nyelv1", toCp1250(QString::fromUtf8(words[i % count])) + number);
        table.SetFieldValue("nyelv2", std::string(meanings[(i / count) % count]) + number);
        table.Post();
    }
}

// The same pairs saved as a test file.
inline QString writeDrillTest(const QString& path, int pairs) {
    TMemTable table("Tbl");
    fillDrillPairs(table, pairs);
    table.SaveToFile(path);
    return path;
}

#pragma once

#include <string>
#include <string_view>

class TMemTable;

// The SQL INSERT template of the drill table's pairs, as "SQL export" puts it on the
// clipboard: the INSERT line, then one row per pair in the table's current order, always
// nyelv1 before nyelv2, every row ending in ",XXX)," (XXX stands for the test's key), every
// line, the last one too, ending in CR LF. Code page 1250, like the table's values.
//
// Walks the table from First to Eof, so the last pair of the order is current afterwards; a
// closed table fails at First with the table's own error.
std::string SQLExportText(TMemTable& table);

// Text in single quotes, every single quote inside doubled.
std::string SQLQuoted(std::string_view text);

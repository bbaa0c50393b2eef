#pragma once

#include "data/MemTable.h"

#include <string>
#include <string_view>

// Small text and value routines shared by the windows and the exports. All text is code
// page 1250.

// Field n (from 1) of a line split at every character of the delimiter set, without quoting
// or trimming: two delimiters in a row enclose an empty field, and a field the line does not
// reach is empty.
std::string Mezo(std::string_view delimiters, std::string_view line, int n);

// The value as text (an integer in decimal), or the default for null.
std::string VarSzoveg(const TValue& value, std::string_view defaultText);

// The value as a number, or the default for null. A text value is read as a decimal number
// with a point or a comma before its fraction; text that is not a number throws VembaError.
double VarSzam(const TValue& value, double defaultValue);

// The value as text with every character a replaced by b; empty text for null.
std::string VarCsere(const TValue& value, char a, char b);

// Makes a text usable as a file name: the characters " !\"#%&'*+/:?@\\" become '-', every byte
// from 0x81 to 0xFF (the accented letters among them) becomes '_', and the result is put in
// lower case. Everything else, '.' included, stays.
std::string FileNevTisztitas(std::string_view text);

// Splits the text into lines (at CR, LF or CR LF; a break at the very end makes no extra
// line), puts the separator after every line and drops the last character of the result.
// With a one-character separator this joins the lines with it; empty text gives empty text.
std::string SorokOsszefuzese(std::string_view text, std::string_view separator);

// a when the flag is set, else b.
template <class T>
T Valaszt(bool flag, const T& a, const T& b) {
    return flag ? a : b;
}
inline std::string Valaszt(bool flag, std::string_view a, std::string_view b) {
    return std::string(flag ? a : b);
}

// While part occurs in text, deletes the character where it first occurs; for a part of one
// character this removes every occurrence. An empty part changes nothing.
std::string SzovegTorles(std::string_view part, std::string_view text);

#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reading and writing INI files ("private profiles"): section names in square brackets on
// lines of their own, then lines of key=value. Every call opens the file, reads or writes it
// and closes it again; nothing is cached, so a change made by another program is seen by the
// next call.
//
// Names, values and the file itself are code page 1250 bytes. Section and key names match
// ignoring case and the blanks around them; the first section of a name and the first key of
// a name in it count. Values lose their surrounding blanks and one pair of matching quotes
// (single or double) when read.
//
// Writing keeps every other line of the file byte for byte (comments, blank lines, unknown
// sections and their line ends). A key that exists is rewritten on its own line; a new key
// goes after the last non-blank line of its section; a new section is appended to the end of
// the file. New lines end as the file's first line does (CR LF for a new file).

// Lines end in CR LF, LF or a lone CR.

// The longest value a read returns; longer values are cut.
inline constexpr std::size_t ProfileValueLimit = 2047;

// The value of a key, or nothing when the file, the section or the key is missing. A key
// with nothing after its equals sign gives an empty value, not nothing.
std::optional<std::string> readProfileValue(const QString& file, std::string_view section,
                                            std::string_view key);

// The value of a key, or the default (cut to the same limit) when it is missing.
std::string readProfileString(const QString& file, std::string_view section, std::string_view key,
                              std::string_view defaultValue);

// The value of a key as a number (see parseProfileInteger), or the default when the key is
// missing or its value is not a number.
std::int32_t readProfileInteger(const QString& file, std::string_view section, std::string_view key,
                                std::int32_t defaultValue);

// Sets a key, creating the file, the section and the key as needed. A value cannot span
// lines: it is cut at its first line break. Throws VembaError "Unable to write to <file>. <the
// system's reason>" when the file cannot be written; the old file is then left as it was. A
// file in a folder that takes no new files is rewritten in place (platform/SafeSave.h).
void writeProfileString(const QString& file, std::string_view section, std::string_view key,
                        std::string_view value);

// Sets a key to the decimal text of a number.
void writeProfileInteger(const QString& file, std::string_view section, std::string_view key,
                         std::int32_t value);

// The same two steps on a file's text held in memory: the value of a key, and the text with
// the key set (the file functions read and write the file around these).
std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);
std::string profileWithValue(std::string text, std::string_view section, std::string_view key,
                             std::string_view value);

// A whole value as a 32-bit number: an optional sign, then decimal digits, or hexadecimal
// digits after 0x, 0X or $. Hexadecimal values take up to 32 bits, so 0xFFFFFFFF is -1.
// Anything else gives nothing: an empty text, "12abc", "0x", a decimal value outside the
// 32-bit range.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

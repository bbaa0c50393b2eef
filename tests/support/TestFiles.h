#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// Small helpers shared by the tests.

// Code page 1250 bytes of UTF-8 source text, so tests can spell "körte" readably.
std::string cp(std::string_view utf8);

// The whole content of a file, or an empty array when it cannot be read.
QByteArray readAll(const QString& path);

// Writes bytes to a file, replacing it.
void writeAll(const QString& path, const QByteArray& bytes);

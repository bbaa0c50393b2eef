#pragma once

#include <QString>
#include <string>
#include <string_view>

// Conversion between the program's single-byte text (code page 1250) and Qt's strings,
// used only where text meets a widget, the terminal or a Qt service.
QString fromCp1250(std::string_view text);

// Characters that code page 1250 cannot hold become '?'.
std::string toCp1250(const QString& text);

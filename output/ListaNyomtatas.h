#pragma once

#include <memory>
#include <string>

class QPrinter;
class QWidget;
class TMemTable;

// Where "Nyomtat" prints: the system's default printer, unless a test has installed a
// service of its own (a printer writing a PDF file, or none at all).
class PrinterService {
public:
    virtual ~PrinterService() = default;

    // A printer for the default printer, or nullptr when no printer is set up.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;

    // The installed service, or the one of the system's printers.
    static PrinterService& current();

    // Installs a service for as long as the caller keeps it; nullptr goes back to the
    // system's printers. Returns the service installed before.
    static PrinterService* install(PrinterService* service);
};

// The message shown when "Nyomtat" finds no printer (UTF-8).
inline constexpr const char* NincsNyomtatoUzenet =
    "Nincs beállított nyomtató.\n\nA „Nyomtatási kép” ablak nyomtatás gombjával a lista "
    "PDF fájlba is nyomtatható.";

// The printed word list of the table (see TrptLista) with the title and the two fields
// (code page 1250). Print true: prints it on the default printer, one copy, with a progress
// window, and returns when the pages have been handed over; with no printer set up it says
// so instead. Print false: shows the print preview, from which the list may be paged
// through, zoomed, printed or printed to a PDF file, and returns when it is closed. The
// owner is the window the boxes and the preview belong to.
void ListaNyomtatas(TMemTable& table, const std::string& title, const std::string& leftField,
                    const std::string& rightField, bool print, QWidget* owner = nullptr);

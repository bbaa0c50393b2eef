#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

// An open or save dialog as a window keeps it between uses: what it shows and, after the
// user confirmed it, what was chosen. A second use starts where the first ended.
struct FileDialogSettings {
    std::string title;        // code page 1250; empty: the dialog's own title
    QString fileName;         // the file name shown, a bare name or a full path
    QString initialDir;       // the folder shown when fileName names none
    std::string filter;       // code page 1250 "Description|*.a|Description|*.b;*.c"
    int filterIndex = 1;      // the filter shown first, counting from 1
    QString defaultExtension; // added to a name typed without extension ("ask" or ".ask")
    bool mustExist = true;    // open dialog: only an existing file is accepted
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;

    // Show the dialog modal to the owner. When the user confirms, the dialog's fileName and
    // filterIndex are set to the choice and the result is true. The save dialog never asks
    // before replacing a file: the windows ask their own questions where they must.
    virtual bool openFile(FileDialogSettings& dialog, QWidget* owner) = 0;
    virtual bool saveFile(FileDialogSettings& dialog, QWidget* owner) = 0;

    // The installed service, or the one showing real dialogs.
    static FileDialogService& current();

    // Installs a service for as long as the caller keeps it; nullptr goes back to the real
    // dialogs. Returns the service installed before.
    static FileDialogService* install(FileDialogService* service);
};

// Shorthands for FileDialogService::current().
bool OpenFileDialog(FileDialogSettings& dialog, QWidget* owner);
bool SaveFileDialog(FileDialogSettings& dialog, QWidget* owner);

// The name filters of a "Description|patterns|..." filter in Qt's form, "Description (*.a)".
// Patterns are separated by ';' and "*.*" stands for every file, also those without a dot.
QStringList qtNameFilters(const std::string& filter);

// The extension of the dialog's default, without its dot.
QString bareExtension(const QString& extension);

// The extension a name typed without one gets, for the filter chosen in the dialog: the
// filter's own when it names exactly one ("Excel munkalap (*.xls)"), else the default
// extension. Without a default extension nothing is ever added.
QString extensionForFilter(const FileDialogSettings& dialog);

// The path with ".extension" added when its file name has no extension; an empty extension
// adds nothing.
QString withDefaultExtension(const QString& path, const QString& extension);

#include "ui/ShellFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString RendszerMappa(int folder) {
    switch (folder) {
    case CSIDL_COMMON_APPDATA:
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    case CSIDL_PERSONAL:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    default:
        return {};
    }
}

QString KozosAdatMappa() {
    return RendszerMappa(CSIDL_COMMON_APPDATA);
}

QString DokumentumMappa() {
    return RendszerMappa(CSIDL_PERSONAL);
}

QString JavasoltMappa() {
    const QString documents = DokumentumMappa();
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

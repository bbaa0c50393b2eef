#include "ui/ShellFolders.h"

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

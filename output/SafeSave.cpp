#include "output/SafeSave.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

VembaError createError(const QString& path, const QString& reason) {
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    return VembaError("Cannot create file \"" + toCp1250(full) + "\". " + toCp1250(reason));
}

} // namespace

void saveThrough(const QString& path, const std::function<void(QIODevice& device)>& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw createError(path, file.errorString());
    try {
        write(file);
    } catch (const VembaError&) {
        // A device that failed says why, with the path; a refused table keeps its message.
        if (file.error() != QFileDevice::NoError)
            throw createError(path, file.errorString());
        throw;
    }
    if (!file.commit())
        throw createError(path, file.errorString());
}

#include "support/TestFiles.h"

#include "platform/Cp1250.h"

#include <QFile>

std::string cp(std::string_view utf8) {
    return toCp1250(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

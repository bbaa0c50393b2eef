#include "StandInMailer.h"

#include "support/TestFiles.h"

#include <QFile>

StandInMailer::StandInMailer()
    : oldPath_(qgetenv("PATH")) {
    qputenv("PATH", QFile::encodeName(bin_.path()) + ':' + oldPath_);
    install("exit 0");
}

StandInMailer::~StandInMailer() {
    qputenv("PATH", oldPath_);
}

QString StandInMailer::script() const {
    return bin_.filePath(QStringLiteral("xdg-email"));
}

QString StandInMailer::log() const {
    return bin_.filePath(QStringLiteral("arguments"));
}

void StandInMailer::install(const QByteArray& ending) {
    writeAll(script(), "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + QFile::encodeName(log()) + "'\n" +
                           ending + "\n");
    QFile::setPermissions(script(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void StandInMailer::removeFromPath() {
    qputenv("PATH", QFile::encodeName(empty_.path()));
}

void StandInMailer::makeUnrunnable() {
    writeAll(script(), "#!/nonexistent/interpreter\n");
}

bool StandInMailer::ran() const {
    return QFile::exists(log());
}

std::vector<std::string> StandInMailer::arguments() const {
    QByteArray recorded = readAll(log());
    if (recorded.isEmpty())
        return {};
    recorded.chop(1);
    std::vector<std::string> result;
    for (const QByteArray& argument : recorded.split('\0'))
        result.push_back(argument.toStdString());
    return result;
}

void StandInMailer::forget() {
    QFile::remove(log());
}

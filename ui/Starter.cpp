#include "ui/Starter.h"

#include "platform/Cp1250.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {

// An address starts with a scheme of two or more characters; "C:" and "/home" are paths.
bool isAddress(const QString& command) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(command).hasMatch();
}

} // namespace

bool TDesktopOpener::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool TDesktopOpener::StartProgram(const QString& program, const QStringList& arguments,
                                  const QString& workingDir) {
    return QProcess::startDetached(program, arguments, workingDir);
}

TStarter::TStarter(std::shared_ptr<TStarterOpener> opener)
    : opener_(std::move(opener)) {}

void TStarter::Inditas() {
    const int error = start(fromCp1250(command_));
    if (error == 0)
        return;
    lastError_ = error;
    if (OnError)
        OnError(error);
}

int TStarter::start(const QString& command) {
    if (command.isEmpty())
        return ErrorFileNotFound;
    if (!isAddress(command))
        return startFile(command);
    // Tolerant parsing keeps the address as written: a space is encoded once, on the way out,
    // and an escape already in it is not escaped again.
    const QUrl url(command, QUrl::TolerantMode);
    if (!url.isValid())
        return ErrorNoAssociation;
    if (url.isLocalFile())
        return startFile(url.toLocalFile());
    return opener_->OpenUrl(url) ? 0 : ErrorNoAssociation;
}

int TStarter::startFile(const QString& path) {
    const QString dir = fromCp1250(defaultDir_);
    const QFileInfo file(QDir(dir).filePath(path));
    if (!file.exists())
        return ErrorFileNotFound;
    if (!parameters_.empty() && file.isFile() && file.isExecutable()) {
        const QString workingDir = dir.isEmpty() ? file.absolutePath() : QDir(dir).absolutePath();
        const QStringList arguments = QProcess::splitCommand(fromCp1250(parameters_));
        return opener_->StartProgram(file.absoluteFilePath(), arguments, workingDir)
                   ? 0
                   : ErrorNoAssociation;
    }
    return opener_->OpenUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? 0 : ErrorNoAssociation;
}

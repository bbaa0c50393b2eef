#include "output/MapiMail.h"

#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>

namespace {

// xdg-email's own code for "the action failed".
constexpr int ActionFailed = 4;

QStringList mailArguments(const std::string& subject, const std::string& body,
                          const QString& fileName, const std::string& recipientAddress) {
    // Qt hands arguments over as UTF-8, which --utf8 tells xdg-email.
    QStringList arguments{QStringLiteral("--utf8")};
    if (!subject.empty())
        arguments << QStringLiteral("--subject") << fromCp1250(subject);
    if (!body.empty())
        arguments << QStringLiteral("--body") << fromCp1250(body);
    if (!fileName.isEmpty())
        arguments << QStringLiteral("--attach") << fileName;
    // As the value of --to the address is encoded by xdg-email, so neither a leading '-' nor
    // a '?' in it can add options or fields of its own.
    if (!recipientAddress.empty())
        arguments << QStringLiteral("--to") << fromCp1250(recipientAddress);
    return arguments;
}

// Starts the process and waits for it to end, keeping the program's windows painted
// meanwhile. False when it could not be started.
bool runToEnd(QProcess& process) {
    if (QCoreApplication::instance() == nullptr) {
        process.start();
        if (!process.waitForStarted(-1))
            return false;
        process.waitForFinished(-1);
        return true;
    }
    QEventLoop loop;
    bool started = true;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            started = false;
            loop.quit();
        }
    });
    process.start();
    // A failed start may already have been reported inside start().
    if (started && process.state() != QProcess::NotRunning)
        loop.exec();
    return started && process.error() != QProcess::FailedToStart;
}

} // namespace

int MapiKuldes(const std::string& subject, const std::string& body, const QString& fileName,
               const std::string& senderName, const std::string& senderAddress,
               const std::string& recipientName, const std::string& recipientAddress) {
    (void)senderName;
    (void)senderAddress;
    (void)recipientName;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return MapiNincsLevelezo;
    QProcess process;
    process.setProgram(program);
    process.setArguments(mailArguments(subject, body, fileName, recipientAddress));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!runToEnd(process))
        return MapiNincsLevelezo;
    if (process.exitStatus() != QProcess::NormalExit)
        return ActionFailed;
    return process.exitCode();
}

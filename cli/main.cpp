#include "app/Config.h"
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHashSeed>
#include <QTextStream>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

// Only the printed word list needs fonts and painting; the other commands start without a
// window system. The printed list needs no display either: unless told otherwise, it runs on
// the offscreen platform.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!needsGuiApplication(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    // A fixed moment asks for outputs that are the same on every run and in every time zone.
    // Qt's PDF writer orders its fonts by hash and writes its date's zone in a text whose
    // length depends on the zone, so the hashes are fixed and the zone is UTC.
    if (qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")) {
        QHashSeed::setDeterministicGlobalSeed();
        qputenv("TZ", "UTC");
        tzset();
    }
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vemba-cli"));
    // The data folder and the settings file are found as the program finds them.
    initConfig(QCoreApplication::applicationFilePath(), TRect{});
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return runCli(arguments, out, err);
}

#include "app/Config.h"
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vemba-cli"));
    // The data folder and the settings file are found as the program finds them.
    initConfig(QCoreApplication::applicationFilePath(), TRect{});
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return runCli(arguments, out, err);
}

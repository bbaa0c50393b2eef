#pragma once

#include "cli/Cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// One run of vemba-cli in this process: the exit status and what it wrote to each stream.
struct CliRun {
    int status;
    QString out;
    QString err;
};

inline CliRun run(const QStringList& arguments) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = runCli(arguments, outStream, errStream);
    return {status, out, err};
}

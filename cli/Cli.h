#pragma once

#include <QStringList>

class QTextStream;

// vemba-cli, the headless companion: the whole command line in, the exit status out.
// 0 success, 1 an error (reported as "vemba-cli: <message>"), 2 a usage error.
// Output and errors are UTF-8 text written to the given streams.
int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Whether the command line (without the program's name) writes an output that needs Qt's GUI
// classes, fonts and painting: runCli then needs a QGuiApplication instead of a
// QCoreApplication, which is all the other commands need.
bool needsGuiApplication(const QStringList& arguments);

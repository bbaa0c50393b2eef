#pragma once

#include <QString>
#include <QStringList>

// What the program does at start besides showing its window.

// The folder of the sample tests that come with the program: share/vemba/Ask beside the
// folder of the executable (bin/ when installed, the build tree's app/ when run from there).
QString sampleTestsFolder(const QString& programFolder);

// Copies every sample test (*.ask) of fromFolder into dataFolder/Ask that is not there yet, so
// that the open dialog's first proposal exists; the user's own files are never replaced. The
// folder is created when missing. Failures are not reported: the samples are a convenience.
// Returns the number of files copied.
int installSampleTests(const QString& fromFolder, const QString& dataFolder);

// Whether the command line only asks for the help or the version text, which the program
// prints without a window, so it needs no display.
bool onlyPrintsText(const QStringList& arguments);

// The command line: an optional test file to open into the drill at start.
struct StartupOptions {
    QString testFile;
};
// Handles --help and --version itself (prints and exits, as command-line programs do).
StartupOptions parseCommandLine(const QStringList& arguments);

// Set in the environment, the program quits right after its window is first shown (and the
// test named on the command line opened) and prints the time it took: the start-up benchmark.
inline constexpr const char* QuitAfterShowVariable = "VEMBA_QUIT_AFTER_SHOW";

#include "app/Config.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "platform/WorkArea.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

// The start-up benchmark: once the window has been shown, the command line's test opened and
// the event loop reached, prints the time since main began, the steady clock's reading
// (shared by all processes), from which the benchmark measures the time since it started
// the process, and the peak resident memory so far.
void quitAfterFirstShow(const QElapsedTimer& clock) {
    QTimer::singleShot(0, qApp, [&clock] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::fprintf(
            stderr, "vemba: window shown after %lld ms; steady clock %lld ns; peak RSS %ld kB\n",
            static_cast<long long>(clock.elapsed()),
            static_cast<long long>(std::chrono::nanoseconds(now).count()), usage.ru_maxrss);
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (onlyPrintsText(arguments) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEMBA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("hu.vemba.Vemba"));
    // Before the command line is read, so that its help is Hungarian too.
    installQtTranslation(app);
    const StartupOptions options = parseCommandLine(QCoreApplication::arguments());

    initConfig(QCoreApplication::applicationFilePath(), primaryWorkArea());

    Tfrm_Main window;
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/vemba/vemba.png")));
    installSampleTests(sampleTestsFolder(QCoreApplication::applicationDirPath()),
                       config().AdatMappa);
    window.show();
    window.activateWindow();
    if (!options.testFile.isEmpty())
        window.openTest(options.testFile);
    if (qEnvironmentVariableIsSet(QuitAfterShowVariable))
        quitAfterFirstShow(clock);
    return QApplication::exec();
}

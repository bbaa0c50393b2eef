#include "app/Config.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "platform/WorkArea.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <cstdio>

namespace {

// The start-up benchmark: the time from the start of main until the window has been shown,
// the command line's test opened and the first frame painted.
void quitAfterFirstShow(const QElapsedTimer& clock) {
    QTimer::singleShot(0, qApp, [&clock] {
        std::fprintf(stderr, "vemba: window shown after %lld ms\n",
                     static_cast<long long>(clock.elapsed()));
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEMBA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("hu.vemba.Vemba"));
    const StartupOptions options = parseCommandLine(QCoreApplication::arguments());

    initConfig(QCoreApplication::applicationFilePath(), primaryWorkArea());
    installQtTranslation(app);

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

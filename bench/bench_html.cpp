// Measures the web page of a test of 100,000 pairs, the two ways a user meets it:
//  - vemba-cli convert IN OUT.htm, the whole process from its start to its end;
//  - "OK" in the HTML export dialog on the drill table, from the click until the page is
//    written and the events that follow are processed, with the progress bar moving (window
//    messages let through every ten records). The page is handed to a launcher that opens
//    nothing.
// Each figure is the median of several runs, so a build beside the benchmark does not decide
// it.
//
//   bench_html [VEMBA_CLI]    VEMBA_CLI: the program to measure (default: the one built here)

#include "app/Config.h"
#include "bench/BenchPairs.h"
#include "bench/BenchSupport.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "output/Rezi2Ruva.h"
#include "platform/Cp1250.h"
#include "ui/ScriptedDialogs.h"
#include "ui/Starter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int PairCount = 100'000;
constexpr int Runs = 7;
constexpr double CliLimit = 300.0;
constexpr double DialogLimit = 600.0;

class NoOpener : public TStarterOpener {
public:
    bool OpenUrl(const QUrl&) override { return true; }
    bool StartProgram(const QString&, const QStringList&, const QString&) override { return true; }
};

void report(const char* what, double ms, double limit) {
    std::printf("%-60s %9.1f ms   (limit %.0f ms)%s\n", what, ms, limit,
                ms <= limit ? "" : "   OVER");
}

// The whole vemba-cli process, or -1 when it fails.
double cliRun(const QString& program, const QString& in, const QString& out) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, {QStringLiteral("convert"), in, out});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "vemba-cli failed: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

struct DialogRun {
    double ms;
    int progressSteps;
};

DialogRun dialogRun(TMemTable& table, TStarter& starter, const QString& out) {
    Tfrm_Rezi2Ruva dialog(table, MezoListaBetoltes(NyelvOszlopok(false)), "nagy.ask", "", {},
                          starter);
    dialog.show();
    QCoreApplication::processEvents();
    dialog.Edit1->setText(out);
    int steps = 0;
    QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged, [&](int) { ++steps; });
    QElapsedTimer timer;
    timer.start();
    dialog.Button1->click();
    QCoreApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return {dialog.isVisible() ? -1 : ms, steps};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VEMBA_CLI);

    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("Vemba.ini"))).open(QIODevice::WriteOnly);
    initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1040});
    TMemTable table("Tbl");
    fillDrillPairs(table, PairCount);
    const QString in = dir.filePath(QStringLiteral("nagy.ask"));
    table.SaveToFile(in);
    const QString out = dir.filePath(QStringLiteral("nagy.htm"));

    std::printf("Web page of a test of %d pairs, median of %d runs\n", PairCount, Runs);
    std::vector<double> cli;
    for (int i = 0; i < Runs; ++i) {
        const double ms = cliRun(program, in, out);
        if (ms < 0)
            return 1;
        cli.push_back(ms);
    }
    report("vemba-cli convert IN OUT.htm (whole process)", median(cli), CliLimit);
    std::printf("  page size %lld bytes\n", static_cast<long long>(QFile(out).size()));

    ScriptedMessageBoxes boxes;
    TStarter starter(std::make_shared<NoOpener>());
    std::vector<double> dialog;
    int steps = 0;
    for (int i = 0; i < Runs; ++i) {
        const DialogRun run = dialogRun(table, starter, out);
        if (run.ms < 0 || !boxes.shown().empty()) {
            std::fprintf(stderr, "the dialog did not write the page\n");
            return 1;
        }
        dialog.push_back(run.ms);
        steps = run.progressSteps;
    }
    report("\"OK\" in the HTML export dialog", median(dialog), DialogLimit);
    std::printf("  progress bar moved %d times\n", steps);
    return 0;
}

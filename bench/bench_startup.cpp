// Measures the program's start: from starting the vemba process until its main window is
// shown with a test of 100,000 pairs opened from the command line, and the peak resident
// memory of that run. The program runs offscreen with VEMBA_QUIT_AFTER_SHOW set, so it quits
// right after the first show and prints the steady clock's reading at that moment; the
// clock is shared by all processes, so the difference to the reading taken here just before
// the start is the time from process start to the shown window. The program reports its
// peak resident set size at the same moment. The data folder is a temporary one.
//
//   bench_startup [VEMBA]    VEMBA: the program to measure (default: the one built with this)

#include "app/Startup.h"
#include "bench/BenchPairs.h"
#include "bench/BenchSupport.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int PairCount = 100'000;
constexpr int Runs = 7;
constexpr double TargetMilliseconds = 300.0;
constexpr double TargetMebibytes = 120.0;

struct Run {
    double shownMilliseconds = 0; // process start to shown window
    double sinceMainMilliseconds = 0;
    double wholeMilliseconds = 0; // process start to process end
    double peakMebibytes = 0;
};

std::optional<long long> captured(const QString& text, const QString& pattern) {
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

long long steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<Run> runOnce(const QString& vemba, const QString& test, const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QString::fromLatin1(QuitAfterShowVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    QProcess process;
    process.setProcessEnvironment(environment);
    const long long started = steadyNanoseconds();
    process.start(vemba, {test});
    if (!process.waitForFinished(60'000) || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: %s did not run: %s\n", qPrintable(vemba),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    const double whole = static_cast<double>(steadyNanoseconds() - started) / 1e6;
    const QString report = QString::fromLocal8Bit(process.readAllStandardError());
    const auto shownAt = captured(report, QStringLiteral("steady clock (\\d+) ns"));
    const auto sinceMain = captured(report, QStringLiteral("shown after (\\d+) ms"));
    const auto peak = captured(report, QStringLiteral("peak RSS (\\d+) kB"));
    if (!shownAt || !sinceMain || !peak) {
        std::fprintf(stderr, "bench_startup: unexpected report:\n%s\n", qPrintable(report));
        return std::nullopt;
    }
    return Run{static_cast<double>(*shownAt - started) / 1e6, static_cast<double>(*sinceMain),
               whole, static_cast<double>(*peak) / 1024.0};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString vemba = arguments.size() > 1 ? arguments.at(1) : QStringLiteral(VEMBA_EXECUTABLE);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString test = writeDrillTest(dir.filePath(QStringLiteral("szazezer.ask")), PairCount);
    const QString home = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);

    std::printf("vemba start-up with %d pairs opened from the command line (%d runs after a "
                "warm-up)\n",
                PairCount, Runs);
    std::printf("%4s %14s %14s %14s %10s\n", "run", "start-shown ms", "main-shown ms",
                "whole run ms", "peak MiB");
    if (!runOnce(vemba, test, home))
        return 1;
    std::vector<double> shown, peaks;
    for (int i = 1; i <= Runs; ++i) {
        const std::optional<Run> run = runOnce(vemba, test, home);
        if (!run)
            return 1;
        std::printf("%4d %14.1f %14.1f %14.1f %10.1f\n", i, run->shownMilliseconds,
                    run->sinceMainMilliseconds, run->wholeMilliseconds, run->peakMebibytes);
        shown.push_back(run->shownMilliseconds);
        peaks.push_back(run->peakMebibytes);
    }
    const double shownMedian = median(shown);
    const double peakMax = *std::max_element(peaks.begin(), peaks.end());
    std::printf("median start-shown %.1f ms (target <= %.0f ms): %s\n", shownMedian,
                TargetMilliseconds, shownMedian <= TargetMilliseconds ? "met" : "MISSED");
    std::printf("largest peak RSS %.1f MiB (target <= %.0f MiB): %s\n", peakMax, TargetMebibytes,
                peakMax <= TargetMebibytes ? "met" : "MISSED");
    return 0;
}

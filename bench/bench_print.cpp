// Measures the printed word list: vemba-cli writing the PDF of a test of 10,000 pairs and of
// 100,000 pairs (wall time and the peak resident memory of the process), and the print
// preview of 10,000 pairs: the time from the command until the preview has painted its first
// page. The preview runs offscreen in this process.
//
//   bench_print [VEMBA_CLI]    VEMBA_CLI: the program to measure (default: the one built with this)

#include "bench/BenchPairs.h"
#include "bench/BenchSupport.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "output/ListaNyomtatas.h"
#include "platform/Cp1250.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Run {
    double milliseconds = 0;
    double cpuMilliseconds = 0; // user and system: what the wall time is on an idle machine
    double peakMebibytes = 0;
};

// Runs the program to its end and takes its own peak resident memory from wait4.
std::optional<Run> runProgram(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> bytes{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return Run{static_cast<double>(clock.nsecsElapsed()) / 1e6,
               ms(usage.ru_utime) + ms(usage.ru_stime),
               static_cast<double>(usage.ru_maxrss) / 1024.0};
}

bool convert(const QString& cli, const QString& test, const QString& pdf, int pairs, int runs,
             double targetMilliseconds, std::optional<double> targetMebibytes) {
    std::vector<double> times, cpu, peaks;
    for (int i = 0; i <= runs; ++i) {
        QFile::remove(pdf);
        const std::optional<Run> run = runProgram(cli, {QStringLiteral("convert"), test, pdf});
        if (!run) {
            std::fprintf(stderr, "bench_print: %s failed\n", qPrintable(cli));
            return false;
        }
        if (i == 0)
            continue; // warm-up
        times.push_back(run->milliseconds);
        cpu.push_back(run->cpuMilliseconds);
        peaks.push_back(run->peakMebibytes);
    }
    const double time = median(times);
    const double peak = *std::max_element(peaks.begin(), peaks.end());
    std::printf("convert %7d pairs to PDF (%lld kB): median %8.1f ms (target <= %.0f ms): %s; "
                "CPU %.1f ms; peak RSS %.1f MiB",
                pairs, static_cast<long long>(QFile(pdf).size() / 1024), time, targetMilliseconds,
                time <= targetMilliseconds ? "met" : "MISSED", median(cpu), peak);
    if (targetMebibytes)
        std::printf(" (target <= %.0f MiB): %s", *targetMebibytes,
                    peak <= *targetMebibytes ? "met" : "MISSED");
    std::printf("\n");
    return true;
}

// Notes the first paint of the preview's page view, then closes the preview.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QElapsedTimer& clock)
        : clock_(clock) {
        qApp->installEventFilter(this);
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || milliseconds >= 0 || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        QPrintPreviewWidget* preview = nullptr;
        for (QWidget* up = widget->parentWidget(); up != nullptr && preview == nullptr;
             up = up->parentWidget())
            preview = qobject_cast<QPrintPreviewWidget*>(up);
        if (preview == nullptr || preview->pageCount() == 0)
            return false;
        pages = preview->pageCount();
        // Once this paint is done the page is on the screen.
        QTimer::singleShot(0, widget, [this, widget] {
            milliseconds = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            widget->window()->close();
        });
        return false;
    }

    double milliseconds = -1;
    int pages = 0;

private:
    QElapsedTimer& clock_;
};

void preview(int pairs, int runs, double targetMilliseconds) {
    TMemTable table("Tbl");
    fillDrillPairs(table, pairs);
    std::vector<double> times;
    int pages = 0;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer clock;
        FirstPaint paint(clock);
        clock.start();
        ListaNyomtatas(table, "Lista", "nyelv1", "nyelv2", false);
        pages = paint.pages;
        if (i > 0)
            times.push_back(paint.milliseconds);
    }
    const double time = median(times);
    std::printf("preview %7d pairs (%d pages): first page painted after median %.1f ms "
                "(target <= %.0f ms): %s\n",
                pairs, pages, time, targetMilliseconds,
                time >= 0 && time <= targetMilliseconds ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString cli = arguments.size() > 1 ? arguments.at(1) : QStringLiteral(VEMBA_CLI);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
    std::printf("the printed word list (runs after a warm-up; median time, largest peak)\n");
    const QString tenThousand = writeDrillTest(dir.filePath(QStringLiteral("tizezer.ask")), 10'000);
    if (!convert(cli, tenThousand, pdf, 10'000, 5, 2000, std::nullopt))
        return 1;
    const QString hundredThousand =
        writeDrillTest(dir.filePath(QStringLiteral("szazezer.ask")), 100'000);
    if (!convert(cli, hundredThousand, pdf, 100'000, 3, 15000, 300))
        return 1;
    preview(10'000, 5, 2000);
    return 0;
}

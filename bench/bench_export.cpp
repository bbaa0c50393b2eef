// Measures the exports of a drill test: vemba-cli converting 1,000,000 pairs to delimited
// text (load and write, the whole program) next to Python's csv module reading and writing
// the same file in the same run; the export dialog's text export of 1,000,000 pairs with its
// progress bar, opened from the main window on the drill; and a worksheet of 60,000 pairs. Every
// phase runs in a child process of its own, so the peak resident memory it reports is that phase's.
//
//   bench_export                 generate the files, run every phase, print the table
//   bench_export PHASE FILE      run one in-process phase on FILE, print "wall cpu peak base table"

#include "app/Config.h"
#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "data/MemTable.h"
#include "output/DataToXLS.h"
#include "output/Hatarolt.h"
#include "platform/Cp1250.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int BigCount = 1'000'000;
constexpr int SheetCount = 60'000;

const char* const Hungarian[] = {
    "alma",   "körte", "szilva", "őszibarack", "szőlő", "görögdinnye", "sárgarépa", "kenyér",
    "tojás",  "ház",   "ablak",  "ajtó",       "könyv", "füzet",       "tanító",    "szép",
    "csúnya", "gyors", "lassú",  "erős",       "öreg",  "fiatal",      "új",        "hosszú",
    "rövid",  "fehér", "fekete", "zöld",       "kék",   "sárga",       "hétfő",     "csütörtök",
    "tűz",    "víz",   "föld",   "levegő",     "felhő", "szél",        "üzlet",     "pénz"};

const char* const English[] = {
    "apple", "pear",  "plum",   "peach",  "grape", "watermelon", "carrot",  "bread",
    "egg",   "house", "window", "door",   "book",  "notebook",   "teacher", "pretty",
    "ugly",  "fast",  "slow",   "strong", "old",   "young",      "new",     "long",
    "short", "white", "black",  "green",  "blue",  "yellow",     "Monday",  "Thursday",
    "fire",  "water", "earth",  "air",    "cloud", "wind",       "shop",    "money"};

using Clock = std::chrono::steady_clock;

// A drill test as the drill saves it: shuffle keys over the whole range.
void generate(const std::string& path, int count) {
    const auto hungarian = inCp1250(Hungarian, std::size(Hungarian));
    const auto english = inCp1250(English, std::size(English));
    std::mt19937 random(20261211);
    std::ofstream out(path, std::ios::binary);
    out << "\"@@FILE VERSION@@\",\"251\"\r\n"
           "\"@@TABLEDEF START@@\"\r\n"
           "\"sorszam=Integer,0,\"\"sorszam\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
           "\"nyelv1=String,255,\"\"nyelv1\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
           "\"nyelv2=String,255,\"\"nyelv2\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
           "\"@@INDEXDEF START@@\"\r\n\"@@INDEXDEF END@@\"\r\n\"@@TABLEDEF END@@\"\r\n"
           "\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n";
    for (int i = 0; i < count; ++i)
        out << '"' << random() % 2147483647u << "\",\"" << phrase(hungarian, random) << "\",\""
            << phrase(english, random) << "\",\r\n";
}

struct Result {
    double seconds = 0;
    double cpu = 0;
    long peak = 0;  // KiB, the whole process
    long base = 0;  // KiB resident before the table was loaded
    long table = 0; // KiB the loaded table added
};

// ---- in-process phases -----------------------------------------------------------------

Result loaded(TMemTable& table, const std::string& path) {
    Result result;
    result.base = statusKib("VmRSS:");
    table.LoadFromFile(QString::fromLocal8Bit(path.c_str()));
    result.table = statusKib("VmRSS:") - result.base;
    return result;
}

// "Excelbe..." in the main window on the opened (shuffled) drill, then "Export indítás" in the
// dialog: the drill's card follows every record, with the progress bar, " file kész." answered.
Result dialogPhase(const std::string& path, int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("Vemba.ini"))).open(QIODevice::WriteOnly);
    initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1080});
    ScriptedMessageBoxes boxes;
    Tfrm_Main window(std::make_shared<TDesktopOpener>());
    window.show();
    Result result;
    result.base = statusKib("VmRSS:");
    window.openTest(QString::fromLocal8Bit(path.c_str()));
    result.table = statusKib("VmRSS:") - result.base;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Tfrm_Hatarolt*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        dialog->Edit1->setText(dir.filePath(QStringLiteral("ki.csv")));
        const auto wall = Clock::now();
        const double cpu = cpuSeconds();
        dialog->Button1->click();
        result.seconds = secondsSince(wall);
        result.cpu = cpuSeconds() - cpu;
        result.peak = statusKib("VmHWM:");
        dialog->Button2->click();
    });
    window.action("aExcelbe")->trigger();
    const bool done =
        boxes.shown().size() == 1 && boxes.shown()[0].kind == MessageBoxKind::Information;
    return done ? result : Result{};
}

Result sheetPhase(const std::string& path) {
    QTemporaryDir dir;
    TMemTable table("Tbl");
    Result result = loaded(table, path);
    TDataToXLS exporter;
    exporter.SetDataSet(&table);
    const auto wall = Clock::now();
    const double cpu = cpuSeconds();
    exporter.ExportToFile(dir.filePath(QStringLiteral("ki.xls")));
    result.seconds = secondsSince(wall);
    result.cpu = cpuSeconds() - cpu;
    result.peak = statusKib("VmHWM:");
    return result;
}

// ---- the driver ------------------------------------------------------------------------

std::string selfPath() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), std::size_t(length)) : "bench_export";
}

// Runs a program to its end: its wall and CPU time and peak memory, and what it printed.
bool runProgram(std::vector<std::string> arguments, Result& result, std::string& output) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const auto wall = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    result.seconds = secondsSince(wall);
    result.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.peak = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runPhase(const std::string& phase, const std::string& path, Result& result) {
    std::string output;
    Result outer;
    if (!runProgram({selfPath(), phase, path}, outer, output))
        return false;
    return std::sscanf(output.c_str(), "%lf %lf %ld %ld %ld", &result.seconds, &result.cpu,
                       &result.peak, &result.base, &result.table) == 5;
}

const char* const PythonCsv = R"(
import csv, sys
with open(sys.argv[1], newline='', encoding='cp1250') as source, \
     open(sys.argv[2], 'w', newline='', encoding='cp1250') as target:
    writer = csv.writer(target, delimiter=';', lineterminator='\r\n')
    for row in csv.reader(source):
        writer.writerow(row)
)";

void printRow(const char* label, const Result& r, const char* budget) {
    std::printf("%-44s %8.3f s %8.3f s %9.1f MiB   %s\n", label, r.seconds, r.cpu,
                double(r.peak) / 1024.0, budget);
}

int drive() {
    QTemporaryDir dir;
    const std::string big = dir.filePath(QStringLiteral("big.ask")).toStdString();
    const std::string sheet = dir.filePath(QStringLiteral("sheet.ask")).toStdString();
    const auto start = Clock::now();
    generate(big, BigCount);
    generate(sheet, SheetCount);
    std::ifstream file(big, std::ios::binary | std::ios::ate);
    std::printf("Drill tests: %d pairs (%.1f MB) and %d pairs, generated in %.2f s\n\n", BigCount,
                double(file.tellg()) / 1e6, SheetCount, secondsSince(start));
    std::printf("%-44s %10s %10s %13s   %s\n", "phase", "wall", "cpu", "peak RSS", "budget");

    bool ok = true;
    std::string ignored;
    Result cli;
    ok &= runProgram(
        {VEMBA_CLI, "convert", big, dir.filePath(QStringLiteral("ki.csv")).toStdString()}, cli,
        ignored);
    printRow("vemba-cli convert 1M pairs to .csv", cli, "<= 0.6 s, >= 3x faster than Python");
    Result python;
    ok &= runProgram(
        {"python3", "-c", PythonCsv, big, dir.filePath(QStringLiteral("python.csv")).toStdString()},
        python, ignored);
    printRow("python3 csv module, read + write", python, "");
    std::printf("%-44s %8.1fx   %8.1fx\n", "  vemba-cli faster by (wall, cpu)",
                python.seconds / cli.seconds, python.cpu / cli.cpu);

    Result text;
    ok &= runPhase("dialog", big, text);
    printRow("dialog text export of a 1M-pair drill", text, "<= 1.5 s");
    Result xls;
    ok &= runPhase("sheet", sheet, xls);
    printRow("worksheet of 60,000 pairs", xls, "<= 0.3 s");

    std::printf(
        "\nOn a busy machine the wall time also counts the time other programs held the "
        "processor.\nMemory of the in-process phases (KiB): base before the load, the table's "
        "own, peak above base\n");
    for (const auto& [label, r] : {std::pair{"dialog text export", text}, {"worksheet", xls}})
        std::printf("  %-22s base %8ld  table %8ld  peak above base %8ld  (%.2fx the table)\n",
                    label, r.base, r.table, r.peak - r.base,
                    r.table > 0 ? double(r.peak - r.base) / double(r.table) : 0.0);
    if (!ok)
        std::printf("\na phase failed\n");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        const std::string phase = argv[1];
        Result r;
        if (phase == "dialog")
            r = dialogPhase(argv[2], argc, argv);
        else if (phase == "sheet")
            r = sheetPhase(argv[2]);
        else
            return 2;
        if (r.seconds <= 0)
            return 1;
        std::printf("%.9f %.9f %ld %ld %ld\n", r.seconds, r.cpu, r.peak, r.base, r.table);
        return 0;
    }
    return drive();
}

// Measures the word table on a drill test of 1,000,000 pairs: loading, sorting, searching
// and saving, next to a naive reader of the same file. Every phase runs in a fresh child
// process, so the peak resident memory it reports belongs to that phase and what it needs.
//
//   bench_table                 generate the file, run every phase, print the table
//   bench_table PHASE FILE      run one phase on FILE, print "wall cpu peak_kib count"
//   bench_table generate FILE   only write the test file, for profiling a phase by hand

#include "bench/BenchSupport.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int RecordCount = 1'000'000;
constexpr int SortedLocates = 2000;
constexpr int RowOrderLocates = 10;

const char* const Hungarian[] = {
    "alma",      "körte",    "szilva",   "cseresznye",  "őszibarack", "szőlő",    "görögdinnye",
    "sárgarépa", "burgonya", "hagyma",   "fokhagyma",   "káposzta",   "kenyér",   "vaj",
    "sajt",      "tej",      "tojás",    "hús",         "ház",        "kert",     "ablak",
    "ajtó",      "szék",     "asztal",   "könyv",       "füzet",      "ceruza",   "toll",
    "iskola",    "tanító",   "nagyon",   "szép",        "csúnya",     "gyors",    "lassú",
    "erős",      "gyenge",   "öreg",     "fiatal",      "új",         "régi",     "hosszú",
    "rövid",     "magas",    "alacsony", "fehér",       "fekete",     "piros",    "zöld",
    "kék",       "sárga",    "barna",    "szürke",      "hétfő",      "kedd",     "szerda",
    "csütörtök", "péntek",   "szombat",  "vasárnap",    "tavasz",     "nyár",     "ősz",
    "tél",       "hegy",     "folyó",    "tó",          "tenger",     "erdő",     "mező",
    "város",     "falu",     "utca",     "híd",         "vonat",      "autóbusz", "repülőgép",
    "hajó",      "kerékpár", "üzlet",    "piac",        "pénz",       "munka",    "szabadság",
    "egészség",  "betegség", "orvos",    "kórház",      "gyógyszer",  "víz",      "tűz",
    "föld",      "levegő",   "nap",      "hold",        "csillag",    "felhő",    "eső",
    "hó",        "szél",     "villám",   "mennydörgés", "beszél",     "olvas",    "ír",
    "számol",    "énekel",   "táncol",   "fut",         "úszik",      "repül",    "alszik",
    "ébred",     "főz",      "mos",      "takarít",     "vásárol",    "fizet",    "kérdez",
    "válaszol"};

const char* const English[] = {
    "apple",    "pear",     "plum",      "cherry",   "peach",    "grape",   "watermelon",
    "carrot",   "potato",   "onion",     "garlic",   "cabbage",  "bread",   "butter",
    "cheese",   "milk",     "egg",       "meat",     "house",    "garden",  "window",
    "door",     "chair",    "table",     "book",     "notebook", "pencil",  "pen",
    "school",   "teacher",  "very",      "pretty",   "ugly",     "fast",    "slow",
    "strong",   "weak",     "old",       "young",    "new",      "ancient", "long",
    "short",    "tall",     "low",       "white",    "black",    "red",     "green",
    "blue",     "yellow",   "brown",     "grey",     "Monday",   "Tuesday", "Wednesday",
    "Thursday", "Friday",   "Saturday",  "Sunday",   "spring",   "summer",  "autumn",
    "winter",   "mountain", "river",     "lake",     "sea",      "forest",  "meadow",
    "town",     "village",  "street",    "bridge",   "train",    "bus",     "aeroplane",
    "ship",     "bicycle",  "shop",      "market",   "money",    "work",    "holiday",
    "health",   "illness",  "doctor",    "hospital", "medicine", "water",   "fire",
    "earth",    "air",      "sun",       "moon",     "star",     "cloud",   "rain",
    "snow",     "wind",     "lightning", "thunder",  "to speak", "to read", "to write",
    "to count", "to sing",  "to dance",  "to run",   "to swim",  "to fly",  "to sleep"};

using Clock = std::chrono::steady_clock;

// Wall and CPU time of one phase.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = cpuSeconds();
};

// ---------------------------------------------------------------------------------------
// The test file

void generate(const std::string& path) {
    const auto hungarian = inCp1250(Hungarian, std::size(Hungarian));
    const auto english = inCp1250(English, std::size(English));
    std::mt19937 random(20240601);
    std::ofstream out(path, std::ios::binary);
    out << "\"@@FILE VERSION@@\",\"251\"\r\n"
           "\"@@TABLEDEF START@@\"\r\n"
           "\"sorszam=Integer,0,\"\"sorszam\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
           "\"nyelv1=String,255,\"\"nyelv1\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
           "\"nyelv2=String,255,\"\"nyelv2\"\",\"\"\"\",255,Data,\"\"\"\"\"\r\n"
           "\"@@INDEXDEF START@@\"\r\n\"@@INDEXDEF END@@\"\r\n\"@@TABLEDEF END@@\"\r\n"
           "\"sorszam\",\"nyelv1\",\"nyelv2\",\r\n";
    for (int i = 0; i < RecordCount; ++i)
        out << '"' << random() % RecordCount << "\",\"" << phrase(hungarian, random) << "\",\""
            << phrase(english, random) << "\",\r\n";
}

// ---------------------------------------------------------------------------------------
// Phases, each run in its own process

struct Result {
    double seconds = 0;
    double cpu = 0;
    long peak = 0;
    long count = 0;
};

Result measured(const Stopwatch& start, long count, int calls = 1) {
    return {secondsSince(start.wall) / calls, (cpuSeconds() - start.cpu) / calls,
            statusKib("VmHWM:"), count};
}

void loaded(TMemTable& table, const std::string& path) {
    table.LoadFromFile(QString::fromLocal8Bit(path.c_str()));
}

Result loadPhase(const std::string& path) {
    TMemTable table("Tbl");
    const Stopwatch start;
    loaded(table, path);
    return measured(start, table.RecordCount());
}

Result sortPhase(const std::string& path) {
    TMemTable table("Tbl");
    loaded(table, path);
    const Stopwatch start;
    table.SortOn("nyelv1", TOption::CaseInsensitive);
    return measured(start, table.RecordCount());
}

// Prefixes of texts that occur, half of them in capitals, as the editor's search box sends.
std::vector<std::string> searchValues(const TMemTable& table, int count) {
    std::mt19937 random(7);
    std::vector<std::string> values;
    const int field = table.FieldByName("nyelv1").Index();
    for (int i = 0; i < count; ++i) {
        const TValue value = table.ValueAt(int(random() % unsigned(table.RecordCount())), field);
        QString text = fromCp1250(std::get<std::string>(value)).left(int(1 + random() % 4));
        values.push_back(toCp1250(i % 2 == 0 ? text.toUpper() : text));
    }
    return values;
}

Result locatePhase(const std::string& path, bool sorted, int count) {
    TMemTable table("Tbl");
    loaded(table, path);
    if (sorted)
        table.SortOn("nyelv1", TOption::CaseInsensitive);
    const std::vector<std::string> values = searchValues(table, count);
    long found = 0;
    const Stopwatch start;
    for (const std::string& value : values)
        found += table.Locate("nyelv1", value, TOption::CaseInsensitive | TOption::PartialKey);
    return measured(start, found, count);
}

Result savePhase(const std::string& path) {
    TMemTable table("Tbl");
    loaded(table, path);
    const Stopwatch start;
    table.SaveToFile(QString::fromLocal8Bit((path + ".saved").c_str()));
    return measured(start, table.RecordCount());
}

// The least a reader can do: split each line at its commas and keep the pieces.
Result naivePhase(const std::string& path) {
    const Stopwatch start;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::string>> records;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> values;
        std::istringstream fields(line);
        for (std::string value; std::getline(fields, value, ',');)
            values.push_back(value);
        records.push_back(std::move(values));
    }
    return measured(start, long(records.size()));
}

int runPhase(const std::string& phase, const std::string& path) {
    Result result;
    if (phase == "generate")
        generate(path);
    else if (phase == "load")
        result = loadPhase(path);
    else if (phase == "sort")
        result = sortPhase(path);
    else if (phase == "locate-sorted")
        result = locatePhase(path, true, SortedLocates);
    else if (phase == "locate-rows")
        result = locatePhase(path, false, RowOrderLocates);
    else if (phase == "save")
        result = savePhase(path);
    else if (phase == "naive")
        result = naivePhase(path);
    else
        return 2;
    std::printf("%.9f %.9f %ld %ld\n", result.seconds, result.cpu, result.peak, result.count);
    return 0;
}

// ---------------------------------------------------------------------------------------
// The driver

std::string selfPath() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), std::size_t(length)) : "bench_table";
}

bool runChild(const std::string& phase, const std::string& path, Result& result) {
    std::string command = "'";
    command.append(selfPath()).append("' ").append(phase).append(" '").append(path).append("'");
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr)
        return false;
    const int read = std::fscanf(child, "%lf %lf %ld %ld", &result.seconds, &result.cpu,
                                 &result.peak, &result.count);
    return pclose(child) == 0 && read == 4;
}

struct Row {
    const char* phase;
    const char* label;
    const char* unit; // "s" or "us" (per call)
    const char* budget;
};

void printRow(const Row& row, const Result& result) {
    const double scale = std::string(row.unit) == "us" ? 1e6 : 1;
    std::printf("%-36s %10.3f %10.3f %-3s %9.1f MiB %8ld   %s\n", row.label, result.seconds * scale,
                result.cpu * scale, row.unit, double(result.peak) / 1024.0, result.count,
                row.budget);
}

int drive() {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("bench.ask")).toStdString();
    const auto start = Clock::now();
    generate(path);
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::printf("Drill test: %d records, %.1f MB, generated in %.2f s\n\n", RecordCount,
                double(file.tellg()) / 1e6, secondsSince(start));

    const Row rows[] = {
        {"load", "LoadFromFile", "s", "<= 0.3 s, <= 150 MiB"},
        {"sort", "SortOn nyelv1, case-insensitive", "s", "<= 0.6 s"},
        {"locate-sorted", "Locate nyelv1 (ci+partial), sorted", "us", "<= 1000 us per call"},
        {"locate-rows", "Locate nyelv1 (ci+partial), rows", "us", "per call, a scan"},
        {"save", "SaveToFile", "s", "<= 0.3 s"},
        {"naive", "naive getline + split baseline", "s", ""},
    };
    std::printf("%-36s %10s %10s %-3s %13s %8s   %s\n", "phase", "wall", "cpu", "", "peak RSS",
                "count", "budget");
    bool ok = true;
    for (const Row& row : rows) {
        Result result;
        if (!runChild(row.phase, path, result)) {
            std::printf("%-36s failed\n", row.label);
            ok = false;
            continue;
        }
        printRow(row, result);
    }
    std::printf("\nPeak RSS is that of the whole child process: the load, plus what the phase "
                "itself needed.\n");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3)
        return runPhase(argv[1], argv[2]);
    return drive();
}

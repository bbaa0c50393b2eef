// Measures the download window with a catalogue of 10,000 entries, the way a user meets it:
// opening the window on the local catalogue (reading, sorting, filling the grid and painting
// it), "Lista frissítés" from a web server on this machine (download, the check in a scratch
// table, writing the local copy, loading and sorting it, painting), and the keystrokes of the
// incremental search. Every figure includes the event processing that follows the action and
// is the median of several rounds, so a build running beside the benchmark does not decide it.
//
//   bench_download [entries]

#include "app/Config.h"
#include "bench/BenchSupport.h"
#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "download/Catalogue.h"
#include "download/Letolt.h"
#include "platform/Cp1250.h"
#include "support/HttpTestServer.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ThemeDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int DefaultEntries = 10'000;
constexpr int Rounds = 5;

const char* const Languages[] = {"angol",   "Angol", "német", "francia", "olasz",
                                 "spanyol", "orosz", "latin", "Német",   "lengyel"};
const char* const Syllables[] = {"al",  "ma",  "kör",  "te",   "szil", "va",  "ház",  "kert", "ab",
                                 "lak", "tó",  "szék", "tal",  "köny", "füz", "et",   "ce",   "ru",
                                 "za",  "ősz", "tél",  "nyár", "hó",   "eső", "szél", "fa"};

QByteArray catalogue(int entries) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<size_t> language(0, std::size(Languages) - 1);
    std::uniform_int_distribution<size_t> syllable(0, std::size(Syllables) - 1);
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    for (int i = 0; i < entries; ++i) {
        std::string name;
        for (int n = 0; n < 4; ++n)
            name += Syllables[syllable(random)];
        table.Append();
        table.SetFieldValue("nyelv", toCp1250(QString::fromUtf8(Languages[language(random)])));
        table.SetFieldValue("nev", toCp1250(QString::fromUtf8(name.c_str())));
        table.SetFieldValue("link", "http://127.0.0.1/tesztek/teszt" + std::to_string(i) + ".ask");
        table.Post();
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

double medianOf(const std::function<double()>& round) {
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i)
        times.push_back(round());
    return median(times);
}

void report(const char* what, double ms, double limit) {
    std::printf("%-52s %9.1f ms   (limit %.0f ms)%s\n", what, ms, limit,
                ms <= limit ? "" : "   OVER");
}

struct Keystrokes {
    double mean = 0;
    double worst = 0;
    int count = 0;
    void add(double ms) {
        mean = (mean * count + ms) / (count + 1);
        worst = std::max(worst, ms);
        ++count;
    }
};

void report(const char* what, const Keystrokes& keys, double limit) {
    std::printf("%-52s %9.2f ms mean, %.2f ms worst of %d   (limit %.0f ms)%s\n", what, keys.mean,
                keys.worst, keys.count, limit, keys.worst <= limit ? "" : "   OVER");
}

// Each word typed into the empty search box key by key (searching, moving the grid and
// painting), every keystroke counted with its median over the rounds.
Keystrokes typeWords(Tfrm_Letolt& frm, const std::vector<QString>& words) {
    Keystrokes keys;
    for (const QString& text : words) {
        std::vector<std::vector<double>> perKey(size_t(text.size()));
        for (int round = 0; round < Rounds; ++round) {
            frm.Edit1->clear();
            QCoreApplication::processEvents();
            for (qsizetype i = 0; i < text.size(); ++i) {
                const QChar c = text[i];
                perKey[size_t(i)].push_back(millisecondsOf([&] {
                    QTest::sendKeyEvent(QTest::Click, frm.Edit1, Qt::Key(c.toUpper().unicode()),
                                        QString(c), Qt::NoModifier);
                }));
            }
        }
        for (const auto& key : perKey)
            keys.add(median(key));
    }
    return keys;
}

// The searches alone, without the widgets: every prefix of every word.
Keystrokes searchOnly(LetoltLogic& logic, const std::vector<QString>& words) {
    Keystrokes keys;
    for (const QString& text : words) {
        for (qsizetype n = 1; n <= text.size(); ++n) {
            const std::string prefix = toCp1250(text.left(n));
            std::vector<double> rounds;
            for (int round = 0; round < Rounds; ++round) {
                QElapsedTimer timer;
                timer.start();
                logic.Kereses(prefix);
                rounds.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
            keys.add(median(rounds));
        }
    }
    return keys;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : DefaultEntries;

    HttpTestServer server;
    const QByteArray bytes = catalogue(entries);
    server.serve(QStringLiteral("/data/vemba.csv"), HttpTestServer::ok(bytes));
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("Vemba.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Download]\r\nCatalogueUrl=" +
              server.url(QStringLiteral("/data/vemba.csv")).toLatin1() + "\r\n");
    ini.close();
    initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1040});
    QFile local(localCatalogueFile(config().AdatMappa));
    local.open(QIODevice::WriteOnly);
    local.write(bytes);
    local.close();
    ScriptedMessageBoxes boxes;

    std::printf("Download window, a catalogue of %d entries (%lld bytes)\n", entries,
                static_cast<long long>(bytes.size()));
    report("open the window on the local catalogue", medianOf([] {
               return millisecondsOf([] {
                   Tfrm_Letolt frm;
                   frm.Megnyitas();
                   frm.show();
                   QCoreApplication::processEvents();
               });
           }),
           300);

    Tfrm_Letolt frm;
    frm.Megnyitas();
    frm.show();
    QCoreApplication::processEvents();
    if (frm.logic().Tbl().RecordCount() != entries) {
        std::fprintf(stderr, "the catalogue did not load\n");
        return 1;
    }
    report("refresh from a local server (aFrissit)",
           medianOf([&] { return millisecondsOf([&] { frm.aFrissit->trigger(); }); }), 500);
    if (server.requests(QStringLiteral("/data/vemba.csv")) != Rounds ||
        frm.logic().Tbl().RecordCount() != entries) {
        std::fprintf(stderr, "the refresh failed\n");
        return 1;
    }

    const std::vector<QString> byLanguage = {QStringLiteral("német"), QStringLiteral("spanyol"),
                                             QStringLiteral("qqq")};
    report("search keystroke, by language", typeWords(frm, byLanguage), 5);
    report("  of which Locate alone", searchOnly(frm.logic(), byLanguage), 5);
    Q_EMIT frm.DBGrid1->titleClick(1, "nev");
    QCoreApplication::processEvents();
    const std::vector<QString> byName = {QStringLiteral("kertház"), QStringLiteral("szélfa"),
                                         QStringLiteral("qqq")};
    report("search keystroke, by name", typeWords(frm, byName), 5);
    report("  of which Locate alone", searchOnly(frm.logic(), byName), 5);
    return 0;
}

// Measures the test editor on a test of 100,000 pairs, the way a user meets it: opening the
// file (reading it, filling the grid and painting it), a click on a column title (sorting and
// painting), the keystrokes of the incremental search (searching, moving the grid and
// painting) and a jump to the last pair and back. Every figure includes the event processing that
// follows the action.
//
//   bench_editor [pairs]

#include "app/Config.h"
#include "bench/BenchSupport.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "editor/Teszt.h"
#include "platform/Cp1250.h"
#include "ui/ScriptedDialogs.h"
#include "ui/ThemeDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int DefaultPairs = 100'000;

const char* const Syllables[] = {
    "al",   "ma",  "kör",  "te",   "szil", "va", "ház", "kert", "ab",  "lak", "aj",  "tó",
    "szék", "asz", "tal",  "köny", "füz",  "et", "ce",  "ru",   "za",  "ősz", "tél", "nyár",
    "hó",   "eső", "szél", "fa",   "hegy", "vá", "ros", "u",    "tca", "híd", "ú",   "szik"};

// A word of two to four syllables, in code page 1250.
std::string word(std::mt19937& random) {
    std::uniform_int_distribution<int> count(2, 4);
    std::uniform_int_distribution<size_t> pick(0, std::size(Syllables) - 1);
    std::string utf8;
    for (int i = count(random); i > 0; --i)
        utf8 += Syllables[pick(random)];
    return toCp1250(QString::fromUtf8(utf8.c_str()));
}

void writeTest(const QString& path, int pairs) {
    std::mt19937 random(20240601);
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    for (int i = 0; i < pairs; ++i) {
        table.Append();
        table.SetFieldValue("nyelv1", word(random));
        table.SetFieldValue("nyelv2", word(random));
        table.SetFieldValue("hanyszor", std::int32_t(1));
        table.Post();
    }
    table.SaveToFile(path);
}

struct Keystrokes {
    double mean = 0;
    double worst = 0;
    int count = 0;
};

constexpr int Repetitions = 5;

Keystrokes summary(const std::vector<double>& times) {
    Keystrokes result;
    result.count = int(times.size());
    result.worst = *std::max_element(times.begin(), times.end());
    result.mean = std::accumulate(times.begin(), times.end(), 0.0) / double(times.size());
    return result;
}

// Types each word into the empty search box, key by key. Each word is typed several times
// and every keystroke counts with its median, so a build running beside the benchmark does
// not decide the figure.
Keystrokes typeWords(Tfrm_Teszt& editor, const std::vector<QString>& words) {
    std::vector<double> times;
    for (const QString& text : words) {
        std::vector<std::vector<double>> perKey(size_t(text.size()));
        for (int round = 0; round < Repetitions; ++round) {
            editor.Edit1->clear();
            QCoreApplication::processEvents();
            for (qsizetype i = 0; i < text.size(); ++i) {
                const QChar c = text[i];
                perKey[size_t(i)].push_back(millisecondsOf([&] {
                    QTest::sendKeyEvent(QTest::Click, editor.Edit1, Qt::Key(c.toUpper().unicode()),
                                        QString(c), Qt::NoModifier);
                }));
            }
        }
        for (const auto& key : perKey)
            times.push_back(median(key));
    }
    return summary(times);
}

// The searches alone, without the widgets: every prefix of every word.
Keystrokes searchOnly(TesztLogic& logic, const std::vector<QString>& words) {
    std::vector<double> times;
    for (const QString& text : words) {
        for (qsizetype n = 1; n <= text.size(); ++n) {
            const std::string prefix = toCp1250(text.left(n));
            std::vector<double> rounds;
            for (int round = 0; round < Repetitions; ++round) {
                QElapsedTimer timer;
                timer.start();
                logic.Kereses(prefix);
                rounds.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
            times.push_back(median(rounds));
        }
    }
    return summary(times);
}

// Search texts taken from the table itself (found) and made up (not found, the worst case of
// a scan through every record).
std::vector<QString> searchWords(const TMemTable& table, const char* field) {
    std::vector<QString> words;
    const int index = table.FieldByName(field).Index();
    for (const int row : {7, table.RecordCount() / 2, table.RecordCount() - 3}) {
        const TValue value = table.ValueAt(row, index);
        words.push_back(fromCp1250(std::get<std::string>(value)).left(6));
    }
    words.push_back(QStringLiteral("qqqq"));
    return words;
}

void report(const char* what, double ms, double limit) {
    std::printf("%-52s %9.1f ms   (limit %.0f ms)%s\n", what, ms, limit,
                ms <= limit ? "" : "   OVER");
}

void report(const char* what, const Keystrokes& keys, double limit) {
    std::printf("%-52s %9.2f ms mean, %.2f ms worst of %d   (limit %.0f ms)%s\n", what, keys.mean,
                keys.worst, keys.count, limit, keys.worst <= limit ? "" : "   OVER");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : DefaultPairs;

    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("Vemba.ini"))).open(QIODevice::WriteOnly);
    initConfig(dir.filePath(QStringLiteral("vemba")), TRect{0, 0, 1920, 1040});
    const QString path = dir.filePath(QStringLiteral("nagy.ask"));
    writeTest(path, pairs);

    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    Tfrm_Teszt editor;
    editor.show();
    QCoreApplication::processEvents();

    std::printf("Test editor, %d pairs\n", pairs);
    files.choose(path);
    report("open the test (aMegnyit)", millisecondsOf([&] { editor.aMegnyit->trigger(); }), 300);
    if (editor.logic().Tbl().RecordCount() != pairs) {
        std::fprintf(stderr, "the test did not load\n");
        return 1;
    }

    const auto nyelv1 = searchWords(editor.logic().Tbl(), "nyelv1");
    report("search keystroke, file order (scan of nyelv1)", typeWords(editor, nyelv1), 5);
    report("  of which Locate alone", searchOnly(editor.logic(), nyelv1), 5);

    report("title click on \"Második nyelv\" (sort on nyelv2)",
           millisecondsOf([&] { Q_EMIT editor.DBGrid1->titleClick(1, "nyelv2"); }), 100);
    const auto nyelv2 = searchWords(editor.logic().Tbl(), "nyelv2");
    report("search keystroke, sorted on nyelv2", typeWords(editor, nyelv2), 5);
    report("  of which Locate alone", searchOnly(editor.logic(), nyelv2), 5);

    report("scroll to the last pair (Ctrl+End in the grid)", millisecondsOf([&] {
               QTest::keyClick(editor.DBGrid1, Qt::Key_End, Qt::ControlModifier);
           }),
           50);
    report("and back to the first (Ctrl+Home)", millisecondsOf([&] {
               QTest::keyClick(editor.DBGrid1, Qt::Key_Home, Qt::ControlModifier);
           }),
           50);

    report("title click on \"Első nyelv\" (sort on nyelv1)",
           millisecondsOf([&] { Q_EMIT editor.DBGrid1->titleClick(0, "nyelv1"); }), 100);
    report("search keystroke, sorted on nyelv1", typeWords(editor, nyelv1), 5);
    report("  of which Locate alone", searchOnly(editor.logic(), nyelv1), 5);
    return 0;
}

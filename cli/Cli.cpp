#include "cli/Cli.h"

#include "app/Config.h"
#include "app/Drill.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "download/Catalogue.h"
#include "editor/CsvImport.h"
#include "editor/TesztLogic.h"
#include "platform/Cp1250.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <vector>

namespace {

const char* const Usage = R"(Usage:
  vemba-cli info FILE
      Prints the fields of a test file (name, type, size, display name) and its
      number of records.
  vemba-cli convert [--table drill|editor|catalogue] [--sort FIELDS]
                    [--case-insensitive] IN OUT
      Loads IN into a table with the fields of the named window (default: drill),
      optionally sorts it on FIELDS (a ";" list), and writes it to OUT.
  vemba-cli convert --shuffle [--append FILE]... IN OUT
      Opens IN as the drill does, appends each FILE as "Hozzányit..." does, and
      writes the drill in its shuffled order.
  vemba-cli convert --import IN OUT
      Imports the semicolon-separated text file IN as the test editor's "Import"
      does in a new test, and writes the pairs in the editor's order (by the first
      language, ignoring case).
  vemba-cli download URL OUT
      Downloads the http or https URL into OUT as the download window does; OUT is
      replaced only by a complete download and stays as it was on failure.
  vemba-cli catalogue [--refresh] [--url URL]
      Prints the catalogue of downloadable tests as the download window shows it,
      one test a line: language, name and link, separated by tabs. --refresh first
      fetches it again as "Lista frissítés" does, from URL, else from [Download]
      CatalogueUrl of the settings file, else from the maker's catalogue.
  vemba-cli --help | --version

OUT is a test file (.ask). Texts are UTF-8 on the command line and the terminal.
Exit status: 0 success, 1 error, 2 usage error.
)";

// A mistake in the command line itself: reported with the usage text, exit status 2.
struct UsageError {
    QString message;
};

struct ConvertJob {
    QString table = QStringLiteral("drill");
    QString sortFields;
    bool sort = false;
    bool caseInsensitive = false;
    bool shuffle = false;
    QStringList appends;
    bool import = false;
    QString in;
    QString out;
};

const std::map<QString, std::function<void(TMemTable&)>>& tableKinds() {
    static const std::map<QString, std::function<void(TMemTable&)>> kinds = {
        {QStringLiteral("drill"), DefineDrillFields},
        {QStringLiteral("editor"), DefineEditorFields},
        {QStringLiteral("catalogue"), DefineCatalogueFields},
    };
    return kinds;
}

// A closed table named "Tbl" with the fields the named window defines.
std::unique_ptr<TMemTable> windowTable(const QString& kind) {
    auto table = std::make_unique<TMemTable>("Tbl");
    tableKinds().at(kind)(*table);
    return table;
}

const char* typeName(TFieldType type) {
    return type == TFieldType::Integer ? "Integer" : "String";
}

// One kind of file convert writes. OUT's extension chooses it; the options it lists belong
// to it alone, so giving one of them with another kind of output is a usage error.
struct OutputFormat {
    // Whether OUT's extension (without the dot, compared ignoring case) selects this format.
    std::function<bool(const QString& suffix)> matches;
    QStringList options;
    std::function<void(TMemTable& table, const QCommandLineParser& parser, const ConvertJob& job)>
        write;
};

bool suffixIs(const QString& suffix, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) {
        return suffix.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    });
}

// The formats in the order they are tried: the first that matches OUT's extension writes it.
const std::vector<OutputFormat>& outputFormats() {
    static const std::vector<OutputFormat> formats = {
        {[](const QString& suffix) { return suffixIs(suffix, {"ask"}); },
         {},
         [](TMemTable& table, const QCommandLineParser&, const ConvertJob& job) {
             table.SaveToFile(job.out);
         }},
    };
    return formats;
}

const OutputFormat& outputFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    for (const OutputFormat& format : outputFormats())
        if (format.matches(suffix))
            return format;
    throw UsageError{QStringLiteral("OUT must be a test file ending in .ask: ") + path};
}

// Every format option given must belong to OUT's format.
void checkFormatOptions(const QCommandLineParser& parser, const OutputFormat& chosen) {
    for (const OutputFormat& format : outputFormats())
        for (const QString& option : format.options)
            if (parser.isSet(option) && !chosen.options.contains(option))
                throw UsageError{QStringLiteral("--") + option +
                                 QStringLiteral(" does not apply to this output: ") +
                                 parser.positionalArguments().value(2)};
}

// Writes the table, in its current order, in the format OUT's extension chooses.
void writeOutput(TMemTable& table, const QCommandLineParser& parser, const ConvertJob& job) {
    outputFormat(job.out).write(table, parser, job);
}

int runInfo(const QStringList& positional, QTextStream& out) {
    if (positional.size() != 2)
        throw UsageError{QStringLiteral("info takes one FILE")};
    auto table = windowTable(QStringLiteral("drill"));
    table->Open();
    table->LoadFromFile(positional.at(1));
    for (int i = 0; i < table->FieldCount(); ++i) {
        const TField& field = table->Fields(i);
        out << fromCp1250(field.FieldName()) << '\t' << typeName(field.DataType()) << '\t'
            << field.Size() << '\t' << fromCp1250(field.DisplayName()) << '\n';
    }
    out << "records\t" << table->RecordCount() << '\n';
    return 0;
}

void convertTable(const QCommandLineParser& parser, const ConvertJob& job) {
    auto table = windowTable(job.table);
    table->Open();
    table->LoadFromFile(job.in);
    if (job.sort) {
        TOptions options;
        if (job.caseInsensitive)
            options |= TOption::CaseInsensitive;
        table->SortOn(toCp1250(job.sortFields), options);
    }
    writeOutput(*table, parser, job);
}

ConvertJob convertJob(const QCommandLineParser& parser) {
    ConvertJob job;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 3)
        throw UsageError{QStringLiteral("convert takes IN and OUT")};
    job.in = positional.at(1);
    job.out = positional.at(2);
    checkFormatOptions(parser, outputFormat(job.out));
    if (parser.isSet(QStringLiteral("table")))
        job.table = parser.value(QStringLiteral("table"));
    if (!tableKinds().count(job.table))
        throw UsageError{QStringLiteral("unknown table: ") + job.table};
    job.sort = parser.isSet(QStringLiteral("sort"));
    job.sortFields = parser.value(QStringLiteral("sort"));
    job.caseInsensitive = parser.isSet(QStringLiteral("case-insensitive"));
    job.shuffle = parser.isSet(QStringLiteral("shuffle"));
    job.appends = parser.values(QStringLiteral("append"));
    if (job.caseInsensitive && !job.sort)
        throw UsageError{QStringLiteral("--case-insensitive goes with --sort")};
    if (!job.appends.isEmpty() && !job.shuffle)
        throw UsageError{QStringLiteral("--append goes with --shuffle")};
    if (job.shuffle && (job.sort || parser.isSet(QStringLiteral("table"))))
        throw UsageError{QStringLiteral("--shuffle works on the drill alone")};
    job.import = parser.isSet(QStringLiteral("import"));
    if (job.import && (job.shuffle || job.sort || parser.isSet(QStringLiteral("table"))))
        throw UsageError{QStringLiteral("--import works on the editor's table alone")};
    return job;
}

// Opens IN as "Megnyit" does and appends each further test as "Hozzányit..." does, then
// writes the drill table in its shuffled order.
void convertShuffled(const QCommandLineParser& parser, const ConvertJob& job) {
    TBeall settings;
    Drill drill(settings);
    drill.TesztMegnyitas(job.in, false);
    for (const QString& path : job.appends)
        drill.TesztMegnyitas(path, true);
    writeOutput(drill.Tbl(), parser, job);
}

// Imports IN into a test editor's table as it is right after the editor opened.
void convertImported(const QCommandLineParser& parser, const ConvertJob& job) {
    TMemTable table("Tbl");
    openEditorTable(table);
    importCsvFile(table, job.in);
    writeOutput(table, parser, job);
}

int runConvert(const QCommandLineParser& parser) {
    ConvertJob job = convertJob(parser);
    if (job.import)
        convertImported(parser, job);
    else if (job.shuffle)
        convertShuffled(parser, job);
    else
        convertTable(parser, job);
    return 0;
}

int runDownload(const QStringList& positional) {
    if (positional.size() != 3)
        throw UsageError{QStringLiteral("download takes URL and OUT")};
    const DownloadResult result = downloadToFile(positional.at(1), positional.at(2));
    if (!result.Ok)
        throw VembaError(toCp1250(result.Reason));
    return 0;
}

// One line per entry in the table's current order: nyelv, nev and link, tab-separated.
void printCatalogue(const TMemTable& table, QTextStream& out) {
    const int fields[] = {table.FieldByName("nyelv").Index(), table.FieldByName("nev").Index(),
                          table.FieldByName("link").Index()};
    for (int row = 0; row < table.RecordCount(); ++row) {
        for (int i = 0; i < 3; ++i) {
            const TValue value = table.ValueAt(row, fields[i]);
            out << (i > 0 ? "\t" : "")
                << (isNull(value) ? QString() : fromCp1250(std::get<std::string>(value)));
        }
        out << '\n';
    }
}

// The catalogue in the data folder and with the settings file the program itself uses.
int runCatalogue(const QCommandLineParser& parser, QTextStream& out) {
    if (parser.positionalArguments().size() != 1)
        throw UsageError{QStringLiteral("catalogue takes no file")};
    const bool refresh = parser.isSet(QStringLiteral("refresh"));
    if (parser.isSet(QStringLiteral("url")) && !refresh)
        throw UsageError{QStringLiteral("--url goes with --refresh")};
    const ConfigValues& values = config();
    if (values.AdatMappa.isEmpty())
        throw VembaError("the data folder is not known");
    TMemTable table("Tbl");
    if (refresh) {
        const QString url = parser.isSet(QStringLiteral("url"))
                                ? parser.value(QStringLiteral("url"))
                                : catalogueUrl(values.BeallitasFile);
        openEmptyCatalogue(table);
        const DownloadResult result = refreshCatalogue(table, url, values.AdatMappa);
        if (!result.Ok)
            throw VembaError(toCp1250(result.Reason));
    } else {
        loadLocalCatalogue(table, localCatalogueFile(values.AdatMappa));
    }
    printCatalogue(table, out);
    return 0;
}

void addOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
        {QStringLiteral("version"), QStringLiteral("Show the version.")},
        {QStringLiteral("table"), QStringLiteral("Fields of this window."), QStringLiteral("kind")},
        {QStringLiteral("sort"), QStringLiteral("Sort on these fields."), QStringLiteral("fields")},
        {QStringLiteral("case-insensitive"), QStringLiteral("Sort ignoring case.")},
        {QStringLiteral("shuffle"), QStringLiteral("Shuffle as the drill does.")},
        {QStringLiteral("append"), QStringLiteral("Append a test."), QStringLiteral("file")},
        {QStringLiteral("import"), QStringLiteral("Import a CSV file as the editor does.")},
        {QStringLiteral("refresh"), QStringLiteral("Fetch the catalogue again first.")},
        {QStringLiteral("url"), QStringLiteral("The catalogue's address."), QStringLiteral("url")},
    });
}

int dispatch(const QStringList& arguments, QTextStream& out) {
    QCommandLineParser parser;
    addOptions(parser);
    // QCommandLineParser wants the program name first.
    if (!parser.parse(QStringList{QStringLiteral("vemba-cli")} + arguments))
        throw UsageError{parser.errorText()};
    if (parser.isSet(QStringLiteral("help"))) {
        out << Usage;
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << "vemba-cli " << VEMBA_VERSION << '\n';
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if (command == QStringLiteral("info"))
        return runInfo(positional, out);
    if (command == QStringLiteral("convert"))
        return runConvert(parser);
    if (command == QStringLiteral("download"))
        return runDownload(positional);
    if (command == QStringLiteral("catalogue"))
        return runCatalogue(parser, out);
    throw UsageError{command.isEmpty() ? QStringLiteral("no command given")
                                       : QStringLiteral("unknown command: ") + command};
}

int fail(QTextStream& out, QTextStream& err, const QString& text, int status) {
    out.flush();
    err << "vemba-cli: " << text;
    err.flush();
    return status;
}

} // namespace

int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        int status = dispatch(arguments, out);
        out.flush();
        return status;
    } catch (const UsageError& e) {
        return fail(out, err, e.message + QStringLiteral("\n\n") + QString::fromUtf8(Usage), 2);
    } catch (const VembaError& e) {
        return fail(out, err, fromCp1250(e.what()) + QLatin1Char('\n'), 1);
    } catch (const std::exception& e) {
        // Not a failure of the program's own, such as memory running out on a huge file.
        return fail(out, err, QString::fromLocal8Bit(e.what()) + QLatin1Char('\n'), 1);
    }
}

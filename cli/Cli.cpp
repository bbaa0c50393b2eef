#include "cli/Cli.h"

#include "app/Config.h"
#include "app/Drill.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "download/Catalogue.h"
#include "editor/CsvImport.h"
#include "editor/TesztLogic.h"
#include "output/DataToXLS.h"
#include "output/DelimitedText.h"
#include "output/HtmlPage.h"
#include "output/RptLista.h"
#include "platform/Cp1250.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
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
  vemba-cli convert [any options above] [--title TEXT] [--left FIELD]
                    [--right FIELD] IN OUT.pdf
      Writes the pairs, in the order the other options make, as the printed word
      list: two columns on A4 pages, one pair a line, the field LEFT (default:
      nyelv1) beside the field RIGHT (default: nyelv2), TEXT at the top of every
      page (default: IN's file name).
  vemba-cli download URL OUT
      Downloads the http or https URL into OUT as the download window does; OUT is
      replaced only by a complete download and stays as it was on failure.
  vemba-cli catalogue [--refresh] [--url URL]
      Prints the catalogue of downloadable tests as the download window shows it,
      one test a line: language, name and link, separated by tabs. --refresh first
      fetches it again as "Lista frissítés" does, from URL, else from [Download]
      CatalogueUrl of the settings file, else from the maker's catalogue.
  vemba-cli --help | --version

OUT's extension, in any case, chooses what convert writes:
  .ask          a test file.
  .xls          an Excel worksheet, as the export dialog writes it.
  .htm, .html   a web page of the table, as "Html export" writes it.
  .pdf          the printed word list, as "Nyomtat" prints it (see above).
  anything else delimited text, as the export dialog writes it.
The worksheet and delimited text write the table in its current order and take:
  --fields F1,F2,...            only these fields, in the table's field order
                                (default: all)
Delimited text only, with the export dialog's defaults:
  --delimiter ';'|tab|','|'|'   after every field, the last one included
                                (default: ;)
  --qualifier '"'|"'"|none      around every value, doubled inside it
                                (default: none)
  --no-header                   an empty first line instead of the header line
  --field-names                 the header line holds field names, not display
                                names
The web page (--title also names the printed list):
  --title TEXT                  the page's title (default: IN's file name without
                                folders)
  --subtitle TEXT               the line below the title (default: none)
  --column SPEC                 a column "field;caption;width;", the width in
                                percent of the table's; repeatable, in page order,
                                replacing the default columns "nyelv1;;50;" and
                                "nyelv2;;50;"
An option of another kind of output is a usage error.
Texts are UTF-8 on the command line and the terminal.
Exit status: 0 success, 1 error (no output file is left behind), 2 usage error.
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
    // Checks the values of the format's options before anything is read; none: no values.
    std::function<void(const QCommandLineParser& parser)> check = nullptr;
    // Writing needs Qt's GUI classes (fonts, painting), so the program makes a
    // QGuiApplication for it.
    bool needsGui = false;
};

bool suffixIs(const QString& suffix, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) {
        return suffix.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    });
}

// The title of the page and of the printed list: --title, or IN's file name without folders.
QString outputTitle(const QCommandLineParser& parser, const ConvertJob& job) {
    return parser.isSet(QStringLiteral("title")) ? parser.value(QStringLiteral("title"))
                                                 : QFileInfo(job.in).fileName();
}

// The columns of --column (code page 1250), or the two languages; a column that cannot be
// read is a mistake of the command line.
TMezoLista htmlColumns(const QCommandLineParser& parser) {
    std::vector<std::string> lines;
    for (const QString& column : parser.values(QStringLiteral("column")))
        lines.push_back(toCp1250(column));
    if (lines.empty())
        lines = NyelvOszlopok(false);
    try {
        return MezoListaBetoltes(lines);
    } catch (const VembaError& error) {
        throw UsageError{QStringLiteral("--column: ") + fromCp1250(error.what())};
    }
}

// The page "Html export" writes to a fixed file name, titled with IN's file name unless
// --title says otherwise; it is neither opened nor mailed.
void writeHtmlPage(TMemTable& table, const QCommandLineParser& parser, const ConvertJob& job) {
    THtmlOldal page(table, htmlColumns(parser), toCp1250(outputTitle(parser, job)),
                    toCp1250(parser.value(QStringLiteral("subtitle"))));
    page.WriteToFile(job.out);
}

// The printed word list as a PDF file. Its title is IN's file name unless --title gives one.
void writeListaPdfOutput(TMemTable& table, const QCommandLineParser& parser,
                         const ConvertJob& job) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw VembaError("The printed word list needs a QGuiApplication");
    auto field = [&](const char* option, const char* standard) {
        const QString name = QString::fromLatin1(option);
        return parser.isSet(name) ? toCp1250(parser.value(name)) : std::string(standard);
    };
    writeListaPdf(table, toCp1250(outputTitle(parser, job)), field("left", "nyelv1"),
                  field("right", "nyelv2"), job.out);
}

// --fields: the names of the fields to write, by default every field of the table. A name
// the table does not have is an error of the table's own.
std::vector<std::string> exportFields(const TMemTable& table, const QCommandLineParser& parser) {
    std::vector<std::string> fields;
    if (!parser.isSet(QStringLiteral("fields"))) {
        for (int i = 0; i < table.FieldCount(); ++i)
            fields.push_back(table.Fields(i).FieldName());
        return fields;
    }
    for (const QString& name :
         parser.value(QStringLiteral("fields")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        fields.push_back(toCp1250(name));
        table.FieldByName(fields.back());
    }
    return fields;
}

char delimiterOption(const QCommandLineParser& parser) {
    const QString value = parser.value(QStringLiteral("delimiter"));
    if (!parser.isSet(QStringLiteral("delimiter")))
        return DelimiterChoices.front();
    if (value == QLatin1String("tab"))
        return '\t';
    for (char choice : DelimiterChoices)
        if (value == QString(QLatin1Char(choice)))
            return choice;
    throw UsageError{QStringLiteral("--delimiter takes ; tab , or |: ") + value};
}

std::string qualifierOption(const QCommandLineParser& parser) {
    const QString value = parser.value(QStringLiteral("qualifier"));
    if (!parser.isSet(QStringLiteral("qualifier")) || value == QLatin1String("none"))
        return {};
    if (value == QLatin1String("\"") || value == QLatin1String("'"))
        return toCp1250(value);
    throw UsageError{QStringLiteral("--qualifier takes \" ' or none: ") + value};
}

void checkDelimitedOptions(const QCommandLineParser& parser) {
    delimiterOption(parser);
    qualifierOption(parser);
}

// As the export dialog's "Export indítás" writes a name ending in .xls.
void writeWorkbook(TMemTable& table, const QCommandLineParser& parser, const ConvertJob& job) {
    const std::vector<std::string> fields = exportFields(table, parser);
    TDataToXLS exporter;
    exporter.SetDataSet(&table);
    // As the dialog, only leaves columns out: a field the test hides stays out in any case.
    exporter.OnBeginExport = [&](TDataExport&) {
        for (int i = 0; i < exporter.Columns.Count(); ++i) {
            TxlColumn& column = exporter.Columns[i];
            column.Save = column.Save &&
                          std::find(fields.begin(), fields.end(), column.DataField) != fields.end();
        }
    };
    exporter.ExportToFile(job.out);
}

// As the export dialog's "Export indítás" writes any other name.
void writeDelimited(TMemTable& table, const QCommandLineParser& parser, const ConvertJob& job) {
    TDelimitedTextExport exporter;
    exporter.Options.Delimiter = delimiterOption(parser);
    exporter.Options.Qualifier = qualifierOption(parser);
    exporter.Options.NoHeader = parser.isSet(QStringLiteral("no-header"));
    exporter.Options.FieldNames = parser.isSet(QStringLiteral("field-names"));
    exporter.Options.Fields = exportFields(table, parser);
    exporter.ExportToFile(table, job.out);
}

// The formats in the order they are tried: the first that matches OUT's extension writes it.
const std::vector<OutputFormat>& outputFormats() {
    static const std::vector<OutputFormat> formats = {
        {[](const QString& suffix) { return suffixIs(suffix, {"ask"}); },
         {},
         [](TMemTable& table, const QCommandLineParser&, const ConvertJob& job) {
             table.SaveToFile(job.out);
         }},
        {isWorkbookSuffix, {QStringLiteral("fields")}, writeWorkbook},
        {[](const QString& suffix) {
             return suffixIs(suffix, {"htm", "html"});
         },
         {QStringLiteral("title"), QStringLiteral("subtitle"), QStringLiteral("column")},
         writeHtmlPage,
         [](const QCommandLineParser& parser) { htmlColumns(parser); }},
        {[](const QString& suffix) { return suffixIs(suffix, {"pdf"}); },
         {QStringLiteral("title"), QStringLiteral("left"), QStringLiteral("right")},
         writeListaPdfOutput,
         nullptr,
         true},
        // Any other extension: this entry must stay the last.
        {[](const QString&) { return true; },
         {QStringLiteral("delimiter"), QStringLiteral("qualifier"), QStringLiteral("fields"),
          QStringLiteral("no-header"), QStringLiteral("field-names")},
         writeDelimited,
         checkDelimitedOptions},
    };
    return formats;
}

// The first format that claims OUT's extension; delimited text, the last, claims every one.
const OutputFormat& outputFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    for (const OutputFormat& format : outputFormats())
        if (format.matches(suffix))
            return format;
    return outputFormats().back();
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
    const OutputFormat& format = outputFormat(job.out);
    checkFormatOptions(parser, format);
    if (format.check)
        format.check(parser);
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
        // Shared by every output with a title: the web page and the printed list.
        {QStringLiteral("title"), QStringLiteral("The output's title."), QStringLiteral("text")},
        {QStringLiteral("fields"), QStringLiteral("Export these fields."), QStringLiteral("list")},
        {QStringLiteral("delimiter"), QStringLiteral("Delimiter of the text export."),
         QStringLiteral("char")},
        {QStringLiteral("qualifier"), QStringLiteral("Qualifier of the text export."),
         QStringLiteral("char")},
        {QStringLiteral("no-header"), QStringLiteral("No header line in the text export.")},
        {QStringLiteral("field-names"), QStringLiteral("Field names in the header line.")},
        {QStringLiteral("refresh"), QStringLiteral("Fetch the catalogue again first.")},
        {QStringLiteral("url"), QStringLiteral("The catalogue's address."), QStringLiteral("url")},
    });
    // The web page's own.
    parser.addOptions({
        {QStringLiteral("subtitle"), QStringLiteral("The page's subtitle."),
         QStringLiteral("text")},
        {QStringLiteral("column"), QStringLiteral("A column of the page."),
         QStringLiteral("column")},
    });
    // The printed list's own.
    parser.addOptions({
        {QStringLiteral("left"), QStringLiteral("The printed list's left field."),
         QStringLiteral("field")},
        {QStringLiteral("right"), QStringLiteral("The printed list's right field."),
         QStringLiteral("field")},
    });
}

bool parseArguments(QCommandLineParser& parser, const QStringList& arguments) {
    addOptions(parser);
    // QCommandLineParser wants the program name first.
    return parser.parse(QStringList{QStringLiteral("vemba-cli")} + arguments);
}

int dispatch(const QStringList& arguments, QTextStream& out) {
    QCommandLineParser parser;
    if (!parseArguments(parser, arguments))
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

bool needsGuiApplication(const QStringList& arguments) {
    QCommandLineParser parser;
    if (!parseArguments(parser, arguments))
        return false;
    const QStringList positional = parser.positionalArguments();
    if (positional.value(0) != QStringLiteral("convert") || positional.size() != 3)
        return false;
    return outputFormat(positional.at(2)).needsGui;
}

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

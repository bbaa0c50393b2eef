#include "CliRun.h"
#include "app/Config.h"
#include "cli/Cli.h"
#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "support/HttpTestServer.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// nyelv, nev, link (UTF-8), in file order: only case tells the first two languages apart.
QByteArray catalogue() {
    TMemTable table("Tbl");
    DefineCatalogueFields(table);
    table.Open();
    const char* entries[][3] = {{"angol", "b", "http://h/b.ask"},
                                {"Angol", "a", "http://h/a.ask"},
                                {"német", "", "http://h/c.ask"}};
    for (const auto& entry : entries) {
        table.Append();
        table.SetFieldValue("nyelv", cp(entry[0]));
        if (*entry[1] != '\0')
            table.SetFieldValue("nev", cp(entry[1]));
        table.SetFieldValue("link", cp(entry[2]));
        table.Post();
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TCSVStreamFormat::Save(table, buffer);
    return buffer.data();
}

const QString IgnoringCase = QStringLiteral("Angol\ta\thttp://h/a.ask\n"
                                            "angol\tb\thttp://h/b.ask\n"
                                            "német\t\thttp://h/c.ask\n");
const QString WithCase = QStringLiteral("angol\tb\thttp://h/b.ask\n"
                                        "Angol\ta\thttp://h/a.ask\n"
                                        "német\t\thttp://h/c.ask\n");
const QByteArray HtmlPage = "<html><body>Karbantart\xe1s</body></html>\n";

// A portable installation in a temporary folder: the settings file and the data folder are
// that folder, as the program would find them.
class CliDownloadTest : public ::testing::Test {
protected:
    CliDownloadTest() {
        writeAll(ini(), iniText);
        initConfig(dir.filePath(QStringLiteral("vemba-cli")), TRect{});
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString ini() const { return path("Vemba.ini"); }
    QString local() const { return path("vemba.csv"); }
    QString serve(const char* where, HttpTestServer::Response response) {
        server.serve(QString::fromLatin1(where), std::move(response));
        return server.url(QString::fromLatin1(where));
    }

    QTemporaryDir dir;
    QByteArray iniText;
    HttpTestServer server;
};

TEST_F(CliDownloadTest, DownloadWritesOutOrLeavesItWithTheReason) {
    const QByteArray test = "\"nyelv1\",\"nyelv2\"\r\n\"k\xf6rte\",\"pear\"\r\n";
    const QString out = path("teszt.ask");
    const CliRun ok =
        run({QStringLiteral("download"), serve("/t.ask", HttpTestServer::ok(test)), out});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.isEmpty());
    EXPECT_EQ(readAll(out), test);

    const struct {
        QString url;
        QString err;
    } failures[] = {
        {serve("/nincs.ask", HttpTestServer::status(404, "Not Found", HtmlPage)),
         QStringLiteral("vemba-cli: HTTP 404 Not Found\n")},
        {serve("/hiba.ask", HttpTestServer::status(503, "Service Unavailable", HtmlPage)),
         QStringLiteral("vemba-cli: HTTP 503 Service Unavailable\n")},
        {QStringLiteral("file:///etc/passwd"),
         QStringLiteral("vemba-cli: not an http or https address: file:///etc/passwd\n")},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.url.toStdString());
        const CliRun r = run({QStringLiteral("download"), failure.url, out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, failure.err);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(readAll(out), test);
    }
    const CliRun cut = run(
        {QStringLiteral("download"), serve("/fel.ask", HttpTestServer::truncated(test, 5)), out});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.startsWith(QStringLiteral("vemba-cli: "))) << cut.err.toStdString();
    EXPECT_EQ(readAll(out), test);
}

TEST_F(CliDownloadTest, CataloguePrintsTheLocalCopyIgnoringCase) {
    const CliRun none = run({QStringLiteral("catalogue")});
    EXPECT_EQ(none.status, 0) << none.err.toStdString();
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(local()));

    writeAll(local(), catalogue());
    const CliRun listed = run({QStringLiteral("catalogue")});
    EXPECT_EQ(listed.status, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, IgnoringCase);

    writeAll(local(), "\"@@TABLEDEF START@@\"\r\n\"nyelv=Blob,25,\"\"\"\",\"\"\"\",10\"\r\n");
    const CliRun damaged = run({QStringLiteral("catalogue")});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.out.isEmpty());
    EXPECT_TRUE(damaged.err.startsWith(QStringLiteral("vemba-cli: Unknown field type (Blob)")))
        << damaged.err.toStdString();
}

TEST_F(CliDownloadTest, RefreshPrintsWithCaseAndTheNextListingIgnoresItAgain) {
    const CliRun refreshed =
        run({QStringLiteral("catalogue"), QStringLiteral("--refresh"), QStringLiteral("--url"),
             serve("/data/vemba.csv", HttpTestServer::ok(catalogue()))});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err.toStdString();
    EXPECT_EQ(refreshed.out, WithCase);
    EXPECT_EQ(readAll(local()), catalogue());
    EXPECT_EQ(run({QStringLiteral("catalogue")}).out, IgnoringCase);
}

TEST_F(CliDownloadTest, RefreshTakesTheUrlFromTheSettingsFile) {
    const QString url = serve("/iskola/vemba.csv", HttpTestServer::ok(catalogue()));
    writeAll(ini(), "[Download]\r\nCatalogueUrl=" + url.toLatin1() + "\r\n");
    const CliRun refreshed = run({QStringLiteral("catalogue"), QStringLiteral("--refresh")});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err.toStdString();
    EXPECT_EQ(refreshed.out, WithCase);
    EXPECT_EQ(server.requests(QStringLiteral("/iskola/vemba.csv")), 1);
}

TEST_F(CliDownloadTest, FailedRefreshPrintsNothingAndKeepsTheLocalCopy) {
    writeAll(local(), catalogue());
    const struct {
        QString url;
        QString err;
    } failures[] = {
        {serve("/lap", HttpTestServer::ok(HtmlPage, "text/html")),
         QStringLiteral("vemba-cli: the download is not a catalogue\n")},
        {serve("/nincs", HttpTestServer::status(404, "Not Found", HtmlPage)),
         QStringLiteral("vemba-cli: HTTP 404 Not Found\n")},
        {QStringLiteral("ftp://127.0.0.1/vemba.csv"),
         QStringLiteral("vemba-cli: not an http or https address: ftp://127.0.0.1/vemba.csv\n")},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.url.toStdString());
        const CliRun r = run({QStringLiteral("catalogue"), QStringLiteral("--refresh"),
                              QStringLiteral("--url"), failure.url});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err, failure.err);
        EXPECT_EQ(readAll(local()), catalogue());
    }
}

TEST_F(CliDownloadTest, UsageErrors) {
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("download"), QStringLiteral("http://127.0.0.1/x")},
          QStringList{QStringLiteral("catalogue"), QStringLiteral("--url"), QStringLiteral("x")},
          QStringList{QStringLiteral("catalogue"), QStringLiteral("extra")}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CliRun r = run(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("vemba-cli catalogue [--refresh] [--url URL]")));
    }
}

// The program itself finds the data folder as the windows do: in the user's shared data
// folder. The event loop runs meanwhile, so the test's server can answer it.
TEST(CliProgram, RefreshWritesTheCatalogueIntoTheUsersDataFolder) {
    QTemporaryDir home;
    HttpTestServer server;
    server.serve(QStringLiteral("/data/vemba.csv"), HttpTestServer::ok(catalogue()));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(VEMBA_CLI),
                  {QStringLiteral("catalogue"), QStringLiteral("--refresh"),
                   QStringLiteral("--url"), server.url(QStringLiteral("/data/vemba.csv"))});
    loop.exec();
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), WithCase);
    EXPECT_EQ(readAll(home.filePath(QStringLiteral(".local/share/Vemba/vemba.csv"))), catalogue());
}

} // namespace

#include "download/UrlLetoltes.h"

#include "support/HttpTestServer.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QByteArray OldBytes = "\"old\",\"file\"\r\n";
// Code page 1250 text with every byte the test format escapes, and a NUL.
const QByteArray TestBytes =
    QByteArray("\"nyelv1\",\"nyelv2\"\r\n\"k\xf6rte\",\"pear\"\r\n\0end", 40);

// A port on which nothing listens: taken from the system and given back.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct DownloadCase {
    const char* name;
    // Sets the server up and returns the address to fetch.
    std::function<QString(HttpTestServer&)> address;
    std::optional<QByteArray> downloaded; // nothing: the download fails
    const char* reason;                   // a failure's reason contains this
};

void PrintTo(const DownloadCase& c, std::ostream* os) {
    *os << c.name;
}

QString served(HttpTestServer& server, const char* path, HttpTestServer::Response response) {
    server.serve(QString::fromLatin1(path), std::move(response));
    return server.url(QString::fromLatin1(path));
}

const DownloadCase DownloadCases[] = {
    {"TestFile",
     [](HttpTestServer& s) { return served(s, "/teszt1.ask", HttpTestServer::ok(TestBytes)); },
     TestBytes, ""},
    {"EmptyBody", [](HttpTestServer& s) { return served(s, "/ures.ask", HttpTestServer::ok("")); },
     QByteArray(), ""},
    {"NotFound",
     [](HttpTestServer& s) {
         return served(s, "/nincs.ask",
                       HttpTestServer::status(404, "Not Found", "<html>404</html>"));
     },
     std::nullopt, "HTTP 404 Not Found"},
    {"ServerError",
     [](HttpTestServer& s) {
         return served(s, "/hiba.ask",
                       HttpTestServer::status(500, "Internal Server Error", "<html>500</html>"));
     },
     std::nullopt, "HTTP 500"},
    {"RedirectFollowed",
     [](HttpTestServer& s) {
         served(s, "/uj.ask", HttpTestServer::ok(TestBytes));
         return served(s, "/regi.ask",
                       HttpTestServer::redirect(302, s.url(QStringLiteral("/uj.ask")).toLatin1()));
     },
     TestBytes, ""},
    {"RedirectChain",
     [](HttpTestServer& s) {
         served(s, "/c.ask", HttpTestServer::ok(TestBytes));
         served(s, "/b.ask", HttpTestServer::redirect(301, "/c.ask"));
         return served(s, "/a.ask",
                       HttpTestServer::redirect(307, s.url(QStringLiteral("/b.ask")).toLatin1()));
     },
     TestBytes, ""},
    {"RedirectToALocalFile",
     [](HttpTestServer& s) {
         return served(s, "/csel.ask", HttpTestServer::redirect(302, "file:///etc/passwd"));
     },
     std::nullopt, ""},
    {"StopsMidTransfer",
     [](HttpTestServer& s) {
         return served(s, "/fel.ask", HttpTestServer::truncated(TestBytes, 10));
     },
     std::nullopt, ""},
    {"SendsNothing",
     [](HttpTestServer& s) { return served(s, "/csend.ask", HttpTestServer::silent()); },
     std::nullopt, "no data received for 300 ms"},
    {"NobodyListens",
     [](HttpTestServer&) { return QStringLiteral("http://127.0.0.1:%1/x.ask").arg(closedPort()); },
     std::nullopt, "refused"},
    {"FileLink", [](HttpTestServer&) { return QStringLiteral("file:///etc/passwd"); }, std::nullopt,
     "not an http or https address: file:///etc/passwd"},
    {"FtpLink", [](HttpTestServer&) { return QStringLiteral("ftp://127.0.0.1/teszt.ask"); },
     std::nullopt, "not an http or https address"},
    {"NoHost", [](HttpTestServer&) { return QStringLiteral("http:///teszt.ask"); }, std::nullopt,
     "not an http or https address"},
    {"EmptyLink", [](HttpTestServer&) { return QString(); }, std::nullopt, "no address given"},
};

class Downloads : public ::testing::TestWithParam<DownloadCase> {
protected:
    Downloads() { settings.IdleTimeoutMs = 300; }

    // The folder holds the destination alone: no part file is left behind.
    void expectOnlyDestination(bool present) {
        const QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(entries, present ? QStringList{QStringLiteral("teszt.ask")} : QStringList{});
    }

    HttpTestServer server;
    QTemporaryDir dir;
    QString destination = dir.filePath(QStringLiteral("teszt.ask"));
    DownloadSettings settings;
};

TEST_P(Downloads, IntoAMissingFile) {
    const DownloadResult result = downloadToFile(GetParam().address(server), destination, settings);
    EXPECT_EQ(result.Ok, GetParam().downloaded.has_value()) << result.Reason.toStdString();
    if (GetParam().downloaded) {
        EXPECT_EQ(readAll(destination), *GetParam().downloaded);
        EXPECT_TRUE(result.Reason.isEmpty());
    } else {
        EXPECT_TRUE(result.Reason.contains(QString::fromLatin1(GetParam().reason)))
            << result.Reason.toStdString();
        EXPECT_FALSE(result.Reason.isEmpty());
    }
    expectOnlyDestination(GetParam().downloaded.has_value());
}

TEST_P(Downloads, OverAnOldFile) {
    writeAll(destination, OldBytes);
    const bool ok = UrlLetoltes(GetParam().address(server), destination, settings);
    EXPECT_EQ(ok, GetParam().downloaded.has_value());
    EXPECT_EQ(readAll(destination), GetParam().downloaded.value_or(OldBytes));
    expectOnlyDestination(true);
}

TEST_P(Downloads, IntoADevice) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const DownloadResult result = downloadTo(GetParam().address(server), buffer, settings);
    EXPECT_EQ(result.Ok, GetParam().downloaded.has_value());
    if (GetParam().downloaded) {
        EXPECT_EQ(buffer.data(), *GetParam().downloaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, Downloads, ::testing::ValuesIn(DownloadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Download, LocalLinksNeverReachTheServerNorTheDestination) {
    HttpTestServer server;
    QTemporaryDir dir;
    const QString destination = dir.filePath(QStringLiteral("teszt.ask"));
    writeAll(destination, OldBytes);
    const QString passwd = QStringLiteral("/etc/passwd");
    for (const QString& address :
         {QStringLiteral("file://") + passwd, passwd, QStringLiteral("FILE:///etc/passwd")}) {
        SCOPED_TRACE(address.toStdString());
        EXPECT_FALSE(UrlLetoltes(address, destination));
        EXPECT_EQ(readAll(destination), OldBytes);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(Download, SchemeIsTakenWhateverItsCase) {
    HttpTestServer server;
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::ok(TestBytes));
    QString address = server.url(QStringLiteral("/t.ask"));
    address.replace(0, 4, QStringLiteral("HTTP"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(downloadTo(address, buffer).Ok);
    EXPECT_EQ(buffer.data(), TestBytes);
}

TEST(Download, UnwritableDestinationFailsBeforeAsking) {
    HttpTestServer server;
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::ok(TestBytes));
    QTemporaryDir dir;
    const QString destination = dir.filePath(QStringLiteral("nincs/ilyen/teszt.ask"));
    const DownloadResult result = downloadToFile(server.url(QStringLiteral("/t.ask")), destination);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.Reason.startsWith(destination)) << result.Reason.toStdString();
    EXPECT_EQ(server.requests(QStringLiteral("/t.ask")), 0);
    EXPECT_FALSE(QFileInfo::exists(destination));
}

// ---- the progress window ------------------------------------------------------------------

// Records what the download shows and cancels when told to.
class RecordedProgress : public DownloadProgress {
public:
    void show(std::function<void()> cancel) override {
        ++shows;
        visible = true;
        cancel_ = std::move(cancel);
    }
    void update(qint64 received, qint64 total) override {
        updates.push_back({received, total});
        if (cancelAfter >= 0 && received >= cancelAfter && cancel_)
            cancel_();
    }
    void hide() override {
        ++hides;
        visible = false;
    }

    int shows = 0;
    int hides = 0;
    bool visible = false;
    std::vector<std::pair<qint64, qint64>> updates;
    qint64 cancelAfter = -1;

private:
    std::function<void()> cancel_;
};

class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() {
        settings.ProgressDelayMs = 50;
        settings.Progress = &progress;
        writeAll(destination, OldBytes);
    }

    const QByteArray body = QByteArray(4000, 'x');
    HttpTestServer server;
    QTemporaryDir dir;
    QString destination = dir.filePath(QStringLiteral("teszt.ask"));
    RecordedProgress progress;
    DownloadSettings settings;
};

TEST_F(ProgressTest, QuickDownloadShowsNoWindow) {
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::ok(body));
    settings.ProgressDelayMs = 5000;
    EXPECT_TRUE(UrlLetoltes(server.url(QStringLiteral("/t.ask")), destination, settings));
    EXPECT_EQ(progress.shows, 0);
    EXPECT_EQ(progress.hides, 0);
}

TEST_F(ProgressTest, LongDownloadShowsTheBytesAndHidesTheWindow) {
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::slow(body, 4, 80));
    EXPECT_TRUE(UrlLetoltes(server.url(QStringLiteral("/t.ask")), destination, settings));
    EXPECT_EQ(readAll(destination), body);
    EXPECT_EQ(progress.shows, 1);
    EXPECT_EQ(progress.hides, 1);
    ASSERT_FALSE(progress.updates.empty());
    EXPECT_EQ(progress.updates.back(), std::make_pair(qint64(4000), qint64(4000)));
}

TEST_F(ProgressTest, CancelFailsAndKeepsTheOldFile) {
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::slow(body, 4, 80));
    progress.cancelAfter = 1;
    const DownloadResult result =
        downloadToFile(server.url(QStringLiteral("/t.ask")), destination, settings);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Reason, QStringLiteral("cancelled"));
    EXPECT_EQ(readAll(destination), OldBytes);
    EXPECT_EQ(progress.hides, 1);
    EXPECT_FALSE(progress.visible);
}

// Time-outs count from the last byte, not from the start: a slow but steady transfer lives.
TEST_F(ProgressTest, SteadyTransferOutlivesTheIdleTimeOut) {
    server.serve(QStringLiteral("/t.ask"), HttpTestServer::slow(body, 6, 120));
    settings.IdleTimeoutMs = 400;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(UrlLetoltes(server.url(QStringLiteral("/t.ask")), destination, settings));
    EXPECT_GT(clock.elapsed(), 400);
    EXPECT_EQ(readAll(destination), body);
}

} // namespace

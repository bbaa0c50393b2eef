#include "output/MapiMail.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A stand-in xdg-email first on PATH: it records its arguments, NUL-separated so that blanks,
// quotes and line breaks come back exactly, and ends with the status the test gives it.
class MapiKuldesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin.isValid());
        ASSERT_TRUE(work.isValid());
        oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        installMailer("exit 0");
    }
    void TearDown() override { qputenv("PATH", oldPath); }

    // The stand-in's last command after it recorded its arguments.
    void installMailer(const QByteArray& ending) {
        const QString script = bin.filePath(QStringLiteral("xdg-email"));
        writeAll(script, "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + QFile::encodeName(log()) + "'\n" +
                             ending + "\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString log() const { return bin.filePath(QStringLiteral("arguments")); }

    // The arguments the stand-in got; empty when it never ran.
    std::vector<std::string> arguments() const {
        QByteArray recorded = readAll(log());
        if (recorded.isEmpty())
            return {};
        recorded.chop(1);
        std::vector<std::string> result;
        for (const QByteArray& argument : recorded.split('\0'))
            result.push_back(argument.toStdString());
        return result;
    }

    QTemporaryDir bin;
    QTemporaryDir work;
    QByteArray oldPath;
};

TEST_F(MapiKuldesTest, PassesEachTextAsOneArgument) {
    const QString page = work.filePath(QStringLiteral("a b \"c\" 'd'; $(touch x) `e`.htm"));
    writeAll(page, "<html>");
    const struct {
        const char* name;
        std::string subject, body; // UTF-8
        QString file;
        std::string senderName, senderAddress, recipientName, recipientAddress;
        std::vector<std::string> expected; // UTF-8
    } cases[] = {
        {"the page's mail",
         "Html küldés",
         "Html küldés",
         page,
         "",
         "",
         "",
         "",
         {"--utf8", "--subject", "Html küldés", "--body", "Html küldés", "--attach",
          page.toStdString()}},
        {"nothing but the helper's own option", "", "", {}, "", "", "", "", {"--utf8"}},
        {"a recipient by address; the name is not passed",
         "s",
         "",
         {},
         "",
         "",
         "Kiss Anna",
         "anna@example.org",
         {"--utf8", "--subject", "s", "--to", "anna@example.org"}},
        {"a recipient name alone makes no recipient",
         "",
         "",
         {},
         "",
         "",
         "Kiss Anna",
         "",
         {"--utf8"}},
        {"the sender is dropped, with or without an address",
         "",
         "b",
         {},
         "Feladó",
         "felado@example.org",
         "",
         "",
         {"--utf8", "--body", "b"}},
        {"an address that looks like an option stays the value of --to",
         "",
         "",
         {},
         "",
         "",
         "",
         "--attach=/etc/passwd?x=1",
         {"--utf8", "--to", "--attach=/etc/passwd?x=1"}},
        {"texts with quotes, blanks and line breaks",
         "\"a\" 'b' $HOME ;|&",
         "egy\r\nkettő",
         {},
         "",
         "",
         "",
         "",
         {"--utf8", "--subject", "\"a\" 'b' $HOME ;|&", "--body", "egy\r\nkettő"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(log());
        EXPECT_EQ(MapiKuldes(cp(c.subject), cp(c.body), c.file, cp(c.senderName),
                             cp(c.senderAddress), cp(c.recipientName), cp(c.recipientAddress)),
                  0);
        EXPECT_EQ(arguments(), c.expected);
    }
    // Nothing of a file name reached a shell.
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("x"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("x"))));
}

TEST_F(MapiKuldesTest, ResultIsTheHelpersExitStatus) {
    const struct {
        const char* ending;
        int result;
    } cases[] = {
        {"exit 0", 0},
        {"exit 2", 2},
        {"exit 5", 5},
        {"kill -KILL $$", 4}, // ended without a status of its own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        installMailer(c.ending);
        EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), c.result);
    }
}

// No mail helper at all, or one that cannot be run: -1, as for a missing mail system.
TEST_F(MapiKuldesTest, MissingHelperGivesMinusOne) {
    qputenv("PATH", QFile::encodeName(work.path()));
    EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), MapiNincsLevelezo);
    EXPECT_EQ(MapiNincsLevelezo, -1);

    qputenv("PATH", QFile::encodeName(bin.path()));
    QFile::setPermissions(bin.filePath(QStringLiteral("xdg-email")),
                          QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), -1);
    EXPECT_TRUE(arguments().empty());
}

} // namespace

#include "output/MapiMail.h"

#include "StandInMailer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MapiKuldesTest : public ::testing::Test {
protected:
    StandInMailer mailer;
    QTemporaryDir work;
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
        mailer.forget();
        EXPECT_EQ(MapiKuldes(cp(c.subject), cp(c.body), c.file, cp(c.senderName),
                             cp(c.senderAddress), cp(c.recipientName), cp(c.recipientAddress)),
                  0);
        EXPECT_EQ(mailer.arguments(), c.expected);
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
        mailer.install(c.ending);
        EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), c.result);
    }
}

// No mail helper at all, or one that cannot be run: -1, as for a missing mail system.
TEST_F(MapiKuldesTest, MissingHelperGivesMinusOne) {
    mailer.makeUnrunnable();
    EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), -1);
    mailer.removeFromPath();
    EXPECT_EQ(MapiKuldes("s", "b", {}, {}, {}, {}, {}), MapiNincsLevelezo);
    EXPECT_EQ(MapiNincsLevelezo, -1);
    EXPECT_FALSE(mailer.ran());
}

} // namespace

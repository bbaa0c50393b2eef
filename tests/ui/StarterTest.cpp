#include "ui/Starter.h"

#include "platform/Cp1250.h"
#include "support/TestFiles.h"
#include "ui/Links.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Notes what would have been opened; starts nothing.
class RecordingOpener : public TStarterOpener {
public:
    struct Program {
        QString program;
        QStringList arguments;
        QString workingDir;
    };

    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url);
        return succeed;
    }
    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDir) override {
        started.push_back({program, arguments, workingDir});
        return succeed;
    }

    bool succeed = true;
    std::vector<QUrl> opened;
    std::vector<Program> started;
};

class StarterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        writeAll(path(QStringLiteral("szótár.ask")), "1\r\n");
        ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("tesztek")));
        starter_.OnError = [this](int error) { errors_.push_back(error); };
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    // The temporary folder as the program holds it: code page 1250 text.
    std::string dir() const { return toCp1250(dir_.path()); }

    QTemporaryDir dir_;
    std::shared_ptr<RecordingOpener> opener_ = std::make_shared<RecordingOpener>();
    TStarter starter_{opener_};
    std::vector<int> errors_;
};

struct OpenRow {
    const char* name;
    // Command and DefaultDir, given the temporary folder (code page 1250).
    std::function<std::string(const std::string& dir)> command;
    std::function<std::string(const std::string& dir)> defaultDir;
    // The address the desktop receives, given the temporary folder.
    std::function<QUrl(const QString& dir)> expected;
    friend void PrintTo(const OpenRow& row, std::ostream* out) { *out << row.name; }
};

class StarterOpenTest : public StarterTest, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(StarterOpenTest, HandsTheDesktopTheRightAddress) {
    starter_.SetCommand(GetParam().command(dir()));
    starter_.SetDefaultDir(GetParam().defaultDir(dir()));
    starter_.Inditas();
    ASSERT_EQ(opener_->opened.size(), 1u);
    EXPECT_EQ(opener_->opened[0], GetParam().expected(dir_.path()));
    EXPECT_TRUE(opener_->started.empty());
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(starter_.LastError(), 0);
}

std::string none(const std::string&) {
    return {};
}
std::string same(const std::string& dir) {
    return dir;
}
QUrl dictionary(const QString& dir) {
    return QUrl::fromLocalFile(dir + QStringLiteral("/szótár.ask"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StarterOpenTest,
    ::testing::Values(
        OpenRow{"absolute_file", [](const std::string& d) { return d + cp("/szótár.ask"); }, none,
                dictionary},
        OpenRow{"file_relative_to_default_dir", [](const std::string&) { return cp("szótár.ask"); },
                same, dictionary},
        OpenRow{"absolute_file_ignores_default_dir",
                [](const std::string& d) { return d + cp("/szótár.ask"); },
                [](const std::string&) { return std::string("/nincs/ilyen"); }, dictionary},
        OpenRow{
            "folder", [](const std::string&) { return std::string("tesztek"); }, same,
            [](const QString& d) { return QUrl::fromLocalFile(d + QStringLiteral("/tesztek")); }},
        OpenRow{"file_address",
                [](const std::string& d) { return "file://" + d + cp("/szótár.ask"); }, none,
                dictionary},
        OpenRow{"homepage", [](const std::string&) { return std::string(Links::Honlap); }, same,
                [](const QString&) { return QUrl(QStringLiteral("https://vemba.hu")); }},
        OpenRow{"mail_with_subject", [](const std::string&) { return Links::LevelCim(); }, same,
                [](const QString&) {
                    return QUrl::fromEncoded("mailto:vemba@vemba.hu?subject=Vemba%20program");
                }},
        OpenRow{"escape_kept_as_it_is",
                [](const std::string&) { return std::string("https://vemba.hu/a%20b?x=1"); }, none,
                [](const QString&) { return QUrl::fromEncoded("https://vemba.hu/a%20b?x=1"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StarterTest, MailLinkReachesTheMailProgramWithItsSubject) {
    starter_.SetCommand(Links::LevelCim());
    starter_.Inditas();
    ASSERT_EQ(opener_->opened.size(), 1u);
    const QUrl& mail = opener_->opened[0];
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), QStringLiteral("vemba@vemba.hu"));
    EXPECT_EQ(mail.query(QUrl::FullyDecoded), QStringLiteral("subject=Vemba program"));
    EXPECT_EQ(mail.toString(), QString::fromStdString(Links::LevelCim())) << "passed on unchanged";
}

TEST_F(StarterTest, HomepageIsASecureAddressWithoutAPath) {
    const QUrl homepage(QString::fromLatin1(Links::Honlap.data(), Links::Honlap.size()));
    EXPECT_EQ(homepage.scheme(), QStringLiteral("https"));
    EXPECT_FALSE(homepage.host().isEmpty());
    EXPECT_TRUE(homepage.path().isEmpty());
}

TEST_F(StarterTest, FailuresAreSilentAndKept) {
    struct Row {
        const char* name;
        std::string command;
        bool opens;
        int error;
    };
    const Row rows[] = {
        {"missing_file", cp("nincs-ilyen.ask"), false, TStarter::ErrorFileNotFound},
        {"missing_file_address", "file:///nincs/ilyen.ask", false, TStarter::ErrorFileNotFound},
        {"empty_command", "", false, TStarter::ErrorFileNotFound},
        {"no_program_for_it", cp("szótár.ask"), true, TStarter::ErrorNoAssociation},
        {"no_program_for_address", std::string(Links::Honlap), true, TStarter::ErrorNoAssociation},
    };
    opener_->succeed = false;
    starter_.SetDefaultDir(dir());
    for (const Row& row : rows) {
        opener_->opened.clear();
        errors_.clear();
        starter_.SetCommand(row.command);
        EXPECT_NO_THROW(starter_.Inditas()) << row.name;
        EXPECT_EQ(opener_->opened.size(), row.opens ? 1u : 0u) << row.name;
        EXPECT_EQ(errors_, std::vector<int>{row.error}) << row.name;
        EXPECT_EQ(starter_.LastError(), row.error) << row.name;
    }
}

TEST_F(StarterTest, WithoutAnErrorHandlerAFailureOnlyLeavesItsCode) {
    TStarter starter(opener_);
    starter.SetCommand(cp("nincs-ilyen.ask"));
    EXPECT_NO_THROW(starter.Inditas());
    EXPECT_EQ(starter.LastError(), TStarter::ErrorFileNotFound);
    EXPECT_TRUE(opener_->opened.empty());
}

TEST_F(StarterTest, EachStartOpensItsOwnDocument) {
    starter_.SetDefaultDir(dir());
    starter_.SetCommand(cp("szótár.ask"));
    starter_.Inditas();
    starter_.SetCommand(std::string(Links::Honlap));
    starter_.Inditas();
    ASSERT_EQ(opener_->opened.size(), 2u);
    EXPECT_EQ(opener_->opened[0], dictionary(dir_.path()));
    EXPECT_EQ(opener_->opened[1], QUrl(QStringLiteral("https://vemba.hu")));
}

TEST_F(StarterTest, ParametersGoOnlyToPrograms) {
    const QString program = path(QStringLiteral("indit.sh"));
    writeAll(program, "#!/bin/sh\n");
    ASSERT_TRUE(
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    starter_.SetDefaultDir(dir());
    starter_.SetParameters(cp("-x \"két szó\""));

    starter_.SetCommand("indit.sh");
    starter_.Inditas();
    ASSERT_EQ(opener_->started.size(), 1u);
    EXPECT_EQ(opener_->started[0].program, program);
    EXPECT_EQ(opener_->started[0].arguments,
              QStringList({QStringLiteral("-x"), QStringLiteral("két szó")}));
    EXPECT_EQ(opener_->started[0].workingDir, dir_.path());
    EXPECT_TRUE(opener_->opened.empty());

    starter_.SetCommand(cp("szótár.ask"));
    starter_.Inditas();
    EXPECT_EQ(opener_->started.size(), 1u) << "a document is opened, not run";
    ASSERT_EQ(opener_->opened.size(), 1u);
    EXPECT_EQ(opener_->opened[0], dictionary(dir_.path()));
}

} // namespace

#include "platform/SafeSave.h"

#include "support/Faults.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QByteArray OldContent(300, 'o');

FileContentWriter writing(const QByteArray& content) {
    return [content](QIODevice& device) { return device.write(content) == content.size(); };
}

class SafeSave : public ::testing::Test {
protected:
    QString path(const char* name = "t.ask") const { return dir.filePath(QLatin1String(name)); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
};

// ---- saving where the folder takes new files --------------------------------------------

struct ContentCase {
    const char* name;
    bool fileExists;
    QByteArray content;
};

void PrintTo(const ContentCase& c, std::ostream* os) {
    *os << c.name;
}

class SafeSaveContent : public SafeSave, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(SafeSaveContent, TheFileHoldsExactlyTheNewContent) {
    if (GetParam().fileExists)
        writeAll(path(), OldContent);
    EXPECT_EQ(saveFileSafely(path(), writing(GetParam().content)), std::nullopt);
    EXPECT_EQ(readAll(path()), GetParam().content);
    EXPECT_EQ(files(), QStringList{QStringLiteral("t.ask")});
}

// The same rows run in a read-only folder below, where the file is rewritten in place: a
// shorter content must cut the old tail, a longer one must grow the file.
const auto ContentCases = ::testing::Values(
    ContentCase{"NewFile", false, "new"}, ContentCase{"Shorter", true, "short"},
    ContentCase{"Longer", true, QByteArray(5000, 'n')}, ContentCase{"Empty", true, QByteArray()});

INSTANTIATE_TEST_SUITE_P(Contents, SafeSaveContent, ContentCases,
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeSave, AWriterThatFailsOrThrowsLeavesTheOldFile) {
    writeAll(path(), OldContent);
    const FileContentWriter refusing = [](QIODevice& device) {
        device.write("partial");
        return false;
    };
    EXPECT_NE(saveFileSafely(path(), refusing), std::nullopt);
    EXPECT_THROW(saveFileSafely(path(),
                                [](QIODevice& device) -> bool {
                                    device.write("partial");
                                    throw std::runtime_error("table closed");
                                }),
                 std::runtime_error);
    EXPECT_EQ(readAll(path()), OldContent);
    EXPECT_EQ(files(), QStringList{QStringLiteral("t.ask")});
}

TEST_F(SafeSave, AFullDiskIsReportedWithItsReasonAndKeepsTheOldFile) {
    writeAll(path(), OldContent);
    std::optional<QString> failure;
    {
        FileSizeLimit full(1000);
        failure = saveFileSafely(path(), writing(QByteArray(100000, 'n')));
    }
    EXPECT_EQ(failure, FileSizeLimit::reason());
    EXPECT_EQ(readAll(path()), OldContent);
    EXPECT_EQ(files(), QStringList{QStringLiteral("t.ask")});
}

// ---- saving into a folder that refuses new files ----------------------------------------

class SafeSaveReadOnlyFolder : public SafeSave,
                               public ::testing::WithParamInterface<ContentCase> {};

TEST_P(SafeSaveReadOnlyFolder, AWritableFileIsRewrittenInPlace) {
    if (GetParam().fileExists)
        writeAll(path(), OldContent);
    ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();

    const std::optional<QString> failure = saveFileSafely(path(), writing(GetParam().content));
    if (GetParam().fileExists) {
        EXPECT_EQ(failure, std::nullopt);
        EXPECT_EQ(readAll(path()), GetParam().content);
    } else {
        // Nothing to rewrite: the folder's refusal is the reason.
        ASSERT_NE(failure, std::nullopt);
        EXPECT_EQ(*failure, qt_error_string(EACCES)) << failure->toStdString();
        EXPECT_FALSE(QFile::exists(path()));
    }
    EXPECT_LE(files().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Contents, SafeSaveReadOnlyFolder, ContentCases,
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeSave, AFullDiskInAReadOnlyFolderFailsBeforeTheOldContentIsTouched) {
    writeAll(path(), OldContent);
    ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();
    std::optional<QString> failure;
    {
        FileSizeLimit full(1000);
        failure = saveFileSafely(path(), writing(QByteArray(100000, 'n')));
    }
    EXPECT_EQ(failure, FileSizeLimit::reason());
    EXPECT_EQ(readAll(path()), OldContent);
}

TEST_F(SafeSave, AReadOnlyFileInAReadOnlyFolderIsRefusedUntouched) {
    writeAll(path(), OldContent);
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();

    const std::optional<QString> failure = saveFileSafely(path(), writing("new"));
    ASSERT_NE(failure, std::nullopt);
    EXPECT_EQ(*failure, qt_error_string(EACCES));
    EXPECT_EQ(readAll(path()), OldContent);
}

TEST_F(SafeSave, AWriterThatThrowsInAReadOnlyFolderLeavesTheOldFile) {
    writeAll(path(), OldContent);
    ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.failure().empty())
        GTEST_SKIP() << readOnly.failure();
    EXPECT_THROW(saveFileSafely(path(),
                                [](QIODevice& device) -> bool {
                                    device.write("partial");
                                    throw std::runtime_error("table closed");
                                }),
                 std::runtime_error);
    EXPECT_EQ(readAll(path()), OldContent);
}

} // namespace

#include "app/Config.h"

#include "platform/Error.h"
#include "platform/PrivateProfile.h"
#include "support/TestFiles.h"
#include "ui/ShellFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const TRect WorkArea{0, 0, 1920, 1040};

// A program folder with a capital letter and a blank, as installations have them.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("Vemba Program/bin")));
    }
    QString programDir() const { return temp.filePath(QStringLiteral("Vemba Program/bin")); }
    QString executable() const { return programDir() + QStringLiteral("/vemba"); }
    QString shared() const { return temp.filePath(QStringLiteral("share")); }
    void makePortable() const { writeAll(programDir() + QStringLiteral("/Vemba.ini"), ""); }

    QTemporaryDir temp;
};

TEST_F(ProgramFolder, WithoutIniBesideTheProgramDataLiveInTheSharedFolder) {
    ConfigValues values = makeConfigValues(executable(), WorkArea, shared() + QStringLiteral("/"));
    EXPECT_EQ(values.ProgramMappa, programDir());
    EXPECT_EQ(values.AdatMappa, shared() + QStringLiteral("/Vemba"));
    EXPECT_EQ(values.BeallitasFile, shared() + QStringLiteral("/Vemba/Vemba.ini"));
    EXPECT_EQ(defaultLastFile(values), shared() + QStringLiteral("/Vemba/Ask/elso.ask"));
    EXPECT_EQ(values.KiemelesSzin, 0xB9FFFFu);
    EXPECT_EQ(values.MunkaTerulet, WorkArea);
}

TEST_F(ProgramFolder, IniBesideTheProgramMakesItTheDataFolderKeepingItsCase) {
    makePortable();
    ConfigValues values = makeConfigValues(executable(), WorkArea, shared());
    EXPECT_EQ(values.AdatMappa, programDir());
    EXPECT_EQ(values.BeallitasFile, programDir() + QStringLiteral("/Vemba.ini"));
    EXPECT_EQ(defaultLastFile(values), programDir() + QStringLiteral("/Ask/elso.ask"));
}

TEST_F(ProgramFolder, FolderNamedLikeTheIniDoesNotMakeItPortable) {
    QDir(programDir()).mkdir(QStringLiteral("Vemba.ini"));
    EXPECT_EQ(makeConfigValues(executable(), WorkArea, shared()).AdatMappa,
              shared() + QStringLiteral("/Vemba"));
}

TEST_F(ProgramFolder, UnknownSharedFolderFallsBackToTheProgramFolder) {
    EXPECT_EQ(makeConfigValues(executable(), WorkArea, QString()).AdatMappa, programDir());
}

TEST_F(ProgramFolder, CreatingTheMainWindowTakesThePortableDecisionAgain) {
    ConfigValues values = makeConfigValues(executable(), WorkArea, shared());
    makePortable();
    prepareDataFolder(values);
    EXPECT_EQ(values.AdatMappa, programDir());
    EXPECT_EQ(values.BeallitasFile, programDir() + QStringLiteral("/Vemba.ini"));
}

TEST_F(ProgramFolder, DataFolderIsCreatedWithItsParents) {
    ConfigValues values =
        makeConfigValues(executable(), WorkArea, shared() + QStringLiteral("/a/b"));
    prepareDataFolder(values);
    EXPECT_TRUE(QFileInfo(shared() + QStringLiteral("/a/b/Vemba")).isDir());
}

TEST_F(ProgramFolder, DataFolderThatCannotBeCreatedIsNotReported) {
    writeAll(shared(), "a file where the folder should be");
    ConfigValues values = makeConfigValues(executable(), WorkArea, shared());
    EXPECT_NO_THROW(prepareDataFolder(values));
    EXPECT_FALSE(QFileInfo(values.AdatMappa).isDir());
}

TEST_F(ProgramFolder, ProgramConfigurationUsesTheUsersDataFolder) {
    initConfig(executable(), WorkArea);
    prepareDataFolder();
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_FALSE(data.isEmpty());
    EXPECT_EQ(KozosAdatMappa(), data);
    EXPECT_EQ(config().AdatMappa, data + QStringLiteral("/Vemba"));
    EXPECT_EQ(config().BeallitasFile, data + QStringLiteral("/Vemba/Vemba.ini"));
    EXPECT_TRUE(QFileInfo(config().AdatMappa).isDir());
    EXPECT_EQ(config().MunkaTerulet, WorkArea);
}

// ---- the two settings -------------------------------------------------------------------

class Settings : public ::testing::Test {
protected:
    Settings() {
        values.AdatMappa = temp.path();
        values.BeallitasFile = temp.filePath(QStringLiteral("Vemba.ini"));
    }
    void write(const std::string& text) {
        writeAll(values.BeallitasFile, QByteArray::fromStdString(text));
    }
    TBeall loaded() const {
        TBeall beall;
        beall.BetuMeret = -1;
        BeallitasBetoltes(beall, values);
        return beall;
    }

    QTemporaryDir temp;
    ConfigValues values;
};

TEST_F(Settings, MissingFileGivesTheDefaults) {
    TBeall beall = loaded();
    EXPECT_EQ(beall.BetuMeret, 9);
    EXPECT_EQ(beall.UtolsoFile, temp.path() + QStringLiteral("/Ask/elso.ask"));
}

struct FontSizeCase {
    const char* name;
    const char* value;
    int expected;
};

void PrintTo(const FontSizeCase& c, std::ostream* os) {
    *os << c.name;
}

class FontSize : public Settings, public ::testing::WithParamInterface<FontSizeCase> {};

TEST_P(FontSize, IsReadFromFontSize) {
    write(std::string("[Font]\r\nSize=") + GetParam().value + "\r\n");
    EXPECT_EQ(loaded().BetuMeret, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, FontSize,
                         ::testing::Values(FontSizeCase{"Decimal", "12", 12},
                                           FontSizeCase{"Hexadecimal", "0x0C", 12},
                                           FontSizeCase{"NotANumber", "nagy", 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Settings, LastFileIsCodePage1250Text) {
    write(cp("[File]\r\nLastFile=/home/anna/Szótár/ő.ask\r\n"));
    EXPECT_EQ(loaded().UtolsoFile, QStringLiteral(u"/home/anna/Szótár/ő.ask"));
}

TEST_F(Settings, SavingWritesSizeAndLastFileButNotTheCounters) {
    write("; mine\r\n[frm_Teszt]\r\nLeft=5\r\n");
    TBeall beall;
    beall.BetuMeret = 11;
    beall.Tudom = 3;
    beall.NemTudom = 4;
    beall.UtolsoFile = QStringLiteral(u"/home/anna/Szótár/lecke.ask");
    BeallitasMentes(beall, values.BeallitasFile);
    EXPECT_EQ(readAll(values.BeallitasFile).toStdString(),
              cp("; mine\r\n[frm_Teszt]\r\nLeft=5\r\n[Font]\r\nSize=11\r\n"
                 "[File]\r\nLastFile=/home/anna/Szótár/lecke.ask\r\n"));
    TBeall back = loaded();
    EXPECT_EQ(back.BetuMeret, 11);
    EXPECT_EQ(back.UtolsoFile, beall.UtolsoFile);
}

TEST_F(Settings, PathOutsideTheCodePageComesBackWithQuestionMarks) {
    TBeall beall;
    beall.UtolsoFile = QStringLiteral(u"/home/\u65e5/a.ask");
    BeallitasMentes(beall, values.BeallitasFile);
    EXPECT_EQ(loaded().UtolsoFile, QStringLiteral("/home/?/a.ask"));
}

TEST_F(Settings, SavingIntoAMissingFolderRaisesTheWriteError) {
    writeAll(temp.filePath(QStringLiteral("blocker")), "x");
    QString file = temp.filePath(QStringLiteral("blocker/Vemba.ini"));
    EXPECT_THROW(BeallitasMentes(TBeall{}, file), VembaError);
}

} // namespace

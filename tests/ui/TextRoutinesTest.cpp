#include "ui/TextRoutines.h"

#include "platform/Error.h"
#include "support/TestFiles.h"
#include "ui/ShellFolders.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

TEST(Mezo, CountsFieldsFromOneWithoutQuotingOrTrimming) {
    EXPECT_EQ(Mezo(";", "a;;b", 1), "a");
    EXPECT_EQ(Mezo(";", "a;;b", 2), "");
    EXPECT_EQ(Mezo(";", "a;;b", 3), "b");
    EXPECT_EQ(Mezo(";", "a;;b", 4), "");
    EXPECT_EQ(Mezo(";", "a;;b", 0), "");
    EXPECT_EQ(Mezo(";", " \"x\" ;y", 1), " \"x\" ");
    EXPECT_EQ(Mezo(";,", "a,b;c", 2), "b");
    EXPECT_EQ(Mezo(";,", "a,b;c", 3), "c");
    EXPECT_EQ(Mezo(";", "", 1), "");
}

TEST(FileNevTisztitas, ReplacesUnsafeCharactersAndLowersTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"Angol 1: A/B.ask", "angol-1--a-b.ask"},
        {cp("Szótár"), "sz_t_r"},
        {" !\"#%&'*+/:?@\\", "--------------"},
        {"$(),;<=>[]^_`{|}~.", "$(),;<=>[]^_`{|}~."},
        {cp("€ÁRVÍZ"), cp("€") + "_rv_z"}, // 0x80 stays
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FileNevTisztitas(text), expected) << text;
}

TEST(SorokOsszefuzese, JoinsTheLinesWithTheSeparator) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"a\r\nb", ";", "a;b"},      {"a\r\nb\r\n", ";", "a;b"}, {"a\nb\rc", "|", "a|b|c"},
        {"a\r\n\r\nb", ";", "a;;b"}, {"egy", ";", "egy"},        {"", ";", ""},
        {"\r\n", ";", ""},           {"a\r\nb", "", "a"},        {"a\r\nb", ", ", "a, b,"},
    };
    for (const auto& [text, separator, expected] : cases)
        EXPECT_EQ(SorokOsszefuzese(text, separator), expected) << text;
}

TEST(SzovegTorles, RemovesThePart) {
    EXPECT_EQ(SzovegTorles("&", cp("&Fájl")), cp("Fájl"));
    EXPECT_EQ(SzovegTorles("&", "a&&b&"), "ab");
    EXPECT_EQ(SzovegTorles("&", "semmi"), "semmi");
    EXPECT_EQ(SzovegTorles("", "marad"), "marad");
    // Longer parts lose one character at a time while they still occur.
    EXPECT_EQ(SzovegTorles("ab", "xaab"), "xb");
}

TEST(FieldValues, NullGivesTheDefault) {
    EXPECT_EQ(VarSzoveg(TValue{}, "nincs"), "nincs");
    EXPECT_EQ(VarSzoveg(TValue{std::int32_t(-42)}, "nincs"), "-42");
    EXPECT_EQ(VarSzoveg(TValue{cp("körte")}, "nincs"), cp("körte"));
    EXPECT_EQ(VarSzoveg(TValue{std::string()}, "nincs"), "");

    EXPECT_EQ(VarSzam(TValue{}, 2.5), 2.5);
    EXPECT_EQ(VarSzam(TValue{std::int32_t(30)}, 2.5), 30.0);
    EXPECT_EQ(VarSzam(TValue{std::string(" 12,5 ")}, 0), 12.5);
    EXPECT_EQ(VarSzam(TValue{std::string("-0.25")}, 0), -0.25);
    EXPECT_THROW(VarSzam(TValue{std::string("széles")}, 0), VembaError);
    EXPECT_THROW(VarSzam(TValue{std::string()}, 0), VembaError);

    EXPECT_EQ(VarCsere(TValue{}, ';', ','), "");
    EXPECT_EQ(VarCsere(TValue{std::string("a;b;c")}, ';', ','), "a,b,c");
    EXPECT_EQ(VarCsere(TValue{std::int32_t(101)}, '1', '7'), "707");
}

TEST(Valaszt, PicksByTheFlag) {
    EXPECT_EQ(Valaszt(true, "igen", "nem"), "igen");
    EXPECT_EQ(Valaszt(false, "igen", "nem"), "nem");
    EXPECT_EQ(Valaszt(false, 1, 2), 2);
    EXPECT_EQ(Valaszt(true, std::string("a"), std::string("b")), "a");
}

TEST(RendszerMappa, KnowsTheDataAndDocumentsFolders) {
    EXPECT_EQ(RendszerMappa(35),
              QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    EXPECT_EQ(RendszerMappa(5),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(KozosAdatMappa(), RendszerMappa(35));
    EXPECT_EQ(DokumentumMappa(), RendszerMappa(5));
    EXPECT_EQ(RendszerMappa(26), QString());
    EXPECT_FALSE(KozosAdatMappa().isEmpty());
}

} // namespace

#include "ui/Placement.h"

#include "platform/Error.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const TRect FullHd{0, 0, 1920, 1040};

struct ClampCase {
    const char* name;
    TPlacement stored;
    TPlacement expected;
    QMargins frame = {};
};

// A title bar and a thin border, as a window manager adds them.
const QMargins Framed{4, 22, 4, 4};

void PrintTo(const ClampCase& c, std::ostream* os) {
    *os << c.name;
}

class Clamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(Clamp, KeepsTheWindowOnTheWorkArea) {
    EXPECT_EQ(clampToWorkArea(GetParam().stored, FullHd, GetParam().frame), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Clamp,
    ::testing::Values(
        ClampCase{"Inside", {100, 50, 800, 600}, {100, 50, 800, 600}},
        ClampCase{"LeftBeyondTheRightEdge", {5000, 10, 400, 300}, {0, 10, 400, 300}},
        ClampCase{"ReachingPastTheRightEdgeMovesLeft", {1800, 10, 400, 300}, {1520, 10, 400, 300}},
        ClampCase{"WiderThanTheAreaTakesItsWidth", {100, 10, 2500, 300}, {0, 10, 1920, 300}},
        ClampCase{"AsWideAsTheAreaStartsAtZero", {5, 10, 1920, 300}, {0, 10, 1920, 300}},
        ClampCase{"NegativeLeftStays", {-50, 10, 400, 300}, {-50, 10, 400, 300}},
        ClampCase{"TopBeyondTheBottomEdge", {10, 3000, 400, 300}, {10, 0, 400, 300}},
        ClampCase{"ReachingPastTheBottomMovesUp", {10, 900, 400, 300}, {10, 740, 400, 300}},
        ClampCase{"TallerThanTheAreaTakesItsHeight", {10, 20, 400, 1200}, {10, 0, 400, 1040}},
        ClampCase{"NegativeTopStays", {10, -30, 400, 300}, {10, -30, 400, 300}},
        ClampCase{
            "HugeStoredValuesDoNotOverflow", {2000000000, 10, 2000000000, 300}, {0, 10, 1920, 300}},
        // The frame counts: the whole frame stays on the area, the client size shrinks by it.
        ClampCase{"FramedInside", {100, 50, 800, 600}, {100, 50, 800, 600}, Framed},
        ClampCase{
            "FramedReachingPastTheRightEdge", {1800, 10, 400, 300}, {1512, 10, 400, 300}, Framed},
        ClampCase{"FramedWiderThanTheArea", {100, 10, 2500, 300}, {0, 10, 1912, 300}, Framed},
        ClampCase{"FramedReachingPastTheBottom", {10, 900, 400, 300}, {10, 714, 400, 300}, Framed},
        ClampCase{"FramedTallerThanTheArea", {10, 20, 400, 1200}, {10, 0, 400, 1014}, Framed},
        ClampCase{"FramedJustFitting", {1512, 714, 400, 300}, {1512, 714, 400, 300}, Framed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClampOffset, LeftAndTopEdgesOfTheAreaAreNotUsed) {
    // A work area that starts right of a panel: only its right and bottom edges count.
    EXPECT_EQ(clampToWorkArea({0, 0, 400, 300}, TRect{100, 40, 1920, 1040}),
              (TPlacement{0, 0, 400, 300}));
}

class PlacementFile : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("Vemba.ini")); }
    QTemporaryDir dir;
};

TEST_F(PlacementFile, MissingKeysGiveTenTenAndTheCurrentSize) {
    EXPECT_EQ(AblakBetoltes(path(), "frm_Main", 640, 480, FullHd), (TPlacement{10, 10, 640, 480}));
    EXPECT_EQ(PozicioBetoltes(path(), "frm_Teszt_Szerkeszt"), (TPosition{10, 10}));
}

TEST_F(PlacementFile, StoredPlacementIsClamped) {
    writeAll(path(), "[frm_Teszt]\r\nLeft=1800\r\nTop=abc\r\nWidth=400\r\nHeight=0x12C\r\n");
    EXPECT_EQ(AblakBetoltes(path(), "frm_Teszt", 640, 480, FullHd),
              (TPlacement{1520, 10, 400, 300}));
}

TEST_F(PlacementFile, StoredPositionIsUsedUnclamped) {
    writeAll(path(), "[frm_Hatarolt]\r\nLeft=5000\r\nTop=-40\r\n");
    EXPECT_EQ(PozicioBetoltes(path(), "frm_Hatarolt"), (TPosition{5000, -40}));
}

TEST_F(PlacementFile, SavingWritesTheKeysInOrderAndReadsBack) {
    AblakMentes(path(), "frm_Letolt", {12, 34, 560, 780});
    PozicioMentes(path(), "frm_Rezi2Ruva", {-5, 6});
    EXPECT_EQ(readAll(path()), QByteArray("[frm_Letolt]\r\nLeft=12\r\nTop=34\r\nWidth=560\r\n"
                                          "Height=780\r\n[frm_Rezi2Ruva]\r\nLeft=-5\r\nTop=6\r\n"));
    EXPECT_EQ(AblakBetoltes(path(), "frm_Letolt", 1, 1, FullHd), (TPlacement{12, 34, 560, 780}));
    EXPECT_EQ(PozicioBetoltes(path(), "frm_Rezi2Ruva"), (TPosition{-5, 6}));
}

TEST_F(PlacementFile, FailedSaveRaisesTheWriteError) {
    writeAll(dir.filePath(QStringLiteral("blocker")), "x");
    QString file = dir.filePath(QStringLiteral("blocker/Vemba.ini"));
    EXPECT_THROW(AblakMentes(file, "frm_Teszt", {1, 2, 3, 4}), VembaError);
    EXPECT_THROW(PozicioMentes(file, "frm_Teszt_Szerkeszt", {1, 2}), VembaError);
}

} // namespace

#include "ui/WindowPlacement.h"

#include "platform/PrivateProfile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const TRect Screen{0, 0, 1280, 1000};

// Without a window manager a window has no frame: what is applied reads back unchanged, so a
// window shown and closed any number of times stores what it read.
class WindowPlacementTest : public ::testing::Test {
protected:
    QString ini() const { return dir.filePath(QStringLiteral("Vemba.ini")); }
    QTemporaryDir dir;
};

TEST_F(WindowPlacementTest, ShownAndClosedRepeatedlyKeepsWhatWasStored) {
    writeAll(ini(), "[frm_Teszt]\r\nLeft=100\r\nTop=0\r\nWidth=600\r\nHeight=400\r\n"
                    "[frm_Teszt_Szerkeszt]\r\nLeft=-50\r\nTop=7\r\n");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QWidget editor;
        editor.resize(300, 200);
        EXPECT_EQ(restorePlacement(editor, ini(), "frm_Teszt", Screen),
                  (TPlacement{100, 0, 600, 400}));
        editor.show();
        EXPECT_EQ(placementOf(editor), (TPlacement{100, 0, 600, 400}));
        storePlacement(editor, ini(), "frm_Teszt");

        QWidget pair;
        EXPECT_EQ(restorePosition(pair, ini(), "frm_Teszt_Szerkeszt"), (TPosition{-50, 7}));
        pair.show();
        EXPECT_EQ(positionOf(pair), (TPosition{-50, 7}));
        storePosition(pair, ini(), "frm_Teszt_Szerkeszt");
    }
    EXPECT_EQ(readAll(ini()), QByteArray("[frm_Teszt]\r\nLeft=100\r\nTop=0\r\nWidth=600\r\n"
                                         "Height=400\r\n[frm_Teszt_Szerkeszt]\r\nLeft=-50\r\n"
                                         "Top=7\r\n"));
}

TEST_F(WindowPlacementTest, AFixedSizeWindowTakesTheStoredSizeAsItsFixedSize) {
    writeAll(ini(), "[frm_Main]\r\nLeft=5\r\nTop=6\r\nWidth=500\r\nHeight=300\r\n");
    QWidget main;
    main.setFixedSize(730, 480);
    restorePlacement(main, ini(), "frm_Main", Screen);
    EXPECT_EQ(main.minimumSize(), QSize(500, 300));
    EXPECT_EQ(main.maximumSize(), QSize(500, 300));
    EXPECT_EQ(placementOf(main), (TPlacement{5, 6, 500, 300}));
}

TEST_F(WindowPlacementTest, MissingKeysGiveTenTenAndTheWindowsSizeClamped) {
    QWidget window;
    window.resize(2000, 300);
    const TPlacement placement = restorePlacement(window, ini(), "frm_Letolt", Screen);
    // The whole frame (what the platform adds around the window) fits the width.
    const QMargins frame = windowFrameMargins(window);
    EXPECT_EQ(placement, (TPlacement{0, 10, 1280 - frame.left() - frame.right(), 300}));
    EXPECT_EQ(window.size(), QSize(placement.Width, 300));
}

} // namespace

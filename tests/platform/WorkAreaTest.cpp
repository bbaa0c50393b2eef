#include "platform/WorkArea.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

TEST(WorkArea, RightAndBottomAreExclusiveEdges) {
    EXPECT_EQ(toTRect(QRect(0, 0, 1920, 1040)), (TRect{0, 0, 1920, 1040}));
    EXPECT_EQ(toTRect(QRect(-1280, 30, 1280, 994)), (TRect{-1280, 30, 0, 1024}));
}

TEST(WorkArea, IsThePrimaryScreensAvailableArea) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(primaryWorkArea(), toTRect(screen->availableGeometry()));
}

} // namespace

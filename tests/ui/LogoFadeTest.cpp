#include "ui/LogoFade.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// What the fade announced.
struct Announced {
    explicit Announced(LogoFade& fade) {
        QObject::connect(&fade, &LogoFade::alphaChanged,
                         [this](int alpha) { alphas.push_back(alpha); });
        QObject::connect(&fade, &LogoFade::closeRequested, [this] { ++closes; });
    }
    std::vector<int> alphas;
    int closes = 0;
};

TEST(LogoFade, HeldOpaqueUntilTheHoldTimerTicks) {
    LogoFade fade;
    EXPECT_FALSE(fade.Timer1().isActive());
    EXPECT_FALSE(fade.Timer2().isActive());
    EXPECT_EQ(fade.Timer1().interval(), 1000);
    EXPECT_EQ(fade.Timer2().interval(), 21);

    fade.Start();
    EXPECT_TRUE(fade.Timer1().isActive());
    EXPECT_FALSE(fade.Timer2().isActive());
    // A fade tick before the fade has begun changes nothing.
    fade.Timer2Timer();
    EXPECT_EQ(fade.AlphaBlendValue(), 255);

    fade.Timer1Timer();
    EXPECT_FALSE(fade.Timer1().isActive());
    EXPECT_TRUE(fade.Timer2().isActive());
    EXPECT_EQ(fade.AlphaBlendValue(), 255);
}

TEST(LogoFade, FadesByTenAndClosesAtTheTwentyThirdTickAt25) {
    LogoFade fade;
    const Announced announced(fade);
    fade.Start();
    fade.Timer1Timer();

    std::vector<int> expected;
    for (int alpha = 245; alpha >= 25; alpha -= 10)
        expected.push_back(alpha);
    ASSERT_EQ(expected.size(), 23u);
    for (std::size_t tick = 1; tick <= expected.size(); ++tick) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(announced.closes, 0);
        fade.Timer2Timer();
        EXPECT_EQ(fade.AlphaBlendValue(), expected[tick - 1]);
    }
    EXPECT_EQ(announced.alphas, expected);
    EXPECT_EQ(announced.closes, 1);
    EXPECT_FALSE(fade.Timer2().isActive());

    // A tick already on its way when the fade ended goes no lower and closes nothing again.
    fade.Timer2Timer();
    EXPECT_EQ(fade.AlphaBlendValue(), 25);
    EXPECT_EQ(announced.alphas.size(), 23u);
    EXPECT_EQ(announced.closes, 1);
}

} // namespace

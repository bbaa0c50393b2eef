#include "ui/Logo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImageReader>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QColor Key(128, 128, 128);

// A picture of the window's size in one colour, with the pixels given in another.
QImage picture(QColor ground, const std::vector<std::pair<QPoint, QColor>>& pixels = {}) {
    QImage image(Tfrm_Logo::ClientWidth, Tfrm_Logo::ClientHeight, QImage::Format_RGB32);
    image.fill(ground);
    for (const auto& [at, colour] : pixels)
        image.setPixelColor(at, colour);
    return image;
}

void deleteClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Logo, OnlyPixelsOfExactlyTheKeyColourAreSeeThrough) {
    const QImage image = picture(Qt::white, {{{0, 0}, Key},
                                             {{10, 0}, QColor(127, 128, 128)},
                                             {{11, 0}, QColor(128, 129, 128)},
                                             {{12, 0}, QColor(128, 128, 127)},
                                             {{399, 299}, Key}});
    const QRegion shown = opaqueRegion(image, Key);
    struct Row {
        QPoint at;
        bool shown;
    };
    const Row rows[] = {{{0, 0}, false}, {{1, 0}, true},      {{10, 0}, true},   {{11, 0}, true},
                        {{12, 0}, true}, {{399, 299}, false}, {{200, 150}, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.at.x() << "," << row.at.y());
        EXPECT_EQ(shown.contains(row.at), row.shown);
    }

    Tfrm_Logo logo(image);
    EXPECT_EQ(logo.mask(), shown);
}

TEST(Logo, PictureAllKeyOrMissingShowsNothing) {
    EXPECT_TRUE(opaqueRegion(picture(Key), Key).isEmpty());
    EXPECT_TRUE(opaqueRegion(QImage(), Key).isEmpty());
}

// The product picture is a JPEG read through Qt's JPEG reader; its key pixels are exactly the
// strip beside the card's tab, which the compression must not have touched.
TEST(Logo, ProductPictureIsAJpegWhoseKeyIsTheStripBesideTheTab) {
    QImageReader reader(QStringLiteral(":/vemba/logo.jpg"));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage image = Tfrm_Logo::LogoPicture();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(400, 300));

    QRegion expected(0, 0, 400, 16);
    expected -= QRegion(24, 0, 144, 16);
    EXPECT_EQ(QRegion(0, 0, 400, 300) - opaqueRegion(image, Key), expected);
}

TEST(Logo, BorderlessOnTopNotModalCentredOnTheDesktop) {
    QPointer<Tfrm_Logo> logo = new Tfrm_Logo;
    EXPECT_EQ(logo->objectName(), QStringLiteral("frm_Logo"));
    EXPECT_EQ(logo->size(), QSize(400, 300));
    const Qt::WindowFlags flags = logo->windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_FALSE(logo->isModal());
    EXPECT_FALSE(logo->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_TRUE(logo->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(logo->parentWidget(), nullptr);
    EXPECT_EQ(logo->palette().color(QPalette::Window), Key);
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    EXPECT_EQ(logo->geometry().center(), desktop.center());

    // Shown: held opaque; closed: destroyed.
    logo->show();
    EXPECT_TRUE(logo->fade().Timer1().isActive());
    EXPECT_DOUBLE_EQ(logo->windowOpacity(), 1.0);
    logo->close();
    deleteClosed();
    EXPECT_TRUE(logo.isNull());
}

TEST(Logo, OpacityFollowsTheFadeAndTheLastTickClosesTheWindow) {
    QPointer<Tfrm_Logo> logo = new Tfrm_Logo;
    logo->show();
    LogoFade& fade = logo->fade();
    fade.Timer1Timer();
    fade.Timer2Timer();
    EXPECT_NEAR(logo->windowOpacity(), 245 / 255.0, 0.002);
    for (int tick = 2; tick <= 22; ++tick)
        fade.Timer2Timer();
    EXPECT_NEAR(logo->windowOpacity(), 35 / 255.0, 0.002);
    EXPECT_TRUE(logo->isVisible());
    fade.Timer2Timer();
    EXPECT_FALSE(logo->isVisible());
    deleteClosed();
    EXPECT_TRUE(logo.isNull());
}

// A fade step must not run the event loop: the splash fades while the program may wait in a
// loop of its own (a download that holds back input), which must not see events it did not ask
// for.
TEST(Logo, AFadeStepDeliversNoWaitingEvent) {
    QPointer<Tfrm_Logo> logo = new Tfrm_Logo;
    logo->show();
    LogoFade& fade = logo->fade();
    fade.Timer1Timer();
    bool delivered = false;
    QTimer::singleShot(0, [&delivered] { delivered = true; });
    QMetaObject::invokeMethod(
        qApp, [&delivered] { delivered = true; }, Qt::QueuedConnection);
    for (int tick = 1; tick <= 23; ++tick)
        fade.Timer2Timer();
    EXPECT_FALSE(delivered);
    QCoreApplication::processEvents();
    EXPECT_TRUE(delivered);
    deleteClosed();
}

// The one test that lets the timers run: about a second and a half.
TEST(Logo, ShownByItselfAndGoneByItself) {
    const auto logos = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += dynamic_cast<Tfrm_Logo*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
        return count;
    };
    LogoMegjelenites();
    EXPECT_EQ(logos(), 1);
    QDeadlineTimer deadline(5000);
    while (logos() != 0 && !deadline.hasExpired())
        QTest::qWait(20);
    EXPECT_EQ(logos(), 0);
    deleteClosed();
}

} // namespace

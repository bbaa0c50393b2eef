#include "platform/OutputClock.h"

#include "platform/Error.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <optional>

namespace {

class OutputClockTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (old)
            qputenv("SOURCE_DATE_EPOCH", *old);
        else
            qunsetenv("SOURCE_DATE_EPOCH");
    }
    std::optional<QByteArray> old = qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")
                                        ? std::optional(qgetenv("SOURCE_DATE_EPOCH"))
                                        : std::nullopt;
};

TEST_F(OutputClockTest, WithoutSourceDateEpochItIsTheLocalTimeNow) {
    for (const char* value : {static_cast<const char*>(nullptr), "", "  "}) {
        SCOPED_TRACE(value ? value : "unset");
        if (value)
            qputenv("SOURCE_DATE_EPOCH", value);
        else
            qunsetenv("SOURCE_DATE_EPOCH");
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime now = outputNow();
        EXPECT_EQ(now.timeSpec(), Qt::LocalTime);
        EXPECT_LE(before, now);
        EXPECT_LE(now, QDateTime::currentDateTime());
    }
}

// In a time zone of its own, so that a moment converted to local time would show.
TEST_F(OutputClockTest, SourceDateEpochNamesAMomentInUtc) {
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    const struct {
        const char* value;
        QDateTime moment;
    } cases[] = {
        {"0", QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC)},
        {"1700000000", QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC)},
        {" 1700000000\n", QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC)},
        {"4102444800", QDateTime(QDate(2100, 1, 1), QTime(0, 0), Qt::UTC)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        qputenv("SOURCE_DATE_EPOCH", c.value);
        const QDateTime moment = outputNow();
        EXPECT_EQ(moment, c.moment);
        EXPECT_EQ(moment.timeSpec(), Qt::UTC);
        EXPECT_EQ(moment.time(), c.moment.time()) << "shown as UTC, not converted to local";
        EXPECT_NE(moment.toLocalTime().time(), c.moment.time()) << "the zone is another";
    }
    if (hadZone)
        qputenv("TZ", oldZone);
    else
        qunsetenv("TZ");
}

TEST_F(OutputClockTest, ValueThatIsNoNumberOfSecondsFails) {
    for (const char* value : {"tegnap", "1700000000x", "1.5", "0x10"}) {
        SCOPED_TRACE(value);
        qputenv("SOURCE_DATE_EPOCH", value);
        EXPECT_THROW(outputNow(), VembaError);
    }
}

} // namespace

#include "output/OutputMoment.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

// SOURCE_DATE_EPOCH, when it holds a number, is the moment in UTC; otherwise it is now.
TEST(OutputMoment, SourceDateEpochOrNow) {
    struct Case {
        const char* epoch; // nullptr: unset
        QDateTime fixed;   // invalid: now
    };
    const Case cases[] = {
        {"1700000000", QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC)},
        {"0", QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC)},
        {" 86400\n", QDateTime(QDate(1970, 1, 2), QTime(0, 0), Qt::UTC)},
        {nullptr, {}},
        {"", {}},
        {"tegnap", {}},
        {"12x", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.epoch ? c.epoch : "unset");
        if (c.epoch)
            qputenv("SOURCE_DATE_EPOCH", c.epoch);
        else
            qunsetenv("SOURCE_DATE_EPOCH");
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime moment = outputMoment();
        qunsetenv("SOURCE_DATE_EPOCH");
        if (c.fixed.isValid()) {
            EXPECT_EQ(moment, c.fixed);
            EXPECT_EQ(moment.timeSpec(), Qt::UTC);
        } else {
            EXPECT_EQ(moment.timeSpec(), Qt::LocalTime);
            EXPECT_GE(moment, before);
            EXPECT_LE(moment, QDateTime::currentDateTime());
        }
    }
}

} // namespace

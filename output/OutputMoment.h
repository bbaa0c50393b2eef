#pragma once

#include <QDateTime>

// The moment an output shows as "now": the local time, or, when SOURCE_DATE_EPOCH holds a
// number of seconds, that moment in UTC, so that outputs made at different times can be
// compared.
QDateTime outputMoment();

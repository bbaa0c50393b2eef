#pragma once

#include <QDateTime>

// The moment an output (a page, a printed list) shows as "now". Normally the local time now;
// when the environment variable SOURCE_DATE_EPOCH holds a number of seconds since 1970, that
// moment in UTC instead, so two runs write the same bytes. An empty variable counts as unset;
// one that is not a whole number of seconds throws VembaError rather than quietly writing
// an output that cannot be reproduced.
QDateTime outputNow();

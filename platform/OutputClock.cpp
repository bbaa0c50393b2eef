#include "platform/OutputClock.h"

#include "platform/Error.h"

#include <QByteArray>

QDateTime outputNow() {
    const QByteArray epoch = qgetenv("SOURCE_DATE_EPOCH").trimmed();
    if (epoch.isEmpty())
        return QDateTime::currentDateTime();
    bool ok = false;
    const qlonglong seconds = epoch.toLongLong(&ok);
    if (!ok)
        throw VembaError("SOURCE_DATE_EPOCH is not a number of seconds: " + epoch.toStdString());
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

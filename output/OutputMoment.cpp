#include "output/OutputMoment.h"

#include <QByteArray>

QDateTime outputMoment() {
    const QByteArray epoch = qgetenv("SOURCE_DATE_EPOCH");
    bool ok = false;
    const qint64 seconds = epoch.trimmed().toLongLong(&ok);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime::currentDateTime();
}

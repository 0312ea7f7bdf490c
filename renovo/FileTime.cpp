#include "renovo/FileTime.h"

namespace orvane {

qint64 FileTimeFromDate(const QDateTime& dateTime)
{
    const QDateTime origin(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC);
    return origin.msecsTo(dateTime) * 10000;
}

}  // namespace orvane

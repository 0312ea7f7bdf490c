// Conversion of the manifest date into the file time the platform stamps.
#pragma once

#include <QDateTime>

namespace orvane {

// 100-ns ticks from 1601-01-01 00:00 UTC to dateTime (a local time is
// converted to UTC on the way).
qint64 FileTimeFromDate(const QDateTime& dateTime);

}  // namespace orvane

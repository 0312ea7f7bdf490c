// The time of day in front of each log line. Asking the C library for the
// local time of every line makes it look at the time-zone file each time
// (a stat of /etc/localtime per line where TZ is unset); the offset from UTC
// only changes on whole minutes, so it is looked up once a minute and the
// time of day is worked out from the UTC clock.
#pragma once

#include <QtGlobal>

namespace orvane {

class LogClock {
public:
    static constexpr int kTextSize = 13;  // "hh:mm:ss:zzz" and the zero

    // The local time of utcMs (milliseconds since the epoch) as
    // "hh:mm:ss:zzz". Not thread-safe: the log calls it under its lock.
    void Format(qint64 utcMs, char (&text)[kTextSize]);

    // The same for now.
    void FormatNow(char (&text)[kTextSize]);

private:
    // The UTC minute the offset belongs to; a time zone changed meanwhile is
    // seen at the next minute.
    qint64 m_minute = 0;
    bool m_valid = false;
    qint64 m_offsetMs = 0;
};

}  // namespace orvane

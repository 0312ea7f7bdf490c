#include "common/LogClock.h"

#include <QDateTime>

namespace orvane {

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kDayMs = 24 * 60 * kMinuteMs;

qint64 FloorDiv(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

void PutDigits(char* out, qint64 value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

void LogClock::Format(qint64 utcMs, char (&text)[kTextSize])
{
    const qint64 minute = FloorDiv(utcMs, kMinuteMs);
    if (!m_valid || minute != m_minute) {
        m_offsetMs = static_cast<qint64>(QDateTime::fromMSecsSinceEpoch(minute * kMinuteMs).offsetFromUtc()) * 1000;
        m_minute = minute;
        m_valid = true;
    }
    qint64 ofDay = (utcMs + m_offsetMs) % kDayMs;
    if (ofDay < 0)
        ofDay += kDayMs;
    PutDigits(text, ofDay / 3600000, 2);
    text[2] = ':';
    PutDigits(text + 3, ofDay / kMinuteMs % 60, 2);
    text[5] = ':';
    PutDigits(text + 6, ofDay / 1000 % 60, 2);
    text[8] = ':';
    PutDigits(text + 9, ofDay % 1000, 3);
    text[12] = '\0';
}

void LogClock::FormatNow(char (&text)[kTextSize])
{
    Format(QDateTime::currentMSecsSinceEpoch(), text);
}

}  // namespace orvane

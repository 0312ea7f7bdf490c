// Collects every Qt message (from any thread) written while it lives.
#pragma once

#include <QString>
#include <QStringList>

namespace orvane::test {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList Lines() const;
    void Clear();
    bool Contains(const QString& line) const { return Lines().contains(line); }
    // Index of the first line equal to line at or after from; -1 when none.
    int IndexOf(const QString& line, int from = 0) const { return Lines().indexOf(line, from); }
    int Count(const QString& line) const { return Lines().count(line); }
    int CountStartingWith(const QString& prefix) const;
    bool AnyStartsWith(const QString& prefix) const { return CountStartingWith(prefix) > 0; }
    // Lines from the last "Timer start" on.
    QStringList LastTick() const;
};

}  // namespace orvane::test

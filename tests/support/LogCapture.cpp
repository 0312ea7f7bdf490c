#include "support/LogCapture.h"

#include <QtGlobal>

#include <mutex>

namespace orvane::test {

namespace {

std::mutex g_mutex;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void Capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.append(message);
}

}  // namespace

LogCapture::LogCapture()
{
    Clear();
    g_previous = qInstallMessageHandler(Capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList LogCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_lines;
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.clear();
}

int LogCapture::CountStartingWith(const QString& prefix) const
{
    int count = 0;
    for (const QString& line : Lines())
        count += line.startsWith(prefix) ? 1 : 0;
    return count;
}

QStringList LogCapture::LastTick() const
{
    const QStringList lines = Lines();
    const int start = lines.lastIndexOf("Timer start");
    return start < 0 ? QStringList() : lines.mid(start);
}

}  // namespace orvane::test

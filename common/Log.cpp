#include "common/Log.h"

#include <QByteArray>
#include <QDebug>

#include <atomic>
#include <cstring>
#include <mutex>

#include "common/LogBound.h"
#include "common/LogClock.h"
#include "common/Settings.h"
#include "common/TempFolder.h"
#include "platform/host/HostFiles.h"

namespace orvane {

namespace {
const char* const kProgramLinesName = "orvane";
}

Q_LOGGING_CATEGORY(lcOrvane, kProgramLinesName)

std::FILE* g_pLogFile = nullptr;
int g_nTraceLevel = 1;

namespace {

LogFlavor g_flavor = LogFlavor::Orvane;
bool g_bHandlerInstalled = false;
// Whether the file takes lines, for the category filter, which runs on
// whatever thread Qt runs it and must not wait for the log's lock.
std::atomic<bool> g_bLogOpen{false};
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

// Lines come from the GUI thread and the DDC/CI workers alike; the clock's
// cache and the stream are shared between them.
std::mutex g_writeMutex;
LogClock g_clock;
// What has been written since the file was opened or trimmed (characters:
// a Windows text stream writes a few bytes more, one per line).
long g_nLogSize = 0;

// One message is one line of the file, whatever it carries: every character
// a reader may take for a line end is written as an escape.
QString OneLine(const QString& message)
{
    QString line;
    line.reserve(message.size());
    for (const QChar c : message) {
        switch (c.unicode()) {
        case '\n': line += QLatin1String("\\n"); break;
        case '\r': line += QLatin1String("\\r"); break;
        case 0x0B:
        case 0x0C:
        case 0x85:
        case 0x2028:
        case 0x2029: line += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')); break;
        default: line += c;
        }
    }
    return line;
}

int Threshold(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return 4;
    case QtWarningMsg: return 3;
    case QtCriticalMsg: return 2;
    case QtFatalMsg: return 1;
    case QtInfoMsg: return 0;
    }
    return 4;
}

void ProgramLinesFilter(QLoggingCategory* category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    // By name: Qt runs filters under its registry lock, which creating the
    // category (lcOrvane()) would take again.
    if (!g_bHandlerInstalled || std::strcmp(category->categoryName(), kProgramLinesName) != 0)
        return;
    for (const QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg})
        category->setEnabled(type, g_bLogOpen && PassesTraceLevel(type, g_nTraceLevel));
}

// Sets a flag for its lifetime.
class WritingMark {
public:
    explicit WritingMark(bool& flag) : m_flag(flag) { m_flag = true; }
    ~WritingMark() { m_flag = false; }
    WritingMark(const WritingMark&) = delete;
    WritingMark& operator=(const WritingMark&) = delete;

private:
    bool& m_flag;
};

// Runs the filter over the categories again after the log's state changed.
void RefilterProgramLines()
{
    const QLoggingCategory::CategoryFilter previous = QLoggingCategory::installFilter(ProgramLinesFilter);
    if (previous != ProgramLinesFilter)
        g_previousFilter = previous;
}

}  // namespace

bool PassesTraceLevel(QtMsgType type, int level)
{
    return level != 0 && level >= Threshold(type);
}

QString LogFilePath(LogFlavor flavor)
{
    const QString name = flavor == LogFlavor::Orvane ? "/Orvane_log.txt" : "/Renovo_log.txt";
    return TempFolder() + name;
}

void LogMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // A message raised while this thread writes one (by Qt's own time or
    // file code) is dropped: waiting for the lock this thread holds would
    // never end.
    thread_local bool t_bWriting = false;
    if (t_bWriting || !PassesTraceLevel(type, g_nTraceLevel))
        return;
    const QByteArray text = OneLine(message).toUtf8();
    bool stopped = false;
    {
        const WritingMark writing(t_bWriting);
        std::lock_guard<std::mutex> lock(g_writeMutex);
        if (!g_pLogFile)
            return;
        char time[LogClock::kTextSize];
        g_clock.FormatNow(time);
        int written = 0;
        if (g_flavor == LogFlavor::Orvane) {
            written = std::fprintf(g_pLogFile, "%s: %s\n", time, text.constData());
        } else {
            written = std::fprintf(g_pLogFile, "%s: %s (%s:%u, %s)\n", time, text.constData(),
                                   context.file ? context.file : "(null)", static_cast<unsigned>(context.line),
                                   context.function ? context.function : "(null)");
        }
        // Each line reaches the file at once, so a crash loses nothing
        // already logged. It costs one write per line and no wake-up: lines
        // are only written while the program is awake anyway.
        std::fflush(g_pLogFile);
        if (written > 0)
            g_nLogSize += written;
        if (g_nLogSize >= kLogLimitBytes) {
            g_nLogSize = KeepNewestLines(g_pLogFile, kLogKeptBytes);
            // A log that cannot be held to its bound is not written on.
            if (g_nLogSize < 0) {
                std::fclose(g_pLogFile);
                g_pLogFile = nullptr;
                g_bLogOpen = false;
                stopped = true;
            }
        }
    }
    if (stopped)
        RefilterProgramLines();
}

bool OpenLogFile(const QString& path)
{
    {
        std::lock_guard<std::mutex> lock(g_writeMutex);
        if (g_pLogFile) {
            std::fclose(g_pLogFile);
            g_pLogFile = nullptr;
            g_bLogOpen = false;
        }
    }
    // The log lives in a temporary folder others may write to, and the
    // updater runs with more rights than they have: whatever was planted at
    // the log's place (a link, a device, someone else's file) is refused,
    // never written through or emptied.
    std::FILE* file = platform::host::OpenLogForWriting(path);
    if (!file) {
        qDebug() << "Failed to open log file.";
        RefilterProgramLines();
        return false;
    }
    qDebug() << "Opened log file.";
    {
        std::lock_guard<std::mutex> lock(g_writeMutex);
        g_pLogFile = file;
        g_nLogSize = 0;
        g_bLogOpen = true;
    }
    qInstallMessageHandler(LogMessageHandler);
    g_bHandlerInstalled = true;
    RefilterProgramLines();
    return true;
}

void CloseLogFile()
{
    if (!g_pLogFile)
        return;
    qCDebug(lcOrvane) << "Close log file.";
    {
        std::lock_guard<std::mutex> lock(g_writeMutex);
        if (g_pLogFile)
            std::fclose(g_pLogFile);
        g_pLogFile = nullptr;
        g_bLogOpen = false;
    }
    RefilterProgramLines();
}

void InitLog(LogFlavor flavor)
{
    g_flavor = flavor;
    g_nTraceLevel = ReadTraceLevel();
    OpenLogFile(LogFilePath(flavor));
}

}  // namespace orvane

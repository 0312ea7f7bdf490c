#include "common/Log.h"

#include <QByteArray>
#include <QDebug>
#include <QTime>

#include "common/Settings.h"
#include "common/TempFolder.h"
#include "platform/host/HostFiles.h"

namespace orvane {

std::FILE* g_pLogFile = nullptr;
int g_nTraceLevel = 1;

namespace {

LogFlavor g_flavor = LogFlavor::Orvane;

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
    if (!g_pLogFile || !PassesTraceLevel(type, g_nTraceLevel))
        return;
    const QByteArray text = OneLine(message).toUtf8();
    const QByteArray time = QTime::currentTime().toString("hh:mm:ss:zzz").toLocal8Bit();
    // One formatted print per line: the stream's own lock keeps lines from
    // worker threads whole.
    if (g_flavor == LogFlavor::Orvane) {
        std::fprintf(g_pLogFile, "%s: %s\n", time.constData(), text.constData());
    } else {
        std::fprintf(g_pLogFile, "%s: %s (%s:%u, %s)\n", time.constData(), text.constData(),
                     context.file ? context.file : "(null)", static_cast<unsigned>(context.line),
                     context.function ? context.function : "(null)");
    }
    std::fflush(g_pLogFile);
}

bool OpenLogFile(const QString& path)
{
    if (g_pLogFile) {
        std::fclose(g_pLogFile);
        g_pLogFile = nullptr;
    }
    // The log lives in a temporary folder others may write to, and the
    // updater runs with more rights than they have: whatever was planted at
    // the log's place (a link, a device, someone else's file) is refused,
    // never written through or emptied.
    g_pLogFile = platform::host::OpenLogForWriting(path);
    if (!g_pLogFile) {
        qDebug() << "Failed to open log file.";
        return false;
    }
    qDebug() << "Opened log file.";
    qInstallMessageHandler(LogMessageHandler);
    return true;
}

void CloseLogFile()
{
    if (!g_pLogFile)
        return;
    qDebug() << "Close log file.";
    std::fclose(g_pLogFile);
    g_pLogFile = nullptr;
}

void InitLog(LogFlavor flavor)
{
    g_flavor = flavor;
    g_nTraceLevel = ReadTraceLevel();
    OpenLogFile(LogFilePath(flavor));
}

}  // namespace orvane

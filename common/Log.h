// The programs' log: every Qt message goes through one handler into a text
// file in the temporary folder, filtered by the trace level of RunInfo.ini.
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace orvane {

enum class LogFlavor {
    Orvane,  // "Orvane_log.txt", lines "time: text"
    Renovo,  // "Renovo_log.txt", lines "time: text (file:line, function)"
};

extern std::FILE* g_pLogFile;
extern int g_nTraceLevel;

// The programs' own lines: qCDebug(lcOrvane) << ... While the log file takes
// the messages, the category is switched to what the trace level lets
// through, so a line the level drops is never built (qDebug() would build
// every line and leave the handler to drop it). Before the log opens, and
// when it cannot be opened, every line goes to Qt's default output as ever.
Q_DECLARE_LOGGING_CATEGORY(lcOrvane)

// Reads the trace level and opens the program's log file (emptied).
void InitLog(LogFlavor flavor);

// Opens path like "w+" and installs LogMessageHandler; false when the file
// cannot be opened or is not a plain file of this user's with a single link
// (a link, a directory, a device, a hard-linked or someone else's file is
// neither written through nor emptied); messages then stay with Qt's default
// output.
bool OpenLogFile(const QString& path);

// Post-routine of the application object: writes "Close log file." and
// closes the stream.
void CloseLogFile();

void LogMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Full path of the flavour's log file in the temporary location.
QString LogFilePath(LogFlavor flavor);

// Whether a message of this type passes the level (exposed for the tests).
bool PassesTraceLevel(QtMsgType type, int level);

}  // namespace orvane

// Collects the debug lines written while it lives.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace orvane::test {

class LogCapture {
public:
    LogCapture() { Lines().clear(); m_previous = qInstallMessageHandler(&LogCapture::Handler); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static QStringList& Lines()
    {
        static QStringList lines;
        return lines;
    }
    bool Contains(const QString& line) const { return Lines().contains(line); }
    bool AnyStartsWith(const QString& prefix) const
    {
        for (const QString& line : Lines())
            if (line.startsWith(prefix))
                return true;
        return false;
    }

private:
    static void Handler(QtMsgType, const QMessageLogContext&, const QString& text) { Lines() << text; }
    QtMessageHandler m_previous = nullptr;
};

}  // namespace orvane::test

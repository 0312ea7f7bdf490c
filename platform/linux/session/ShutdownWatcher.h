// The end of the session or of the process as a notice: SIGTERM, SIGINT and
// SIGHUP, logind's PrepareForShutdown, and the session manager ending Qt's
// event loop (logging off) all arrive as WM_ENDSESSION, so the program ends
// the way it does when its window is closed.
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

#include "platform/Types.h"

class QSocketNotifier;

namespace orvane::platform::linuxplatform {

class ShutdownWatcher : public QObject {
    Q_OBJECT
public:
    // Takes over the three signals until destroyed; systemBus: where logind
    // is listened to (silent when absent).
    ShutdownWatcher(const QDBusConnection& systemBus, std::function<void(const SystemNotice&)> sink,
                      QObject* parent = nullptr);
    ~ShutdownWatcher() override;

private slots:
    void OnSignal();
    void OnPrepareForShutdown(bool starting);
    void OnAboutToQuit();

private:
    void End(const char* why);

    std::function<void(const SystemNotice&)> m_sink;
    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bEnded = false;
};

}  // namespace orvane::platform::linuxplatform

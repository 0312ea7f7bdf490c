// Sleep and wake-up from logind's PrepareForSleep signal.
#pragma once

#include <functional>

#include <QDBusConnection>
#include <QObject>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

class SleepWatcher : public QObject {
    Q_OBJECT
public:
    // Listens on bus (the system bus in the program); logs one line and
    // stays silent when the bus or logind is not there.
    SleepWatcher(const QDBusConnection& bus, std::function<void(const SystemNotice&)> sink,
                 QObject* parent = nullptr);

private slots:
    void OnPrepareForSleep(bool starting);

private:
    std::function<void(const SystemNotice&)> m_sink;
};

}  // namespace orvane::platform::linuxplatform

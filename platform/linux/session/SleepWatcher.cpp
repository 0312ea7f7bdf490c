#include "platform/linux/session/SleepWatcher.h"

#include <QDBusConnectionInterface>
#include <QDebug>

#include "platform/linux/session/NoticeMapping.h"

namespace orvane::platform::linuxplatform {

namespace {
constexpr const char kLogindService[] = "org.freedesktop.login1";
}

SleepWatcher::SleepWatcher(const QDBusConnection& bus, std::function<void(const SystemNotice&)> sink,
                           QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    QDBusConnection connection(bus);
    if (!connection.isConnected()) {
        qWarning() << "Notices: no D-Bus system bus, sleep and resume are not noticed";
        return;
    }
    if (!connection.connect(kLogindService, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                            "PrepareForSleep", this, SLOT(OnPrepareForSleep(bool)))) {
        qWarning() << "Notices: cannot listen to logind, sleep and resume are not noticed";
        return;
    }
    if (connection.interface() && !connection.interface()->isServiceRegistered(kLogindService))
        qWarning() << "Notices: logind is not running, sleep and resume are noticed only once it starts";
}

void SleepWatcher::OnPrepareForSleep(bool starting)
{
    m_sink(SleepNotice(starting));
}

}  // namespace orvane::platform::linuxplatform

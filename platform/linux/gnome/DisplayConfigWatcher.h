// Display changes of a GNOME Wayland session: the display configuration
// service's MonitorsChanged signal, and the service taken over by a new
// owner (GNOME Shell restarted), whose configuration is its own.
#pragma once

#include <functional>

#include <QDBusConnection>
#include <QObject>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

class DisplayConfigWatcher : public QObject {
    Q_OBJECT
public:
    DisplayConfigWatcher(const QDBusConnection& bus, std::function<void(const SystemNotice&)> sink,
                         QObject* parent = nullptr);

private slots:
    void OnMonitorsChanged();
    void OnOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

private:
    std::function<void(const SystemNotice&)> m_sink;
};

}  // namespace orvane::platform::linuxplatform

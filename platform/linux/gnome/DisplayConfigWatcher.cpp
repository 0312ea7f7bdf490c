#include "platform/linux/gnome/DisplayConfigWatcher.h"

#include <QDBusServiceWatcher>
#include <QDebug>

#include "platform/linux/gnome/MutterDisplayConfig.h"
#include "platform/linux/session/NoticeMapping.h"

namespace orvane::platform::linuxplatform {

DisplayConfigWatcher::DisplayConfigWatcher(const QDBusConnection& bus, std::function<void(const SystemNotice&)> sink,
                                           QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    QDBusConnection connection(bus);
    if (!connection.isConnected() ||
        !connection.connect(kMutterService, "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig",
                            "MonitorsChanged", this, SLOT(OnMonitorsChanged())))
        qWarning() << "Notices: cannot listen to GNOME's display configuration, display changes are not noticed";
    auto* owner = new QDBusServiceWatcher(kMutterService, connection, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this, &DisplayConfigWatcher::OnOwnerChanged);
}

void DisplayConfigWatcher::OnOwnerChanged(const QString&, const QString&, const QString& newOwner)
{
    if (newOwner.isEmpty())
        return;  // gone; its successor is what counts
    qInfo().noquote() << "Notices: GNOME's display configuration has a new owner," << newOwner;
    m_sink(DisplayChangeNotice());
}

void DisplayConfigWatcher::OnMonitorsChanged()
{
    m_sink(DisplayChangeNotice());
}

}  // namespace orvane::platform::linuxplatform

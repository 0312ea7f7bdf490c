#include "platform/linux/devices/DrmWatcher.h"

#include <libudev.h>

#include <QDebug>
#include <QSocketNotifier>

#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/session/NoticeMapping.h"

namespace orvane::platform::linuxplatform {

DrmWatcher::DrmWatcher(std::string drmRoot, std::function<void(const SystemNotice&)> sink, QObject* parent)
    : QObject(parent), m_drmRoot(std::move(drmRoot)), m_sink(std::move(sink))
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "drm", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        qWarning() << "Notices: no udev monitor, monitors being plugged in or out are not noticed";
        return;
    }
    m_connected = Connected();
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DrmWatcher::OnReadable);
}

DrmWatcher::~DrmWatcher()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

std::set<std::string> DrmWatcher::Connected() const
{
    std::set<std::string> connected;
    for (const auto& connector : ReadDrmConnectors(m_drmRoot)) {
        if (connector.connected)
            connected.insert(connector.card + "-" + connector.name);
    }
    return connected;
}

void DrmWatcher::OnReadable()
{
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        const std::set<std::string> now = Connected();
        for (const auto& notice : DrmDeviceNotices(action ? action : "", m_connected, now))
            m_sink(notice);
        m_connected = now;
        udev_device_unref(device);
    }
}

}  // namespace orvane::platform::linuxplatform

#include "platform/linux/LinuxNotices.h"

#include <QDBusConnection>

#include "platform/linux/gnome/DisplayConfigWatcher.h"
#include "platform/linux/devices/DrmWatcher.h"
#include "platform/linux/wayland/OutputChangeWatcher.h"
#include "platform/linux/session/SleepWatcher.h"
#include "platform/linux/x11/X11EventWatcher.h"

namespace orvane::platform::linuxplatform {

LinuxNotices::LinuxNotices(DisplayBackendKind backend, std::string drmRoot)
    : m_backend(backend), m_drmRoot(std::move(drmRoot))
{
}

LinuxNotices::~LinuxNotices() = default;

void LinuxNotices::Subscribe(std::function<void(const SystemNotice&)> sink)
{
    m_sink = std::move(sink);
    if (m_sleep)
        return;  // already listening; the new sink takes over
    const auto forward = [this](const SystemNotice& notice) {
        if (m_sink)
            m_sink(notice);
    };
    m_sleep = std::make_unique<SleepWatcher>(QDBusConnection::systemBus(), forward);
    if (m_backend == DisplayBackendKind::X11)
        m_x11 = std::make_unique<X11EventWatcher>(nullptr, forward);
    if (m_backend == DisplayBackendKind::Gnome)
        m_gnome = std::make_unique<DisplayConfigWatcher>(QDBusConnection::sessionBus(), forward);
    if (m_backend == DisplayBackendKind::Wayland)
        m_wayland = std::make_unique<OutputChangeWatcher>(forward);
    m_drm = std::make_unique<DrmWatcher>(m_drmRoot, forward);
}

}  // namespace orvane::platform::linuxplatform

#include "platform/linux/LinuxPlatform.h"

#include <QDBusConnection>
#include <QDebug>
#include <QString>

#include "platform/linux/LinuxDisplay.h"
#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/LinuxNotices.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/ddc/LibDdcutil.h"
#include "platform/linux/devices/DrmConnectors.h"

namespace orvane::platform::linuxplatform {

namespace {

// The session's display backend, chosen once at start and said in the log.
std::unique_ptr<LinuxDisplay> ConnectDisplay()
{
    std::string why;
    auto display = LinuxDisplay::Connect(QDBusConnection::sessionBus(), kDrmClassRoot, &why);
    switch (display->Kind()) {
    case DisplayBackendKind::Wayland:
        qInfo().noquote() << "Display backend:" << QString::fromStdString(display->BackendName());
        break;
    case DisplayBackendKind::Gnome:
        qInfo() << "Display backend: GNOME display configuration";
        break;
    case DisplayBackendKind::None:
        qWarning().noquote() << "Display backend: none," << QString::fromStdString(why)
                             << "- no display can be rotated";
        break;
    case DisplayBackendKind::X11:
        break;
    }
    return display;
}

class LinuxPlatform : public Platform {
public:
    LinuxPlatform()
        : m_display(ConnectDisplay()),
          m_library(CreateLibDdcutil()),
          m_ddc(*m_library),
          m_devices(m_display->Outputs(), m_ddc, m_registry),
          m_monitors(m_devices, m_ddc),
          m_notices(m_display->Kind(), kDrmClassRoot)
    {
        m_display->SetMonitorDevices(&m_devices);
        m_ddc.ReportAvailability();
    }

    const char* Name() const override { return "linux"; }
    DisplayApi& Display() override { return *m_display; }
    MonitorConfigApi& MonitorConfig() override { return m_monitors; }
    DeviceRegistry& Registry() override { return m_registry; }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    std::unique_ptr<LinuxDisplay> m_display;
    std::unique_ptr<DdcLibrary> m_library;
    DdcMonitors m_ddc;
    LinuxRegistry m_registry;
    MonitorDevices m_devices;
    LinuxMonitorConfig m_monitors;
    LinuxSystem m_system;
    LinuxNotices m_notices;
};

}  // namespace

std::unique_ptr<Platform> CreateLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace orvane::platform::linuxplatform

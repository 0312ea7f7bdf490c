#include "platform/linux/LinuxPlatform.h"

#include <QDebug>
#include <QString>

#include "platform/linux/DdcMonitorConfig.h"
#include "platform/linux/DdcMonitors.h"
#include "platform/linux/DrmConnectors.h"
#include "platform/linux/LibDdcutil.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/MonitorDirectory.h"
#include "platform/linux/SessionKind.h"
#include "platform/linux/SessionNotices.h"
#include "platform/linux/X11Displays.h"
#include "platform/linux/XlibRandrServer.h"

namespace orvane::platform::linuxplatform {

namespace {

std::unique_ptr<XlibRandrServer> ConnectDisplayServer()
{
    const SessionKind kind = ClassifySession(ReadSessionEnvironment());
    std::string why = kind.why;
    std::unique_ptr<XlibRandrServer> server;
    if (kind.tryX11)
        server = XlibRandrServer::Connect(nullptr, &why);
    if (!server)
        qWarning().noquote() << "Display backend: none," << QString::fromStdString(why)
                             << "- no display can be rotated";
    return server;
}

class LinuxPlatform : public Platform {
public:
    LinuxPlatform()
        : m_server(ConnectDisplayServer()),
          m_library(CreateLibDdcutil()),
          m_ddc(*m_library),
          m_displays(m_server.get(), kDrmClassRoot),
          m_devices(m_displays, m_ddc, m_directory),
          m_monitors(m_devices, m_ddc),
          m_notices(m_server != nullptr, kDrmClassRoot)
    {
        m_displays.SetMonitorDevices(&m_devices);
        m_ddc.ReportAvailability();
    }

    const char* Name() const override { return "linux"; }
    DisplayApi& Display() override { return m_displays; }
    MonitorConfigApi& MonitorConfig() override { return m_monitors; }
    DeviceRegistry& Registry() override { return m_directory; }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    std::unique_ptr<XlibRandrServer> m_server;
    std::unique_ptr<DdcLibrary> m_library;
    DdcMonitors m_ddc;
    MonitorDirectory m_directory;
    X11Displays m_displays;
    MonitorDevices m_devices;
    DdcMonitorConfig m_monitors;
    LinuxSystem m_system;
    SessionNotices m_notices;
};

}  // namespace

std::unique_ptr<Platform> CreateLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace orvane::platform::linuxplatform

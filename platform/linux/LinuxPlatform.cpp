#include "platform/linux/LinuxPlatform.h"

#include <QDBusConnection>
#include <QDebug>
#include <QString>

#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/ddc/LibDdcutil.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"
#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/displays/BackendChoice.h"
#include "platform/linux/LinuxNotices.h"
#include "platform/linux/wayland/WaylandDisplays.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/XlibRandrServer.h"

namespace orvane::platform::linuxplatform {

namespace {

// The session's display backend, chosen once at start.
struct DisplayBackend {
    DisplayBackendKind kind = DisplayBackendKind::None;
    std::unique_ptr<XlibRandrServer> server;
    std::unique_ptr<MutterDisplayConfig> mutter;
    std::unique_ptr<OutputManagement> outputs;
};

DisplayBackend ChooseDisplayBackend()
{
    DisplayBackend backend;
    const BackendChoice kind = ChooseBackends(ReadSessionEnvironment());
    std::string why = kind.why;
    if (kind.tryX11) {
        backend.server = XlibRandrServer::Connect(nullptr, &why);
        if (backend.server)
            backend.kind = DisplayBackendKind::X11;
    }
    if (kind.tryWayland) {
        backend.outputs = ConnectOutputManagement(nullptr, &why);
        if (backend.outputs) {
            backend.kind = DisplayBackendKind::Wayland;
            qInfo().noquote() << "Display backend:" << backend.outputs->Name();
            return backend;
        }
    }
    if (kind.tryGnome) {
        backend.mutter = std::make_unique<MutterDisplayConfig>(QDBusConnection::sessionBus());
        if (backend.mutter->Available()) {
            backend.kind = DisplayBackendKind::Gnome;
            qInfo() << "Display backend: GNOME display configuration";
        } else {
            why = kind.why + " (" + why + ")";
        }
    }
    if (backend.kind == DisplayBackendKind::None)
        qWarning().noquote() << "Display backend: none," << QString::fromStdString(why)
                             << "- no display can be rotated";
    return backend;
}

class LinuxPlatform : public Platform {
public:
    LinuxPlatform()
        : m_backend(ChooseDisplayBackend()),
          m_library(CreateLibDdcutil()),
          m_ddc(*m_library),
          m_notices(m_backend.kind, kDrmClassRoot)
    {
        if (m_backend.kind == DisplayBackendKind::Wayland) {
            auto displays = std::make_unique<WaylandDisplays>(*m_backend.outputs, kDrmClassRoot);
            m_devices = std::make_unique<MonitorDevices>(*displays, m_ddc, m_directory);
            displays->SetMonitorDevices(m_devices.get());
            m_display = std::move(displays);
        } else if (m_backend.kind == DisplayBackendKind::Gnome) {
            auto displays = std::make_unique<GnomeDisplays>(*m_backend.mutter, kDrmClassRoot);
            m_devices = std::make_unique<MonitorDevices>(*displays, m_ddc, m_directory);
            displays->SetMonitorDevices(m_devices.get());
            m_display = std::move(displays);
        } else {
            auto displays = std::make_unique<X11Displays>(m_backend.server.get(), kDrmClassRoot);
            m_devices = std::make_unique<MonitorDevices>(*displays, m_ddc, m_directory);
            displays->SetMonitorDevices(m_devices.get());
            m_display = std::move(displays);
        }
        m_monitors = std::make_unique<LinuxMonitorConfig>(*m_devices, m_ddc);
        m_ddc.ReportAvailability();
    }

    const char* Name() const override { return "linux"; }
    DisplayApi& Display() override { return *m_display; }
    MonitorConfigApi& MonitorConfig() override { return *m_monitors; }
    DeviceRegistry& Registry() override { return m_directory; }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    DisplayBackend m_backend;
    std::unique_ptr<DdcLibrary> m_library;
    DdcMonitors m_ddc;
    LinuxRegistry m_directory;
    std::unique_ptr<DisplayApi> m_display;  // also the OutputSource of m_devices
    std::unique_ptr<MonitorDevices> m_devices;
    std::unique_ptr<LinuxMonitorConfig> m_monitors;
    LinuxSystem m_system;
    LinuxNotices m_notices;
};

}  // namespace

std::unique_ptr<Platform> CreateLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace orvane::platform::linuxplatform

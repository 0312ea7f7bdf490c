#include "platform/linux/LinuxDisplay.h"

#include <QDBusConnection>

#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"
#include "platform/linux/wayland/CompositorLink.h"
#include "platform/linux/wayland/WaylandDisplays.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/XlibRandrServer.h"

namespace orvane::platform::linuxplatform {

std::unique_ptr<LinuxDisplay> LinuxDisplay::Connect(const QDBusConnection& sessionBus, const std::string& drmRoot,
                                                    std::string* why)
{
    std::unique_ptr<LinuxDisplay> display(new LinuxDisplay);
    const BackendChoice choice = ChooseBackends(ReadSessionEnvironment());
    std::string missing = choice.why;
    if (choice.tryX11) {
        display->m_server = XlibRandrServer::Connect(nullptr, &missing);
        if (display->m_server)
            display->m_kind = DisplayBackendKind::X11;
    }
    if (choice.tryWayland) {
        if (auto outputs = ConnectOutputManagement(nullptr, &missing)) {
            display->m_compositor = std::make_unique<CompositorLink>(std::move(outputs), std::nullopt,
                                                                      "Session displays");
            display->m_kind = DisplayBackendKind::Wayland;
        }
    }
    if (choice.tryGnome && display->m_kind == DisplayBackendKind::None) {
        display->m_mutter = std::make_unique<MutterDisplayConfig>(sessionBus);
        if (display->m_mutter->Available())
            display->m_kind = DisplayBackendKind::Gnome;
        else
            missing = choice.why + " (" + missing + ")";
    }
    switch (display->m_kind) {
    case DisplayBackendKind::Wayland:
        display->m_displays = std::make_unique<WaylandDisplays>(*display->m_compositor, drmRoot);
        break;
    case DisplayBackendKind::Gnome:
        display->m_displays = std::make_unique<GnomeDisplays>(*display->m_mutter, drmRoot);
        break;
    default:
        // Without a backend: RandR without a server, which shows nothing.
        display->m_displays = std::make_unique<X11Displays>(display->m_server.get(), drmRoot);
        break;
    }
    if (why)
        *why = display->m_kind == DisplayBackendKind::None ? missing : std::string();
    return display;
}

LinuxDisplay::~LinuxDisplay() = default;

std::string LinuxDisplay::BackendName() const
{
    return m_compositor ? m_compositor->Name() : std::string();
}

bool LinuxDisplay::EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback)
{
    return m_displays->EnumDisplayMonitors(callback);
}

bool LinuxDisplay::GetMonitorInfo(DisplayHandle display, DisplayInfo& info)
{
    return m_displays->GetMonitorInfo(display, info);
}

DisplayHandle LinuxDisplay::MonitorFromPoint(std::int32_t x, std::int32_t y)
{
    return m_displays->MonitorFromPoint(x, y);
}

bool LinuxDisplay::EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out)
{
    return m_displays->EnumDisplayDevices(device, index, out);
}

bool LinuxDisplay::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    return m_displays->EnumDisplaySettings(device, modeIndex, out);
}

std::int32_t LinuxDisplay::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                   std::uint32_t flags)
{
    return m_displays->ChangeDisplaySettingsEx(device, settings, flags);
}

std::string LinuxDisplay::LastChangeRefusal()
{
    return m_displays->LastChangeRefusal();
}

}  // namespace orvane::platform::linuxplatform

// The displays of the Linux platform: the session's display backend, chosen
// once from what the session allows and offers (RandR on X11, the
// compositor's output configuration on KDE Plasma and wlroots desktops,
// GNOME's display configuration service), its connection kept as long as
// the displays. The platform and the hand-over of simulated rotations both
// take their displays from here.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/BackendChoice.h"
#include "platform/linux/displays/BackendDisplays.h"

class QDBusConnection;

namespace orvane::platform::linuxplatform {

class XlibRandrServer;
class MutterDisplayConfig;
class CompositorLink;

class LinuxDisplay : public DisplayApi {
public:
    // The first backend of the session that answers; without one, kind None
    // with no displays, and why says what was missing. drmRoot: where the
    // monitors' EDIDs are read when the backend does not give them.
    static std::unique_ptr<LinuxDisplay> Connect(const QDBusConnection& sessionBus, const std::string& drmRoot,
                                                 std::string* why);
    ~LinuxDisplay() override;

    DisplayBackendKind Kind() const { return m_kind; }
    // For the log: the Wayland protocol in use ("KDE output management").
    std::string BackendName() const;
    // The outputs that show the desktop, for the monitor devices behind them.
    OutputSource& Outputs() { return *m_displays; }
    void SetMonitorDevices(DeviceSource* devices) { m_displays->SetMonitorDevices(devices); }

    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;
    std::string LastChangeRefusal() override;

private:
    LinuxDisplay() = default;

    DisplayBackendKind m_kind = DisplayBackendKind::None;
    std::unique_ptr<XlibRandrServer> m_server;
    std::unique_ptr<MutterDisplayConfig> m_mutter;
    std::unique_ptr<CompositorLink> m_compositor;
    std::unique_ptr<BackendDisplays> m_displays;  // over one of the three above; destroyed first
};

}  // namespace orvane::platform::linuxplatform

// The displays of a GNOME Wayland session: one per logical monitor, named by
// its first monitor's connector, with settings read and changed through
// GNOME's display configuration service.
#pragma once

#include <map>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/MutterDisplayConfig.h"

namespace orvane::platform::linuxplatform {

class GnomeDisplays : public DisplayApi, public OutputSource {
public:
    GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot);
    void SetMonitorDevices(MonitorDevices* devices) { m_devices = devices; }

    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;

    std::vector<ActiveOutput> ActiveOutputs() override;

private:
    struct Shown {
        ActiveOutput output;
        Rect monitor;
    };
    std::vector<Shown> ShownMonitors();
    DisplayHandle HandleFor(const std::string& name);

    MutterDisplayConfig& m_service;
    std::string m_drmRoot;
    MonitorDevices* m_devices = nullptr;
    std::map<std::string, DisplayHandle> m_handles;
};

}  // namespace orvane::platform::linuxplatform

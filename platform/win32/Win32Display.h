// DisplayApi over user32: EnumDisplayMonitors, GetMonitorInfoW,
// MonitorFromPoint, EnumDisplayDevicesW, EnumDisplaySettingsW and
// ChangeDisplaySettingsExW.
#pragma once

#include "platform/Platform.h"

namespace orvane::platform::win32 {

class Win32Display : public DisplayApi {
public:
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;
};

}  // namespace orvane::platform::win32

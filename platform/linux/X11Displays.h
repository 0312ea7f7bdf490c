// The displays of an X11 session: one per output that shows part of the
// desktop, named by the output ("DP-1"), with settings read and changed
// through RandR. Without a server (no usable X display) there are none.
#pragma once

#include <map>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/RandrServer.h"

namespace orvane::platform::linuxplatform {

class X11Displays : public DisplayApi, public OutputSource {
public:
    // server may be nullptr; drmRoot is where EDIDs are looked up when the
    // server does not provide them.
    X11Displays(RandrServer* server, std::string drmRoot);
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
        Rect work;
    };
    std::vector<Shown> ShownOutputs();
    DisplayHandle HandleFor(const std::string& name);

    RandrServer* m_server;
    std::string m_drmRoot;
    MonitorDevices* m_devices = nullptr;
    std::map<std::string, DisplayHandle> m_handles;  // stable per output name
};

}  // namespace orvane::platform::linuxplatform

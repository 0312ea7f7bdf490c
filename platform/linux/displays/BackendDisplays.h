// What the display backends of a session have in common: the displays are
// the desktop's outputs (or logical monitors) that show a picture, named by
// their connector, with handles that stay the same per name. A backend says
// which displays are shown; enumeration, lookup by handle or point and the
// monitor devices behind each display are answered here alike for all.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/linux/MonitorDevices.h"

namespace orvane::platform::linuxplatform {

class BackendDisplays : public DisplayApi, public OutputSource {
public:
    void SetMonitorDevices(MonitorDevices* devices) { m_devices = devices; }

    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;

    std::vector<ActiveOutput> ActiveOutputs() override;

protected:
    struct Shown {
        ActiveOutput output;
        Rect monitor;
        Rect work;
    };
    // The displays as the session shows them now, the primary one first.
    virtual std::vector<Shown> ShownDisplays() = 0;
    DisplayHandle HandleFor(const std::string& name);

private:
    MonitorDevices* m_devices = nullptr;
    std::map<std::string, DisplayHandle> m_handles;  // stable per output name
};

}  // namespace orvane::platform::linuxplatform

// What the display backends of a session have in common: the displays are
// the desktop's outputs (or logical monitors) that show a picture, named by
// their connector, with handles that stay the same per name. A backend says
// which displays are shown; enumeration, lookup by handle or point, the
// EDIDs the backend does not give, the primary display first and the
// monitor devices behind each display are answered here alike for all.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

// An output that shows part of the desktop.
struct ActiveOutput {
    DisplayHandle handle = 0;
    std::string name;
    bool primary = false;
    Edid edid;  // empty when the monitor's EDID cannot be read
};

// The outputs that show part of the desktop, in enumeration order.
class OutputSource {
public:
    virtual ~OutputSource() = default;
    virtual std::vector<ActiveOutput> ActiveOutputs() = 0;
};

// The adapters and monitor devices behind the outputs (the platform's
// MonitorDevices).
class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    virtual std::vector<DisplayDevice> Adapters() = 0;
    virtual std::vector<DisplayDevice> DevicesOf(const std::string& output) = 0;
};

class BackendDisplays : public DisplayApi, public OutputSource {
public:
    void SetMonitorDevices(DeviceSource* devices) { m_devices = devices; }

    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;
    std::vector<ActiveOutput> ActiveOutputs() override;

protected:
    // drmRoot: where the EDIDs of monitors the backend gives none of are
    // read (the kernel's connectors).
    explicit BackendDisplays(std::string drmRoot) : m_drmRoot(std::move(drmRoot)) {}

    struct Shown {
        ActiveOutput output;
        Rect monitor;
        Rect work;
    };
    // The displays as the session shows them now, in the backend's order.
    virtual std::vector<Shown> ShownDisplays() = 0;
    // The display called name at monitor, its handle the one of that name;
    // the work area is the whole display unless the backend says otherwise.
    Shown ShownAs(const std::string& name, bool primary, const Rect& monitor, Edid edid = {});

private:
    // ShownDisplays with every EDID completed and the primary display first.
    std::vector<Shown> Displays();

    std::string m_drmRoot;
    DeviceSource* m_devices = nullptr;
    std::map<std::string, DisplayHandle> m_handles;  // stable per output name
};

}  // namespace orvane::platform::linuxplatform

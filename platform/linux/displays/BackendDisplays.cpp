#include "platform/linux/displays/BackendDisplays.h"

#include <algorithm>

#include "platform/linux/devices/DrmConnectors.h"

namespace orvane::platform::linuxplatform {

BackendDisplays::Shown BackendDisplays::ShownAs(const std::string& name, bool primary, const Rect& monitor, Edid edid)
{
    auto it = m_handles.find(name);
    if (it == m_handles.end())
        it = m_handles.emplace(name, DisplayHandle(m_handles.size() + 1)).first;
    return Shown{ActiveOutput{it->second, name, primary, std::move(edid)}, monitor, monitor};
}

std::vector<BackendDisplays::Shown> BackendDisplays::Displays()
{
    std::vector<Shown> shown = ShownDisplays();
    // Servers and compositors name outputs as the kernel names connectors;
    // where they give no EDID, sysfs has it.
    std::vector<DrmConnector> connectors;
    bool connectorsRead = false;
    for (auto& entry : shown) {
        if (entry.output.edid.size() >= edid::kBaseBlockSize)
            continue;
        if (!connectorsRead) {
            connectors = ReadDrmConnectors(m_drmRoot);
            connectorsRead = true;
        }
        if (const DrmConnector* connector = FindConnectorForOutput(connectors, entry.output.name))
            entry.output.edid = connector->edid;
    }
    // The primary display comes first, as the desktop's main display.
    std::stable_partition(shown.begin(), shown.end(), [](const Shown& s) { return s.output.primary; });
    return shown;
}

std::vector<ActiveOutput> BackendDisplays::ActiveOutputs()
{
    std::vector<ActiveOutput> outputs;
    for (auto& shown : Displays())
        outputs.push_back(std::move(shown.output));
    return outputs;
}

bool BackendDisplays::EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback)
{
    for (const auto& shown : Displays()) {
        if (!callback(shown.output.handle))
            break;
    }
    return true;
}

bool BackendDisplays::GetMonitorInfo(DisplayHandle display, DisplayInfo& info)
{
    for (const auto& shown : Displays()) {
        if (shown.output.handle != display)
            continue;
        info.flags = shown.output.primary ? MONITORINFOF_PRIMARY : 0;
        info.monitor = shown.monitor;
        info.work = shown.work;
        info.deviceName = shown.output.name;
        return true;
    }
    return false;
}

DisplayHandle BackendDisplays::MonitorFromPoint(std::int32_t x, std::int32_t y)
{
    DisplayHandle nearest = 0;
    std::uint64_t best = 0;
    for (const auto& shown : Displays()) {
        const std::uint64_t distance = DistanceSquared(shown.monitor, x, y);
        if (!nearest || distance < best) {  // handles start at 1
            best = distance;
            nearest = shown.output.handle;
        }
    }
    return nearest;
}

bool BackendDisplays::EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out)
{
    if (!m_devices)
        return false;
    const auto list = device ? m_devices->DevicesOf(*device) : m_devices->Adapters();
    if (index >= list.size())
        return false;
    out = list[index];
    return true;
}

}  // namespace orvane::platform::linuxplatform

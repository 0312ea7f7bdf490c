#include "platform/linux/MonitorDevices.h"

#include <algorithm>

#include "platform/linux/ddc/MonitorMatching.h"

namespace orvane::platform::linuxplatform {

MonitorDevices::MonitorDevices(OutputSource& outputs, DdcMonitors& ddc, LinuxRegistry& directory)
    : m_outputs(outputs), m_ddc(ddc), m_directory(directory)
{
}

MonitorDevices::Join MonitorDevices::Current()
{
    Join join;
    join.outputs = m_outputs.ActiveOutputs();
    std::vector<Edid> edids;
    for (const auto& output : join.outputs)
        edids.push_back(output.edid);
    join.ddcOfOutput = MatchDisplaysToOutputs(edids, m_ddc.Displays(edids));
    return join;
}

std::vector<DisplayDevice> MonitorDevices::Adapters()
{
    std::vector<DisplayDevice> adapters;
    for (const auto& output : m_outputs.ActiveOutputs()) {
        DisplayDevice adapter;
        adapter.deviceName = output.name;
        adapter.deviceString = "Display output " + output.name;
        adapter.stateFlags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (output.primary ? kPrimaryDevice : 0);
        adapters.push_back(adapter);
    }
    return adapters;
}

std::vector<DisplayDevice> MonitorDevices::DevicesOf(const std::string& name)
{
    const Join join = Current();
    std::vector<DisplayDevice> devices;
    for (std::size_t o = 0; o < join.outputs.size(); ++o) {
        const ActiveOutput& output = join.outputs[o];
        if (output.name != name)
            continue;
        DisplayDevice device;
        device.deviceString = edid::MonitorName(output.edid);
        if (device.deviceString.empty())
            device.deviceString = "Generic PnP Monitor";
        device.deviceId = m_directory.Record(output.name, output.edid);
        device.deviceKey = m_directory.DeviceKey(output.name);
        device.stateFlags = kMonitorAttached;
        const std::size_t reachable = join.ddcOfOutput[o].size();
        for (std::size_t k = 0; k < std::max<std::size_t>(reachable, 1); ++k) {
            device.deviceName = output.name + "\\Monitor" + std::to_string(k);
            if (reachable)
                device.stateFlags = kMonitorAttached | DISPLAY_DEVICE_ACTIVE;
            devices.push_back(device);
        }
    }
    return devices;
}

std::vector<PhysicalMonitor> MonitorDevices::PhysicalOf(DisplayHandle display)
{
    const Join join = Current();
    std::vector<PhysicalMonitor> monitors;
    for (std::size_t o = 0; o < join.outputs.size(); ++o) {
        if (join.outputs[o].handle != display)
            continue;
        for (std::size_t index : join.ddcOfOutput[o])
            monitors.push_back(PhysicalMonitor{m_ddc.HandleOf(index), m_ddc.DescriptionOf(index)});
    }
    return monitors;
}

}  // namespace orvane::platform::linuxplatform

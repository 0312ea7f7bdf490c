// The monitor devices of each display output and the physical monitors
// behind them, joined by EDID: an output's monitor device is active when a
// DDC/CI display shows the same EDID, and the physical monitors of the
// output are those DDC/CI displays in the same order. A monitor that does
// not answer DDC/CI (a laptop panel, say) is listed but not active, so the
// count of active devices and of physical monitors agree.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/displays/BackendDisplays.h"
#include "platform/edid/Edid.h"
#include "platform/linux/LinuxRegistry.h"

namespace orvane::platform::linuxplatform {

// DISPLAY_DEVICE_ATTACHED of a monitor device, DISPLAY_DEVICE_PRIMARY_DEVICE of an adapter.
constexpr std::uint32_t kMonitorAttached = 0x00000002;
constexpr std::uint32_t kPrimaryDevice = 0x00000004;

class MonitorDevices : public DeviceSource {
public:
    MonitorDevices(OutputSource& outputs, DdcMonitors& ddc, LinuxRegistry& directory);

    std::vector<DisplayDevice> Adapters() override;
    std::vector<DisplayDevice> DevicesOf(const std::string& output) override;
    std::vector<PhysicalMonitor> PhysicalOf(DisplayHandle display);

private:
    struct Join {
        std::vector<ActiveOutput> outputs;
        std::vector<std::vector<std::size_t>> ddcOfOutput;
    };
    Join Current();

    OutputSource& m_outputs;
    DdcMonitors& m_ddc;
    LinuxRegistry& m_directory;
};

}  // namespace orvane::platform::linuxplatform

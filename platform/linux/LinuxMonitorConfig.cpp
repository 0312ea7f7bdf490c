#include "platform/linux/LinuxMonitorConfig.h"

namespace orvane::platform::linuxplatform {

bool LinuxMonitorConfig::GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count)
{
    if (!count)
        return false;
    *count = std::uint32_t(m_devices.PhysicalOf(display).size());
    return display != 0;
}

bool LinuxMonitorConfig::GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                                       std::vector<PhysicalMonitor>& out)
{
    auto monitors = m_devices.PhysicalOf(display);
    if (count < monitors.size())
        monitors.resize(count);  // the caller's array holds no more
    out = std::move(monitors);
    return display != 0;
}

int LinuxMonitorConfig::GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code,
                                                      std::uint32_t* codeType, std::uint32_t* current,
                                                      std::uint32_t* maximum)
{
    return m_ddc.GetVcp(monitor, code, codeType, current, maximum);
}

int LinuxMonitorConfig::SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value)
{
    return m_ddc.SetVcp(monitor, code, value);
}

int LinuxMonitorConfig::GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length)
{
    return m_ddc.CapabilitiesLength(monitor, length);
}

}  // namespace orvane::platform::linuxplatform

// The monitor-configuration calls on Linux: the physical monitors of a
// display come from the EDID join, the VCP calls go over DDC/CI.
#pragma once

#include "platform/Platform.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/MonitorDevices.h"

namespace orvane::platform::linuxplatform {

class LinuxMonitorConfig : public MonitorConfigApi {
public:
    LinuxMonitorConfig(MonitorDevices& devices, DdcMonitors& ddc) : m_devices(devices), m_ddc(ddc) {}

    bool GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count) override;
    bool GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                         std::vector<PhysicalMonitor>& out) override;
    int GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t* codeType,
                                        std::uint32_t* current, std::uint32_t* maximum) override;
    int SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override;
    int GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length) override;
    DdcAccessReport AccessReport() override { return m_ddc.AccessReport(); }

private:
    MonitorDevices& m_devices;
    DdcMonitors& m_ddc;
};

}  // namespace orvane::platform::linuxplatform

// MonitorConfigApi over dxva2. Stateless, so any thread may call it; the
// calls themselves may block for as long as the monitor takes to answer.
#pragma once

#include "platform/Platform.h"

namespace orvane::platform::win32 {

class Win32MonitorConfig : public MonitorConfigApi {
public:
    // More physical monitors than this behind one display is not a real
    // answer; refusing it keeps a bogus count from allocating gigabytes.
    static constexpr std::uint32_t kMaxPhysicalMonitors = 64;

    bool GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count) override;
    bool GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                         std::vector<PhysicalMonitor>& out) override;
    int GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t* codeType,
                                        std::uint32_t* current, std::uint32_t* maximum) override;
    int SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override;
    int GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length) override;
};

}  // namespace orvane::platform::win32

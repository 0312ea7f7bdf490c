#include "platform/win32/Win32MonitorConfig.h"

#include "platform/win32/Dxva2.h"
#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

namespace {

HMONITOR ToMonitor(DisplayHandle display) { return reinterpret_cast<HMONITOR>(display); }
HANDLE ToHandle(PhysicalMonitorHandle monitor) { return reinterpret_cast<HANDLE>(monitor); }

// A DWORD out-parameter that starts from the caller's value and is copied
// back, so an API that writes nothing leaves the caller's value alone.
class DwordOut {
public:
    explicit DwordOut(std::uint32_t* target) : target_(target), value_(target ? *target : 0) {}
    ~DwordOut()
    {
        if (target_)
            *target_ = value_;
    }
    DwordOut(const DwordOut&) = delete;
    DwordOut& operator=(const DwordOut&) = delete;
    LPDWORD Get() { return target_ ? &value_ : nullptr; }

private:
    std::uint32_t* target_;
    DWORD value_;
};

}  // namespace

bool Win32MonitorConfig::GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count)
{
    DwordOut number(count);
    return ::GetNumberOfPhysicalMonitorsFromHMONITOR(ToMonitor(display), number.Get()) != FALSE;
}

bool Win32MonitorConfig::GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                                         std::vector<PhysicalMonitor>& out)
{
    out.clear();
    if (count == 0 || count > kMaxPhysicalMonitors)
        return false;
    std::vector<PHYSICAL_MONITOR> entries(count, PHYSICAL_MONITOR{});
    if (!::GetPhysicalMonitorsFromHMONITOR(ToMonitor(display), count, entries.data()))
        return false;
    // Only the array is ours; the handles stay open for the program's life.
    for (const PHYSICAL_MONITOR& entry : entries) {
        out.push_back(PhysicalMonitor{reinterpret_cast<PhysicalMonitorHandle>(entry.hPhysicalMonitor),
                                      NarrowField(entry.szPhysicalMonitorDescription,
                                                  PHYSICAL_MONITOR_DESCRIPTION_SIZE)});
    }
    return true;
}

int Win32MonitorConfig::GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code,
                                                        std::uint32_t* codeType, std::uint32_t* current,
                                                        std::uint32_t* maximum)
{
    MC_VCP_CODE_TYPE type = codeType && *codeType == MC_MOMENTARY ? MC_MOMENTARY : MC_SET_PARAMETER;
    DwordOut currentOut(current);
    DwordOut maximumOut(maximum);
    const BOOL result = ::GetVCPFeatureAndVCPFeatureReply(ToHandle(monitor), code, codeType ? &type : nullptr,
                                                          currentOut.Get(), maximumOut.Get());
    if (codeType)
        *codeType = static_cast<std::uint32_t>(type);
    return result;
}

int Win32MonitorConfig::SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value)
{
    return ::SetVCPFeature(ToHandle(monitor), code, value);
}

int Win32MonitorConfig::GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length)
{
    DwordOut out(length);
    return ::GetCapabilitiesStringLength(ToHandle(monitor), out.Get());
}

}  // namespace orvane::platform::win32

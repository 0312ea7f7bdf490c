#include "platform/win32/Win32MonitorConfig.h"

#include "platform/win32/Dxva2.h"
#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

namespace {

// dxva2 is loaded on first use instead of being imported, so a program that
// links the platform but never talks to a monitor (Renovo) does not load it.
// The usual search order applies, as for an import: the program's folder
// first, then the system's.
struct Dxva2Functions {
    decltype(&::GetNumberOfPhysicalMonitorsFromHMONITOR) getNumberOfPhysicalMonitors = nullptr;
    decltype(&::GetPhysicalMonitorsFromHMONITOR) getPhysicalMonitors = nullptr;
    decltype(&::GetVCPFeatureAndVCPFeatureReply) getVcpFeature = nullptr;
    decltype(&::SetVCPFeature) setVcpFeature = nullptr;
    decltype(&::GetCapabilitiesStringLength) getCapabilitiesStringLength = nullptr;
};

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function)
{
    // Through the generic function pointer type, which converts to any other
    // without a cast-function-type warning.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const Dxva2Functions& Dxva2()
{
    static const Dxva2Functions functions = [] {
        Dxva2Functions f;
        // Never freed: worker threads may be inside a call when the process ends.
        if (HMODULE module = ::LoadLibraryW(L"dxva2.dll")) {
            Resolve(module, "GetNumberOfPhysicalMonitorsFromHMONITOR", f.getNumberOfPhysicalMonitors);
            Resolve(module, "GetPhysicalMonitorsFromHMONITOR", f.getPhysicalMonitors);
            Resolve(module, "GetVCPFeatureAndVCPFeatureReply", f.getVcpFeature);
            Resolve(module, "SetVCPFeature", f.setVcpFeature);
            Resolve(module, "GetCapabilitiesStringLength", f.getCapabilitiesStringLength);
        }
        return f;
    }();
    return functions;
}

// A missing dxva2 or function fails the call the way the system reports it.
BOOL Missing()
{
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
}

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
    const auto call = Dxva2().getNumberOfPhysicalMonitors;
    return (call ? call(ToMonitor(display), number.Get()) : Missing()) != FALSE;
}

bool Win32MonitorConfig::GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                                         std::vector<PhysicalMonitor>& out)
{
    out.clear();
    if (count == 0 || count > kMaxPhysicalMonitors)
        return false;
    std::vector<PHYSICAL_MONITOR> entries(count, PHYSICAL_MONITOR{});
    const auto call = Dxva2().getPhysicalMonitors;
    if (!(call ? call(ToMonitor(display), count, entries.data()) : Missing()))
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
    const auto call = Dxva2().getVcpFeature;
    const BOOL result = call ? call(ToHandle(monitor), code, codeType ? &type : nullptr, currentOut.Get(),
                                    maximumOut.Get())
                             : Missing();
    if (codeType)
        *codeType = static_cast<std::uint32_t>(type);
    return result;
}

int Win32MonitorConfig::SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value)
{
    const auto call = Dxva2().setVcpFeature;
    return call ? call(ToHandle(monitor), code, value) : Missing();
}

int Win32MonitorConfig::GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length)
{
    DwordOut out(length);
    const auto call = Dxva2().getCapabilitiesStringLength;
    return call ? call(ToHandle(monitor), out.Get()) : Missing();
}

}  // namespace orvane::platform::win32

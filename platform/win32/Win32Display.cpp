#include "platform/win32/Win32Display.h"

#include "platform/win32/WinApi.h"

#include <exception>

#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

// The structure sizes and constants the program's display code relies on.
static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW dmSize");
static_assert(sizeof(DISPLAY_DEVICEW) == 840, "DISPLAY_DEVICEW cb");
static_assert(sizeof(MONITORINFOEXW) == 104, "MONITORINFOEXW cbSize");
static_assert(ENUM_REGISTRY_SETTINGS == static_cast<DWORD>(seam::kEnumRegistrySettings), "registry settings");
static_assert(ENUM_CURRENT_SETTINGS == static_cast<DWORD>(seam::kEnumCurrentSettings), "current settings");
static_assert(CDS_UPDATEREGISTRY == seam::kCdsUpdateRegistry, "CDS_UPDATEREGISTRY");
static_assert(DISP_CHANGE_SUCCESSFUL == seam::kDispChangeSuccessful, "DISP_CHANGE_SUCCESSFUL");
static_assert(DISP_CHANGE_FAILED == seam::kDispChangeFailed, "DISP_CHANGE_FAILED");
static_assert(DISP_CHANGE_BADMODE == seam::kDispChangeBadMode, "DISP_CHANGE_BADMODE");
static_assert(MONITOR_DEFAULTTONEAREST == 2, "MONITOR_DEFAULTTONEAREST");
static_assert(MONITORINFOF_PRIMARY == seam::kMonitorInfoPrimary, "MONITORINFOF_PRIMARY");
static_assert(DISPLAY_DEVICE_ACTIVE == seam::kDisplayDeviceActive, "DISPLAY_DEVICE_ACTIVE");
static_assert(DISPLAY_DEVICE_ATTACHED_TO_DESKTOP == seam::kDisplayDeviceAttached, "attached");
static_assert(DM_DISPLAYORIENTATION == seam::kDmDisplayOrientation, "DM_DISPLAYORIENTATION");
static_assert(DM_PELSWIDTH == seam::kDmPelsWidth, "DM_PELSWIDTH");
static_assert(DM_PELSHEIGHT == seam::kDmPelsHeight, "DM_PELSHEIGHT");
static_assert(DM_DISPLAYFREQUENCY == seam::kDmDisplayFrequency, "DM_DISPLAYFREQUENCY");
static_assert((DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY) == 0x00580080, "fields");
static_assert(DMDO_DEFAULT == seam::kDmdoDefault && DMDO_90 == seam::kDmdo90 && DMDO_180 == seam::kDmdo180 &&
                  DMDO_270 == seam::kDmdo270,
              "DMDO_*");

namespace {

HMONITOR ToMonitor(DisplayHandle display) { return reinterpret_cast<HMONITOR>(display); }
DisplayHandle FromMonitor(HMONITOR monitor) { return reinterpret_cast<DisplayHandle>(monitor); }

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

DEVMODEW ZeroedDevMode()
{
    DEVMODEW mode{};
    mode.dmSize = sizeof(DEVMODEW);
    return mode;
}

struct EnumContext {
    const std::function<bool(DisplayHandle)>* callback;
    std::exception_ptr error;
};

// An exception must not unwind through user32's frames; it is carried past
// them and rethrown once EnumDisplayMonitors has returned.
BOOL CALLBACK EnumProc(HMONITOR monitor, HDC, LPRECT, LPARAM context)
{
    auto* ctx = reinterpret_cast<EnumContext*>(context);
    try {
        return (*ctx->callback)(FromMonitor(monitor)) ? TRUE : FALSE;
    } catch (...) {
        ctx->error = std::current_exception();
        return FALSE;
    }
}

}  // namespace

bool Win32Display::EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback)
{
    EnumContext context{&callback, nullptr};
    const BOOL ok = ::EnumDisplayMonitors(nullptr, nullptr, EnumProc, reinterpret_cast<LPARAM>(&context));
    if (context.error)
        std::rethrow_exception(context.error);
    return ok != FALSE;
}

bool Win32Display::GetMonitorInfo(DisplayHandle display, DisplayInfo& info)
{
    MONITORINFOEXW mi{};
    mi.cbSize = sizeof(MONITORINFOEXW);
    if (!::GetMonitorInfoW(ToMonitor(display), &mi))
        return false;
    info.flags = mi.dwFlags;
    info.monitor = ToRect(mi.rcMonitor);
    info.work = ToRect(mi.rcWork);
    info.deviceName = NarrowField(mi.szDevice, CCHDEVICENAME);
    return true;
}

DisplayHandle Win32Display::MonitorFromPoint(std::int32_t x, std::int32_t y)
{
    return FromMonitor(::MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST));
}

bool Win32Display::EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out)
{
    const std::wstring name = device ? Widen(*device) : std::wstring();
    DISPLAY_DEVICEW dd{};
    dd.cb = sizeof(DISPLAY_DEVICEW);
    if (!::EnumDisplayDevicesW(device ? name.c_str() : nullptr, index, &dd, 0))
        return false;
    out.deviceName = NarrowField(dd.DeviceName, 32);
    out.deviceString = NarrowField(dd.DeviceString, 128);
    out.stateFlags = dd.StateFlags;
    out.deviceId = NarrowField(dd.DeviceID, 128);
    out.deviceKey = NarrowField(dd.DeviceKey, 128);
    return true;
}

bool Win32Display::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    DEVMODEW mode = ZeroedDevMode();
    if (!::EnumDisplaySettingsW(Widen(device).c_str(), static_cast<DWORD>(modeIndex), &mode))
        return false;
    out.fields = mode.dmFields;
    out.orientation = mode.dmDisplayOrientation;
    out.fixedOutput = mode.dmDisplayFixedOutput;
    out.bitsPerPel = mode.dmBitsPerPel;
    out.pelsWidth = mode.dmPelsWidth;
    out.pelsHeight = mode.dmPelsHeight;
    out.displayFrequency = mode.dmDisplayFrequency;
    return true;
}

std::int32_t Win32Display::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                   std::uint32_t flags)
{
    // The caller edited a copy of the stored settings; the seam carries only
    // the fields it reads and writes, so the rest of the DEVMODEW is taken
    // from the stored settings again, as the caller saw them.
    const std::wstring name = Widen(device);
    DEVMODEW mode = ZeroedDevMode();
    if (!::EnumDisplaySettingsW(name.c_str(), ENUM_REGISTRY_SETTINGS, &mode))
        mode = ZeroedDevMode();
    mode.dmFields = settings.fields;
    mode.dmDisplayOrientation = settings.orientation;
    mode.dmDisplayFixedOutput = settings.fixedOutput;
    mode.dmBitsPerPel = settings.bitsPerPel;
    mode.dmPelsWidth = settings.pelsWidth;
    mode.dmPelsHeight = settings.pelsHeight;
    mode.dmDisplayFrequency = settings.displayFrequency;
    return ::ChangeDisplaySettingsExW(name.c_str(), &mode, nullptr, flags, nullptr);
}

}  // namespace orvane::platform::win32

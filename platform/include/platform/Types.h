// Plain value types that cross the platform seam. Free of Qt so that the
// Windows layer can be built with nothing but a MinGW cross compiler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::platform {

// Opaque handles. On Windows they hold an HMONITOR and a physical-monitor
// HANDLE; other platforms hand out small non-zero numbers of their own.
using DisplayHandle = std::uintptr_t;
using PhysicalMonitorHandle = std::uintptr_t;

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// How far a point lies from a rectangle (squared; 0 inside), for finding the
// nearest display as MonitorFromPoint does. Unsigned 64 bits: a rectangle at
// one end of the coordinates and a point at the other are further apart than
// an int holds, and the square of that needs all 64 bits; a sum beyond them
// stays at the largest value (such a point is equally far from all).
inline std::uint64_t DistanceSquared(const Rect& rect, std::int32_t x, std::int32_t y)
{
    const auto axis = [](std::int64_t at, std::int64_t low, std::int64_t high) -> std::uint64_t {
        return std::uint64_t(at < low ? low - at : (at >= high ? at - high + 1 : 0));
    };
    const std::uint64_t dx = axis(x, rect.left, rect.right);
    const std::uint64_t dy = axis(y, rect.top, rect.bottom);
    const std::uint64_t sum = dx * dx + dy * dy;
    return sum < dx * dx ? ~std::uint64_t(0) : sum;
}

constexpr std::uint32_t MONITORINFOF_PRIMARY = 0x00000001;

// What GetMonitorInfoW reports for one display.
struct DisplayInfo {
    std::uint32_t flags = 0;
    Rect monitor;
    Rect work;
    std::string deviceName;  // UTF-8, e.g. "\\\\.\\DISPLAY1" or an output name
};

constexpr std::uint32_t DISPLAY_DEVICE_ACTIVE = 0x00000001;
constexpr std::uint32_t DISPLAY_DEVICE_ATTACHED_TO_DESKTOP = 0x00000001;

// The DISPLAY_DEVICEW fields the program reads, as UTF-8.
struct DisplayDevice {
    std::string deviceName;
    std::string deviceString;
    std::uint32_t stateFlags = 0;
    std::string deviceId;
    std::string deviceKey;
};

constexpr std::int32_t ENUM_CURRENT_SETTINGS = -1;
constexpr std::int32_t ENUM_REGISTRY_SETTINGS = -2;

constexpr std::uint32_t DM_DISPLAYORIENTATION = 0x00000080;
constexpr std::uint32_t DM_PELSWIDTH = 0x00080000;
constexpr std::uint32_t DM_PELSHEIGHT = 0x00100000;
constexpr std::uint32_t DM_DISPLAYFREQUENCY = 0x00400000;

constexpr std::int32_t DMDO_DEFAULT = 0;
constexpr std::int32_t DMDO_90 = 1;
constexpr std::int32_t DMDO_180 = 2;
constexpr std::int32_t DMDO_270 = 3;
// Whether an orientation stands the picture upright on a panel turned a
// quarter: its shown width and height are the mode's swapped.
constexpr bool IsPortrait(std::int64_t orientation)
{
    return orientation == DMDO_90 || orientation == DMDO_270;
}

constexpr std::uint32_t CDS_UPDATEREGISTRY = 0x00000001;
constexpr std::int32_t DISP_CHANGE_SUCCESSFUL = 0;
constexpr std::int32_t DISP_CHANGE_FAILED = -1;
constexpr std::int32_t DISP_CHANGE_BADMODE = -2;

// The DEVMODEW fields the program reads or writes.
struct DisplaySettings {
    std::uint32_t fields = 0;
    std::uint32_t orientation = 0;     // dmDisplayOrientation
    std::uint32_t fixedOutput = 0;     // dmDisplayFixedOutput
    std::uint32_t bitsPerPel = 0;
    std::uint32_t pelsWidth = 0;
    std::uint32_t pelsHeight = 0;
    std::uint32_t displayFrequency = 0;
};

struct PhysicalMonitor {
    PhysicalMonitorHandle handle = 0;
    std::string description;
};

// Window-message numbers and wParam values of the system notices. Every
// platform reports its notices in these terms so that one handler decides.
constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
constexpr std::uintptr_t PBT_APMSUSPEND = 4;
constexpr std::uintptr_t PBT_APMRESUMESUSPEND = 7;
constexpr std::uintptr_t SPI_SETWORKAREA = 0x2F;
constexpr std::uintptr_t DBT_DEVICEARRIVAL = 0x8000;
constexpr std::uintptr_t DBT_DEVICEREMOVECOMPLETE = 0x8004;

// The session ends (logging off, shutting down, or the process asked to
// stop): the program ends as when its window is closed. wParam 1.
constexpr std::uint32_t WM_ENDSESSION = 0x0016;

struct SystemNotice {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
};

// Why no monitor can be reached over DDC/CI, as far as the platform can
// tell. A platform that does not look reports NotExamined.
enum class DdcAccessFault {
    NotExamined,
    None,             // nothing found missing
    NoI2cDevices,     // no I2C device nodes: the kernel module is not loaded
    NoI2cPermission,  // the user may not open the I2C device nodes
    NoDdcLibrary,     // the DDC/CI library is missing or unusable
    NoDdcAnswer,      // the buses work but no monitor answered
};

struct DdcAccessReport {
    DdcAccessFault fault = DdcAccessFault::NotExamined;
    std::string detail;  // what was found, for the log
    // The lasting part of the fix is in place already (on Linux: the kernel
    // module is set to load at every start, or the access rule is
    // installed); what is left to do is for now.
    bool lastingFixInPlace = false;
};

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

}  // namespace orvane::platform

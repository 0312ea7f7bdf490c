// The seam names its constants exactly like the Windows macros, so once
// <windows.h> is included "platform::DMDO_90" no longer compiles: the macro
// replaces the name. This header keeps the seam's values under names of
// their own for the static checks against the Windows definitions; it must
// come before <windows.h>.
#pragma once

#ifdef _WINDOWS_
#error "platform/win32/SeamValues.h must be included before <windows.h>"
#endif

#include "platform/Types.h"

namespace orvane::platform::win32::seam {

constexpr auto kEnumCurrentSettings = platform::ENUM_CURRENT_SETTINGS;
constexpr auto kEnumRegistrySettings = platform::ENUM_REGISTRY_SETTINGS;
constexpr auto kCdsUpdateRegistry = platform::CDS_UPDATEREGISTRY;
constexpr auto kDispChangeSuccessful = platform::DISP_CHANGE_SUCCESSFUL;
constexpr auto kDispChangeFailed = platform::DISP_CHANGE_FAILED;
constexpr auto kDispChangeBadMode = platform::DISP_CHANGE_BADMODE;
constexpr auto kMonitorInfoPrimary = platform::MONITORINFOF_PRIMARY;
constexpr auto kDisplayDeviceActive = platform::DISPLAY_DEVICE_ACTIVE;
constexpr auto kDisplayDeviceAttached = platform::DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
constexpr auto kDmDisplayOrientation = platform::DM_DISPLAYORIENTATION;
constexpr auto kDmPelsWidth = platform::DM_PELSWIDTH;
constexpr auto kDmPelsHeight = platform::DM_PELSHEIGHT;
constexpr auto kDmDisplayFrequency = platform::DM_DISPLAYFREQUENCY;
constexpr auto kDmdoDefault = platform::DMDO_DEFAULT;
constexpr auto kDmdo90 = platform::DMDO_90;
constexpr auto kDmdo180 = platform::DMDO_180;
constexpr auto kDmdo270 = platform::DMDO_270;
constexpr auto kWmSettingChange = platform::WM_SETTINGCHANGE;
constexpr auto kWmDisplayChange = platform::WM_DISPLAYCHANGE;
constexpr auto kWmPowerBroadcast = platform::WM_POWERBROADCAST;
constexpr auto kWmDeviceChange = platform::WM_DEVICECHANGE;
constexpr auto kPbtApmSuspend = platform::PBT_APMSUSPEND;
constexpr auto kPbtApmResumeSuspend = platform::PBT_APMRESUMESUSPEND;
constexpr auto kSpiSetWorkArea = platform::SPI_SETWORKAREA;
constexpr auto kDbtDeviceArrival = platform::DBT_DEVICEARRIVAL;
constexpr auto kDbtDeviceRemoveComplete = platform::DBT_DEVICEREMOVECOMPLETE;
constexpr auto kSwHide = platform::SW_HIDE;
constexpr auto kSwShowNormal = platform::SW_SHOWNORMAL;

}  // namespace orvane::platform::win32::seam

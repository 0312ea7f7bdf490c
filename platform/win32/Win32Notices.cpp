#include "platform/win32/Win32Notices.h"

#include "platform/win32/WinApi.h"

#include <dbt.h>

namespace orvane::platform::win32 {

static_assert(WM_SETTINGCHANGE == seam::kWmSettingChange, "WM_SETTINGCHANGE");
static_assert(WM_DISPLAYCHANGE == seam::kWmDisplayChange, "WM_DISPLAYCHANGE");
static_assert(WM_POWERBROADCAST == seam::kWmPowerBroadcast, "WM_POWERBROADCAST");
static_assert(WM_DEVICECHANGE == seam::kWmDeviceChange, "WM_DEVICECHANGE");
static_assert(PBT_APMSUSPEND == seam::kPbtApmSuspend, "PBT_APMSUSPEND");
static_assert(PBT_APMRESUMESUSPEND == seam::kPbtApmResumeSuspend, "PBT_APMRESUMESUSPEND");
static_assert(SPI_SETWORKAREA == seam::kSpiSetWorkArea, "SPI_SETWORKAREA");
static_assert(DBT_DEVICEARRIVAL == seam::kDbtDeviceArrival, "DBT_DEVICEARRIVAL");
static_assert(DBT_DEVICEREMOVECOMPLETE == seam::kDbtDeviceRemoveComplete, "DBT_DEVICEREMOVECOMPLETE");

std::optional<SystemNotice> NoticeFromMessage(std::uint32_t message, std::uintptr_t wParam)
{
    switch (message) {
    case WM_POWERBROADCAST:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_DEVICECHANGE:
        return SystemNotice{message, wParam};
    default:
        return std::nullopt;
    }
}

void Win32NoticeSource::Subscribe(std::function<void(const SystemNotice&)> sink)
{
    sink_ = std::move(sink);
}

void Win32NoticeSource::Deliver(const SystemNotice& notice)
{
    if (sink_)
        sink_(notice);
}

}  // namespace orvane::platform::win32

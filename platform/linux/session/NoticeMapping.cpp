#include "platform/linux/session/NoticeMapping.h"

#include <algorithm>

namespace orvane::platform::linuxplatform {

SystemNotice SleepNotice(bool starting)
{
    return SystemNotice{WM_POWERBROADCAST, starting ? PBT_APMSUSPEND : PBT_APMRESUMESUSPEND};
}

SystemNotice DisplayChangeNotice()
{
    return SystemNotice{WM_DISPLAYCHANGE, 0};
}

SystemNotice WorkAreaNotice()
{
    return SystemNotice{WM_SETTINGCHANGE, SPI_SETWORKAREA};
}

std::vector<SystemNotice> DrmDeviceNotices(const std::string& action, const std::set<std::string>& connectedBefore,
                                           const std::set<std::string>& connectedAfter)
{
    const bool appeared = std::any_of(connectedAfter.begin(), connectedAfter.end(),
                                      [&](const std::string& c) { return !connectedBefore.count(c); });
    const bool went = std::any_of(connectedBefore.begin(), connectedBefore.end(),
                                  [&](const std::string& c) { return !connectedAfter.count(c); });
    std::vector<SystemNotice> notices;
    // A whole graphics card coming or going counts as a device of its own.
    if (appeared || action == "add")
        notices.push_back(SystemNotice{WM_DEVICECHANGE, DBT_DEVICEARRIVAL});
    if (went || action == "remove")
        notices.push_back(SystemNotice{WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE});
    return notices;
}

}  // namespace orvane::platform::linuxplatform

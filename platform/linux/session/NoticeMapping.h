// How the session's own events translate into the system notices the
// program handles, one function per source.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

// logind's PrepareForSleep(start): true before sleeping, false after waking.
SystemNotice SleepNotice(bool starting);

// A RandR screen change: outputs turned, resized, moved, switched on or off.
SystemNotice DisplayChangeNotice();

// The desktop's _NET_WORKAREA changed (a panel moved or resized).
SystemNotice WorkAreaNotice();

// A udev event of the drm subsystem with its action ("add", "remove",
// "change"), given the connectors with a monitor before and after it:
// arrival when a monitor appeared or a card was added, removal when one
// went or a card was removed, both when a monitor was swapped for another;
// nothing for a change that left the monitors as they were.
std::vector<SystemNotice> DrmDeviceNotices(const std::string& action, const std::set<std::string>& connectedBefore,
                                           const std::set<std::string>& connectedAfter);

}  // namespace orvane::platform::linuxplatform

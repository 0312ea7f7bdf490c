// What every Linux platform of the program shares with the desktop session,
// whether its monitors are real or simulated: the end of the session (or a
// stop signal) as a notice, and messages through the desktop's notification
// service.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace orvane::platform::linuxplatform {

// inner with those two added; everything else is inner's own.
std::unique_ptr<Platform> WithDesktopIntegration(std::unique_ptr<Platform> inner);

}  // namespace orvane::platform::linuxplatform

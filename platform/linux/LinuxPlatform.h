// The real platform on Linux desktops.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace orvane::platform::linuxplatform {

std::unique_ptr<Platform> CreateLinuxPlatform();

}  // namespace orvane::platform::linuxplatform

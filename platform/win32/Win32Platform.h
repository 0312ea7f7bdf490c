// The real Windows platform: each seam interface over the Win32 calls.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace orvane::platform::win32 {

std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace orvane::platform::win32

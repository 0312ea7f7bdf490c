// The running executable's full path from GetModuleFileNameW, however long.
#pragma once

#include <string>

namespace orvane::platform::win32 {

// Empty when the call fails.
std::wstring ModuleFileNameWide();

}  // namespace orvane::platform::win32

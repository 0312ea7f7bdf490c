// The running executable's full path from GetModuleFileNameW, however long.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvane::platform::win32 {

// Empty when the call fails.
std::wstring ModuleFileNameWide();

// The growing-buffer loop around a GetModuleFileNameW-like call, which fills
// at most size characters and returns size when the path did not fit.
std::wstring GrowingModuleFileName(const std::function<std::uint32_t(wchar_t* buffer, std::uint32_t size)>& call);

}  // namespace orvane::platform::win32

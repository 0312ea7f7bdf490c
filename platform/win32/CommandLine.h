// Builds a Windows command-line tail from separate arguments so that the
// started program's argv (CommandLineToArgvW / the C runtime) gets exactly
// those words back.
#pragma once

#include <string>
#include <vector>

namespace orvane::platform::win32 {

std::wstring QuoteArgument(const std::wstring& argument);
std::wstring JoinArguments(const std::vector<std::wstring>& arguments);

}  // namespace orvane::platform::win32

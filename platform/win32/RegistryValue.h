// Reads one registry value of any size: asks for the size, reads, and reads
// again with the new size if the value grew in between.
#pragma once

#include "platform/win32/WinApi.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::platform::win32 {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

std::optional<RawValue> QueryRawValue(HKEY key, const wchar_t* name);

}  // namespace orvane::platform::win32

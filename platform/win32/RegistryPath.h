// Registry paths as the program writes them, "HKEY_LOCAL_MACHINE\\SYSTEM\\...",
// split into a predefined root key and the wide sub-key below it.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>

namespace orvane::platform::win32 {

struct RegistryPath {
    HKEY root = nullptr;
    std::wstring subKey;
};

// Accepts the long and short root names (HKEY_LOCAL_MACHINE, HKLM, ...) in
// any case and '\\' or '/' as separators. False for an unknown root.
bool ParseRegistryPath(const std::string& path, RegistryPath& out);

}  // namespace orvane::platform::win32

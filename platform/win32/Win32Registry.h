// DeviceRegistry over advapi32: RegOpenKeyExW (KEY_READ), RegEnumKeyExW and
// RegQueryValueExW on paths such as
// "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\<model>".
#pragma once

#include "platform/Platform.h"

namespace orvane::platform::win32 {

class Win32Registry : public DeviceRegistry {
public:
    // Sub-key names in the registry's own enumeration order; empty when the
    // key cannot be opened.
    std::vector<std::string> ChildGroups(const std::string& keyPath) override;
    // REG_SZ and REG_EXPAND_SZ up to the first zero; REG_DWORD and REG_QWORD
    // as decimal text. Other types and missing values: nullopt.
    std::optional<std::string> StringValue(const std::string& keyPath, const std::string& name) override;
    // The value's raw data, whatever its type.
    std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string& keyPath,
                                                         const std::string& name) override;
};

}  // namespace orvane::platform::win32

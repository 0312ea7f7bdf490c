#include "platform/win32/RegistryValue.h"

namespace orvane::platform::win32 {

std::optional<RawValue> QueryRawValue(HKEY key, const wchar_t* name)
{
    RawValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    for (int attempt = 0; attempt < 8 && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
        // Never a null buffer: that would ask only for the size again, also
        // for an empty value.
        value.data.assign(size + 2, 0);
        DWORD got = size + 2;
        status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &got);
        if (status == ERROR_SUCCESS) {
            value.data.resize(got);
            return value;
        }
        size = got > size ? got : size * 2;
    }
    return std::nullopt;
}

}  // namespace orvane::platform::win32

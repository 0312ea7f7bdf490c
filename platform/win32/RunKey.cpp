#include "platform/win32/RunKey.h"

#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace orvane::platform::win32 {

bool IsRunValueSet(HKEY root)
{
    UniqueKey key;
    if (::RegOpenKeyExW(root, kRunKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(kRunValueChars, L'\0');
    DWORD size = kRunValueChars * sizeof(wchar_t);
    LONG status = ::RegQueryValueExW(key.Get(), kRunValueName, nullptr, nullptr,
                                     reinterpret_cast<LPBYTE>(buffer.data()), &size);
    if (status == ERROR_MORE_DATA) {
        // A command longer than 259 characters is still a command: read it
        // whole rather than report the entry as missing.
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(key.Get(), kRunValueName, nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(buffer.data()), &size);
    }
    return status == ERROR_SUCCESS && buffer[0] != L'\0';
}

}  // namespace orvane::platform::win32

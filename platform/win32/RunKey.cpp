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

std::wstring RunCommandFor(const std::wstring& kestrunPath)
{
    const auto slash = kestrunPath.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : kestrunPath.substr(0, slash + 1);
    return L"\"" + folder + L"Orvane.exe\"";
}

bool WriteRunValue(HKEY root, const std::wstring& command)
{
    UniqueKey key;
    if (::RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            bytes) == ERROR_SUCCESS;
}

bool DeleteRunValue(HKEY root)
{
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    const LONG deleted = ::RegDeleteValueW(key.Get(), kRunValueName);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

}  // namespace orvane::platform::win32

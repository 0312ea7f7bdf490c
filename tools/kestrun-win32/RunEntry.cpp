#include "RunEntry.h"

#include "platform/win32/RunKey.h"
#include "platform/win32/UniqueHandle.h"

namespace orvane::kestrun {

using platform::win32::kRunKey;
using platform::win32::kRunValueName;
using platform::win32::UniqueKey;

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

int RunKestrun(const std::vector<std::wstring>& args, HKEY root, const std::wstring& kestrunPath)
{
    if (args.size() != 1)
        return kUsage;
    if (args[0] == L"1") {
        if (kestrunPath.empty())
            return kRegistryFailed;  // no folder to point the entry at
        return WriteRunValue(root, RunCommandFor(kestrunPath)) ? kDone : kRegistryFailed;
    }
    if (args[0] == L"0")
        return DeleteRunValue(root) ? kDone : kRegistryFailed;
    return kUsage;
}

}  // namespace orvane::kestrun

#include "platform/win32/WideText.h"

#include "platform/win32/WinApi.h"

#include <climits>

namespace orvane::platform::win32 {

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], needed);
    return wide;
}

std::string Narrow(const std::wstring& utf16)
{
    if (utf16.empty() || utf16.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf16.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, &narrow[0], needed, nullptr, nullptr);
    return narrow;
}

std::string NarrowField(const wchar_t* field, std::size_t capacity)
{
    std::size_t length = 0;
    while (length < capacity && field[length] != L'\0')
        ++length;
    return Narrow(std::wstring(field, length));
}

}  // namespace orvane::platform::win32

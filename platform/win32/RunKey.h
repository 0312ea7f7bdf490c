// The machine-wide Run value that starts "Orvane" at log-on: read by the
// platform, written and deleted by Kestrun.exe.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>

namespace orvane::platform::win32 {

constexpr const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t kRunValueName[] = L"Orvane";
constexpr DWORD kRunValueChars = 260;
static_assert(kRunValueChars * sizeof(wchar_t) == 520, "the value is read into 520 bytes");

// True when the value exists and its first character is not zero. The key
// is opened with KEY_READ and no WOW64 flag: a 32-bit build reads the
// 32-bit view, so Kestrun.exe must be built for the same width.
bool IsRunValueSet(HKEY root);

// The command Windows runs at log-on: Orvane.exe beside Kestrun.exe, quoted
// because installation folders often contain blanks.
std::wstring RunCommandFor(const std::wstring& kestrunPath);

bool WriteRunValue(HKEY root, const std::wstring& command);
// A value that is already absent counts as deleted.
bool DeleteRunValue(HKEY root);

}  // namespace orvane::platform::win32

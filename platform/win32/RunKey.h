// The machine-wide Run value that starts "Orvane" at log-on. Read here,
// written and deleted by Kestrun.exe.
#pragma once

#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

constexpr const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t kRunValueName[] = L"Orvane";
constexpr DWORD kRunValueChars = 260;
static_assert(kRunValueChars * sizeof(wchar_t) == 520, "the value is read into 520 bytes");

// True when the value exists and its first character is not zero. The key
// is opened with KEY_READ and no WOW64 flag: a 32-bit build reads the
// 32-bit view, so Kestrun.exe must be built for the same width.
bool IsRunValueSet(HKEY root);

}  // namespace orvane::platform::win32

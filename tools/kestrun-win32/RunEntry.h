// What Kestrun.exe does to the Run value, on a root key the caller names
// (HKEY_LOCAL_MACHINE in the tool).
#pragma once

#include "platform/win32/WinApi.h"

#include <string>
#include <vector>

namespace orvane::kestrun {

enum ExitCode : int {
    kDone = 0,
    kRegistryFailed = 1,
    kUsage = 2,
};

// The command Windows runs at log-on: Orvane.exe beside Kestrun.exe, quoted
// because installation folders often contain blanks.
std::wstring RunCommandFor(const std::wstring& kestrunPath);

bool WriteRunValue(HKEY root, const std::wstring& command);
// A value that is already absent counts as deleted.
bool DeleteRunValue(HKEY root);

// args excludes the program name: exactly one of "1" (add) or "0" (delete);
// anything else changes nothing and gives kUsage.
int RunKestrun(const std::vector<std::wstring>& args, HKEY root, const std::wstring& kestrunPath);

}  // namespace orvane::kestrun

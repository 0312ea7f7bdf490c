// Kestrun.exe: adds ("1") or deletes ("0") the Run value that starts Orvane
// at log-on. Started elevated by Orvane; reports only through its exit code.
#include "platform/win32/WinApi.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "RunEntry.h"
#include "platform/win32/ModulePath.h"

int main()
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return orvane::kestrun::kUsage;
    std::vector<std::wstring> args(argv + (count > 0 ? 1 : 0), argv + count);
    ::LocalFree(argv);
    return orvane::kestrun::RunKestrun(args, HKEY_LOCAL_MACHINE, orvane::platform::win32::ModuleFileNameWide());
}

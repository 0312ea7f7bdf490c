// Kestrun.exe: adds ("1") or deletes ("0") the Run value that starts Orvane
// at log-on. Started elevated by Orvane; reports only through its exit code.
#include "platform/win32/WinApi.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/ModulePath.h"
#include "platform/win32/RunKey.h"

namespace {

using namespace orvane::platform::win32;

enum ExitCode : int {
    kDone = 0,
    kRegistryFailed = 1,
    kUsage = 2,
};

// args excludes the program name: exactly one of "1" (add) or "0" (delete);
// anything else changes nothing and gives kUsage.
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

}  // namespace

int main()
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return kUsage;
    std::vector<std::wstring> args(argv + (count > 0 ? 1 : 0), argv + count);
    ::LocalFree(argv);
    return RunKestrun(args, HKEY_LOCAL_MACHINE, ModuleFileNameWide());
}

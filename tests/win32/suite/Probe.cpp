// Helper process of the Windows suite.
//   mutex NAME            exit 10 acquired, 11 already running, 12 failed
//   module OUTFILE        writes its own ModuleFileName (UTF-8) to OUTFILE
//   args OUTFILE ARGS...  writes the arguments it got, one a line

#include <string>
#include <vector>

#include "Process.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"
#include <shellapi.h>

using namespace orvane::platform;

int main()
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return 2;
    std::vector<std::wstring> args(argv, argv + count);
    ::LocalFree(argv);
    if (args.size() < 3)
        return 2;

    win32::Win32System system;
    if (args[1] == L"mutex") {
        switch (system.AcquireSingleInstance(win32::Narrow(args[2]))) {
        case InstanceLock::Acquired: return 10;
        case InstanceLock::AlreadyRunning: return 11;
        case InstanceLock::Failed: return 12;
        }
    }
    if (args[1] == L"module")
        return orvane::test::WriteUtf8File(args[2], system.ModuleFileName()) ? 0 : 3;
    if (args[1] == L"args") {
        std::string text;
        for (std::size_t i = 3; i < args.size(); ++i)
            text += win32::Narrow(args[i]) + "\n";
        return orvane::test::WriteUtf8File(args[2], text) ? 0 : 3;
    }
    return 2;
}

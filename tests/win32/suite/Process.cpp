#include "Process.h"

#include <fstream>
#include <iterator>

#include "platform/win32/CommandLine.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/UniqueHandle.h"

#include "platform/win32/WinApi.h"

namespace orvane::test {

using platform::win32::UniqueHandle;

std::wstring OwnFolder()
{
    const std::wstring path = platform::win32::ModuleFileNameWide();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

int RunAndWait(const std::wstring& exe, const std::vector<std::wstring>& args, unsigned deadlineMs)
{
    std::vector<std::wstring> words{exe};
    words.insert(words.end(), args.begin(), args.end());
    std::wstring line = platform::win32::JoinArguments(words);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (::WaitForSingleObject(process.Get(), deadlineMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 99);
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

std::wstring ScratchFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder = std::wstring(temp) + L"orvane-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

std::string ReadUtf8File(const std::wstring& path)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

bool WriteUtf8File(const std::wstring& path, const std::string& text)
{
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.Valid() && ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace orvane::test

#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"

#include <shellapi.h>
#include <winver.h>

#include <vector>

#include "platform/win32/CommandLine.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/RunKey.h"
#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

static_assert(ERROR_ALREADY_EXISTS == 183, "ERROR_ALREADY_EXISTS");
static_assert(GENERIC_WRITE == 0x40000000, "GENERIC_WRITE");
static_assert(FILE_SHARE_READ == 1, "FILE_SHARE_READ");
static_assert(OPEN_EXISTING == 3, "OPEN_EXISTING");
static_assert(FILE_ATTRIBUTE_NORMAL == 0x80, "FILE_ATTRIBUTE_NORMAL");
static_assert(SW_HIDE == seam::kSwHide && SW_SHOWNORMAL == seam::kSwShowNormal, "SW_*");

std::string Win32System::ModuleFileName()
{
    return Narrow(ModuleFileNameWide());
}

InstanceLock Win32System::AcquireSingleInstance(const std::string& name)
{
    UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, Widen(name).c_str()));
    const DWORD error = ::GetLastError();
    if (!mutex.Valid())
        return InstanceLock::Failed;
    if (error == ERROR_ALREADY_EXISTS)
        return InstanceLock::AlreadyRunning;  // our handle to the other's mutex closes here
    instanceMutex_ = std::move(mutex);
    return InstanceLock::Acquired;
}

bool Win32System::IsRunAtStartup()
{
    return IsRunValueSet(HKEY_LOCAL_MACHINE);
}

bool Win32System::StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand)
{
    std::vector<std::wstring> wideArgs;
    for (const std::string& arg : args)
        wideArgs.push_back(Widen(arg));
    const std::wstring wideFile = Widen(file);
    const std::wstring parameters = JoinArguments(wideArgs);

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No error box of the shell's own: a missing tool or a refused prompt is
    // reported to the caller only, and a modal box would stall the caller's
    // thread until someone closes it.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = L"runas";
    info.lpFile = wideFile.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = nullptr;
    info.nShow = showCommand;
    return ::ShellExecuteExW(&info) != FALSE;
}

bool Win32System::SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime)
{
    UniqueHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    FILETIME lastWrite;
    lastWrite.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFFu);
    lastWrite.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    return ::SetFileTime(file.Get(), nullptr, nullptr, &lastWrite) != FALSE;
}

VersionRead Win32System::ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                         std::uint32_t& fileVersionLS)
{
    const std::wstring widePath = Widen(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0)
        return VersionRead::NoVersionInfo;
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(widePath.c_str(), 0, size, block.data()))
        return VersionRead::NoVersionInfo;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
        return VersionRead::NoFixedInfo;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    fileVersionMS = fixed->dwFileVersionMS;
    fileVersionLS = fixed->dwFileVersionLS;
    return VersionRead::Ok;
}

}  // namespace orvane::platform::win32

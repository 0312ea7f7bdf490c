// SystemApi over kernel32, advapi32, shell32 and version.dll.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/UniqueHandle.h"

namespace orvane::platform::win32 {

class Win32System : public SystemApi {
public:
    std::string ModuleFileName() override;
    // CreateMutexW(no security attributes, initial owner, name); the mutex is
    // held by this object, and so for the process's life in the program.
    InstanceLock AcquireSingleInstance(const std::string& name) override;
    bool IsRunAtStartup() override;
    // ShellExecuteExW with "runas"; the arguments are quoted as needed.
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) override;
    // CreateFileW(GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
    // FILE_ATTRIBUTE_NORMAL) and SetFileTime on the last-write time only.
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) override;
    // GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW("\\").
    VersionRead ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                std::uint32_t& fileVersionLS) override;

private:
    UniqueHandle instanceMutex_;
};

}  // namespace orvane::platform::win32

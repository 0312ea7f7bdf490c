// Process-level services on Linux: own path, single instance, XDG autostart,
// starting the updater, file times and version records.
#pragma once

#include "platform/Platform.h"
#include "platform/linux/session/Autostart.h"

namespace orvane::platform::linuxplatform {

class LinuxSystem : public SystemApi {
public:
    std::string ModuleFileName() override;
    InstanceLock AcquireSingleInstance(const std::string& name) override;
    bool IsRunAtStartup() override;
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) override;
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) override;
    VersionRead ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                std::uint32_t& fileVersionLS) override;
};

// Folders for the per-user single-instance locks, in the order they are
// tried: $XDG_RUNTIME_DIR, the user's cache folder, the temporary folder,
// /tmp. The first one a lock file can be opened in decides; the same
// environment always picks the same file.
std::vector<std::string> LockFolders();

}  // namespace orvane::platform::linuxplatform

#include "orvane/app/RunAtStartup.h"

#include "platform/host/HostFiles.h"

namespace orvane {

std::string KestrunPath(const std::string& modulePath)
{
    const std::string name = std::string("Kestrun") + platform::host::ExecutableSuffix();
    const auto slash = modulePath.find_last_of("/\\");
    // Without a known own path the tool cannot be found; an empty path makes
    // the start fail instead of running whatever "Kestrun" the PATH offers.
    if (slash == std::string::npos)
        return {};
    return modulePath.substr(0, slash + 1) + name;
}

bool SetRunAtStartup(platform::SystemApi& system, const std::string& modulePath, bool enabled)
{
    const std::string tool = KestrunPath(modulePath);
    if (tool.empty())
        return false;
    return system.StartElevated(tool, {enabled ? "1" : "0"}, platform::SW_HIDE);
}

}  // namespace orvane

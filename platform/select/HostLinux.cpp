#include "platform/linux/DesktopSession.h"
#include "platform/linux/GuiSession.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/SessionRotation.h"
#include "platform/select/HostPlatform.h"

namespace orvane::platform {

std::unique_ptr<Platform> CreateHostPlatform()
{
    return linuxplatform::WithDesktopSession(linuxplatform::CreateLinuxPlatform());
}

std::unique_ptr<SystemApi> CreateHostSystem()
{
    return std::make_unique<linuxplatform::LinuxSystem>();
}

std::unique_ptr<Platform> AroundSimulation(std::unique_ptr<Platform> sim)
{
    return linuxplatform::WithDesktopSession(linuxplatform::WithSessionRotation(std::move(sim)));
}

std::string GuiSessionProblem(int argc, char** argv)
{
    return linuxplatform::GuiSessionProblem(argc, argv);
}

}  // namespace orvane::platform

#include "platform/linux/session/DesktopIntegration.h"
#include "platform/linux/session/GuiSession.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/RotationForwarding.h"
#include "platform/host/HostPlatform.h"

namespace orvane::platform {

std::unique_ptr<Platform> CreateHostPlatform()
{
    return linuxplatform::WithDesktopIntegration(linuxplatform::CreateLinuxPlatform());
}

std::unique_ptr<SystemApi> CreateHostSystem()
{
    return std::make_unique<linuxplatform::LinuxSystem>();
}

std::unique_ptr<Platform> AroundSimulation(std::unique_ptr<Platform> sim)
{
    return linuxplatform::WithDesktopIntegration(linuxplatform::WithRotationForwarding(std::move(sim)));
}

std::string GuiSessionProblem(int argc, char** argv)
{
    return linuxplatform::GuiSessionProblem(argc, argv);
}

}  // namespace orvane::platform

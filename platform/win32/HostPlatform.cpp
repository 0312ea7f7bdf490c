#include "platform/host/HostPlatform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32System.h"

namespace orvane::platform {

std::unique_ptr<Platform> CreateHostPlatform()
{
    return win32::CreateWin32Platform();
}

std::unique_ptr<SystemApi> CreateHostSystem()
{
    return std::make_unique<win32::Win32System>();
}

std::unique_ptr<Platform> AroundSimulation(std::unique_ptr<Platform> sim)
{
    return sim;
}

std::string GuiSessionProblem(int, char**)
{
    return {};  // a Windows session always has its desktop
}

}  // namespace orvane::platform

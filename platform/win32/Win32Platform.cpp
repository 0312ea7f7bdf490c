#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32Display.h"
#include "platform/win32/Win32MonitorConfig.h"
#include "platform/win32/Win32Notices.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"

namespace orvane::platform::win32 {

namespace {

class Win32Platform : public Platform {
public:
    const char* Name() const override { return "win32"; }
    DisplayApi& Display() override { return display_; }
    MonitorConfigApi& MonitorConfig() override { return monitorConfig_; }
    DeviceRegistry& Registry() override { return registry_; }
    SystemApi& System() override { return system_; }
    NoticeSource& Notices() override { return notices_; }

private:
    Win32Display display_;
    Win32MonitorConfig monitorConfig_;
    Win32Registry registry_;
    Win32System system_;
    Win32NoticeSource notices_;
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform()
{
    return std::make_unique<Win32Platform>();
}

}  // namespace orvane::platform::win32

#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinuxSystem.h"

namespace orvane::platform::linuxplatform {

namespace {

// Until the display and DDC/CI backends are in place the real platform finds
// no displays and no monitors; the program then takes its unsupported path.
class NoDisplays : public DisplayApi {
public:
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>&) override { return true; }
    bool GetMonitorInfo(DisplayHandle, DisplayInfo&) override { return false; }
    DisplayHandle MonitorFromPoint(std::int32_t, std::int32_t) override { return 0; }
    bool EnumDisplayDevices(const std::string*, std::uint32_t, DisplayDevice&) override { return false; }
    bool EnumDisplaySettings(const std::string&, std::int32_t, DisplaySettings&) override { return false; }
    std::int32_t ChangeDisplaySettingsEx(const std::string&, const DisplaySettings&, std::uint32_t) override
    {
        return DISP_CHANGE_FAILED;
    }
};

class NoMonitors : public MonitorConfigApi {
public:
    bool GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle, std::uint32_t* count) override
    {
        *count = 0;
        return false;
    }
    bool GetPhysicalMonitorsFromHMONITOR(DisplayHandle, std::uint32_t, std::vector<PhysicalMonitor>&) override
    {
        return false;
    }
    int GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle, std::uint8_t, std::uint32_t*, std::uint32_t*,
                                        std::uint32_t*) override
    {
        return 0;
    }
    int SetVCPFeature(PhysicalMonitorHandle, std::uint8_t, std::uint32_t) override { return 0; }
    int GetCapabilitiesStringLength(PhysicalMonitorHandle, std::uint32_t*) override { return 0; }
};

class NoRegistry : public DeviceRegistry {
public:
    std::vector<std::string> ChildGroups(const std::string&) override { return {}; }
    std::optional<std::string> StringValue(const std::string&, const std::string&) override { return {}; }
    std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string&, const std::string&) override
    {
        return {};
    }
};

class NoNotices : public NoticeSource {
public:
    void Subscribe(std::function<void(const SystemNotice&)>) override {}
};

class LinuxPlatform : public Platform {
public:
    const char* Name() const override { return "linux"; }
    DisplayApi& Display() override { return m_display; }
    MonitorConfigApi& MonitorConfig() override { return m_monitors; }
    DeviceRegistry& Registry() override { return m_registry; }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    NoDisplays m_display;
    NoMonitors m_monitors;
    NoRegistry m_registry;
    LinuxSystem m_system;
    NoNotices m_notices;
};

}  // namespace

std::unique_ptr<Platform> CreateLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace orvane::platform::linuxplatform

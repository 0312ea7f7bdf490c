// The seam between the program and the operating system. Each interface
// mirrors the system calls the program makes, argument for argument, so the
// monitor, rotation and update algorithms are written once above it.
// Implementations translate; they take no decisions of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform {

// user32 display functions. Device names are UTF-8.
class DisplayApi {
public:
    virtual ~DisplayApi() = default;
    // Calls back once per desktop display until the callback returns false.
    // Returns false when the enumeration itself failed.
    virtual bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) = 0;
    virtual bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) = 0;
    // MONITOR_DEFAULTTONEAREST: the display nearest to the point.
    virtual DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) = 0;
    // device == nullptr lists adapters; otherwise the monitor devices of that
    // display. Returns false when no device exists at index.
    virtual bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) = 0;
    // modeIndex >= 0 walks the mode list; ENUM_REGISTRY_SETTINGS reads the
    // stored settings, ENUM_CURRENT_SETTINGS the current ones.
    virtual bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) = 0;
    // Returns DISP_CHANGE_SUCCESSFUL or a DISP_CHANGE_* failure code.
    virtual std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                 std::uint32_t flags) = 0;
    // What the display server said to the last change it refused, in its
    // own words (like GetLastError after a failed call); empty when the
    // failure code is all there is to say.
    virtual std::string LastChangeRefusal() { return {}; }
};

// dxva2 monitor-configuration functions. The VCP calls may be made from any
// thread and may block for a long time; implementations must be thread-safe.
class MonitorConfigApi {
public:
    virtual ~MonitorConfigApi() = default;
    virtual bool GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count) = 0;
    virtual bool GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                                 std::vector<PhysicalMonitor>& out) = 0;
    // Returns the BOOL of the call: nonzero on success.
    virtual int GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code,
                                                std::uint32_t* codeType, std::uint32_t* current,
                                                std::uint32_t* maximum) = 0;
    virtual int SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) = 0;
    virtual int GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length) = 0;
    // What keeps monitors from being reached, for the message shown when
    // none can be used.
    virtual DdcAccessReport AccessReport() { return {}; }
};

// The device registry view that holds each monitor's EDID, addressed with
// Windows registry paths ("HKEY_LOCAL_MACHINE\\SYSTEM\\...\\DISPLAY\\<model>").
class DeviceRegistry {
public:
    virtual ~DeviceRegistry() = default;
    virtual std::vector<std::string> ChildGroups(const std::string& keyPath) = 0;
    virtual std::optional<std::string> StringValue(const std::string& keyPath, const std::string& name) = 0;
    virtual std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string& keyPath,
                                                                 const std::string& name) = 0;
};

enum class InstanceLock { Acquired, AlreadyRunning, Failed };
enum class VersionRead { Ok, NoVersionInfo, NoFixedInfo };

// kernel32, shell32, advapi32 and version.dll odds and ends.
class SystemApi {
public:
    virtual ~SystemApi() = default;
    // Full path of the running executable (UTF-8, '/' or '\\' as the platform
    // has it); empty on failure.
    virtual std::string ModuleFileName() = 0;
    // Takes the named per-session marker and keeps it until the process ends.
    virtual InstanceLock AcquireSingleInstance(const std::string& name) = 0;
    // The run-at-log-on entry of "Orvane" exists with a non-empty command.
    virtual bool IsRunAtStartup() = 0;
    // Starts a program with administrator rights where the platform asks for
    // them ("runas"); does not wait. Arguments are passed as separate words.
    virtual bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) = 0;
    // Sets only the last-write time: 100-ns ticks since 1601-01-01 UTC.
    virtual bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) = 0;
    // The two 32-bit file-version words of the file's version resource.
    virtual VersionRead ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                        std::uint32_t& fileVersionLS) = 0;
    // Shows a message through the desktop's notification service, where the
    // desktop has one apart from the notification area; false when not shown.
    virtual bool ShowDesktopNotification(const std::string& title, const std::string& text)
    {
        (void)title;
        (void)text;
        return false;
    }
};

// Sleep/resume, display, work-area and device notices. The sink is called on
// the thread that subscribed, later, from its event loop.
class NoticeSource {
public:
    virtual ~NoticeSource() = default;
    virtual void Subscribe(std::function<void(const SystemNotice&)> sink) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual const char* Name() const = 0;
    virtual DisplayApi& Display() = 0;
    virtual MonitorConfigApi& MonitorConfig() = 0;
    virtual DeviceRegistry& Registry() = 0;
    virtual SystemApi& System() = 0;
    virtual NoticeSource& Notices() = 0;
};

// The process services alone, chosen as ProcessPlatform() chooses, for a
// program that reaches no display or monitor (the updater, the publisher):
// nothing else of the platform is built, so none of its start-up work runs
// and none of its lines reach that program's log.
SystemApi& ProcessSystem();

// Why no window can be shown in this session, for the programs to say so
// before the GUI library starts; "" when one can or only that library can
// tell. Takes the program's arguments (they may choose the GUI back-end).
std::string GuiSessionProblem(int argc, char** argv);

// The platform named by ORVANE_PLATFORM ("sim:PATH" for a simulation
// description), else the real platform of the build's OS. Created on first
// use and kept for the life of the process.
Platform& ProcessPlatform();

// Same choice from an explicit value (nullptr or empty: the real platform).
std::unique_ptr<Platform> CreatePlatform(const char* selection);

// The real process services of the build's OS alone, for a simulated
// platform to stand on.
std::unique_ptr<SystemApi> CreateHostSystem();

}  // namespace orvane::platform

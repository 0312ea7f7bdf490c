// The pieces of the simulated platform, each over the shared live state.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/Platform.h"
#include "platform/sim/SimStore.h"

namespace orvane::platform::sim {

// Lets blocking monitor calls (answer delays, silent monitors) end early when
// the platform goes away, and makes the platform wait until they have left.
class CallGate {
public:
    // Sleeps up to ms; false when the gate closed meanwhile.
    bool SleepFor(int ms);
    void Enter();
    void Leave();
    // Wakes every sleeper and waits (bounded) until every call has left.
    void Close();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_closing = false;
    int m_inFlight = 0;
};

class SimDisplayApi : public DisplayApi {
public:
    explicit SimDisplayApi(std::shared_ptr<SimStore> store) : m_store(std::move(store)) {}
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override;
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override;
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override;
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override;
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;

private:
    std::shared_ptr<SimStore> m_store;
};

class SimMonitorConfig : public MonitorConfigApi {
public:
    SimMonitorConfig(std::shared_ptr<SimStore> store, std::shared_ptr<CallGate> gate)
        : m_store(std::move(store)), m_gate(std::move(gate))
    {
    }
    bool GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t* count) override;
    bool GetPhysicalMonitorsFromHMONITOR(DisplayHandle display, std::uint32_t count,
                                         std::vector<PhysicalMonitor>& out) override;
    int GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t* codeType,
                                        std::uint32_t* current, std::uint32_t* maximum) override;
    int SetVCPFeature(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override;
    int GetCapabilitiesStringLength(PhysicalMonitorHandle monitor, std::uint32_t* length) override;

private:
    // Waits out the monitor's answer delay and, while it is silenced, until it
    // speaks again (at most kSilenceCapMs). The monitor as it is then, or null
    // when it is gone or never answered.
    std::shared_ptr<const SimState> Answer(PhysicalMonitorHandle monitor, bool write, const SimMonitor** found);

    std::shared_ptr<SimStore> m_store;
    std::shared_ptr<CallGate> m_gate;
};

class SimRegistry : public DeviceRegistry {
public:
    explicit SimRegistry(std::shared_ptr<SimStore> store) : m_store(std::move(store)) {}
    std::vector<std::string> ChildGroups(const std::string& keyPath) override;
    std::optional<std::string> StringValue(const std::string& keyPath, const std::string& name) override;
    std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string& keyPath, const std::string& name) override;

private:
    std::shared_ptr<SimStore> m_store;
};

// The host's real process services, with every elevated start recorded in
// the state first (and made only when the state asks for it).
class SimSystem : public SystemApi {
public:
    SimSystem(std::shared_ptr<SimStore> store, std::unique_ptr<SystemApi> host)
        : m_store(std::move(store)), m_host(std::move(host))
    {
    }
    std::string ModuleFileName() override { return m_host->ModuleFileName(); }
    InstanceLock AcquireSingleInstance(const std::string& name) override
    {
        return m_host->AcquireSingleInstance(name);
    }
    bool IsRunAtStartup() override { return m_host->IsRunAtStartup(); }
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) override;
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) override
    {
        return m_host->SetFileLastWriteTime(path, fileTime);
    }
    VersionRead ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                std::uint32_t& fileVersionLS) override
    {
        return m_host->ReadFileVersion(path, fileVersionMS, fileVersionLS);
    }

private:
    std::shared_ptr<SimStore> m_store;
    std::unique_ptr<SystemApi> m_host;
};

class SimNotices : public NoticeSource {
public:
    explicit SimNotices(std::shared_ptr<SimStore> store) : m_store(std::move(store)) {}
    void Subscribe(std::function<void(const SystemNotice&)> sink) override;

private:
    struct Subscription {
        std::function<void(const SystemNotice&)> sink;
        std::uint64_t lastSeq = 0;
        std::unique_ptr<QFileSystemWatcher> watcher;
        // Only where the state cannot be watched.
        std::unique_ptr<QTimer> timer;
    };
    void Watch(Subscription& subscription);
    void PollEvery(Subscription& subscription);
    void Poll(Subscription& subscription);

    std::shared_ptr<SimStore> m_store;
    std::vector<std::unique_ptr<Subscription>> m_subscriptions;
};

}  // namespace orvane::platform::sim

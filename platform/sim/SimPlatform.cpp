#include "platform/sim/SimPlatform.h"

#include <cstdio>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {

class SimPlatform : public Platform {
public:
    SimPlatform(std::shared_ptr<SimStore> store, std::unique_ptr<SystemApi> host)
        : m_gate(std::make_shared<CallGate>()),
          m_display(store),
          m_monitorConfig(store, m_gate),
          m_registry(store),
          m_system(store, std::move(host)),
          m_notices(store)
    {
    }
    ~SimPlatform() override
    {
        // Monitor calls still blocked in a delay or a silence end now.
        m_gate->Close();
    }

    const char* Name() const override { return "sim"; }
    DisplayApi& Display() override { return m_display; }
    MonitorConfigApi& MonitorConfig() override { return m_monitorConfig; }
    DeviceRegistry& Registry() override { return m_registry; }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    std::shared_ptr<CallGate> m_gate;
    SimDisplayApi m_display;
    SimMonitorConfig m_monitorConfig;
    SimRegistry m_registry;
    SimSystem m_system;
    SimNotices m_notices;
};

}  // namespace

std::unique_ptr<Platform> CreateSimPlatform(const std::string& descriptionPath, std::unique_ptr<SystemApi> host)
{
    std::string error;
    auto store = SimStore::Open(descriptionPath, &error);
    if (!store) {
        std::fprintf(stderr, "simulation: %s\n", error.c_str());
        return nullptr;
    }
    return std::make_unique<SimPlatform>(std::move(store), std::move(host));
}

std::unique_ptr<SystemApi> CreateSimSystem(const std::string& descriptionPath, std::unique_ptr<SystemApi> host)
{
    std::string error;
    auto store = SimStore::Open(descriptionPath, &error);
    if (!store) {
        std::fprintf(stderr, "simulation: %s\n", error.c_str());
        return nullptr;
    }
    return std::make_unique<SimSystem>(std::move(store), std::move(host));
}

}  // namespace orvane::platform::sim

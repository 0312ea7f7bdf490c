// Shared pieces of the monitor-access tests: a scriptable monitor interface
// and simulated platforms written to scratch files.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/LogCapture.h"

namespace orvane::test {

// A number for the calling thread, given at its first call and never again.
int ThisThreadNumber();

// A monitor interface whose VCP calls answer as the test says, optionally
// blocking until released.
class ScriptedMonitorConfig : public platform::MonitorConfigApi {
public:
    ~ScriptedMonitorConfig() override { Release(); }

    int getResult = 1;
    std::uint32_t current = 3;
    std::uint32_t maximum = 4;
    int setResult = 1;
    // Handles whose calls block until Release().
    std::atomic<platform::PhysicalMonitorHandle> blockedHandle{0};
    std::atomic<int> getCalls{0};
    std::atomic<int> setCalls{0};
    std::atomic<int> blockedNow{0};

    // The thread of every read, in order: a number of its own for each thread
    // (ids of ended threads are reused).
    std::vector<int> ReadThreads();

    void Release();
    // Calls to blockedHandle block again (after a Release()).
    void Block();

    bool GetNumberOfPhysicalMonitorsFromHMONITOR(platform::DisplayHandle, std::uint32_t*) override { return false; }
    bool GetPhysicalMonitorsFromHMONITOR(platform::DisplayHandle, std::uint32_t,
                                         std::vector<platform::PhysicalMonitor>&) override
    {
        return false;
    }
    int GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle monitor, std::uint8_t code,
                                        std::uint32_t* codeType, std::uint32_t* current,
                                        std::uint32_t* maximum) override;
    int SetVCPFeature(platform::PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override;
    int GetCapabilitiesStringLength(platform::PhysicalMonitorHandle, std::uint32_t*) override { return 0; }

private:
    void BlockIfAsked(platform::PhysicalMonitorHandle monitor);
    std::mutex m_mutex;
    std::vector<int> m_readThreads;
    std::condition_variable m_released;
    bool m_open = false;
};

// A description file in a scratch folder and the simulated platform over it.
struct SimSetup {
    QString path;
    std::unique_ptr<platform::Platform> platform;
};

SimSetup MakeSim(const QJsonObject& description);
SimSetup MakeSimFromExample(const QString& name);

// Building blocks of descriptions.
QJsonObject SimDisplay(const QString& name, int left, int width, int height);
QJsonObject SimMonitor(const QString& id, const QString& display, int productCode, int width, int height,
                       const QString& instance);

// Runs an orvane-sim command in this process.
int SimCommand(const QString& path, const QStringList& args);

}  // namespace orvane::test

#include "monitor/MonitorTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <sstream>

#include "platform/sim/SimControl.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestSupport.h"

namespace orvane::test {

void ScriptedMonitorConfig::Release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_released.notify_all();
}

int ThisThreadNumber()
{
    static std::atomic<int> threads{0};
    thread_local const int number = ++threads;
    return number;
}

std::vector<int> ScriptedMonitorConfig::ReadThreads()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readThreads;
}

void ScriptedMonitorConfig::Block()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
}

void ScriptedMonitorConfig::BlockIfAsked(platform::PhysicalMonitorHandle monitor)
{
    if (monitor != blockedHandle)
        return;
    ++blockedNow;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait(lock, [this] { return m_open; });
    --blockedNow;
}

int ScriptedMonitorConfig::GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle monitor, std::uint8_t,
                                                           std::uint32_t*, std::uint32_t* currentOut,
                                                           std::uint32_t* maximumOut)
{
    ++getCalls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_readThreads.push_back(ThisThreadNumber());
    }
    BlockIfAsked(monitor);
    *currentOut = current;
    *maximumOut = maximum;
    return getResult;
}

int ScriptedMonitorConfig::SetVCPFeature(platform::PhysicalMonitorHandle monitor, std::uint8_t, std::uint32_t)
{
    ++setCalls;
    BlockIfAsked(monitor);
    return setResult;
}

SimSetup MakeSim(const QJsonObject& description)
{
    SimSetup setup;
    setup.path = MakeScratchDir("sim") + "/state.json";
    WriteFile(setup.path, QJsonDocument(description).toJson());
    setup.platform = platform::sim::CreateSimPlatform(setup.path.toStdString(), platform::CreateHostSystem());
    return setup;
}

SimSetup MakeSimFromExample(const QString& name)
{
    const QByteArray bytes = ReadFile(SourceDir() + "/examples/sim/" + name);
    return MakeSim(QJsonDocument::fromJson(bytes).object());
}

QJsonObject SimDisplay(const QString& name, int left, int width, int height)
{
    return QJsonObject{{"deviceName", name},
                       {"rect", QJsonArray{left, 0, left + width, height}},
                       {"width", width},
                       {"height", height},
                       {"modes", QJsonArray{QJsonObject{{"width", width}, {"height", height}, {"hz", 60}}}}};
}

QJsonObject SimMonitor(const QString& id, const QString& display, int productCode, int width, int height,
                       const QString& instance)
{
    return QJsonObject{
        {"id", id},
        {"display", display},
        {"deviceId", "MONITOR\\MDL" + QString::number(productCode, 16).toUpper() +
                         "\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\" + instance},
        {"edid", QJsonObject{{"productCode", productCode}, {"width", width}, {"height", height},
                             {"name", "Model " + id}, {"serial", "SN-" + id}}},
        {"vcp", QJsonObject{{"0x10", QJsonObject{{"current", 50}, {"max", 100}}},
                            {"0xAA", QJsonObject{{"current", 1}, {"max", 4}}},
                            {"0xC9", QJsonObject{{"current", 258}, {"max", 65535}}}}}};
}

int SimCommand(const QString& path, const QStringList& args)
{
    std::vector<std::string> words{path.toStdString()};
    for (const QString& arg : args)
        words.push_back(arg.toStdString());
    std::ostringstream out;
    std::ostringstream err;
    return platform::sim::RunSimCommand(words, out, err);
}

}  // namespace orvane::test

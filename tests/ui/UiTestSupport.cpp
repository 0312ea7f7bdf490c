#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMutex>
#include <QTimer>

#include <sstream>

#include "platform/sim/SimControl.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestSupport.h"

namespace orvane::test {

namespace {

QMutex g_logMutex;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void Capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    QMutexLocker lock(&g_logMutex);
    g_lines << message;
}

// The simulation for everything, the version words from the test.
class VersionedSystem : public platform::SystemApi {
public:
    VersionedSystem(platform::SystemApi& inner, Rig& rig) : m_inner(inner), m_rig(rig) {}
    std::string ModuleFileName() override { return m_inner.ModuleFileName(); }
    platform::InstanceLock AcquireSingleInstance(const std::string& name) override
    {
        return m_inner.AcquireSingleInstance(name);
    }
    bool IsRunAtStartup() override { return m_inner.IsRunAtStartup(); }
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int show) override
    {
        return m_inner.StartElevated(file, args, show);
    }
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t time) override
    {
        return m_inner.SetFileLastWriteTime(path, time);
    }
    platform::VersionRead ReadFileVersion(const std::string&, std::uint32_t& ms, std::uint32_t& ls) override
    {
        if (!m_rig.hasVersion)
            return platform::VersionRead::NoVersionInfo;
        ms = m_rig.versionMS;
        ls = m_rig.versionLS;
        return platform::VersionRead::Ok;
    }

    bool ShowDesktopNotification(const std::string& title, const std::string& text) override
    {
        m_rig.notifications.push_back({QString::fromStdString(title), QString::fromStdString(text)});
        return true;
    }

private:
    platform::SystemApi& m_inner;
    Rig& m_rig;
};

// The simulation's monitors with the access report the test sets.
class ReportingMonitorConfig : public platform::MonitorConfigApi {
public:
    ReportingMonitorConfig(platform::MonitorConfigApi& inner, const Rig& rig) : m_inner(inner), m_rig(rig) {}
    bool GetNumberOfPhysicalMonitorsFromHMONITOR(platform::DisplayHandle display, std::uint32_t* count) override
    {
        return m_inner.GetNumberOfPhysicalMonitorsFromHMONITOR(display, count);
    }
    bool GetPhysicalMonitorsFromHMONITOR(platform::DisplayHandle display, std::uint32_t count,
                                         std::vector<platform::PhysicalMonitor>& out) override
    {
        return m_inner.GetPhysicalMonitorsFromHMONITOR(display, count, out);
    }
    int GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle monitor, std::uint8_t code,
                                        std::uint32_t* codeType, std::uint32_t* current,
                                        std::uint32_t* maximum) override
    {
        return m_inner.GetVCPFeatureAndVCPFeatureReply(monitor, code, codeType, current, maximum);
    }
    int SetVCPFeature(platform::PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override
    {
        return m_inner.SetVCPFeature(monitor, code, value);
    }
    int GetCapabilitiesStringLength(platform::PhysicalMonitorHandle monitor, std::uint32_t* length) override
    {
        return m_inner.GetCapabilitiesStringLength(monitor, length);
    }
    platform::DdcAccessReport AccessReport() override { return m_rig.accessReport; }

private:
    platform::MonitorConfigApi& m_inner;
    const Rig& m_rig;
};

class TestPlatform : public platform::Platform {
public:
    TestPlatform(std::unique_ptr<platform::Platform> sim, Rig& rig)
        : m_sim(std::move(sim)), m_system(m_sim->System(), rig), m_config(m_sim->MonitorConfig(), rig)
    {
    }
    const char* Name() const override { return "test"; }
    platform::DisplayApi& Display() override { return m_sim->Display(); }
    platform::MonitorConfigApi& MonitorConfig() override { return m_config; }
    platform::DeviceRegistry& Registry() override { return m_sim->Registry(); }
    platform::SystemApi& System() override { return m_system; }
    platform::NoticeSource& Notices() override { return m_sim->Notices(); }

private:
    std::unique_ptr<platform::Platform> m_sim;
    VersionedSystem m_system;
    ReportingMonitorConfig m_config;
};

}  // namespace

LogCapture::LogCapture()
{
    Clear();
    g_previous = qInstallMessageHandler(Capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList LogCapture::Lines() const
{
    QMutexLocker lock(&g_logMutex);
    return g_lines;
}

void LogCapture::Clear()
{
    QMutexLocker lock(&g_logMutex);
    g_lines.clear();
}

QStringList LogCapture::LastTick() const
{
    const QStringList lines = Lines();
    const int start = lines.lastIndexOf("Timer start");
    return start < 0 ? QStringList() : lines.mid(start);
}

int LogCapture::Count(const QString& line) const
{
    return Lines().count(line);
}

Rig::Rig(const QString& example, const std::function<void(QByteArray&)>& adjust)
{
    QByteArray text = ReadFile(SourceDir() + "/examples/sim/" + example);
    if (adjust)
        adjust(text);
    statePath = MakeScratchDir("sim") + "/" + example;
    WriteFile(statePath, text);
    platform = std::make_unique<TestPlatform>(
        platform::sim::CreateSimPlatform(statePath.toStdString(), platform::CreateHostSystem()), *this);
    vcp = std::make_unique<VcpAccess>(platform->MonitorConfig());
    inventory = std::make_unique<MonitorInventory>(*platform, *vcp);
    monitors = std::make_unique<SupportedMonitorList>(*inventory, *vcp, *platform);
    context = std::make_unique<MonitorContext>(MonitorContext{*platform, *vcp, *inventory, *monitors});
}

Rig::~Rig() = default;

std::string Rig::Sim(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {statePath.toStdString()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, err;
    const int rc = platform::sim::RunSimCommand(all, out, err);
    EXPECT_EQ(rc, 0) << err.str();
    return out.str();
}

platform::DisplaySettings Rig::Stored(const std::string& deviceName)
{
    platform::DisplaySettings settings;
    platform->Display().EnumDisplaySettings(deviceName, platform::ENUM_REGISTRY_SETTINGS, settings);
    return settings;
}

quint32 Rig::Vcp(int monitor, const char* code)
{
    return static_cast<quint32>(std::stoul(Sim({"get", std::to_string(monitor), code}), nullptr, 0));
}

std::unique_ptr<MainWindow> Rig::MakeWindow()
{
    WindowHooks hooks;
    hooks.execMessageBox = [this](QMessageBox& box) {
        boxes.push_back({box.windowTitle(), box.text()});
        if (whileBoxOpen)
            whileBoxOpen();
        return static_cast<int>(QMessageBox::Ok);
    };
    hooks.exitProcess = [this](int code) { exits.push_back(code); };
    hooks.prompts = prompts;
    auto window = std::make_unique<MainWindow>(*context, hooks);
    // The tests tick by hand.
    if (window->PollTimer())
        window->PollTimer()->stop();
    return window;
}

void Rig::Tick(MainWindow& window)
{
    window.slotTimeout();
    window.PollTimer()->stop();
}

}  // namespace orvane::test

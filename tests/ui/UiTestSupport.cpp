#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QTimer>

#include <sstream>

#include "platform/sim/SimControl.h"
#include "platform/sim/SimPlatform.h"
#include "support/ForwardingApis.h"
#include "support/TestSupport.h"

namespace orvane::test {

namespace {

// The simulation for everything, the version words from the test.
class VersionedSystem : public ForwardingSystem {
public:
    VersionedSystem(platform::SystemApi& inner, Rig& rig) : ForwardingSystem(inner), m_rig(rig) {}
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
    Rig& m_rig;
};

// The simulation's monitors with the access report the test sets.
class ReportingMonitorConfig : public ForwardingMonitorConfig {
public:
    ReportingMonitorConfig(platform::MonitorConfigApi& inner, const Rig& rig)
        : ForwardingMonitorConfig(inner), m_rig(rig)
    {
    }
    platform::DdcAccessReport AccessReport() override { return m_rig.accessReport; }

private:
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
    prompts->answer = false;
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

// A main window over a simulated platform, with its boxes answered, its
// exits recorded and its log lines captured.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

#include "orvane/monitor/MonitorContext.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "orvane/ui/MainWindow.h"
#include "platform/Platform.h"
#include "support/LogCapture.h"
#include "support/RecordingPrompts.h"

namespace orvane::test {

struct Box {
    QString title;
    QString text;
};

// A platform that answers everything from a simulation but may override the
// version words of executables.
class Rig {
public:
    // Copies examples/sim/<example> to a scratch file; adjust() may edit the
    // JSON text before the platform opens it.
    explicit Rig(const QString& example, const std::function<void(QByteArray&)>& adjust = {});
    ~Rig();

    // orvane-sim commands against the live state; returns the tool's output.
    std::string Sim(const std::vector<std::string>& args);
    // The display's stored settings as the platform reports them.
    platform::DisplaySettings Stored(const std::string& deviceName);
    quint32 Vcp(int monitor, const char* code);

    std::unique_ptr<MainWindow> MakeWindow();
    void Tick(MainWindow& window);

    QString statePath;
    std::unique_ptr<platform::Platform> platform;
    std::unique_ptr<VcpAccess> vcp;
    std::unique_ptr<MonitorInventory> inventory;
    std::unique_ptr<SupportedMonitorList> monitors;
    std::unique_ptr<MonitorContext> context;
    std::vector<Box> boxes;
    // Runs while a box is open, as the box's own event loop would.
    std::function<void()> whileBoxOpen;
    std::vector<int> exits;
    std::shared_ptr<RecordingPrompts> prompts = std::make_shared<RecordingPrompts>();
    // What the platform says keeps monitors from being reached.
    platform::DdcAccessReport accessReport;
    // Messages sent through the desktop's notification service.
    std::vector<Box> notifications;
    std::uint32_t versionMS = 0;
    std::uint32_t versionLS = 0;
    bool hasVersion = false;
};

}  // namespace orvane::test

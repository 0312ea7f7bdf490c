#include "tools/orvane-probe/ProbeReport.h"

#include <QStringList>
#include <QTextStream>

#include "common/Settings.h"
#include "orvane/monitor/MissingPieces.h"

namespace orvane {

namespace {

constexpr quint8 kOrientationCode = 0xAA;

const PhysicalMonitorInfo* PhysicalFor(const MonitorInventory& inventory, const platform::DisplayDevice& device)
{
    for (const PhysicalMonitorInfo& monitor : inventory.Monitors())
        if (!device.deviceId.empty() && monitor.monitorDevice.deviceId == device.deviceId)
            return &monitor;
    return nullptr;
}

}  // namespace

QString OrientationName(quint32 value)
{
    switch (value) {
    case 1: return "landscape";
    case 2: return "turned 90 degrees clockwise";
    case 4: return "turned 90 degrees counter-clockwise";
    default: return "unknown value";
    }
}

QString ProbedMonitor::Title() const
{
    return "Monitor " + QString::number(number) + ": " + (name.isEmpty() ? QString("(no name)") : name) + " on " +
           QString::fromStdString(output);
}

std::vector<ProbedMonitor> ListMonitors(platform::Platform& platform, const MonitorInventory& inventory)
{
    std::vector<ProbedMonitor> list;
    for (const DisplayMonitorInfo& display : inventory.Displays()) {
        platform::DisplayDevice device;
        for (std::uint32_t k = 0; platform.Display().EnumDisplayDevices(&display.deviceName, k, device); ++k) {
            const platform::DisplayDevice current = device;
            device = platform::DisplayDevice();
            if (current.deviceId.empty())
                continue;
            const MonitorIdentity identity(current.deviceId, platform.Registry());
            ProbedMonitor entry;
            entry.number = int(list.size()) + 1;
            entry.name = QString::fromLatin1(identity.MonitorName()).simplified();
            entry.output = display.deviceName;
            entry.model = ModelCodeOfEdid(identity.Edid());
            const PhysicalMonitorInfo* physical = PhysicalFor(inventory, current);
            if ((current.stateFlags & platform::DISPLAY_DEVICE_ACTIVE) && physical)
                entry.handle = physical->hPhysicalMonitor;
            entry.supported = physical && physical->supported;
            entry.supportedModel = inventory.IsSupportedModel(identity);
            list.push_back(std::move(entry));
        }
    }
    return list;
}

ProbeResult ProbeMonitors(platform::Platform& platform, const MonitorInventory& inventory, const QString& programDir)
{
    ProbeResult result;
    QTextStream out(&result.text);
    QStringList missingModels;
    int answering = 0;
    const std::vector<ProbedMonitor> monitors = ListMonitors(platform, inventory);
    for (const ProbedMonitor& monitor : monitors) {
        out << monitor.Title() << "\n";
        if (monitor.model)
            out << "  manufacturer " << monitor.model->manufacturer << ", product code 0x"
                << QString("%1").arg(monitor.model->product, 4, 16, QChar('0')).toUpper() << " (model "
                << ModelCodeText(*monitor.model) << ")\n";
        else
            out << "  model unknown: its EDID could not be read\n";

        out << "  DDC/CI: " << (monitor.Answers() ? "answers" : "no answer") << "\n";
        if (monitor.Answers()) {
            ++answering;
            quint32 codeType = 0, value = 0, maximum = 0;
            const int read = platform.MonitorConfig().GetVCPFeatureAndVCPFeatureReply(
                monitor.handle, kOrientationCode, &codeType, &value, &maximum);
            if (read)
                out << "  VCP 0xAA (orientation): supported, value " << value << " (" << OrientationName(value)
                    << ")\n";
            else
                out << "  VCP 0xAA (orientation): not supported\n";
        }
        if (monitor.supported) {
            ++result.supported;
            out << "  supported: yes\n";
        } else if (monitor.supportedModel) {
            out << "  supported model, but not usable: it does not answer DDC/CI\n";
        } else if (monitor.model) {
            out << "  supported: no; this settings line adds the model:\n"
                << "    [Monitors]\n    Models=" << ModelCodeText(*monitor.model) << "\n";
            missingModels << ModelCodeText(*monitor.model);
        } else {
            out << "  supported: no\n";
        }
    }
    if (monitors.empty())
        out << "No monitor found.\n";
    missingModels.removeDuplicates();
    if (missingModels.size() > 1)
        out << "All models not yet supported, as one settings line:\n    [Monitors]\n    Models="
            << missingModels.join(",") << "\n";
    if (!missingModels.isEmpty())
        out << "To add a model only once it has shown that it reports its orientation, run orvane-probe --enrol and "
               "pivot the monitor.\n";
    out << "Settings files Orvane reads, the first holding a key wins (models are taken from both):\n    "
        << SettingsFilePaths(programDir).join("\n    ") << "\n";
    if (result.supported == 0)
        for (const QString& line : MissingPieces(platform.MonitorConfig().AccessReport(), inventory))
            out << "Missing: " << line << "\n";
    out << "Monitors found: " << monitors.size() << ", answering DDC/CI: " << answering << "\n";
    out << "Supported monitors: " << result.supported << "\n";
    return result;
}

}  // namespace orvane

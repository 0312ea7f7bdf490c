#include "tools/orvane-probe/ProbeReport.h"

#include <QStringList>
#include <QTextStream>

#include "common/Settings.h"
#include "orvane/monitor/MissingPieces.h"
#include "orvane/monitor/ModelCode.h"

namespace orvane {

namespace {

constexpr quint8 kOrientationCode = 0xAA;

QString OrientationName(quint32 value)
{
    switch (value) {
    case 1: return "landscape";
    case 2: return "turned 90 degrees clockwise";
    case 4: return "turned 90 degrees counter-clockwise";
    default: return "unknown value";
    }
}

const PhysicalMonitorInfo* PhysicalFor(const MonitorInventory& inventory, const platform::DisplayDevice& device)
{
    for (const PhysicalMonitorInfo& monitor : inventory.Monitors())
        if (!device.deviceId.empty() && monitor.monitorDevice.deviceId == device.deviceId)
            return &monitor;
    return nullptr;
}

}  // namespace

ProbeResult ProbeMonitors(platform::Platform& platform, const MonitorInventory& inventory)
{
    ProbeResult result;
    QTextStream out(&result.text);
    QStringList missingModels;
    int number = 0;
    for (const DisplayMonitorInfo& display : inventory.Displays()) {
        platform::DisplayDevice device;
        for (std::uint32_t k = 0; platform.Display().EnumDisplayDevices(&display.deviceName, k, device); ++k) {
            const platform::DisplayDevice current = device;
            device = platform::DisplayDevice();
            if (current.deviceId.empty())
                continue;
            const MonitorIdentity identity(current.deviceId, platform.Registry());
            const auto model = ModelCodeOfEdid(identity.Edid());
            const QString name = QString::fromLatin1(identity.MonitorName()).simplified();
            out << "Monitor " << ++number << ": " << (name.isEmpty() ? QString("(no name)") : name) << " on "
                << QString::fromStdString(display.deviceName) << "\n";
            if (model)
                out << "  manufacturer " << model->manufacturer << ", product code 0x"
                    << QString("%1").arg(model->product, 4, 16, QChar('0')).toUpper() << " (model "
                    << ModelCodeText(*model) << ")\n";
            else
                out << "  model unknown: its EDID could not be read\n";

            const PhysicalMonitorInfo* physical = PhysicalFor(inventory, current);
            const bool answers = (current.stateFlags & platform::DISPLAY_DEVICE_ACTIVE) && physical;
            out << "  DDC/CI: " << (answers ? "answers" : "no answer") << "\n";
            if (answers) {
                quint32 codeType = 0, value = 0, maximum = 0;
                const int read = platform.MonitorConfig().GetVCPFeatureAndVCPFeatureReply(
                    physical->hPhysicalMonitor, kOrientationCode, &codeType, &value, &maximum);
                if (read)
                    out << "  VCP 0xAA (orientation): supported, value " << value << " (" << OrientationName(value)
                        << ")\n";
                else
                    out << "  VCP 0xAA (orientation): not supported\n";
            }
            const bool supported = physical && physical->supported;
            if (supported) {
                ++result.supported;
                out << "  supported: yes\n";
            } else if (inventory.IsSupportedModel(identity)) {
                out << "  supported model, but not usable: it does not answer DDC/CI\n";
            } else if (model) {
                out << "  supported: no; this settings line adds the model:\n"
                    << "    [Monitors]\n    Models=" << ModelCodeText(*model) << "\n";
                missingModels << ModelCodeText(*model);
            } else {
                out << "  supported: no\n";
            }
        }
    }
    if (number == 0)
        out << "No monitor found.\n";
    missingModels.removeDuplicates();
    if (missingModels.size() > 1)
        out << "All models not yet supported, as one settings line:\n    [Monitors]\n    Models="
            << missingModels.join(",") << "\n";
    if (!missingModels.isEmpty())
        out << "Settings files, the first holding a key wins (models are taken from both):\n    "
            << SettingsFilePaths().join("\n    ") << "\n";
    if (result.supported == 0)
        for (const QString& line : MissingPieces(platform.MonitorConfig().AccessReport(), inventory))
            out << "Missing: " << line << "\n";
    out << "Supported monitors: " << result.supported << "\n";
    return result;
}

}  // namespace orvane

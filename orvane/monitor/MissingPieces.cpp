#include "orvane/monitor/MissingPieces.h"

#include "common/Settings.h"
#include "orvane/monitor/ModelCode.h"

namespace orvane {

namespace {

QString AccessCause(const platform::DdcAccessReport& report)
{
    using platform::DdcAccessFault;
    switch (report.fault) {
    case DdcAccessFault::NoI2cDevices:
        if (report.lastingFixInPlace)
            return "No I2C device nodes (/dev/i2c-*): the i2c-dev kernel module is set to load at every start "
                   "but is not loaded now; load it once with sudo modprobe i2c-dev (or restart the computer).";
        return "No I2C device nodes (/dev/i2c-*): load the i2c-dev kernel module (sudo modprobe i2c-dev; "
               "to load it at every start: echo i2c-dev | sudo tee /etc/modules-load.d/i2c-dev.conf).";
    case DdcAccessFault::NoI2cPermission:
        if (report.lastingFixInPlace)
            return "No permission to use /dev/i2c-*: the rule that gives them to the logged-in user is installed "
                   "but not yet in effect; log out and in again.";
        return "No permission to use /dev/i2c-*: add yourself to the i2c group (sudo usermod -aG i2c $USER, "
               "then log in again) or install a uaccess rule for the I2C devices.";
    case DdcAccessFault::NoDdcLibrary:
        return "The DDC/CI library cannot be used (" + QString::fromStdString(report.detail) +
               "): install libddcutil (Debian: sudo apt-get install libddcutil4).";
    case DdcAccessFault::NoDdcAnswer:
        return "No monitor answered over DDC/CI: enable DDC/CI in the monitor's on-screen menu.";
    case DdcAccessFault::NotExamined:
    case DdcAccessFault::None:
        break;
    }
    return {};
}

}  // namespace

QStringList MissingPieces(const platform::DdcAccessReport& report, const MonitorInventory& inventory)
{
    QStringList pieces;
    const QString cause = AccessCause(report);
    if (!cause.isEmpty())
        pieces << cause;
    QStringList models;
    for (const PhysicalMonitorInfo& monitor : inventory.Monitors()) {
        if (monitor.supported)
            continue;
        if (const auto model = ModelCodeOfEdid(monitor.identity.Edid()))
            models << ModelCodeText(*model);
    }
    models.removeDuplicates();
    if (!models.isEmpty())
        pieces << "Not on the list of supported models: " + models.join(", ") +
                      ". To have such a monitor followed, run orvane-probe --enrol and pivot it: once it has shown "
                      "that it reports its orientation, its model is added to " + UserSettingsFilePath() +
                      " (by hand: [Monitors] Models=" + models.join(",") + ").";
    return pieces;
}

}  // namespace orvane

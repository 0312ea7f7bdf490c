// Turning one display: MonitorInventory::RotateDesktop and SupportedMonitor::Rotate.
#include <QDebug>

#include "common/Log.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"

namespace orvane {

namespace {

const char* ResultName(std::int32_t result)
{
    switch (result) {
    case platform::DISP_CHANGE_BADMODE: return "DISP_CHANGE_BADMODE";
    case platform::DISP_CHANGE_FAILED: return "DISP_CHANGE_FAILED";
    default: return "DISP_CHANGE error";
    }
}

constexpr std::uint32_t kRotationFields = platform::DM_DISPLAYORIENTATION | platform::DM_PELSWIDTH |
                                          platform::DM_PELSHEIGHT | platform::DM_DISPLAYFREQUENCY;
static_assert(kRotationFields == 0x00580080, "fields of a rotation request");
}  // namespace

// The polling asks for the same rotation every tick while the monitor stands
// turned; a refusal is news once per display and orientation, and it is
// logged where the default trace level shows it, since nothing on the
// desktop tells the user why it did not turn.
void MonitorInventory::ReportRefusal(const std::string& deviceName, int orientation,
                                     const platform::DisplaySettings& settings, std::int32_t result)
{
    if (!m_refusedRotations.insert({deviceName, orientation}).second)
        return;
    const std::string why = m_platform.Display().LastChangeRefusal();
    qCInfo(lcOrvane).noquote() << "Rotation refused:" << QString::fromStdString(deviceName) << "to orientation"
                      << orientation << QString("(%1x%2 at %3 Hz):").arg(settings.pelsWidth).arg(settings.pelsHeight)
                                            .arg(settings.displayFrequency)
                      << ResultName(result) + (why.empty() ? QString() : ", " + QString::fromStdString(why));
}

int MonitorInventory::RotateDesktop(const std::string& deviceName, int newOrientation, int width, int height,
                                    double frequency)
{
    platform::DisplayApi& display = m_platform.Display();
    platform::DisplaySettings settings;
    if (!display.EnumDisplaySettings(deviceName, platform::ENUM_REGISTRY_SETTINGS, settings))
        return 0;
    settings.fields = kRotationFields;
    const int current = static_cast<int>(settings.orientation);
    if (newOrientation == current)
        return 1;
    settings.displayFrequency = static_cast<std::uint32_t>(static_cast<int>(frequency));

    // Landscape gets the native size, portrait the native size turned; any
    // pair involving 180 degrees keeps the stored size.
    using platform::IsPortrait;
    if (IsPortrait(current) && newOrientation == platform::DMDO_DEFAULT) {
        settings.pelsWidth = static_cast<std::uint32_t>(width);
        settings.pelsHeight = static_cast<std::uint32_t>(height);
    } else if ((current == platform::DMDO_DEFAULT || IsPortrait(current)) && IsPortrait(newOrientation)) {
        settings.pelsWidth = static_cast<std::uint32_t>(height);
        settings.pelsHeight = static_cast<std::uint32_t>(width);
    }
    settings.orientation = static_cast<std::uint32_t>(newOrientation);

    const std::int32_t result = display.ChangeDisplaySettingsEx(deviceName, settings, platform::CDS_UPDATEREGISTRY);
    if (result != platform::DISP_CHANGE_SUCCESSFUL) {
        ReportRefusal(deviceName, newOrientation, settings, result);
        return 0;
    }
    // A display that changed may refuse anew and is worth a line again.
    for (auto it = m_refusedRotations.begin(); it != m_refusedRotations.end();)
        it = it->first == deviceName ? m_refusedRotations.erase(it) : std::next(it);
    for (DisplayMonitorInfo& record : m_displays) {
        if (record.deviceName == deviceName)
            record.orientation = newOrientation;
    }
    return 1;
}

bool SupportedMonitor::Rotate(int newOrientation)
{
    const int x = identity.NativeWidth();
    const int y = identity.NativeHeight();
    int bestFrequency = 0;
    for (const DisplayModeInfo& mode : displayModes) {
        const bool matches = (mode.width == x && mode.height == y) || (mode.width == y && mode.height == x);
        if (!matches)
            continue;
        qCDebug(lcOrvane) << "bits:" << mode.bitsPerPel << " frequency:" << mode.frequency
                          << " fixedOutput:" << mode.fixedOutput;
        if (mode.frequency > bestFrequency)
            bestFrequency = mode.frequency;
    }
    return m_pInventory->RotateDesktop(deviceName, newOrientation, x, y, bestFrequency) != 0;
}

}  // namespace orvane

#include "platform/linux/gnome/GnomeDisplays.h"

#include <algorithm>

#include <QDebug>
#include <QString>

#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

GnomeDisplays::GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot)
    : m_service(service), m_drmRoot(std::move(drmRoot))
{
}

std::vector<GnomeDisplays::Shown> GnomeDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto state = m_service.Read();
    if (!state)
        return shown;
    // The service names connectors as the kernel does; their EDIDs are in sysfs.
    const auto connectors = ReadDrmConnectors(m_drmRoot);
    for (const auto& logical : state->logicalMonitors) {
        if (logical.connectors.empty())
            continue;
        Shown entry;
        entry.output.name = logical.connectors.front();
        entry.output.handle = HandleFor(entry.output.name);
        entry.output.primary = logical.primary;
        if (const DrmConnector* connector = FindConnectorForOutput(connectors, entry.output.name))
            entry.output.edid = connector->edid;
        entry.monitor = state->Bounds(logical);
        entry.work = entry.monitor;  // the service does not tell where the panels are
        shown.push_back(std::move(entry));
    }
    std::stable_partition(shown.begin(), shown.end(), [](const Shown& s) { return s.output.primary; });
    return shown;
}

bool GnomeDisplays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto state = m_service.Read();
    const MutterMonitor* monitor = state ? state->Monitor(device) : nullptr;
    if (!monitor)
        return false;
    if (modeIndex == ENUM_CURRENT_SETTINGS || modeIndex == ENUM_REGISTRY_SETTINGS) {
        const MutterMode* mode = monitor->CurrentMode();
        const MutterLogicalMonitor* logical = nullptr;
        for (const auto& candidate : state->logicalMonitors) {
            if (std::find(candidate.connectors.begin(), candidate.connectors.end(), device) !=
                candidate.connectors.end())
                logical = &candidate;
        }
        if (!mode || !logical)
            return false;
        const ListedMode shown{std::uint32_t(mode->width), std::uint32_t(mode->height), WholeHertz(mode->refresh)};
        out = ShownSettings(shown, logical->transform & 3);
        return true;
    }
    std::vector<DisplaySettings> list;
    for (const auto& mode : monitor->modes)
        AddDistinctMode(list, {std::uint32_t(mode.width), std::uint32_t(mode.height), WholeHertz(mode.refresh)});
    return ModeAt(list, modeIndex, out);
}

std::int32_t GnomeDisplays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                    std::uint32_t)
{
    const auto state = m_service.Read();
    if (!state)
        return DISP_CHANGE_FAILED;
    const MutterChangePlan plan = PlanMutterChange(*state, device, settings);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return plan.result;
    if (plan.nothingToDo)
        return DISP_CHANGE_SUCCESSFUL;
    std::string why;
    if (!m_service.Apply(state->serial, plan, &why)) {
        qDebug().noquote() << "GNOME display configuration refused the change:" << QString::fromStdString(why);
        return DISP_CHANGE_FAILED;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace orvane::platform::linuxplatform

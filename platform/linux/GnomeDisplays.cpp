#include "platform/linux/GnomeDisplays.h"

#include <algorithm>

#include <QDebug>
#include <QString>

#include "platform/linux/DrmConnectors.h"
#include "platform/linux/RandrSettings.h"

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
        out = DisplaySettings{};
        out.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        out.orientation = logical->transform & 3;
        const bool portrait = (logical->transform & 1) != 0;
        out.pelsWidth = std::uint32_t(portrait ? mode->height : mode->width);
        out.pelsHeight = std::uint32_t(portrait ? mode->width : mode->height);
        out.displayFrequency = WholeHertz(mode->refresh);
        out.bitsPerPel = 32;
        return true;
    }
    std::vector<DisplaySettings> list;
    for (const auto& mode : monitor->modes) {
        DisplaySettings entry;
        entry.fields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        entry.pelsWidth = std::uint32_t(mode.width);
        entry.pelsHeight = std::uint32_t(mode.height);
        entry.displayFrequency = WholeHertz(mode.refresh);
        entry.bitsPerPel = 32;
        const bool seen = std::any_of(list.begin(), list.end(), [&](const DisplaySettings& o) {
            return o.pelsWidth == entry.pelsWidth && o.pelsHeight == entry.pelsHeight &&
                   o.displayFrequency == entry.displayFrequency;
        });
        if (!seen)
            list.push_back(entry);
    }
    if (modeIndex < 0 || std::size_t(modeIndex) >= list.size())
        return false;
    out = list[std::size_t(modeIndex)];
    return true;
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

#include "platform/linux/wayland/WaylandDisplays.h"

#include <algorithm>

#include <QDebug>
#include <QString>

#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

namespace {

ListedMode Listed(const WaylandMode& mode)
{
    return {std::uint32_t(mode.width), std::uint32_t(mode.height), WholeHertz(mode.refresh / 1000.0)};
}

}  // namespace

WaylandDisplays::WaylandDisplays(OutputManagement& outputs, std::string drmRoot)
    : m_outputs(outputs), m_drmRoot(std::move(drmRoot))
{
}

std::vector<WaylandDisplays::Shown> WaylandDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto layout = m_outputs.Read();
    if (!layout)
        return shown;
    const MutterState state = layout->AsMutterState();
    // Compositors name outputs as the kernel names connectors; without an
    // EDID from the compositor, sysfs has it.
    const auto connectors = ReadDrmConnectors(m_drmRoot);
    for (const auto& logical : state.logicalMonitors) {
        const WaylandOutput* output = layout->Output(logical.connectors.front());
        Shown entry;
        entry.output.name = output->name;
        entry.output.handle = HandleFor(entry.output.name);
        entry.output.primary = logical.primary;
        entry.output.edid = output->edid;
        if (entry.output.edid.empty()) {
            if (const DrmConnector* connector = FindConnectorForOutput(connectors, entry.output.name))
                entry.output.edid = connector->edid;
        }
        entry.monitor = state.Bounds(logical);
        entry.work = entry.monitor;  // the protocols do not tell where the panels are
        shown.push_back(std::move(entry));
    }
    std::stable_partition(shown.begin(), shown.end(), [](const Shown& s) { return s.output.primary; });
    return shown;
}

bool WaylandDisplays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto layout = m_outputs.Read();
    const WaylandOutput* output = layout ? layout->Output(device) : nullptr;
    if (!output || !output->enabled)
        return false;
    if (modeIndex == ENUM_CURRENT_SETTINGS || modeIndex == ENUM_REGISTRY_SETTINGS) {
        const WaylandMode* mode = output->Current();
        if (!mode)
            return false;
        out = ShownSettings(Listed(*mode), std::uint32_t(output->transform & 3));
        return true;
    }
    std::vector<DisplaySettings> list;
    for (const auto& mode : output->modes)
        AddDistinctMode(list, Listed(mode));
    return ModeAt(list, modeIndex, out);
}

std::int32_t WaylandDisplays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                      std::uint32_t)
{
    const auto layout = m_outputs.Read();
    if (!layout)
        return DISP_CHANGE_FAILED;
    const WaylandChangePlan plan = PlanWaylandChange(*layout, device, settings);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return plan.result;
    if (plan.nothingToDo)
        return DISP_CHANGE_SUCCESSFUL;
    std::string why;
    if (!m_outputs.Apply(plan.layout, &why)) {
        qDebug().noquote() << m_outputs.Name() << "refused the change:" << QString::fromStdString(why);
        return DISP_CHANGE_FAILED;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace orvane::platform::linuxplatform

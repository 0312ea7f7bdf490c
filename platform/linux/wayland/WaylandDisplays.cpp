#include "platform/linux/wayland/WaylandDisplays.h"

#include "platform/linux/displays/ReadPlanApply.h"

namespace orvane::platform::linuxplatform {

WaylandDisplays::WaylandDisplays(OutputManagement& outputs, std::string drmRoot)
    : BackendDisplays(std::move(drmRoot)), m_outputs(outputs)
{
}

std::vector<WaylandDisplays::Shown> WaylandDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto layout = m_outputs.Read();
    if (!layout)
        return shown;
    const MutterState state = layout->AsMutterState();
    for (const auto& logical : state.logicalMonitors) {
        const WaylandOutput* output = layout->Output(logical.connectors.front());
        Shown entry;
        entry.output.name = output->name;
        entry.output.handle = HandleFor(entry.output.name);
        entry.output.primary = logical.primary;
        entry.output.edid = output->edid;
        entry.monitor = state.Bounds(logical);
        entry.work = entry.monitor;  // the protocols do not tell where the panels are
        shown.push_back(std::move(entry));
    }
    return shown;
}

bool WaylandDisplays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto layout = m_outputs.Read();
    return layout && SettingsAt(
                         modeIndex, [&] { return CurrentSettings(*layout, device); },
                         [&] { return ModeList(*layout, device); }, out);
}

std::int32_t WaylandDisplays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                      std::uint32_t)
{
    return ReadPlanApply([&] { return m_outputs.Read(); },
                         [&](const WaylandLayout& layout) { return PlanWaylandChange(layout, device, settings); },
                         [&](const WaylandLayout&, const WaylandChangePlan& plan, std::string* why) {
                             return m_outputs.Apply(plan.layout, why);
                         },
                         m_outputs.Name());
}

}  // namespace orvane::platform::linuxplatform

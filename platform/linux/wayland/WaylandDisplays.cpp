#include "platform/linux/wayland/WaylandDisplays.h"

namespace orvane::platform::linuxplatform {

WaylandDisplays::WaylandDisplays(OutputManagement& outputs, std::string drmRoot)
    : PlannedDisplays(std::move(drmRoot), outputs.Name()), m_outputs(outputs)
{
}

std::vector<WaylandDisplays::Shown> WaylandDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto layout = ReadState();
    if (!layout)
        return shown;
    const MutterState state = layout->AsMutterState();
    for (const auto& logical : state.logicalMonitors) {
        // The protocols do not tell where the panels are.
        const WaylandOutput* output = layout->Output(logical.connectors.front());
        shown.push_back(ShownAs(output->name, logical.primary, state.Bounds(logical), output->edid));
    }
    return shown;
}

std::optional<WaylandLayout> WaylandDisplays::ReadState()
{
    return m_outputs.Read();
}

bool WaylandDisplays::ApplyPlan(const WaylandLayout&, const WaylandChangePlan& plan, std::string* why)
{
    return m_outputs.Apply(plan.layout, why);
}

}  // namespace orvane::platform::linuxplatform

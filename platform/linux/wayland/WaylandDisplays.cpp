#include "platform/linux/wayland/WaylandDisplays.h"

namespace orvane::platform::linuxplatform {

WaylandDisplays::WaylandDisplays(CompositorLink& link, std::string drmRoot)
    : PlannedDisplays(std::move(drmRoot), link.Name()), m_link(link)
{
}

std::vector<WaylandDisplays::Shown> WaylandDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto layout = Current();
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
    OutputManagement* outputs = m_link.Current();
    return outputs ? outputs->Read() : std::nullopt;
}

bool WaylandDisplays::ApplyPlan(const WaylandLayout&, const WaylandChangePlan& plan, std::string* why)
{
    OutputManagement* outputs = m_link.Current();
    if (!outputs) {
        *why = "the compositor is gone";
        return false;
    }
    return outputs->Apply(plan.layout, why);
}

}  // namespace orvane::platform::linuxplatform

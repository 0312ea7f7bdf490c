#include "platform/linux/gnome/GnomeDisplays.h"

namespace orvane::platform::linuxplatform {

GnomeDisplays::GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot)
    : PlannedDisplays(std::move(drmRoot), "GNOME display configuration"), m_service(service)
{
}

std::vector<GnomeDisplays::Shown> GnomeDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto state = Current();
    if (!state)
        return shown;
    // The service gives no EDIDs: the connectors' are taken.
    for (const auto& logical : state->logicalMonitors) {
        // The service does not tell where the panels are.
        if (!logical.connectors.empty())
            shown.push_back(ShownAs(logical.connectors.front(), logical.primary, state->Bounds(logical)));
    }
    return shown;
}

std::optional<MutterState> GnomeDisplays::ReadState()
{
    return m_service.Read();
}

std::uint64_t GnomeDisplays::ServerGeneration()
{
    return m_service.Generation();
}

bool GnomeDisplays::ApplyPlan(const MutterState& state, const MutterChangePlan& plan, std::string* why)
{
    return m_service.Apply(state.serial, plan, why);
}

}  // namespace orvane::platform::linuxplatform

#include "platform/linux/gnome/GnomeDisplays.h"

#include "platform/linux/displays/ReadPlanApply.h"

namespace orvane::platform::linuxplatform {

GnomeDisplays::GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot)
    : BackendDisplays(std::move(drmRoot)), m_service(service)
{
}

std::vector<GnomeDisplays::Shown> GnomeDisplays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto state = m_service.Read();
    if (!state)
        return shown;
    // The service gives no EDIDs: the connectors' are taken.
    for (const auto& logical : state->logicalMonitors) {
        if (logical.connectors.empty())
            continue;
        Shown entry;
        entry.output.name = logical.connectors.front();
        entry.output.handle = HandleFor(entry.output.name);
        entry.output.primary = logical.primary;
        entry.monitor = state->Bounds(logical);
        entry.work = entry.monitor;  // the service does not tell where the panels are
        shown.push_back(std::move(entry));
    }
    return shown;
}

bool GnomeDisplays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto state = m_service.Read();
    return state && SettingsAt(
                        modeIndex, [&] { return CurrentSettings(*state, device); },
                        [&] { return ModeList(*state, device); }, out);
}

std::int32_t GnomeDisplays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                    std::uint32_t)
{
    return ReadPlanApply([&] { return m_service.Read(); },
                         [&](const MutterState& state) { return PlanMutterChange(state, device, settings); },
                         [&](const MutterState& state, const MutterChangePlan& plan, std::string* why) {
                             return m_service.Apply(state.serial, plan, why);
                         },
                         "GNOME display configuration");
}

}  // namespace orvane::platform::linuxplatform

// The one way every display backend answers the seam's settings calls: from
// one reading of its state, EnumDisplaySettings gives the current settings
// or an entry of the mode list; ChangeDisplaySettingsEx plans the change
// against that reading and applies the plan unless it refuses or changes
// nothing. The backends give the steps.
#pragma once

#include <QDebug>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/displays/BackendDisplays.h"
#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

// EnumDisplaySettings of one output: current() for ENUM_CURRENT_SETTINGS and
// ENUM_REGISTRY_SETTINGS (a session keeps no stored settings of its own),
// else entry modeIndex of modes(). False when the output has no answer.
inline bool SettingsAt(std::int32_t modeIndex, const std::function<std::optional<DisplaySettings>()>& current,
                       const std::function<std::vector<DisplaySettings>()>& modes, DisplaySettings& out)
{
    if (modeIndex == ENUM_CURRENT_SETTINGS || modeIndex == ENUM_REGISTRY_SETTINGS) {
        const auto settings = current();
        if (settings)
            out = *settings;
        return settings.has_value();
    }
    return ModeAt(modes(), modeIndex, out);
}

// ChangeDisplaySettingsEx: read() gives the state (nullopt when the server
// does not answer), plan(state) a plan with result, why and nothingToDo,
// apply(state, plan, &why) carries it out. A refusal the backend explains in
// why is logged under who; refusal (when given) receives the reason of any
// failure, and is emptied on success.
template <typename Read, typename Plan, typename Apply>
std::int32_t ReadPlanApply(Read read, Plan plan, Apply apply, const char* who, std::string* refusal = nullptr)
{
    const auto answer = [&](std::int32_t code, const std::string& why) {
        if (refusal)
            *refusal = why;
        return code;
    };
    const auto state = read();
    if (!state)
        return answer(DISP_CHANGE_FAILED, std::string(who) + " did not answer");
    const auto planned = plan(*state);
    if (planned.result != DISP_CHANGE_SUCCESSFUL)
        return answer(planned.result, planned.why);
    if (planned.nothingToDo)
        return answer(DISP_CHANGE_SUCCESSFUL, {});
    std::string why;
    if (apply(*state, planned, &why))
        return answer(DISP_CHANGE_SUCCESSFUL, {});
    if (!why.empty())
        qDebug().noquote() << who << "refused the change:" << QString::fromStdString(why);
    return answer(DISP_CHANGE_FAILED, why.empty() ? std::string(who) + " refused the change" : why);
}

// A backend whose state (State: RandrScreen, MutterState, WaylandLayout) is
// read whole and changed by a plan (Plan, with result and nothingToDo, from
// PlanFor) reads and applies; the settings calls are answered here.
// CurrentSettings and ModeList of State name the current settings and the
// mode list of an output in that state.
//
// A change made with CDS_UPDATEREGISTRY is the display's stored setting:
// when the server behind the backend starts afresh (a compositor restarted,
// which forgets every change made before), the stored settings are applied
// again at the next look at the displays.
template <typename State, typename Plan,
          Plan (*PlanFor)(const State&, const std::string&, const DisplaySettings&)>
class PlannedDisplays : public BackendDisplays {
public:
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) final
    {
        const std::optional<State> state = Current();
        return state && SettingsAt(
                            modeIndex, [&] { return CurrentSettings(*state, device); },
                            [&] { return ModeList(*state, device); }, out);
    }

    // The change lasts for the session; what the desktop restores at the
    // next log-on is its own display configuration's business.
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) final
    {
        const std::int32_t result = Apply([&] { return Current(); }, device, settings, &m_refusal);
        if (result == DISP_CHANGE_SUCCESSFUL && (flags & CDS_UPDATEREGISTRY))
            m_stored[device] = settings;
        return result;
    }

    std::string LastChangeRefusal() final { return m_refusal; }

protected:
    // who: the backend as a refusal it explains is logged.
    PlannedDisplays(std::string drmRoot, std::string who)
        : BackendDisplays(std::move(drmRoot)), m_who(std::move(who))
    {
    }

    // nullopt when the server does not answer (or there is none).
    virtual std::optional<State> ReadState() = 0;
    // why: the backend's reason for a refusal.
    virtual bool ApplyPlan(const State& state, const Plan& plan, std::string* why) = 0;
    // Changes whenever the server behind the backend has started afresh.
    virtual std::uint64_t ServerGeneration() { return 0; }

    // The state as the backend reads it, after the stored settings were
    // given to a server that started afresh since the last look.
    std::optional<State> Current()
    {
        std::optional<State> state = ReadState();
        const std::uint64_t generation = ServerGeneration();
        if (!state || generation == m_generation)
            return state;
        for (const auto& [device, settings] : m_stored) {
            std::string why;
            const std::int32_t result = Apply([&] { return state; }, device, settings, &why);
            if (result == DISP_CHANGE_SUCCESSFUL)
                qInfo().noquote() << QString::fromStdString(m_who) << "started afresh:"
                                  << QString::fromStdString(device) << "set to orientation" << settings.orientation
                                  << "again";
            else
                qInfo().noquote() << QString::fromStdString(m_who) << "started afresh:"
                                  << QString::fromStdString(device) << "could not be set to orientation"
                                  << settings.orientation << "again:" << QString::fromStdString(why);
            // Unread, the rest waits for the next look at the same server.
            if (result == DISP_CHANGE_SUCCESSFUL && !(state = ReadState()))
                return state;
        }
        m_generation = generation;
        return state;
    }

private:
    template <typename Read>
    std::int32_t Apply(Read read, const std::string& device, const DisplaySettings& settings, std::string* refusal)
    {
        return ReadPlanApply(read, [&](const State& state) { return PlanFor(state, device, settings); },
                             [&](const State& state, const Plan& plan, std::string* why) {
                                 return ApplyPlan(state, plan, why);
                             },
                             m_who.c_str(), refusal);
    }

    std::string m_who;
    std::string m_refusal;
    std::map<std::string, DisplaySettings> m_stored;  // per output, the last change made to stay
    std::uint64_t m_generation = 0;
};

}  // namespace orvane::platform::linuxplatform

// The one way every display backend answers the seam's settings calls: from
// one reading of its state, EnumDisplaySettings gives the current settings
// or an entry of the mode list; ChangeDisplaySettingsEx plans the change
// against that reading and applies the plan unless it refuses or changes
// nothing. The backends give the steps.
#pragma once

#include <QDebug>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
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
// does not answer), plan(state) a plan with result and nothingToDo,
// apply(state, plan, &why) carries it out. A refusal the backend explains in
// why is logged under who.
template <typename Read, typename Plan, typename Apply>
std::int32_t ReadPlanApply(Read read, Plan plan, Apply apply, const char* who)
{
    const auto state = read();
    if (!state)
        return DISP_CHANGE_FAILED;
    const auto planned = plan(*state);
    if (planned.result != DISP_CHANGE_SUCCESSFUL)
        return planned.result;
    if (planned.nothingToDo)
        return DISP_CHANGE_SUCCESSFUL;
    std::string why;
    if (apply(*state, planned, &why))
        return DISP_CHANGE_SUCCESSFUL;
    if (!why.empty())
        qDebug().noquote() << who << "refused the change:" << QString::fromStdString(why);
    return DISP_CHANGE_FAILED;
}

}  // namespace orvane::platform::linuxplatform

// The GNOME planner fed any state the display configuration service could
// report (any numbers its D-Bus types carry, monitors and logical monitors
// naming each other or nothing) and any change request. A plan it makes
// must name a mode for every connector of the layout, the chosen one among
// the turned monitor's own.
#include <algorithm>

#include "fuzz/support/DisplayDecoding.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/linux/gnome/MutterState.h"

namespace {

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::fuzz::FuzzInput;

MutterState DecodeState(FuzzInput& in)
{
    MutterState state;
    state.logicalLayout = in.Bool();
    for (std::uint32_t n = in.Below(4); n > 0; --n) {
        MutterMonitor monitor;
        monitor.connector = orvane::fuzz::ConnectorName(in);
        for (std::uint32_t m = in.Below(6); m > 0; --m) {
            MutterMode mode;
            mode.id = std::to_string(in.Below(8));
            mode.width = in.Integral<std::int32_t>();
            mode.height = in.Integral<std::int32_t>();
            mode.refresh = in.Real();
            const std::uint8_t flags = in.Integral<std::uint8_t>();
            mode.current = flags & 1;
            mode.preferred = flags & 2;
            monitor.modes.push_back(mode);
        }
        state.monitors.push_back(monitor);
    }
    for (std::uint32_t n = in.Below(4); n > 0; --n) {
        MutterLogicalMonitor logical;
        logical.x = in.Integral<std::int32_t>();
        logical.y = in.Integral<std::int32_t>();
        logical.scale = in.Real();
        logical.transform = in.Integral<std::uint32_t>();
        logical.primary = in.Bool();
        for (std::uint32_t c = in.Below(3); c > 0; --c)
            logical.connectors.push_back(orvane::fuzz::ConnectorName(in));
        state.logicalMonitors.push_back(logical);
    }
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using orvane::fuzz::Check;
    FuzzInput in(data, size);
    const MutterState state = DecodeState(in);
    const std::string name = orvane::fuzz::ConnectorName(in);
    const DisplaySettings request = orvane::fuzz::Request(in);
    CurrentSettings(state, name);
    ModeList(state, name);
    for (const auto& logical : state.logicalMonitors)
        state.Bounds(logical);
    const MutterChangePlan plan = PlanMutterChange(state, name, request);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return 0;

    Check(plan.logicalMonitors.size() == state.logicalMonitors.size() &&
              plan.modeIds.size() == plan.logicalMonitors.size(),
          "the whole layout");
    for (std::size_t i = 0; i < plan.logicalMonitors.size(); ++i)
        Check(plan.modeIds[i].size() == plan.logicalMonitors[i].connectors.size(), "a mode for every connector");
    bool chosenOwn = false;
    for (std::size_t i = 0; i < plan.logicalMonitors.size(); ++i) {
        if (plan.logicalMonitors[i].connectors.empty() || plan.logicalMonitors[i].connectors.front() != name)
            continue;
        const MutterMonitor* monitor = state.Monitor(name);
        chosenOwn = monitor && std::any_of(monitor->modes.begin(), monitor->modes.end(),
                                           [&](const MutterMode& mode) { return mode.id == plan.modeIds[i].front(); });
    }
    Check(chosenOwn, "the turned monitor's mode is its own");
    return 0;
}

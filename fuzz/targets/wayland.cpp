// The Wayland planner fed any layout a compositor's output protocols could
// report (any numbers of their types, a current mode that may be none) and
// any change request. A plan it makes for outputs with distinct names must
// show the turned output in one of its own modes.
#include <set>

#include "fuzz/support/DisplayDecoding.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/linux/wayland/WaylandLayout.h"

namespace {

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::fuzz::FuzzInput;

WaylandLayout DecodeLayout(FuzzInput& in)
{
    WaylandLayout layout;
    for (std::uint32_t n = in.Below(5); n > 0; --n) {
        WaylandOutput output;
        output.name = orvane::fuzz::ConnectorName(in);
        output.enabled = in.Bool();
        output.x = in.Integral<std::int32_t>();
        output.y = in.Integral<std::int32_t>();
        output.transform = in.Integral<std::int32_t>();
        // wl_fixed_t: 24.8 fixed point.
        output.scale = in.Integral<std::int32_t>() / 256.0;
        for (std::uint32_t m = in.Below(6); m > 0; --m) {
            WaylandMode mode;
            mode.width = in.Integral<std::int32_t>();
            mode.height = in.Integral<std::int32_t>();
            mode.refresh = in.Integral<std::int32_t>();
            mode.preferred = in.Bool();
            output.modes.push_back(mode);
        }
        output.currentMode = in.Integral<std::int8_t>();
        layout.outputs.push_back(output);
    }
    return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using orvane::fuzz::Check;
    FuzzInput in(data, size);
    const WaylandLayout layout = DecodeLayout(in);
    const std::string name = orvane::fuzz::ConnectorName(in);
    const DisplaySettings request = orvane::fuzz::Request(in);
    layout.PrimaryName();
    CurrentSettings(layout, name);
    ModeList(layout, name);
    const WaylandChangePlan plan = PlanWaylandChange(layout, name, request);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return 0;

    Check(plan.layout.outputs.size() == layout.outputs.size(), "the whole layout");
    std::set<std::string> names;
    for (const auto& output : layout.outputs)
        names.insert(output.name);
    if (names.size() == layout.outputs.size())
        Check(plan.layout.Output(name) && plan.layout.Output(name)->Current(), "the turned output shows a mode");
    return 0;
}

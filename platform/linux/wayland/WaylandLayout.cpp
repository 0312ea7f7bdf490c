#include "platform/linux/wayland/WaylandLayout.h"

#include <string>

#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

namespace {

ListedMode Listed(const WaylandMode& mode)
{
    return {std::uint32_t(mode.width), std::uint32_t(mode.height), WholeHertz(mode.refresh / 1000.0)};
}

const WaylandOutput* Enabled(const WaylandLayout& layout, const std::string& name)
{
    const WaylandOutput* output = layout.Output(name);
    return output && output->enabled ? output : nullptr;
}

}  // namespace

const WaylandMode* WaylandOutput::Current() const
{
    return currentMode >= 0 && std::size_t(currentMode) < modes.size() ? &modes[std::size_t(currentMode)] : nullptr;
}

const WaylandOutput* WaylandLayout::Output(const std::string& name) const
{
    for (const auto& output : outputs) {
        if (output.name == name)
            return &output;
    }
    return nullptr;
}

std::string WaylandLayout::PrimaryName() const
{
    std::string first;
    for (const auto& output : outputs) {
        if (!output.enabled || !output.Current())
            continue;
        if (output.x == 0 && output.y == 0)
            return output.name;
        if (first.empty())
            first = output.name;
    }
    return first;
}

MutterState WaylandLayout::AsMutterState() const
{
    MutterState state;
    const std::string primary = PrimaryName();
    for (const auto& output : outputs) {
        if (!output.enabled || !output.Current())
            continue;
        MutterMonitor monitor;
        monitor.connector = output.name;
        for (std::size_t i = 0; i < output.modes.size(); ++i) {
            MutterMode mode;
            mode.id = std::to_string(i);
            mode.width = output.modes[i].width;
            mode.height = output.modes[i].height;
            mode.refresh = output.modes[i].refresh / 1000.0;
            mode.current = int(i) == output.currentMode;
            mode.preferred = output.modes[i].preferred;
            monitor.modes.push_back(mode);
        }
        state.monitors.push_back(std::move(monitor));
        MutterLogicalMonitor logical;
        logical.x = output.x;
        logical.y = output.y;
        logical.scale = output.scale > 0 ? output.scale : 1;
        logical.transform = std::uint32_t(output.transform & 3);
        logical.primary = output.name == primary;
        logical.connectors.push_back(output.name);
        state.logicalMonitors.push_back(std::move(logical));
    }
    return state;
}

std::optional<DisplaySettings> CurrentSettings(const WaylandLayout& layout, const std::string& name)
{
    const WaylandOutput* output = Enabled(layout, name);
    const WaylandMode* mode = output ? output->Current() : nullptr;
    if (!mode)
        return std::nullopt;
    return ShownSettings(Listed(*mode), std::uint32_t(output->transform & 3));
}

std::vector<DisplaySettings> ModeList(const WaylandLayout& layout, const std::string& name)
{
    std::vector<DisplaySettings> list;
    if (const WaylandOutput* output = Enabled(layout, name)) {
        for (const auto& mode : output->modes)
            AddDistinctMode(list, Listed(mode));
    }
    return list;
}

WaylandChangePlan PlanWaylandChange(const WaylandLayout& current, const std::string& name,
                                    const DisplaySettings& settings)
{
    WaylandChangePlan plan;
    const MutterState state = current.AsMutterState();
    const MutterChangePlan turned = PlanMutterChange(state, name, settings);
    plan.result = turned.result;
    plan.why = turned.why;
    if (turned.result != DISP_CHANGE_SUCCESSFUL)
        return plan;
    plan.nothingToDo = turned.nothingToDo;
    plan.layout = current;
    for (std::size_t i = 0; i < turned.logicalMonitors.size(); ++i) {
        const MutterLogicalMonitor& logical = turned.logicalMonitors[i];
        for (auto& output : plan.layout.outputs) {
            if (output.name != logical.connectors.front())
                continue;
            output.x = logical.x;
            output.y = logical.y;
            output.transform = std::int32_t(logical.transform) | (output.transform & 4);
            output.currentMode = std::stoi(turned.modeIds[i].front());
        }
    }
    return plan;
}

}  // namespace orvane::platform::linuxplatform

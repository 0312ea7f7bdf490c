#include "platform/linux/gnome/MutterState.h"

#include <cmath>

#include "platform/linux/x11/RandrSettings.h"

namespace orvane::platform::linuxplatform {

namespace {

bool Portrait(std::uint32_t transform)
{
    return (transform & 1) != 0;
}

MutterChangePlan Refused(std::int32_t code)
{
    MutterChangePlan plan;
    plan.result = code;
    return plan;
}

}  // namespace

const MutterMode* MutterMonitor::CurrentMode() const
{
    for (const auto& mode : modes) {
        if (mode.current)
            return &mode;
    }
    return nullptr;
}

const MutterMonitor* MutterState::Monitor(const std::string& connector) const
{
    for (const auto& monitor : monitors) {
        if (monitor.connector == connector)
            return &monitor;
    }
    return nullptr;
}

Rect MutterState::Bounds(const MutterLogicalMonitor& logical) const
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    const MutterMonitor* monitor = logical.connectors.empty() ? nullptr : Monitor(logical.connectors.front());
    if (const MutterMode* mode = monitor ? monitor->CurrentMode() : nullptr) {
        width = Portrait(logical.transform) ? mode->height : mode->width;
        height = Portrait(logical.transform) ? mode->width : mode->height;
        if (logicalLayout && logical.scale > 0) {
            width = std::int32_t(std::lround(width / logical.scale));
            height = std::int32_t(std::lround(height / logical.scale));
        }
    }
    return Rect{logical.x, logical.y, logical.x + width, logical.y + height};
}

MutterChangePlan PlanMutterChange(const MutterState& state, const std::string& connector,
                                  const DisplaySettings& settings)
{
    std::size_t target = state.logicalMonitors.size();
    for (std::size_t i = 0; i < state.logicalMonitors.size(); ++i) {
        const auto& connectors = state.logicalMonitors[i].connectors;
        if (!connectors.empty() && connectors.front() == connector)
            target = i;
    }
    const MutterMonitor* monitor = state.Monitor(connector);
    const MutterMode* current = monitor ? monitor->CurrentMode() : nullptr;
    if (target == state.logicalMonitors.size() || !current)
        return Refused(DISP_CHANGE_FAILED);
    const MutterLogicalMonitor& logical = state.logicalMonitors[target];

    const std::uint32_t transform = (settings.fields & DM_DISPLAYORIENTATION)
                                        ? settings.orientation
                                        : (logical.transform & 3);
    if (transform > DMDO_270)
        return Refused(DISP_CHANGE_BADMODE);
    const bool portrait = Portrait(transform);
    std::int32_t width = current->width;
    std::int32_t height = current->height;
    if (settings.fields & DM_PELSWIDTH)
        (portrait ? height : width) = std::int32_t(settings.pelsWidth);
    if (settings.fields & DM_PELSHEIGHT)
        (portrait ? width : height) = std::int32_t(settings.pelsHeight);
    const std::uint32_t hertz = (settings.fields & DM_DISPLAYFREQUENCY) && settings.displayFrequency > 1
                                    ? settings.displayFrequency
                                    : 0;
    const MutterMode* chosen = nullptr;
    for (const auto& mode : monitor->modes) {
        if (mode.width != width || mode.height != height || (hertz && WholeHertz(mode.refresh) != hertz))
            continue;
        const auto rank = [&](const MutterMode& m) { return m.current ? 3 : (m.preferred ? 2 : 1); };
        if (!chosen || rank(mode) > rank(*chosen) ||
            (rank(mode) == rank(*chosen) &&
             (hertz ? std::fabs(mode.refresh - hertz) < std::fabs(chosen->refresh - hertz)
                    : mode.refresh > chosen->refresh)))
            chosen = &mode;
    }
    if (!chosen)
        return Refused(DISP_CHANGE_BADMODE);

    MutterChangePlan plan;
    plan.nothingToDo = chosen->current && transform == logical.transform;
    plan.logicalMonitors = state.logicalMonitors;
    const Rect before = state.Bounds(logical);
    MutterLogicalMonitor& turned = plan.logicalMonitors[target];
    turned.transform = transform;
    MutterState after = state;
    after.logicalMonitors[target].transform = transform;
    for (auto& monitorAfter : after.monitors) {
        if (monitorAfter.connector != connector)
            continue;
        for (auto& mode : monitorAfter.modes)
            mode.current = mode.id == chosen->id;
    }
    const Rect now = after.Bounds(after.logicalMonitors[target]);
    for (std::size_t i = 0; i < plan.logicalMonitors.size(); ++i) {
        if (i == target)
            continue;
        MutterLogicalMonitor& other = plan.logicalMonitors[i];
        if (other.x == before.right)
            other.x += now.right - before.right;
        else if (other.y == before.bottom)
            other.y += now.bottom - before.bottom;
    }
    for (std::size_t i = 0; i < plan.logicalMonitors.size(); ++i) {
        std::vector<std::string> ids;
        for (const auto& name : plan.logicalMonitors[i].connectors) {
            if (i == target && name == connector) {
                ids.push_back(chosen->id);
                continue;
            }
            const MutterMonitor* shown = state.Monitor(name);
            const MutterMode* mode = shown ? shown->CurrentMode() : nullptr;
            ids.push_back(mode ? mode->id : std::string());
        }
        plan.modeIds.push_back(std::move(ids));
    }
    return plan;
}

}  // namespace orvane::platform::linuxplatform

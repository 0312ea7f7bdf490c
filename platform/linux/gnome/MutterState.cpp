#include "platform/linux/gnome/MutterState.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/linux/displays/DisplayRequest.h"
#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

namespace {

MutterChangePlan Refused(std::int32_t code, std::string why)
{
    MutterChangePlan plan;
    plan.result = code;
    plan.why = std::move(why);
    return plan;
}

const MutterLogicalMonitor* LogicalOf(const MutterState& state, const std::string& connector)
{
    const MutterLogicalMonitor* logical = nullptr;
    for (const auto& candidate : state.logicalMonitors) {
        if (std::find(candidate.connectors.begin(), candidate.connectors.end(), connector) !=
            candidate.connectors.end())
            logical = &candidate;
    }
    return logical;
}

ListedMode Listed(const MutterMode& mode)
{
    return {std::uint32_t(mode.width), std::uint32_t(mode.height), WholeHertz(mode.refresh)};
}

// The monitor's mode that serves the request; nullptr when none does.
const MutterMode* ChosenMode(const MutterMonitor& monitor, const DisplayRequest& request)
{
    std::vector<ModeCandidate> candidates;
    for (const auto& mode : monitor.modes)
        candidates.push_back(
            {std::uint32_t(mode.width), std::uint32_t(mode.height), mode.refresh, mode.current, mode.preferred});
    const int chosen = ChooseMode(candidates, request);
    return chosen < 0 ? nullptr : &monitor.modes[std::size_t(chosen)];
}

// Where a logical monitor ends in the layout, worked out wider than the
// layout's coordinates: a service may report any position, size and scale.
struct Extent {
    std::int64_t right = 0;
    std::int64_t bottom = 0;
};

constexpr std::int64_t kCoordinateMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kCoordinateMax = std::numeric_limits<std::int32_t>::max();

bool IsCoordinate(std::int64_t value)
{
    return value >= kCoordinateMin && value <= kCoordinateMax;
}

// Pixels divided by the scale, whole; a scale that divides a size past the
// layout's coordinates stops at their end.
std::int64_t Scaled(std::int32_t pixels, double scale)
{
    const double scaled = std::round(pixels / scale);
    return std::int64_t(std::clamp(scaled, double(kCoordinateMin), double(kCoordinateMax)));
}

Extent ExtentOf(const MutterState& state, const MutterLogicalMonitor& logical)
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    const MutterMonitor* monitor = logical.connectors.empty() ? nullptr : state.Monitor(logical.connectors.front());
    if (const MutterMode* mode = monitor ? monitor->CurrentMode() : nullptr) {
        const bool portrait = IsPortrait(logical.transform & 3);
        width = portrait ? mode->height : mode->width;
        height = portrait ? mode->width : mode->height;
        if (state.logicalLayout && logical.scale > 0) {
            width = Scaled(std::int32_t(width), logical.scale);
            height = Scaled(std::int32_t(height), logical.scale);
        }
    }
    return {logical.x + width, logical.y + height};
}

// Moves the logical monitors that touched the turned one's right or bottom
// edge (before) along with that edge (now). False when one would leave the
// layout's coordinates.
bool MoveNeighbours(std::vector<MutterLogicalMonitor>& logicalMonitors, std::size_t target, const Extent& before,
                    const Extent& now)
{
    for (std::size_t i = 0; i < logicalMonitors.size(); ++i) {
        if (i == target)
            continue;
        MutterLogicalMonitor& other = logicalMonitors[i];
        std::int64_t x = other.x;
        std::int64_t y = other.y;
        if (x == before.right)
            x += now.right - before.right;
        else if (y == before.bottom)
            y += now.bottom - before.bottom;
        if (!IsCoordinate(x) || !IsCoordinate(y))
            return false;
        other.x = std::int32_t(x);
        other.y = std::int32_t(y);
    }
    return true;
}

// Per logical monitor, per connector, the mode it shows afterwards: chosen
// on connector of target, the current one everywhere else.
std::vector<std::vector<std::string>> ModeIdsAfter(const MutterState& state,
                                                    const std::vector<MutterLogicalMonitor>& logicalMonitors,
                                                    std::size_t target, const std::string& connector,
                                                    const MutterMode& chosen)
{
    std::vector<std::vector<std::string>> modeIds;
    for (std::size_t i = 0; i < logicalMonitors.size(); ++i) {
        std::vector<std::string> ids;
        for (const auto& name : logicalMonitors[i].connectors) {
            if (i == target && name == connector) {
                ids.push_back(chosen.id);
                continue;
            }
            const MutterMonitor* shown = state.Monitor(name);
            const MutterMode* mode = shown ? shown->CurrentMode() : nullptr;
            ids.push_back(mode ? mode->id : std::string());
        }
        modeIds.push_back(std::move(ids));
    }
    return modeIds;
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
    const Extent extent = ExtentOf(*this, logical);
    return Rect{logical.x, logical.y, std::int32_t(std::clamp(extent.right, kCoordinateMin, kCoordinateMax)),
                std::int32_t(std::clamp(extent.bottom, kCoordinateMin, kCoordinateMax))};
}

std::optional<DisplaySettings> CurrentSettings(const MutterState& state, const std::string& connector)
{
    const MutterMonitor* monitor = state.Monitor(connector);
    const MutterMode* mode = monitor ? monitor->CurrentMode() : nullptr;
    const MutterLogicalMonitor* logical = LogicalOf(state, connector);
    if (!mode || !logical)
        return std::nullopt;
    return ShownSettings(Listed(*mode), logical->transform & 3);
}

std::vector<DisplaySettings> ModeList(const MutterState& state, const std::string& connector)
{
    std::vector<DisplaySettings> list;
    if (const MutterMonitor* monitor = state.Monitor(connector)) {
        for (const auto& mode : monitor->modes)
            AddDistinctMode(list, Listed(mode));
    }
    return list;
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
        return Refused(DISP_CHANGE_FAILED, NoOutput(connector));
    const MutterLogicalMonitor& logical = state.logicalMonitors[target];

    const DisplayRequest request = DecodeRequest(settings, logical.transform & 3, std::uint32_t(current->width),
                                                 std::uint32_t(current->height));
    if (request.result != DISP_CHANGE_SUCCESSFUL)
        return Refused(request.result, OrientationBeyondRange(request));
    const MutterMode* chosen = ChosenMode(*monitor, request);
    if (!chosen)
        return Refused(DISP_CHANGE_BADMODE, NoModeFor(request));

    MutterChangePlan plan;
    plan.nothingToDo = chosen->current && request.orientation == logical.transform;
    plan.logicalMonitors = state.logicalMonitors;
    plan.logicalMonitors[target].transform = request.orientation;
    // The turned monitor's bounds before and after, with the chosen mode.
    MutterState after = state;
    after.logicalMonitors[target].transform = request.orientation;
    for (auto& monitorAfter : after.monitors) {
        if (monitorAfter.connector != connector)
            continue;
        for (auto& mode : monitorAfter.modes)
            mode.current = mode.id == chosen->id;
    }
    if (!MoveNeighbours(plan.logicalMonitors, target, ExtentOf(state, logical),
                        ExtentOf(after, after.logicalMonitors[target])))
        return Refused(DISP_CHANGE_BADMODE, "a monitor beside it would move past the layout's coordinates");
    plan.modeIds = ModeIdsAfter(state, plan.logicalMonitors, target, connector, *chosen);
    return plan;
}

}  // namespace orvane::platform::linuxplatform

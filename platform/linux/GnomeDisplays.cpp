#include "platform/linux/GnomeDisplays.h"

#include <algorithm>
#include <limits>

#include <QDebug>
#include <QString>

#include "platform/linux/DrmConnectors.h"
#include "platform/linux/RandrSettings.h"

namespace orvane::platform::linuxplatform {

GnomeDisplays::GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot)
    : m_service(service), m_drmRoot(std::move(drmRoot))
{
}

DisplayHandle GnomeDisplays::HandleFor(const std::string& name)
{
    auto it = m_handles.find(name);
    if (it == m_handles.end())
        it = m_handles.emplace(name, DisplayHandle(m_handles.size() + 1)).first;
    return it->second;
}

std::vector<GnomeDisplays::Shown> GnomeDisplays::ShownMonitors()
{
    std::vector<Shown> shown;
    const auto state = m_service.Read();
    if (!state)
        return shown;
    // The service names connectors as the kernel does; their EDIDs are in sysfs.
    const auto connectors = ReadDrmConnectors(m_drmRoot);
    for (const auto& logical : state->logicalMonitors) {
        if (logical.connectors.empty())
            continue;
        Shown entry;
        entry.output.name = logical.connectors.front();
        entry.output.handle = HandleFor(entry.output.name);
        entry.output.primary = logical.primary;
        if (const DrmConnector* connector = FindConnectorForOutput(connectors, entry.output.name))
            entry.output.edid = connector->edid;
        entry.monitor = state->Bounds(logical);
        shown.push_back(std::move(entry));
    }
    std::stable_partition(shown.begin(), shown.end(), [](const Shown& s) { return s.output.primary; });
    return shown;
}

std::vector<ActiveOutput> GnomeDisplays::ActiveOutputs()
{
    std::vector<ActiveOutput> outputs;
    for (auto& shown : ShownMonitors())
        outputs.push_back(std::move(shown.output));
    return outputs;
}

bool GnomeDisplays::EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback)
{
    for (const auto& shown : ShownMonitors()) {
        if (!callback(shown.output.handle))
            break;
    }
    return true;
}

bool GnomeDisplays::GetMonitorInfo(DisplayHandle display, DisplayInfo& info)
{
    for (const auto& shown : ShownMonitors()) {
        if (shown.output.handle != display)
            continue;
        info.flags = shown.output.primary ? MONITORINFOF_PRIMARY : 0;
        info.monitor = shown.monitor;
        info.work = shown.monitor;  // the service does not tell where the panels are
        info.deviceName = shown.output.name;
        return true;
    }
    return false;
}

DisplayHandle GnomeDisplays::MonitorFromPoint(std::int32_t x, std::int32_t y)
{
    DisplayHandle nearest = 0;
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (const auto& shown : ShownMonitors()) {
        const Rect& r = shown.monitor;
        const std::int64_t dx = x < r.left ? r.left - x : (x >= r.right ? x - r.right + 1 : 0);
        const std::int64_t dy = y < r.top ? r.top - y : (y >= r.bottom ? y - r.bottom + 1 : 0);
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = shown.output.handle;
        }
    }
    return nearest;
}

bool GnomeDisplays::EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out)
{
    if (!m_devices)
        return false;
    const auto list = device ? m_devices->DevicesOf(*device) : m_devices->Adapters();
    if (index >= list.size())
        return false;
    out = list[index];
    return true;
}

bool GnomeDisplays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto state = m_service.Read();
    const MutterMonitor* monitor = state ? state->Monitor(device) : nullptr;
    if (!monitor)
        return false;
    if (modeIndex == ENUM_CURRENT_SETTINGS || modeIndex == ENUM_REGISTRY_SETTINGS) {
        const MutterMode* mode = monitor->CurrentMode();
        const MutterLogicalMonitor* logical = nullptr;
        for (const auto& candidate : state->logicalMonitors) {
            if (std::find(candidate.connectors.begin(), candidate.connectors.end(), device) !=
                candidate.connectors.end())
                logical = &candidate;
        }
        if (!mode || !logical)
            return false;
        out = DisplaySettings{};
        out.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        out.orientation = logical->transform & 3;
        const bool portrait = (logical->transform & 1) != 0;
        out.pelsWidth = std::uint32_t(portrait ? mode->height : mode->width);
        out.pelsHeight = std::uint32_t(portrait ? mode->width : mode->height);
        out.displayFrequency = WholeHertz(mode->refresh);
        out.bitsPerPel = 32;
        return true;
    }
    std::vector<DisplaySettings> list;
    for (const auto& mode : monitor->modes) {
        DisplaySettings entry;
        entry.fields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        entry.pelsWidth = std::uint32_t(mode.width);
        entry.pelsHeight = std::uint32_t(mode.height);
        entry.displayFrequency = WholeHertz(mode.refresh);
        entry.bitsPerPel = 32;
        const bool seen = std::any_of(list.begin(), list.end(), [&](const DisplaySettings& o) {
            return o.pelsWidth == entry.pelsWidth && o.pelsHeight == entry.pelsHeight &&
                   o.displayFrequency == entry.displayFrequency;
        });
        if (!seen)
            list.push_back(entry);
    }
    if (modeIndex < 0 || std::size_t(modeIndex) >= list.size())
        return false;
    out = list[std::size_t(modeIndex)];
    return true;
}

std::int32_t GnomeDisplays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                    std::uint32_t)
{
    const auto state = m_service.Read();
    if (!state)
        return DISP_CHANGE_FAILED;
    const MutterChangePlan plan = PlanMutterChange(*state, device, settings);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return plan.result;
    if (plan.nothingToDo)
        return DISP_CHANGE_SUCCESSFUL;
    std::string why;
    if (!m_service.Apply(state->serial, plan, &why)) {
        qDebug().noquote() << "GNOME display configuration refused the change:" << QString::fromStdString(why);
        return DISP_CHANGE_FAILED;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace orvane::platform::linuxplatform

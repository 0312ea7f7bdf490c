#include "platform/linux/ddc/DdcMonitors.h"

#include <algorithm>
#include <chrono>

#include <QDebug>
#include <QString>

namespace orvane::platform::linuxplatform {

namespace {

// An abandoned call usually ends within the library's own retries; one that
// still holds the monitor after this long makes the next call fail instead of
// waiting without end.
constexpr std::chrono::seconds kBusyWait{10};

// MC_SET_PARAMETER: every feature this program reads is a set parameter.
constexpr std::uint32_t kSetParameter = 1;

bool HasNewMonitor(const std::vector<Edid>& now, const std::vector<Edid>& before)
{
    for (const auto& edid : now) {
        if (edid.empty())
            continue;
        if (std::none_of(before.begin(), before.end(), [&](const Edid& old) { return old == edid; }))
            return true;
    }
    return false;
}

}  // namespace

DdcMonitors::DdcMonitors(DdcLibrary& library) : m_library(library) {}

void DdcMonitors::ReportAvailability()
{
    const std::string problem = m_library.Unavailable();
    if (!problem.empty() && !m_reported)
        qWarning().noquote() << "DDC/CI unavailable, no monitor can be read:" << QString::fromStdString(problem);
    m_reported = m_reported || !problem.empty();
}

DdcAccessReport DdcMonitors::AccessReport()
{
    if (!m_library.Unavailable().empty())
        return m_library.UnavailableReport();
    if (m_detected && m_displays.empty())
        return {DdcAccessFault::NoDdcAnswer, "no monitor answered over DDC/CI"};
    return {DdcAccessFault::None, {}};
}

std::vector<DdcDisplayRecord> DdcMonitors::Displays(const std::vector<Edid>& outputEdids)
{
    if (m_detected && !HasNewMonitor(outputEdids, m_outputsAtDetection))
        return m_displays;
    if (!m_library.Unavailable().empty()) {
        ReportAvailability();
        m_detected = true;
        m_outputsAtDetection = outputEdids;
        return m_displays;
    }
    std::unique_lock<std::shared_mutex> exclusive(m_detection, std::try_to_lock);
    if (!exclusive.owns_lock())
        return m_displays;  // a call is still running; try again at the next look
    {
        std::lock_guard<std::mutex> lock(m_table);
        for (auto& monitor : m_monitors) {
            monitor.stale = true;
            monitor.caller.reset();  // no call runs now: detection holds every monitor
        }
        ++m_generation;
    }
    m_displays = m_library.Detect();
    m_detected = true;
    m_outputsAtDetection = outputEdids;
    if (m_displays.empty())
        qWarning() << "DDC/CI: no monitor answered (none attached supports DDC/CI, or it is switched off in the "
                      "monitor's menu)";
    else
        qDebug() << "DDC/CI: monitors detected:" << m_displays.size();
    return m_displays;
}

PhysicalMonitorHandle DdcMonitors::HandleOf(std::size_t index)
{
    std::lock_guard<std::mutex> lock(m_table);
    for (std::size_t i = 0; i < m_monitors.size(); ++i) {
        Monitor& monitor = m_monitors[i];
        if (monitor.generation != m_generation || monitor.index != index)
            continue;
        if (!monitor.opened && monitor.busy.try_lock()) {
            monitor.opened = m_library.Open(index);
            monitor.busy.unlock();
        }
        return i + 1;
    }
    Monitor& monitor = m_monitors.emplace_back();
    monitor.generation = m_generation;
    monitor.index = index;
    monitor.opened = m_library.Open(index);
    return m_monitors.size();
}

std::string DdcMonitors::DescriptionOf(std::size_t index)
{
    if (index < m_displays.size() && !m_displays[index].model.empty())
        return m_displays[index].model;
    return "Generic PnP Monitor";
}

template <typename Call>
bool DdcMonitors::WithMonitor(PhysicalMonitorHandle handle, Call call)
{
    std::shared_lock<std::shared_mutex> detection(m_detection);
    Monitor* monitor = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_table);
        if (handle == 0 || handle > m_monitors.size())
            return false;
        monitor = &m_monitors[handle - 1];
        if (monitor->stale || !monitor->opened)
            return false;
    }
    std::unique_lock<std::timed_mutex> busy(monitor->busy, kBusyWait);
    if (!busy.owns_lock())
        return false;
    bool result = false;
    monitor->caller->Run([&] { result = call(monitor->opened); });
    return result;
}

int DdcMonitors::GetVcp(PhysicalMonitorHandle handle, std::uint8_t code, std::uint32_t* codeType,
                        std::uint32_t* current, std::uint32_t* maximum)
{
    std::uint16_t now = 0;
    std::uint16_t most = 0;
    const bool ok = WithMonitor(handle, [&](DdcOpenHandle opened) { return m_library.GetVcp(opened, code, now, most); });
    if (!ok)
        return 0;
    if (codeType)
        *codeType = kSetParameter;
    if (current)
        *current = now;
    if (maximum)
        *maximum = most;
    return 1;
}

int DdcMonitors::SetVcp(PhysicalMonitorHandle handle, std::uint8_t code, std::uint32_t value)
{
    if (value > 0xFFFF)
        return 0;  // a VCP value is 16 bits on the wire; never send a truncated one
    return WithMonitor(handle,
                       [&](DdcOpenHandle opened) { return m_library.SetVcp(opened, code, std::uint16_t(value)); })
               ? 1
               : 0;
}

int DdcMonitors::CapabilitiesLength(PhysicalMonitorHandle handle, std::uint32_t* length)
{
    std::size_t size = 0;
    const bool ok = WithMonitor(handle, [&](DdcOpenHandle opened) {
        const auto text = m_library.Capabilities(opened);
        if (text)
            size = text->size() + 1;  // counted with its terminating null, as the caller expects
        return text.has_value();
    });
    if (!ok)
        return 0;
    if (length)
        *length = std::uint32_t(size);
    return 1;
}

}  // namespace orvane::platform::linuxplatform

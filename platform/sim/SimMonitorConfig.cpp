#include <QJsonArray>

#include <chrono>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {
// A silenced monitor holds the caller at most this long, so a forgotten
// "silence on" cannot keep a thread forever.
constexpr int kSilenceCapMs = 60000;
constexpr int kSilencePollMs = 20;

class GateEntry {
public:
    explicit GateEntry(CallGate& gate) : m_gate(gate) { m_gate.Enter(); }
    ~GateEntry() { m_gate.Leave(); }
    GateEntry(const GateEntry&) = delete;
    GateEntry& operator=(const GateEntry&) = delete;

private:
    CallGate& m_gate;
};
}  // namespace

bool CallGate::SleepFor(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_closing; });
    return !m_closing;
}

void CallGate::Enter()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_inFlight;
}

void CallGate::Leave()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_inFlight;
    m_changed.notify_all();
}

void CallGate::Close()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_closing = true;
    m_changed.notify_all();
    m_changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_inFlight == 0; });
}

bool SimMonitorConfig::GetNumberOfPhysicalMonitorsFromHMONITOR(DisplayHandle handle, std::uint32_t* count)
{
    const auto state = m_store->Snapshot();
    const SimDisplay* display = state->FindDisplay(handle);
    if (!display || !display->present || !count)
        return false;
    std::uint32_t number = 0;
    for (const SimMonitor* monitor : state->MonitorsOn(display->deviceName))
        number += monitor->physical ? 1 : 0;
    *count = number;
    return true;
}

bool SimMonitorConfig::GetPhysicalMonitorsFromHMONITOR(DisplayHandle handle, std::uint32_t count,
                                                       std::vector<PhysicalMonitor>& out)
{
    const auto state = m_store->Snapshot();
    const SimDisplay* display = state->FindDisplay(handle);
    if (!display || !display->present)
        return false;
    out.clear();
    for (const SimMonitor* monitor : state->MonitorsOn(display->deviceName)) {
        if (monitor->physical && out.size() < count)
            out.push_back({monitor->handle, monitor->description});
    }
    return true;
}

std::shared_ptr<const SimState> SimMonitorConfig::Answer(PhysicalMonitorHandle handle, bool write,
                                                         const SimMonitor** found)
{
    *found = nullptr;
    auto state = m_store->Snapshot();
    const SimMonitor* monitor = state->FindMonitor(handle);
    if (!monitor || !monitor->attached)
        return state;
    // The delay runs outside every lock: other monitors answer meanwhile.
    if (!m_gate->SleepFor(write ? monitor->writeDelayMs : monitor->delayMs))
        return state;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        state = m_store->Snapshot();
        monitor = state->FindMonitor(handle);
        if (!monitor || !monitor->attached)
            return state;
        if (!monitor->silent)
            break;
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (waited.count() >= kSilenceCapMs || !m_gate->SleepFor(kSilencePollMs))
            return state;
    }
    *found = monitor;
    return state;
}

int SimMonitorConfig::GetVCPFeatureAndVCPFeatureReply(PhysicalMonitorHandle handle, std::uint8_t code,
                                                      std::uint32_t* codeType, std::uint32_t* current,
                                                      std::uint32_t* maximum)
{
    GateEntry entry(*m_gate);
    const SimMonitor* monitor = nullptr;
    const auto state = Answer(handle, false, &monitor);
    if (!monitor || monitor->fail)
        return 0;
    const auto feature = monitor->vcp.find(code);
    if (feature == monitor->vcp.end())
        return 0;
    if (codeType)
        *codeType = 0;
    if (current)
        *current = feature->second.current;
    if (maximum)
        *maximum = monitor->maxUnset ? 0xFFFFFFFF : feature->second.maximum;
    return 1;
}

int SimMonitorConfig::SetVCPFeature(PhysicalMonitorHandle handle, std::uint8_t code, std::uint32_t value)
{
    GateEntry entry(*m_gate);
    const SimMonitor* monitor = nullptr;
    const auto state = Answer(handle, true, &monitor);
    if (!monitor || monitor->fail)
        return 0;
    const std::string id = monitor->id;
    const bool written = m_store->Mutate(
        [&](QJsonObject& root, std::string*) {
            QJsonArray monitors = root.value("monitors").toArray();
            const int index = ResolveMonitor(root, id);
            if (index < 0)
                return false;
            QJsonObject object = monitors[index].toObject();
            QJsonObject vcp = object.value("vcp").toObject();
            QJsonObject feature = vcp.value(VcpKey(code)).toObject();
            feature["current"] = static_cast<double>(value);
            if (!feature.contains("max"))
                feature["max"] = 0xFF;
            vcp[VcpKey(code)] = feature;
            object["vcp"] = vcp;
            monitors[index] = object;
            root["monitors"] = monitors;
            AppendRecord(root, "vcpWrites",
                         QJsonObject{{"monitor", QString::fromStdString(id)},
                                     {"handle", static_cast<double>(handle)},
                                     {"code", VcpKey(code)},
                                     {"value", static_cast<double>(value)}});
            return true;
        },
        nullptr);
    return written ? 1 : 0;
}

int SimMonitorConfig::GetCapabilitiesStringLength(PhysicalMonitorHandle handle, std::uint32_t* length)
{
    GateEntry entry(*m_gate);
    const SimMonitor* monitor = nullptr;
    const auto state = Answer(handle, false, &monitor);
    if (!monitor || monitor->fail || !monitor->capabilitiesLength)
        return 0;
    if (length)
        *length = *monitor->capabilitiesLength;
    return 1;
}

}  // namespace orvane::platform::sim

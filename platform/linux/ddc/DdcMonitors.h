// The physical monitors behind the displays: the monitors libddcutil finds,
// each with a handle that stays valid for the life of the process. VCP calls
// arrive from worker threads that their caller may abandon, so a handle is
// never closed while a call on it may still be running, and calls on one
// monitor never overlap on the bus. Each monitor's calls reach the library
// from one long-lived thread of its own (see DdcCallThread).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/linux/ddc/DdcCallThread.h"
#include "platform/linux/ddc/DdcLibrary.h"

namespace orvane::platform::linuxplatform {

class DdcMonitors {
public:
    explicit DdcMonitors(DdcLibrary& library);

    // Logs, once, why no monitor can be reached over DDC/CI when that is so.
    // Cheap: detection itself waits for the first look at the displays.
    void ReportAvailability();

    // Why no monitor can be reached, as found so far: the library's fault,
    // else NoDdcAnswer when the last detection found none.
    DdcAccessReport AccessReport();

    // The DDC/CI displays, detected on first use. When the outputs now show
    // a monitor that was not attached at the last detection, detects again,
    // provided no call is running; the handles of the earlier detection then
    // fail from that moment on.
    std::vector<DdcDisplayRecord> Displays(const std::vector<Edid>& outputEdids);

    // Handle of display index of the current detection; the same handle on
    // every call. Never 0.
    PhysicalMonitorHandle HandleOf(std::size_t index);
    std::string DescriptionOf(std::size_t index);

    int GetVcp(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t* codeType, std::uint32_t* current,
               std::uint32_t* maximum);
    int SetVcp(PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value);
    int CapabilitiesLength(PhysicalMonitorHandle monitor, std::uint32_t* length);

private:
    struct Monitor {
        std::size_t generation = 0;
        std::size_t index = 0;
        DdcOpenHandle opened = 0;
        bool stale = false;
        std::timed_mutex busy;  // one bus conversation at a time
        std::unique_ptr<DdcCallThread> caller = std::make_unique<DdcCallThread>();
    };
    // Runs call on the monitor's open handle; false when the handle is
    // unknown, stale or still busy with an earlier call after a long wait.
    template <typename Call>
    bool WithMonitor(PhysicalMonitorHandle handle, Call call);

    DdcLibrary& m_library;
    std::shared_mutex m_detection;  // shared by calls, exclusive for detection
    std::mutex m_table;
    std::deque<Monitor> m_monitors;  // handle h is m_monitors[h - 1]; never shrinks
    std::vector<DdcDisplayRecord> m_displays;
    std::vector<Edid> m_outputsAtDetection;
    std::size_t m_generation = 0;
    bool m_detected = false;
    bool m_reported = false;
};

}  // namespace orvane::platform::linuxplatform

// Reads and writes one VCP feature of one monitor on a worker thread while
// the calling thread waits with a watchdog (2000 ms for a read, 1000 ms for
// a write).
#pragma once

#include <memory>
#include <vector>

#include "orvane/monitor/VcpWorkers.h"
#include "platform/Platform.h"

namespace orvane {

class VcpAccess {
public:
    explicit VcpAccess(platform::MonitorConfigApi& api);
    ~VcpAccess();
    VcpAccess(const VcpAccess&) = delete;
    VcpAccess& operator=(const VcpAccess&) = delete;

    bool RunGetVcp(platform::PhysicalMonitorHandle hPhysicalMonitor, quint8 code, quint32& current,
                   quint32& maximum);
    bool RunSetVcp(platform::PhysicalMonitorHandle hPhysicalMonitor, quint8 code, quint32 value);

    // The get worker of the latest RunGetVcp call (its m_bTimeout tells
    // whether that read was abandoned).
    clsGetVcpThread& GetVcpThread();
    clsSetVcpThread& SetVcpThread();
    clsCapabilitiesLengthThread& CapabilitiesLengthThread();

    // Number of abandoned reads whose monitor call has not returned yet.
    int AbandonedInFlight() const;

    int m_nFailCountA = 0;
    int m_nFailCountB = 0;

private:
    void ReapAbandoned();
    bool IsAbandonedInFlight(platform::PhysicalMonitorHandle hPhysicalMonitor) const;
    void PrepareGetWorker();

    platform::MonitorConfigApi& m_api;
    std::unique_ptr<clsGetVcpThread> m_pGetVcpThread;
    std::unique_ptr<clsSetVcpThread> m_pSetVcpThread;
    std::unique_ptr<clsCapabilitiesLengthThread> m_pCapabilitiesLengthThread;
    // Reads given up on by the watchdog. They are never killed (a thread
    // killed inside the monitor library may leave its locks held); they run
    // to the end on their own and are deleted once finished.
    std::vector<std::unique_ptr<clsGetVcpThread>> m_abandoned;
};

}  // namespace orvane

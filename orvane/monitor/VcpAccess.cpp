#include "orvane/monitor/VcpAccess.h"

#include <QDebug>

#include <algorithm>

#include "common/Log.h"
#include "orvane/monitor/CallOnlyThread.h"

namespace orvane {

namespace {
constexpr qint64 kReadLimitMs = 2000;
constexpr qint64 kWriteLimitMs = 1000;
constexpr unsigned long kStepMs = 100;
constexpr unsigned long kFailedReadPauseMs = 300;
constexpr quint32 kNoValue = 0xFFFFFFFF;

// A QThread destroyed while running aborts the process. Workers still inside
// a monitor call when the access object goes (normally at process exit) are
// therefore left to the operating system instead of being deleted.
template <typename Worker>
void ReleaseIfRunning(std::unique_ptr<Worker>& worker)
{
    if (worker && worker->isRunning())
        (void)worker.release();
}
}  // namespace

VcpAccess::VcpAccess(platform::MonitorConfigApi& api)
    : m_api(api),
      m_pGetVcpThread(std::make_unique<clsGetVcpThread>(api)),
      m_pSetVcpThread(std::make_unique<clsSetVcpThread>(api)),
      m_pCapabilitiesLengthThread(std::make_unique<clsCapabilitiesLengthThread>(api))
{
}

VcpAccess::~VcpAccess()
{
    ReleaseIfRunning(m_pGetVcpThread);
    ReleaseIfRunning(m_pSetVcpThread);
    ReleaseIfRunning(m_pCapabilitiesLengthThread);
    for (auto& worker : m_abandoned)
        ReleaseIfRunning(worker);
}

clsGetVcpThread& VcpAccess::GetVcpThread()
{
    return *m_pGetVcpThread;
}

clsSetVcpThread& VcpAccess::SetVcpThread()
{
    return *m_pSetVcpThread;
}

clsCapabilitiesLengthThread& VcpAccess::CapabilitiesLengthThread()
{
    return *m_pCapabilitiesLengthThread;
}

int VcpAccess::AbandonedInFlight() const
{
    // Outside RunGetVcp a running current worker is one that was abandoned.
    const int current = m_pGetVcpThread->isRunning() ? 1 : 0;
    return current + static_cast<int>(std::count_if(m_abandoned.begin(), m_abandoned.end(),
                                                    [](const auto& worker) { return worker->isRunning(); }));
}

void VcpAccess::ReapAbandoned()
{
    m_abandoned.erase(std::remove_if(m_abandoned.begin(), m_abandoned.end(),
                                     [](const auto& worker) { return !worker->isRunning(); }),
                      m_abandoned.end());
}

bool VcpAccess::IsAbandonedInFlight(platform::PhysicalMonitorHandle hPhysicalMonitor) const
{
    return std::any_of(m_abandoned.begin(), m_abandoned.end(), [&](const auto& worker) {
        return worker->isRunning() && worker->m_hPhysicalMonitor == hPhysicalMonitor;
    });
}

void VcpAccess::PrepareGetWorker()
{
    // A worker that was abandoned may still be inside its call and write its
    // late answer; it keeps its own object and the next read gets a new one.
    if (m_pGetVcpThread->isRunning()) {
        const int stop = m_pGetVcpThread->m_bStop;
        m_abandoned.push_back(std::move(m_pGetVcpThread));
        m_pGetVcpThread = std::make_unique<clsGetVcpThread>(m_api);
        m_pGetVcpThread->m_bStop = stop;
        return;
    }
    clsGetVcpThread& worker = *m_pGetVcpThread;
    worker.bResult = 0;
    worker.m_bTimeout = 0;
    worker.m_timer.invalidate();
    worker.m_hPhysicalMonitor = 0;
    worker.m_byCode = 0xFF;
    worker.m_dwCurrent = kNoValue;
    worker.m_dwMax = kNoValue;
}

bool VcpAccess::RunGetVcp(platform::PhysicalMonitorHandle hPhysicalMonitor, quint8 code, quint32& current,
                          quint32& maximum)
{
    qCDebug(lcOrvane) << "Get Vcp Thread Start";
    ReapAbandoned();
    PrepareGetWorker();
    clsGetVcpThread& worker = *m_pGetVcpThread;
    worker.m_hPhysicalMonitor = hPhysicalMonitor;
    worker.m_byCode = code;
    worker.bResult = 0;
    worker.m_bTimeout = 0;
    worker.m_dwCurrent = kNoValue;
    worker.m_dwMax = kNoValue;

    if (IsAbandonedInFlight(hPhysicalMonitor)) {
        // The monitor has not answered an earlier read yet; asking again would
        // only pile up threads behind it. Counts as a timed-out read.
        worker.m_bTimeout = 1;
        current = kNoValue;
        maximum = kNoValue;
        qCDebug(lcOrvane) << "Get Vcp Thread Busy , earlier read still pending, hphysicalMonitor"
                          << reinterpret_cast<void*>(hPhysicalMonitor);
        return false;
    }

    StartCallOnlyThread(worker);
    worker.m_timer.start();
    while (worker.isRunning()) {
        if (worker.m_timer.elapsed() > kReadLimitMs || worker.m_bStop) {
            worker.m_bTimeout = 1;
            {
                std::lock_guard<std::mutex> lock(worker.m_resultLock);
                current = worker.m_dwCurrent;
                maximum = worker.m_dwMax;
            }
            qCDebug(lcOrvane) << "Get Vcp Thread Abort , m_bStop=" << worker.m_bStop;
            return worker.m_bStop != 0;
        }
        // Returns at once when the worker ends, so a read costs the monitor's
        // answer time and not a whole step.
        worker.wait(kStepMs);
    }

    quint32 answered = kNoValue;
    quint32 answeredMax = kNoValue;
    const int result = [&] {
        std::lock_guard<std::mutex> lock(worker.m_resultLock);
        answered = worker.m_dwCurrent;
        answeredMax = worker.m_dwMax;
        return worker.bResult;
    }();
    if (result && answered != kNoValue && answeredMax != kNoValue) {
        current = answered;
        maximum = answeredMax;
        qCDebug(lcOrvane) << "Get Vcp Thread Success , current value=" << current;
        return true;
    }
    QThread::msleep(kFailedReadPauseMs);
    qCDebug(lcOrvane) << "Get Vcp Thread Done. bResult : " << result;
    return false;
}

bool VcpAccess::RunSetVcp(platform::PhysicalMonitorHandle hPhysicalMonitor, quint8 code, quint32 value)
{
    clsSetVcpThread& worker = *m_pSetVcpThread;
    QElapsedTimer watchdog;
    watchdog.start();
    // Waits for the worker within this call's limit; false when the limit
    // passed or a stop was asked (the monitor call itself keeps running).
    // A finished worker's outcome, read under the lock it was published with.
    const auto result = [&]() {
        std::lock_guard<std::mutex> lock(worker.m_resultLock);
        return worker.bResult;
    };
    const auto waitForWorker = [&]() {
        while (worker.isRunning()) {
            if (watchdog.elapsed() > kWriteLimitMs || worker.m_bStop) {
                worker.exit(0);
                return false;
            }
            worker.wait(kStepMs);
        }
        return true;
    };

    // An earlier write that outlived its limit may still be inside its call;
    // the worker is never restarted under it. If it is this very write, it
    // is not made twice: its outcome is this call's. Any other write waits
    // for it and then makes its own call, so it is neither lost nor given
    // the earlier write's result.
    const bool sameWriteOut = worker.isRunning() && worker.m_hPhysicalMonitor == hPhysicalMonitor &&
                              worker.m_byCode == code && worker.m_dwValue == value;
    if (!waitForWorker())
        return worker.m_bStop != 0;
    if (sameWriteOut)
        return result() != 0;

    worker.m_hPhysicalMonitor = hPhysicalMonitor;
    worker.m_byCode = code;
    worker.m_dwValue = value;
    {
        std::lock_guard<std::mutex> lock(worker.m_resultLock);
        worker.bResult = 0;
    }
    StartCallOnlyThread(worker);
    worker.m_timer.start();
    if (!waitForWorker())
        return worker.m_bStop != 0;
    return result() != 0;
}

}  // namespace orvane

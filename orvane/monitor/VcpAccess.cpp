#include "orvane/monitor/VcpAccess.h"

#include <QDebug>

#include <algorithm>

#include "common/Log.h"

namespace orvane {

namespace {
constexpr qint64 kReadLimitMs = 2000;
constexpr qint64 kWriteLimitMs = 1000;
constexpr unsigned long kStepMs = 100;
constexpr unsigned long kFailedReadPauseMs = 300;
constexpr quint32 kNoValue = 0xFFFFFFFF;

// Asks an idle worker's thread to end and waits for it; a worker still inside
// its call is left to finish alone (a QThread destroyed while running aborts
// the process), and the object stays with it.
template <typename Worker>
void RetireWorker(std::unique_ptr<Worker>& worker)
{
    worker->Retire();
    if (worker->CallInFlight())
        (void)worker.release();
    else
        worker->wait();
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
    RetireWorker(m_pGetVcpThread);
    RetireWorker(m_pSetVcpThread);
    // Retired already; those still inside their call are left to finish.
    for (auto& worker : m_abandoned) {
        if (worker->isRunning())
            (void)worker.release();
    }
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
    // Outside RunGetVcp a current worker with a call in flight is one that
    // was abandoned.
    const int current = m_pGetVcpThread->CallInFlight() ? 1 : 0;
    return current + static_cast<int>(std::count_if(m_abandoned.begin(), m_abandoned.end(),
                                                    [](const auto& worker) { return worker->CallInFlight(); }));
}

void VcpAccess::ReapAbandoned()
{
    // A retired worker's thread ends after its call; only then may it go.
    m_abandoned.erase(std::remove_if(m_abandoned.begin(), m_abandoned.end(),
                                     [](const auto& worker) { return worker->isFinished(); }),
                      m_abandoned.end());
}

bool VcpAccess::IsAbandonedInFlight(platform::PhysicalMonitorHandle hPhysicalMonitor) const
{
    return std::any_of(m_abandoned.begin(), m_abandoned.end(), [&](const auto& worker) {
        return worker->CallInFlight() && worker->m_hPhysicalMonitor == hPhysicalMonitor;
    });
}

void VcpAccess::PrepareGetWorker()
{
    // A worker that was abandoned may still be inside its call and write its
    // late answer; it keeps its own object and thread, which ends after that
    // call, and the next read gets a new one.
    if (m_pGetVcpThread->CallInFlight()) {
        const int stop = m_pGetVcpThread->m_bStop;
        m_pGetVcpThread->Retire();
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

    worker.m_handOff.Post(worker);
    worker.m_timer.start();
    while (worker.CallInFlight()) {
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
        // Returns at once when the call returns, so a read costs the
        // monitor's answer time and not a whole step.
        worker.m_handOff.WaitForCall(kStepMs);
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
        while (worker.CallInFlight()) {
            if (watchdog.elapsed() > kWriteLimitMs || worker.m_bStop) {
                worker.exit(0);
                return false;
            }
            worker.m_handOff.WaitForCall(kStepMs);
        }
        return true;
    };

    // An earlier write that outlived its limit may still be inside its call;
    // the worker is never restarted under it. If it is this very write, it
    // is not made twice: its outcome is this call's. Any other write waits
    // for it and then makes its own call, so it is neither lost nor given
    // the earlier write's result.
    const bool sameWriteOut = worker.CallInFlight() && worker.m_hPhysicalMonitor == hPhysicalMonitor &&
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
    worker.m_handOff.Post(worker);
    worker.m_timer.start();
    if (!waitForWorker())
        return worker.m_bStop != 0;
    return result() != 0;
}

}  // namespace orvane

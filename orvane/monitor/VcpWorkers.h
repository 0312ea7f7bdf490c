// The three DDC/CI worker threads. Each call is one monitor call made on the
// worker's own thread; the runners in VcpAccess hand the calls over and
// watch them with a time limit, because a monitor call may block for seconds
// or never return.
#pragma once

#include <QElapsedTimer>
#include <QThread>

#include <mutex>

#include "orvane/monitor/CallHandOff.h"
#include "platform/Platform.h"

namespace orvane {

class VcpAccess;

class clsGetVcpThread : public QThread {
public:
    explicit clsGetVcpThread(platform::MonitorConfigApi& api);

    int bResult = 0;
    int m_bTimeout = 0;
    int m_bStop = 0;
    QElapsedTimer m_timer;
    platform::PhysicalMonitorHandle m_hPhysicalMonitor = 0;
    quint8 m_byCode = 0xFF;
    quint32 m_dwCurrent = 0xFFFFFFFF;
    quint32 m_dwMax = 0xFFFFFFFF;

    // From the runner's hand-over until the monitor call has returned.
    bool CallInFlight() const { return m_handOff.InFlight(); }
    // The thread ends after the call in flight, or at once when idle.
    void Retire() { m_handOff.Retire(); }

protected:
    void run() override;

private:
    friend class VcpAccess;
    void GetVcp();

    platform::MonitorConfigApi& m_api;
    CallHandOff m_handOff;
    // The runner may read the results of a worker it abandoned while the
    // call is still finishing; results are published under this lock. A
    // standard mutex, so that the thread checker sees the hand-over (it
    // cannot see inside Qt's locks or QThread::wait).
    std::mutex m_resultLock;
};

class clsSetVcpThread : public QThread {
public:
    explicit clsSetVcpThread(platform::MonitorConfigApi& api);

    int bResult = 0;
    int m_bStop = 0;
    QElapsedTimer m_timer;
    platform::PhysicalMonitorHandle m_hPhysicalMonitor = 0;
    quint8 m_byCode = 0xFF;
    quint32 m_dwValue = 0xFFFFFFFF;

    bool CallInFlight() const { return m_handOff.InFlight(); }
    void Retire() { m_handOff.Retire(); }

protected:
    void run() override;

private:
    friend class VcpAccess;
    void SetVcp();

    platform::MonitorConfigApi& m_api;
    CallHandOff m_handOff;
    // bResult is published under this lock (see clsGetVcpThread).
    std::mutex m_resultLock;
};

class clsCapabilitiesLengthThread : public QThread {
public:
    explicit clsCapabilitiesLengthThread(platform::MonitorConfigApi& api);

    int bResult = 0;
    int m_bStop = 0;
    QElapsedTimer m_timer;
    platform::PhysicalMonitorHandle m_hPhysicalMonitor = 0;
    quint32 m_dwLength = 0xFFFFFFFF;

protected:
    void run() override;

private:
    platform::MonitorConfigApi& m_api;
};

}  // namespace orvane

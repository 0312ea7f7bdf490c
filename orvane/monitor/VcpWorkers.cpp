#include "orvane/monitor/VcpWorkers.h"

#include <QDebug>

#include "common/Log.h"

namespace orvane {

namespace {
constexpr quint32 MC_SET_PARAMETER = 1;
}

clsGetVcpThread::clsGetVcpThread(platform::MonitorConfigApi& api) : m_api(api) {}

void clsGetVcpThread::run()
{
    m_handOff.Serve([this] { GetVcp(); });
}

void clsGetVcpThread::GetVcp()
{
    platform::PhysicalMonitorHandle handle;
    quint8 code;
    {
        std::lock_guard<std::mutex> lock(m_resultLock);
        handle = m_hPhysicalMonitor;
        code = m_byCode;
    }
    quint32 codeType = MC_SET_PARAMETER;
    quint32 current = 0xFFFFFFFF;
    quint32 maximum = 0xFFFFFFFF;
    // The call may outlive the runner's interest; it writes into locals so a
    // late answer only ever lands in this worker's own fields.
    const int result = m_api.GetVCPFeatureAndVCPFeatureReply(handle, code, &codeType, &current, &maximum);
    {
        std::lock_guard<std::mutex> lock(m_resultLock);
        m_dwCurrent = current;
        m_dwMax = maximum;
        bResult = result;
    }
    qCDebug(lcOrvane) << "Get VCP opcode :" << static_cast<int>(code) << " current value :" << current << " Max Value :"
                      << maximum << " result :" << result << " hphysicalMonitor " << reinterpret_cast<void*>(handle);
}

clsSetVcpThread::clsSetVcpThread(platform::MonitorConfigApi& api) : m_api(api) {}

void clsSetVcpThread::run()
{
    m_handOff.Serve([this] { SetVcp(); });
}

void clsSetVcpThread::SetVcp()
{
    const int result = m_api.SetVCPFeature(m_hPhysicalMonitor, m_byCode, m_dwValue);
    std::lock_guard<std::mutex> lock(m_resultLock);
    bResult = result;
}

clsCapabilitiesLengthThread::clsCapabilitiesLengthThread(platform::MonitorConfigApi& api) : m_api(api) {}

void clsCapabilitiesLengthThread::run()
{
    quint32 length = 0xFFFFFFFF;
    bResult = m_api.GetCapabilitiesStringLength(m_hPhysicalMonitor, &length);
    m_dwLength = length;
}

}  // namespace orvane

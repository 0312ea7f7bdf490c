// Sleep and resume pause and restart the polling; display, work-area and
// device changes are only logged: the next tick's count check picks up
// monitors that came or went.
#include <QDebug>
#include <QTimer>

#include "common/Log.h"
#include "orvane/monitor/VcpAccess.h"
#include "orvane/ui/MainWindow.h"
#include "platform/host/NativeEventGlue.h"

namespace orvane {

void MainWindow::HandleSystemNotice(const platform::SystemNotice& notice)
{
    switch (notice.message) {
    case platform::WM_POWERBROADCAST:
        if (notice.wParam == platform::PBT_APMSUSPEND) {
            if (m_pTimer)
                m_pTimer->stop();
            m_monitors.vcp.CapabilitiesLengthThread().m_bStop = 1;
            qCDebug(lcOrvane) << "**********************************Power Suspend";
        } else if (notice.wParam == platform::PBT_APMRESUMESUSPEND) {
            if (m_pTimer)
                m_pTimer->start();
            m_monitors.vcp.CapabilitiesLengthThread().m_bStop = 0;
            qCDebug(lcOrvane) << "**********************************Power Resume";
        }
        break;
    case platform::WM_SETTINGCHANGE:
        qCDebug(lcOrvane) << "**********************************WM_SETTINGCHANGE";
        if (notice.wParam == platform::SPI_SETWORKAREA)
            qCDebug(lcOrvane) << "**********************************SPI_SETWORKAREA";
        break;
    case platform::WM_DISPLAYCHANGE:
        qCDebug(lcOrvane) << "**********************************Display Change";
        break;
    case platform::WM_DEVICECHANGE:
        qCDebug(lcOrvane) << "**********************************Device Change";
        if (notice.wParam == platform::DBT_DEVICEARRIVAL)
            qCDebug(lcOrvane) << "**********************************DBT_DEVICEARRIVAL";
        else if (notice.wParam == platform::DBT_DEVICEREMOVECOMPLETE)
            qCDebug(lcOrvane) << "**********************************DBT_DEVICEREMOVECOMPLETE";
        break;
    case platform::WM_ENDSESSION:
        // Ends the program the way a close of the window does.
        qCDebug(lcOrvane) << "**********************************End Session";
        if (notice.wParam)
            close();
        break;
    default:
        break;
    }
}

// On Windows the notices arrive as window messages: the glue hands the
// watched ones to the platform's notice source, whose subscriber is
// HandleSystemNotice. Other platforms deliver through the source directly.
bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    Q_UNUSED(result);
    return platform::ForwardNativeEvent(eventType, message);
}

}  // namespace orvane

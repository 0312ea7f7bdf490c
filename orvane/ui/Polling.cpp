// The orientation service: one tick every 2500 ms reads VCP 0xAA of every
// supported monitor and turns the desktops of monitors left in Auto.
#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QSystemTrayIcon>
#include <QTimer>

#include "common/Log.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "orvane/ui/MainWindow.h"

namespace orvane {

namespace {

constexpr int kPollIntervalMs = 2500;
const char* const kLandscapeIcon = "/icon/icon_landscape_64.png";
const char* const kCw90Icon = "/icon/icon_cw90_64.png";
const char* const kCcw90Icon = "/icon/icon_ccw90_64.png";

void* AsPointer(platform::PhysicalMonitorHandle handle)
{
    return reinterpret_cast<void*>(handle);
}

}  // namespace

void MainWindow::CreatePollTimer()
{
    m_pTimer = new QTimer(this);
    // The default coarse timer may fire up to 5 % early or late to share
    // wake-ups; the period is meant from the end of one tick to the next.
    m_pTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pTimer, SIGNAL(timeout()), this, SLOT(slotTimeout()));
    m_pTimer->start(kPollIntervalMs);
}

void MainWindow::SetTrayIconFile(const QString& path)
{
    m_strTrayIconPath = path;
    if (!m_pTrayIcon)
        return;
    const QIcon& picture = m_trayPictures.Picture(path);
    // Every tick names the picture again; handing over the one the tray
    // shows already would only make the tray host draw it anew.
    if (m_pTrayIcon->icon().cacheKey() != picture.cacheKey())
        m_pTrayIcon->setIcon(picture);
}

void MainWindow::ShowStatusUnknown()
{
    m_pStatusAction->setText(tr("Status: "));
    m_pStatusAction->setEnabled(false);
}

void MainWindow::slotTimeout()
{
    m_pTimer->stop();
    qCDebug(lcOrvane) << "Timer start";
    MonitorInventory& inventory = m_monitors.inventory;
    VcpAccess& vcp = m_monitors.vcp;
    qCDebug(lcOrvane) << "Monitor Count Check Start: Monitor Count:" << inventory.m_nSupportedCount;
    if (inventory.CheckMonitorNum()) {
        qCDebug(lcOrvane) << "Monitor Count Changed : Monitor Count:" << inventory.m_nSupportedCount;
        ReloadMonitorInfo();
    }
    const QString dir = QCoreApplication::applicationDirPath();

    if (inventory.m_nSupportedCount < 1) {
        qCDebug(lcOrvane) << "Monitor = 0 Start " << dir + kLandscapeIcon;
        SetTrayIconFile(dir + kLandscapeIcon);
        m_pMonitorAction->setEnabled(false);
        ShowStatusUnknown();
        m_pSettingAction->setEnabled(false);
        qCDebug(lcOrvane) << "Monitor = 0 End ";
    } else {
        for (quint32 i = 0; i < static_cast<quint32>(inventory.m_nSupportedCount); ++i) {
            // A reload inside the loop may have shrunk the list.
            if (static_cast<int>(i) >= m_monitors.monitors.Count())
                break;
            qCDebug(lcOrvane) << "hMonitor " << AsPointer(Monitor(i).hPhysicalMonitor) << " Monitor " << i;
            if (Monitor(i).capabilities) {
                qCDebug(lcOrvane) << "Monitor " << i << " Start Get Pivot info ";
                GetPivotInfo();
                qCDebug(lcOrvane) << "Monitor " << i << " Get Pivot info done";
                if (vcp.m_nFailCountA > 3 && vcp.m_nFailCountB < 3) {
                    ReloadMonitorInfo();
                    vcp.m_nFailCountB += 1;
                    vcp.m_nFailCountA = 0;
                }
                if (i < m_pOrientationMode.size() && static_cast<int>(i) < m_monitors.monitors.Count() &&
                    m_pOrientationMode[i] == 0 && static_cast<quint32>(m_pPivotValue[i]) < 5)
                    ApplyPivotValue(static_cast<int>(i));
            } else {
                qCDebug(lcOrvane) << "Monitor " << i << "DDCCI not supported";
                SetTrayIconFile(dir + kLandscapeIcon);
                ShowStatusUnknown();
            }
        }

        const int k = inventory.m_nCurrentMonitor;
        if (HasCurrentMonitor() && m_pOrientationMode[k] == 0) {
            const quint32 value = static_cast<quint32>(m_pPivotValue[k]);
            if (value >= 5) {
                qCDebug(lcOrvane) << "Monitor " << k << " Get Pivot info failed ,AA value :" << value;
                ShowStatusUnknown();
            } else {
                qCDebug(lcOrvane) << "Monitor " << k << " Get Pivot info success ,AA value :" << value;
                if (value == 2) {
                    m_pStatusAction->setText(QString("Status: CW90") + QChar(0x02DA));
                    SetTrayIconFile(dir + kCw90Icon);
                } else if (value == 4) {
                    m_pStatusAction->setText(QString("Status: CCW90") + QChar(0x02DA));
                    SetTrayIconFile(dir + kCcw90Icon);
                } else {
                    m_pStatusAction->setText("Status: Landscape");
                    SetTrayIconFile(dir + kLandscapeIcon);
                }
                m_pStatusAction->setEnabled(true);
                m_pAutoAction->setEnabled(true);
            }
        }
        m_pMonitorAction->setEnabled(true);
        m_pSettingAction->setEnabled(true);
    }
    qCDebug(lcOrvane) << "Timer end ";
    m_pTimer->start(kPollIntervalMs);
}

bool MainWindow::GetPivotInfo()
{
    bool ok = true;
    VcpAccess& vcp = m_monitors.vcp;
    const quint32 count = static_cast<quint32>(m_monitors.inventory.m_nSupportedCount);
    for (quint32 i = 0; i < count && i < m_pPivotValue.size() && static_cast<int>(i) < m_monitors.monitors.Count();
         ++i) {
        SupportedMonitor& monitor = Monitor(i);
        m_pPivotValue[i] = -1;
        const int value = monitor.ReadOrientation();
        // An abandoned read says nothing about the monitor: no counter moves.
        if (vcp.GetVcpThread().m_bTimeout)
            continue;
        m_pPivotValue[i] = value;
        if (static_cast<quint32>(value) >= 5) {
            vcp.m_nFailCountA += 1;
            if (monitor.capabilities)
                m_pSavedMode[i] = m_pOrientationMode[i];
            ok = false;
            continue;
        }
        vcp.m_nFailCountB = 0;
        vcp.m_nFailCountA = 0;
        if (!monitor.capabilities && m_pSavedMode[i] == 0 && i < count) {
            m_pOrientationMode[i] = 0;
            ApplyPivotValue(static_cast<int>(i));
            m_pAutoAction->setChecked(true);
        }
        monitor.capabilities = true;
        m_pSavedMode[i] = -1;
    }
    return ok;
}

void MainWindow::ApplyPivotValue(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_pPivotValue.size() ||
        index >= m_monitors.monitors.Count())
        return;
    SupportedMonitor& monitor = Monitor(index);
    switch (m_pPivotValue[index]) {
    case 4: monitor.Rotate(platform::DMDO_270); break;
    case 2: monitor.Rotate(platform::DMDO_90); break;
    case 1: monitor.Rotate(platform::DMDO_DEFAULT); break;
    default: break;
    }
}

void MainWindow::ResizeMonitorArrays()
{
    // Modes stay with their ordinal; monitors found anew start in Auto with no
    // saved mode and no reading.
    const auto count = static_cast<std::size_t>(std::max(0, m_monitors.inventory.m_nSupportedCount));
    m_pOrientationMode.resize(count, 0);
    m_pSavedMode.resize(count, -1);
    m_pPivotValue.resize(count, -1);
}

void MainWindow::ReloadMonitorInfo()
{
    MonitorInventory& inventory = m_monitors.inventory;
    qCDebug(lcOrvane) << "Monitor Reload info Start : Monitor Count:" << inventory.m_nSupportedCount;
    m_nMonitorIndex = 0;
    inventory.SelectMonitor(0);
    m_monitors.monitors.ReloadMonitors();
    inventory.SelectMonitor(m_nMonitorIndex);
    qCDebug(lcOrvane) << "Monitor Reload info End : Monitor Count:" << inventory.m_nSupportedCount;
    ResizeMonitorArrays();
    if (inventory.m_nSupportedCount > 0) {
        ReleaseMenus();
        CreateActions();
        CreateMenus();
        InitMonitorSelection();
        UpdateMonitorState();
        m_pTrayIcon->setContextMenu(m_pTrayMenu);
    }
}

}  // namespace orvane

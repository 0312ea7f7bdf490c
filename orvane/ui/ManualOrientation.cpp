// Pinning the current monitor to an orientation, and choosing which monitor
// the tray menu works on.
#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>

#include "common/Log.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/ui/MainWindow.h"

namespace orvane {

void MainWindow::slotSetOrientation()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    qCDebug(lcOrvane) << "manaul rotation";
    // After a reload that found no supported monitor there is nothing to turn.
    if (!HasCurrentMonitor())
        return;
    const int k = m_monitors.inventory.m_nCurrentMonitor;
    SupportedMonitor& monitor = Monitor(k);
    // Known by the mode it carries rather than by identity: the entry may
    // belong to a menu that a reload replaced while it was open.
    const QVariant data = action->data();
    const int mode = data.isValid() ? data.toInt() : -1;
    if (QAction* const current = OrientationAction(mode))
        current->setChecked(true);
    if (mode == 0) {
        ApplyPivotValue(k);
        m_pOrientationMode[k] = 0;
        return;
    }
    // What Landscape (1), CW 90 (2) and CCW 90 (3) ask of the display.
    static constexpr int kRequest[] = {-1, platform::DMDO_DEFAULT, platform::DMDO_90, platform::DMDO_270};
    if (mode >= 1 && mode <= 3) {
        monitor.Rotate(kRequest[mode]);
        m_pOrientationMode[k] = mode;
    }
    SetTrayIconFile(QCoreApplication::applicationDirPath() + "/icon/icon_landscape_64.png");
    ShowStatusUnknown();
}

QAction* MainWindow::OrientationAction(int mode) const
{
    switch (mode) {
    case 0: return m_pAutoAction;
    case 1: return m_pLandscapeAction;
    case 2: return m_pCW90Action;
    case 3: return m_pCCW90Action;
    default: return nullptr;
    }
}

void MainWindow::slotMonitorChanged(int n)
{
    if (n == m_nMonitorIndex)
        return;
    const int count = m_monitors.inventory.m_nSupportedCount;
    if (count <= 0)
        return;
    if (n < count)
        m_nMonitorIndex = n;
    m_monitors.inventory.SelectMonitor(m_nMonitorIndex);
    UpdateMonitorState();
}

void MainWindow::UpdateMonitorState()
{
    if (static_cast<std::size_t>(m_nMonitorIndex) < m_ppMonitorActions.size())
        m_ppMonitorActions[static_cast<std::size_t>(m_nMonitorIndex)]->setChecked(true);
    if (!HasCurrentMonitor())
        return;
    const int k = m_monitors.inventory.m_nCurrentMonitor;
    SupportedMonitor& monitor = Monitor(k);
    const int stored = monitor.orientation;
    if (monitor.valueTable[0].valid) {
        m_pStatusAction->setEnabled(true);
        m_pAutoAction->setEnabled(true);
        if (m_pOrientationMode[k] == 0) {
            m_pAutoAction->setChecked(true);
        } else if (stored == platform::DMDO_270) {
            m_pCCW90Action->setChecked(true);
        } else if (stored == platform::DMDO_90) {
            m_pCW90Action->setChecked(true);
        } else if (stored == platform::DMDO_DEFAULT) {
            m_pLandscapeAction->setChecked(true);
        }
    } else {
        ShowStatusUnknown();
        if (stored == platform::DMDO_270)
            m_pCCW90Action->setChecked(true);
        else if (stored == platform::DMDO_90)
            m_pCW90Action->setChecked(true);
        else
            m_pLandscapeAction->setChecked(true);
    }
}

void MainWindow::InitMonitorSelection()
{
    const int count = m_monitors.inventory.m_nSupportedCount;
    if (count <= 0)
        return;
    if (m_nMonitorIndex < count && static_cast<std::size_t>(m_nMonitorIndex) < m_ppMonitorActions.size()) {
        m_ppMonitorActions[static_cast<std::size_t>(m_nMonitorIndex)]->setChecked(true);
        return;
    }
    qCDebug(lcOrvane) << "shouldn't crash ..";
    if (m_nMonitorIndex != 0) {
        m_nMonitorIndex = 0;
        m_monitors.inventory.SelectMonitor(0);
        UpdateMonitorState();
    }
}

}  // namespace orvane

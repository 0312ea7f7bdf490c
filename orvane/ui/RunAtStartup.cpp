#include "orvane/app/RunAtStartup.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/ui/MainWindow.h"

#include <QAction>

namespace orvane {

void MainWindow::slotRegAddDel(bool checked)
{
    // The elevation prompt's wait may pump the thread's messages.
    const NestedLoopScope scope(*this);
    // The click may come from a menu that a reload replaced while it was open.
    if (m_pRunAtStartupAction)
        m_pRunAtStartupAction->setChecked(checked);
    SetRunAtStartup(m_monitors.platform.System(), m_monitors.inventory.ModulePath(), checked);
}

}  // namespace orvane

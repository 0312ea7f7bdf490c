#include "orvane/app/RunAtStartup.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/ui/MainWindow.h"

namespace orvane {

void MainWindow::slotRegAddDel(bool checked)
{
    // The elevation prompt's wait may pump the thread's messages.
    const NestedLoopScope scope(*this);
    SetRunAtStartup(m_monitors.platform.System(), m_monitors.inventory.ModulePath(), checked);
}

}  // namespace orvane

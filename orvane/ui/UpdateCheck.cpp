#include "orvane/ui/MainWindow.h"
#include "orvane/update/UpdateCheck.h"

namespace orvane {

void MainWindow::slotCheckUpdate()
{
    const NestedLoopScope scope(*this);
    m_updateCheck->Run(m_strSiteUrl);
}

}  // namespace orvane

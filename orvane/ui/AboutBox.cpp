// "About": the versioned program name, each monitor's name with its firmware
// level, and the link to the product site.
#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>

#include "orvane/app/SiteUrls.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/ui/MainWindow.h"

namespace orvane {

QString g_strAboutLink =
    QString("<br / >") + "<a href = \"" + ProductSiteUrl() + "\">" + ProductSiteUrl() + "</a>";

void MainWindow::slotAbout()
{
    const NestedLoopScope scope(*this);
    QMessageBox box;
    box.setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/icon/icon_64.png"));
    box.setWindowTitle(tr("About"));
    QString lines;
    const quint32 count = static_cast<quint32>(std::max(0, m_monitors.inventory.m_nSupportedCount));
    for (quint32 i = 0; i < count && static_cast<int>(i) < m_monitors.monitors.Count(); ++i) {
        SupportedMonitor& monitor = Monitor(static_cast<int>(i));
        // A level whose second byte reads 0xFF (also -1) was not read yet.
        if (((monitor.firmwareLevel >> 8) & 0xFF) == 0xFF)
            monitor.firmwareLevel = monitor.ReadFirmwareLevel();
        const int level = (monitor.firmwareLevel >> 8) & 0xFF;
        const QString line = QString::fromLatin1(monitor.identity.MonitorName()) + " FW version: " + "M" +
                             QString::number(level).rightJustified(3, '0');
        if (i > 0)
            lines += "<br>";
        lines += line;
    }
    box.setText(QString::fromUtf8(g_strAppTitle) + "<br>" + lines + g_strAboutLink);
    m_hooks.execMessageBox(box);
}

}  // namespace orvane

// Time of EnumMonitors plus BuildSupportedList for growing simulated set-ups.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

#include "bench/monitor/BenchSim.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/sim/SimPlatform.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    constexpr int kRounds = 9;
    for (int count : {1, 4, 16}) {
        QTemporaryDir dir;
        const QString path = dir.path() + "/state.json";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QJsonDocument(orvane::bench::Monitors(count, 0)).toJson());
        file.close();
        auto platform = orvane::platform::sim::CreateSimPlatform(path.toStdString(),
                                                                   orvane::platform::CreateHostSystem());
        if (!platform)
            return 1;
        orvane::VcpAccess vcp(platform->MonitorConfig());
        orvane::MonitorInventory inventory(*platform, vcp);
        orvane::SupportedMonitorList list(inventory, vcp, *platform);
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            inventory.EnumMonitors();
            list.BuildSupportedList();
            times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        if (list.Count() != count)
            return 1;
        std::printf("EnumMonitors + BuildSupportedList, %2d simulated monitors (no answer delay): median %.3f ms\n",
                    count, orvane::bench::Median(times));
    }
    return 0;
}

// Median time RunGetVcp adds on top of the monitor's own answer time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

#include "bench/monitor/BenchSim.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/sim/SimPlatform.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    constexpr int kDelayMs = 40;
    constexpr int kReads = 200;
    QTemporaryDir dir;
    const QString path = dir.path() + "/state.json";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QJsonDocument(orvane::bench::Monitors(1, kDelayMs)).toJson());
    file.close();
    auto platform = orvane::platform::sim::CreateSimPlatform(path.toStdString(),
                                                               orvane::platform::CreateHostSystem());
    if (!platform)
        return 1;
    orvane::VcpAccess vcp(platform->MonitorConfig());
    std::vector<double> overhead;
    for (int i = 0; i < kReads; ++i) {
        quint32 current = 0;
        quint32 maximum = 0;
        QElapsedTimer timer;
        timer.start();
        const bool ok = vcp.RunGetVcp(0x101, 0xAA, current, maximum);
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (!ok)
            return 1;
        overhead.push_back(ms - kDelayMs);
    }
    std::printf("RunGetVcp over a %d ms simulated answer, %d reads: median overhead %.3f ms, p90 %.3f ms, max %.3f ms\n",
                kDelayMs, kReads, orvane::bench::Median(overhead), orvane::bench::Percentile(overhead, 0.9),
                orvane::bench::Percentile(overhead, 1.0));
    return 0;
}

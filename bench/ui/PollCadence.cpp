// The polling cadence of the tray program: 20 ticks over simulated monitors,
// each tick's own time and the pause from its end to the next tick's start
// (meant to be 2500 ms). Run with --coarse to see Qt's default timer instead.
// Takes about a minute; prints one line per tick and a summary.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/monitor/BenchSim.h"
#include "common/UserPrompts.h"
#include "orvane/monitor/MonitorContext.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "orvane/ui/MainWindow.h"
#include "platform/sim/SimPlatform.h"

namespace {

constexpr int kTicks = 20;
QElapsedTimer g_clock;
std::vector<double> g_starts;
std::vector<double> g_ends;

double NowMs()
{
    return static_cast<double>(g_clock.nsecsElapsed()) / 1e6;
}

void Stamp(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (message == "Timer start")
        g_starts.push_back(NowMs());
    else if (message == "Timer end ")
        g_ends.push_back(NowMs());
    if (static_cast<int>(g_ends.size()) > kTicks)
        QCoreApplication::quit();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool coarse = argc > 1 && std::strcmp(argv[1], "--coarse") == 0;

    QTemporaryDir dir;
    const QString path = dir.path() + "/state.json";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QJsonDocument(orvane::bench::Monitors(2, 30)).toJson());
    file.close();
    auto platform = orvane::platform::sim::CreateSimPlatform(path.toStdString(), orvane::platform::CreateHostSystem());
    if (!platform)
        return 1;
    g_clock.start();
    qInstallMessageHandler(Stamp);
    orvane::VcpAccess vcp(platform->MonitorConfig());
    orvane::MonitorInventory inventory(*platform, vcp);
    orvane::SupportedMonitorList monitors(inventory, vcp, *platform);
    orvane::MonitorContext context{*platform, vcp, inventory, monitors};

    orvane::WindowHooks hooks;
    hooks.execMessageBox = [](QMessageBox&) { return 0; };
    hooks.exitProcess = [](int) {};
    hooks.prompts = orvane::CreateUserPrompts();
    orvane::MainWindow window(context, hooks);
    if (!window.PollTimer())
        return 1;
    if (coarse)
        window.PollTimer()->setTimerType(Qt::CoarseTimer);
    app.exec();
    qInstallMessageHandler(nullptr);

    std::printf("%s timer, 2 monitors answering in 30 ms\n", coarse ? "coarse" : "precise");
    std::printf("tick  tick ms  end->next start ms  start->start ms  error ms\n");
    std::vector<double> errors;
    for (int i = 0; i < kTicks; ++i) {
        const double tick = g_ends[i] - g_starts[i];
        const double pause = g_starts[i + 1] - g_ends[i];
        const double period = g_starts[i + 1] - g_starts[i];
        errors.push_back(period - (2500.0 + tick));
        std::printf("%4d  %7.1f  %18.1f  %15.1f  %+8.1f\n", i + 1, tick, pause, period, errors.back());
    }
    const auto [lo, hi] = std::minmax_element(errors.begin(), errors.end());
    std::printf("period - (2500 + tick time): min %+.1f ms, max %+.1f ms, median %+.1f ms\n", *lo, *hi,
                orvane::bench::Median(errors));
    return 0;
}

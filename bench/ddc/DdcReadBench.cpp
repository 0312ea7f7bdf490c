// Per-read time and CPU of a VCP read through the real libddcutil against an
// emulated monitor that answers after 0, 40 or 50 ms: the library alone (at
// several sleep multipliers) and the program's whole path (RunGetVcp, the
// worker and the monitor's call thread), whose difference is the program's
// own cost. Runs itself again with the emulation preloaded.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <ddcutil_c_api.h>

#include "orvane/monitor/VcpAccess.h"
#include "platform/linux/DdcMonitorConfig.h"
#include "platform/linux/DdcMonitors.h"
#include "platform/linux/LibDdcutil.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/MonitorDirectory.h"
#include "tests/ddc-emu/EmuSetup.h"

namespace {

using namespace orvane::platform::linuxplatform;

constexpr int kReads = 20;

double CpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct Figures {
    double medianMs;
    double cpuMs;  // per read, the whole process
    bool ok;
};

Figures Measure(const std::function<bool()>& read)
{
    std::vector<double> times;
    bool ok = true;
    const double cpu = CpuMs();
    for (int i = 0; i < kReads; ++i) {
        QElapsedTimer timer;
        timer.start();
        ok = read() && ok;
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double used = (CpuMs() - cpu) / kReads;
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], used, ok};
}

class OneOutput : public OutputSource {
public:
    explicit OneOutput(Edid edid) : m_edid(std::move(edid)) {}
    std::vector<ActiveOutput> ActiveOutputs() override { return {{1, "DP-1", true, m_edid}}; }

private:
    Edid m_edid;
};

}  // namespace

int main(int argc, char** argv)
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "ddc-emu-preload")) {
        ::setenv("LD_PRELOAD", ORVANE_DDC_EMU_PRELOAD, 1);
        ::execv("/proc/self/exe", argv);
        std::perror("bench_ddc_read: cannot run again with the emulation");
        return 1;
    }
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QTemporaryDir dir;
    orvane::ddcemu::MonitorSpec spec;
    orvane::ddcemu::Emulation emulation(dir.path().toStdString(), {spec});
    ::setenv("ORVANE_DDC_EMU", emulation.StateFile().c_str(), 1);
    orvane::ddcemu::MonitorState& monitor = emulation.Monitor(0);

    // The library on its own, on this thread.
    ddca_set_fout(nullptr);
    DDCA_Display_Info_List* list = nullptr;
    ddca_get_display_info_list2(false, &list);
    DDCA_Display_Handle raw = nullptr;
    if (!list || list->ct != 1 || ddca_open_display2(list->info[0].dref, false, &raw) != 0) {
        std::fprintf(stderr, "bench_ddc_read: the emulated monitor was not found\n");
        return 1;
    }
    const auto rawRead = [&] {
        DDCA_Non_Table_Vcp_Value value{};
        return ddca_get_non_table_vcp_value(raw, 0xAA, &value) == 0 && value.sl == 1;
    };

    // The program's path: its platform objects over the same library.
    auto library = CreateLibDdcutil();
    DdcMonitors ddc(*library);
    MonitorDirectory directory;
    const auto edid = orvane::ddcemu::BuildEdid(spec);
    OneOutput outputs(Edid(edid.begin(), edid.end()));
    MonitorDevices devices(outputs, ddc, directory);
    DdcMonitorConfig config(devices, ddc);
    std::vector<orvane::platform::PhysicalMonitor> found;
    if (!config.GetPhysicalMonitorsFromHMONITOR(1, 1, found) || found.size() != 1) {
        std::fprintf(stderr, "bench_ddc_read: the program's platform found no monitor\n");
        return 1;
    }
    orvane::VcpAccess vcp(config);
    const auto programRead = [&] {
        quint32 current = 0;
        quint32 maximum = 0;
        return vcp.RunGetVcp(found[0].handle, 0xAA, current, maximum) && current == 1;
    };

    std::printf("VCP 0xAA reads against an emulated monitor, median of %d (CPU: whole process per read)\n", kReads);
    std::printf("%-6s %-28s %10s %10s %10s\n", "delay", "path", "time ms", "CPU ms", "requests");
    for (const unsigned delay : {0u, 40u, 50u}) {
        monitor.delayMs = delay;
        for (const double multiplier : {1.0, 0.5, 0.0}) {
            ddca_set_sleep_multiplier(multiplier);
            const std::uint32_t requests = monitor.requests;
            const Figures f = Measure(rawRead);
            char path[64];
            std::snprintf(path, sizeof path, "libddcutil, multiplier %.1f", multiplier);
            std::printf("%-6u %-28s %10.1f %10.2f %10.1f%s\n", delay, path, f.medianMs, f.cpuMs,
                        double(monitor.requests - requests) / kReads, f.ok ? "" : "  (failed reads)");
        }
        ddca_set_sleep_multiplier(1.0);
        const Figures library1 = Measure(rawRead);
        const std::uint32_t requests = monitor.requests;
        const Figures program = Measure(programRead);
        std::printf("%-6u %-28s %10.1f %10.2f %10.1f%s\n", delay, "program (RunGetVcp)", program.medianMs,
                    program.cpuMs, double(monitor.requests - requests) / kReads, program.ok ? "" : "  (failed reads)");
        std::printf("%-6u %-28s %10.1f %10.2f\n", delay, "program overhead", program.medianMs - library1.medianMs,
                    program.cpuMs - library1.cpuMs);
    }
    return 0;
}

// Per-read time and CPU of a VCP read through the real libddcutil against an
// emulated monitor that answers after 0, 40 or 50 ms: the library alone (at
// several sleep multipliers) and the program's whole path (RunGetVcp, the
// worker and the monitor's call thread), whose difference is the program's
// own cost. Creates the monitor in a folder below /tmp, then runs itself
// again with the emulation preloaded.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <vector>

#include <ddcutil_c_api.h>

#include "orvane/monitor/VcpAccess.h"
#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/ddc/LibDdcutil.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/LinuxRegistry.h"
#include "tests/ddc-emu/EmuSetup.h"

namespace {

using namespace orvane::platform;
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
    // The library is loaded with this program and looks at the buses at once,
    // so the monitors exist and the interposer is in place before it starts.
    const char* preload = std::getenv("LD_PRELOAD");
    orvane::ddcemu::EmulatedMonitor setup;
    if (!preload || !std::strstr(preload, "ddc-emu-preload")) {
        char folder[] = "/tmp/bench-ddc-XXXXXX";
        if (!::mkdtemp(folder))
            return 1;
        orvane::ddcemu::Emulation emulation(folder, {setup});
        ::setenv("ORVANE_DDC_EMU", emulation.StateFile().c_str(), 1);
        ::setenv("LD_PRELOAD", ORVANE_DDC_EMU_PRELOAD, 1);
        ::execv("/proc/self/exe", argv);
        std::perror("bench_ddc_read: cannot run again with the emulation");
        return 1;
    }
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const std::string stateFile = std::getenv("ORVANE_DDC_EMU");
    orvane::ddcemu::Emulation emulation(stateFile);
    if (!emulation.Ok())
        return 1;
    orvane::ddcemu::MonitorState& monitor = emulation.Monitor(0);
    const unsigned delays[] = {0, 40, 50};

    std::printf("VCP 0xAA reads against an emulated monitor, median of %d (CPU: whole process per read)\n", kReads);
    std::printf("%-6s %-28s %10s %10s %10s\n", "delay", "path", "time ms", "CPU ms", "requests");
    const auto print = [&](unsigned delay, const char* path, const Figures& f, double requests) {
        std::printf("%-6u %-28s %10.1f %10.2f %10.1f%s\n", delay, path, f.medianMs, f.cpuMs, requests,
                    f.ok ? "" : "  (failed reads)");
    };

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
    std::vector<Figures> library;
    for (const unsigned delay : delays) {
        monitor.delayMs = delay;
        for (const double multiplier : {1.0, 0.5, 0.0}) {
            ddca_set_sleep_multiplier(multiplier);
            const std::uint32_t requests = monitor.requests;
            const Figures f = Measure(rawRead);
            if (multiplier == 1.0)
                library.push_back(f);
            char path[64];
            std::snprintf(path, sizeof path, "libddcutil, multiplier %.1f", multiplier);
            print(delay, path, f, double(monitor.requests - requests) / kReads);
        }
    }
    ddca_set_sleep_multiplier(1.0);
    ddca_close_display(raw);  // the library lets one handle at a time open a display

    // The program's path: its platform objects over the same library.
    auto ddcLibrary = CreateLibDdcutil();
    DdcMonitors ddc(*ddcLibrary);
    LinuxRegistry directory;
    const auto edid = orvane::ddcemu::BuildEdid(setup);
    OneOutput outputs(Edid(edid.begin(), edid.end()));
    MonitorDevices devices(outputs, ddc, directory);
    LinuxMonitorConfig config(devices, ddc);
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
    for (std::size_t i = 0; i < std::size(delays); ++i) {
        monitor.delayMs = delays[i];
        const std::uint32_t requests = monitor.requests;
        const Figures program = Measure(programRead);
        print(delays[i], "program (RunGetVcp)", program, double(monitor.requests - requests) / kReads);
        std::printf("%-6u %-28s %10.1f %10.2f\n", delays[i], "program overhead", program.medianMs - library[i].medianMs,
                    program.cpuMs - library[i].cpuMs);
    }
    const std::string folder = stateFile.substr(0, stateFile.rfind('/'));
    QDir(QString::fromStdString(folder)).removeRecursively();
    return 0;
}

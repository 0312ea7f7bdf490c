// The project's Linux monitor access (libddcutil through LibDdcutil,
// DdcMonitors, the EDID join to DRM connectors) against emulated monitors on
// the I2C bus. The test process runs with the interposer preloaded; the
// fixture creates the monitors and points the interposer at them before the
// library is loaded.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/ddc/LibDdcutil.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/LinuxRegistry.h"
#include "support/TestSupport.h"
#include "tests/ddc-emu/EmuSetup.h"

namespace orvane::ddcemu {

// The display outputs as the kernel lists its connectors (what a session
// without EDIDs of its own, such as Xvfb, falls back to).
class DrmOutputs : public platform::linuxplatform::OutputSource {
public:
    std::vector<platform::linuxplatform::ActiveOutput> ActiveOutputs() override
    {
        std::vector<platform::linuxplatform::ActiveOutput> outputs;
        for (const auto& connector : platform::linuxplatform::ReadDrmConnectors()) {
            platform::linuxplatform::ActiveOutput output;
            output.handle = outputs.size() + 1;
            output.name = connector.name;
            output.primary = outputs.empty();
            output.edid = connector.edid;
            outputs.push_back(output);
        }
        return outputs;
    }
};

inline std::vector<EmulatedMonitor> Monitors(int count)
{
    std::vector<EmulatedMonitor> monitors;
    for (int i = 0; i < count; ++i) {
        EmulatedMonitor setup;
        setup.bus = 3 + 2 * i;
        setup.connector = "DP-" + std::to_string(i + 1);
        setup.serial = "SN000" + std::to_string(i + 1);
        setup.product = 0x4F10 + unsigned(i);
        setup.features[0xAA] = {std::uint16_t(1 + i), 4};  // each monitor answers with its own value
        monitors.push_back(setup);
    }
    return monitors;
}

class Wire {
public:
    explicit Wire(const std::vector<EmulatedMonitor>& monitors)
        : emulation(test::MakeScratchDir("ddc-emu").toStdString(), monitors)
    {
        ::setenv("ORVANE_DDC_EMU", emulation.StateFile().c_str(), 1);
        // The library detects once per process; a later set of monitors needs
        // a second detection, which a second Detect call of a library asks for.
        static int sets = 0;
        if (sets++ > 0)
            library->Detect();
    }

    // Whether the interposer is in this process; without it libddcutil
    // would look at the machine's real buses.
    static bool Preloaded()
    {
        const char* preload = std::getenv("LD_PRELOAD");
        return preload && std::string(preload).find("ddc-emu-preload") != std::string::npos;
    }

    // The physical-monitor handles of every output, in output order.
    std::vector<platform::PhysicalMonitorHandle> Handles()
    {
        std::vector<platform::PhysicalMonitorHandle> handles;
        for (const auto& output : outputs.ActiveOutputs()) {
            std::uint32_t count = 0;
            config.GetNumberOfPhysicalMonitorsFromHMONITOR(output.handle, &count);
            std::vector<platform::PhysicalMonitor> found;
            if (count && config.GetPhysicalMonitorsFromHMONITOR(output.handle, count, found)) {
                for (const auto& monitor : found)
                    handles.push_back(monitor.handle);
            }
        }
        return handles;
    }

    Emulation emulation;
    std::unique_ptr<platform::linuxplatform::DdcLibrary> library{platform::linuxplatform::CreateLibDdcutil()};
    platform::linuxplatform::DdcMonitors ddc{*library};
    platform::linuxplatform::LinuxRegistry directory;
    DrmOutputs outputs;
    platform::linuxplatform::MonitorDevices devices{outputs, ddc, directory};
    platform::linuxplatform::LinuxMonitorConfig config{devices, ddc};
};

#define REQUIRE_PRELOAD()                                                                      \
    if (!::orvane::ddcemu::Wire::Preloaded())                                                  \
    GTEST_SKIP() << "run through ctest: the emulated monitors need the interposer preloaded"

}  // namespace orvane::ddcemu

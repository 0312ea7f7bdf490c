// Simulation descriptions (JSON files a user or a harness writes, and which
// orvane-sim and the program rewrite): read and parsed, then walked through
// the seam as the monitor inventory walks a platform, down to each monitor's
// identity from the simulated registry, and the first display turned.
#include "fuzz/support/FuzzSupport.h"
#include "orvane/monitor/MonitorIdentity.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane::platform;
    const std::string path = orvane::fuzz::WriteScratchFile("sim.json", data, size).toStdString();
    std::string error;
    const auto store = sim::SimStore::Open(path, &error);
    if (!store)
        return 0;
    sim::ResolveMonitor(store->Snapshot()->root, "#0x101");
    sim::ResolveMonitor(store->Snapshot()->root, "1");

    const auto platform = sim::CreateSimPlatform(path, nullptr);
    orvane::fuzz::Check(platform != nullptr, "a parsed description makes a platform");
    DisplayApi& display = platform->Display();
    display.MonitorFromPoint(0, 0);
    display.EnumDisplayMonitors([&](DisplayHandle handle) {
        DisplayInfo info;
        if (!display.GetMonitorInfo(handle, info))
            return true;
        DisplayDevice device;
        for (std::uint32_t i = 0; display.EnumDisplayDevices(&info.deviceName, i, device); ++i)
            orvane::MonitorIdentity(device.deviceId, platform->Registry());
        DisplaySettings settings;
        for (std::int32_t mode = ENUM_REGISTRY_SETTINGS; display.EnumDisplaySettings(info.deviceName, mode, settings);
             ++mode) {
        }
        // A turn, which the simulation writes back into the description.
        settings.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT;
        settings.orientation = DMDO_90;
        settings.pelsWidth = 1080;
        settings.pelsHeight = 1920;
        display.ChangeDisplaySettingsEx(info.deviceName, settings, CDS_UPDATEREGISTRY);
        return false;
    });
    return 0;
}

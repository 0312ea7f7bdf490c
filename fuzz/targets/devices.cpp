// The monitors a session shows and those the DDC/CI library detects, as the
// Linux platform joins them by EDID: the outputs (names, EDIDs as the server
// gives them) and the library's displays (EDIDs as read over the bus, model
// names, VCP replies, capability texts) come from the input, EDIDs from a
// small pool so that they meet. Each DDC/CI display is joined to one output
// at most, and each physical monitor answers with its own display's value.
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <sched.h>

#include "fuzz/support/DisplayDecoding.h"
#include "fuzz/support/FuzzSupport.h"
#include "orvane/monitor/MonitorIdentity.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/ddc/MonitorMatching.h"

namespace {

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::fuzz::FuzzInput;

class ScriptedOutputs : public OutputSource {
public:
    std::vector<ActiveOutput> ActiveOutputs() override { return outputs; }
    std::vector<ActiveOutput> outputs;
};

class ScriptedLibrary : public DdcLibrary {
public:
    std::string Unavailable() override { return {}; }
    std::vector<DdcDisplayRecord> Detect() override { return displays; }
    DdcOpenHandle Open(std::size_t index) override { return index < displays.size() ? index + 1 : 0; }
    bool GetVcp(DdcOpenHandle handle, std::uint8_t, std::uint16_t& current, std::uint16_t& maximum) override
    {
        current = values.at(handle - 1);
        maximum = 4;
        return true;
    }
    bool SetVcp(DdcOpenHandle, std::uint8_t, std::uint16_t) override { return true; }
    std::optional<std::string> Capabilities(DdcOpenHandle handle) override { return displays.at(handle - 1).model; }

    std::vector<DdcDisplayRecord> displays;
    std::vector<std::uint16_t> values;
};

// The process's threads now (field 20 of /proc/self/stat).
long ThreadCount()
{
    std::ifstream stat("/proc/self/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 20 && fields >> field; ++i) {
    }
    return std::atol(field.c_str());
}

// Each monitor's call thread is detached and ends on its own once the
// monitors are gone: until it has, what it holds looks leaked to libFuzzer,
// which would then check the whole heap for leaks after every input.
struct ThreadsEnded {
    long before = ThreadCount();
    ~ThreadsEnded()
    {
        for (int spins = 0; spins < 100000 && ThreadCount() > before; ++spins)
            sched_yield();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using orvane::fuzz::Check;
    const ThreadsEnded threadsEnded;
    FuzzInput in(data, size);
    std::vector<Edid> pool(3);
    for (Edid& edid : pool) {
        const std::string bytes = in.Text(160);
        edid.assign(bytes.begin(), bytes.end());
    }
    pool.push_back({});
    ScriptedOutputs outputs;
    for (std::uint32_t n = in.Below(4); n > 0; --n) {
        ActiveOutput output;
        output.handle = outputs.outputs.size() + 1;
        output.name = orvane::fuzz::ConnectorName(in);
        output.primary = in.Bool();
        output.edid = pool[in.Below(4)];
        outputs.outputs.push_back(output);
    }
    ScriptedLibrary library;
    for (std::uint32_t n = in.Below(5); n > 0; --n) {
        DdcDisplayRecord display;
        display.edid = pool[in.Below(4)];
        display.model = in.Text(16);
        library.displays.push_back(display);
        library.values.push_back(in.Integral<std::uint16_t>());
    }

    std::vector<Edid> outputEdids;
    for (const auto& output : outputs.outputs)
        outputEdids.push_back(output.edid);
    const auto matches = MatchDisplaysToOutputs(outputEdids, library.displays);
    std::map<std::size_t, int> joined;
    for (const auto& indices : matches) {
        for (std::size_t index : indices)
            Check(index < library.displays.size() && ++joined[index] == 1, "each display joined once");
    }

    LinuxRegistry registry;
    DdcMonitors ddc(library);
    MonitorDevices devices(outputs, ddc, registry);
    devices.Adapters();
    for (std::size_t o = 0; o < outputs.outputs.size(); ++o) {
        for (const DisplayDevice& device : devices.DevicesOf(outputs.outputs[o].name))
            orvane::MonitorIdentity(device.deviceId, registry);
        const std::vector<PhysicalMonitor> physical = devices.PhysicalOf(outputs.outputs[o].handle);
        Check(physical.size() == matches[o].size(), "the output's own displays");
        for (std::size_t k = 0; k < physical.size(); ++k) {
            std::uint32_t current = 0;
            std::uint32_t length = 0;
            Check(ddc.GetVcp(physical[k].handle, 0xAA, nullptr, &current, nullptr) == 1, "a joined monitor answers");
            Check(current == library.values[matches[o][k]], "its own display's value");
            ddc.CapabilitiesLength(physical[k].handle, &length);
        }
    }
    return 0;
}

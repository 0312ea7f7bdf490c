// Monitors' EDIDs as the Linux platform records them (from the kernel or the
// DDC/CI library, per connector), looked up again by each monitor's device
// ID as the monitor identity does, and the model code of what it found. A
// monitor whose EDID names a model must be found with that EDID.
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzSupport.h"
#include "orvane/monitor/ModelCode.h"
#include "orvane/monitor/MonitorIdentity.h"
#include "platform/linux/LinuxRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    using namespace orvane::platform;
    static const char* const kConnectors[] = {"DP-1", "HDMI-A-1", "eDP-1"};
    fuzz::FuzzInput in(data, size);
    linuxplatform::LinuxRegistry registry;
    std::vector<std::pair<std::string, Edid>> recorded;
    // A few records reach every case of three connectors; thousands of tiny
    // ones per input would only slow the campaign down.
    while (in.Remaining() > 0 && recorded.size() < 8) {
        const std::string connector = kConnectors[in.Below(3)];
        const std::uint16_t length = in.Integral<std::uint16_t>() % 384;
        Edid edid;
        for (std::uint16_t i = 0; i < length && in.Remaining() > 0; ++i)
            edid.push_back(in.Integral<std::uint8_t>());
        recorded.emplace_back(registry.Record(connector, edid), edid);
    }
    for (const auto& [deviceId, edid] : recorded) {
        const MonitorIdentity identity(deviceId, registry);
        ModelCodeOfEdid(identity.Edid());
        MonitorIdentity parsed;
        parsed.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), int(edid.size())));
        if (const auto model = ModelCodeOfEdid(parsed.Edid()))
            fuzz::Check(ParseModelCode(ModelCodeText(*model)) == model, "model code read back");
    }
    // The monitor recorded last is found with its own EDID.
    if (!recorded.empty() && !edid::ModelId(recorded.back().second).empty()) {
        const auto& [deviceId, edid] = recorded.back();
        const QByteArray base(reinterpret_cast<const char*>(edid.data()), int(edid::kBaseBlockSize));
        fuzz::Check(MonitorIdentity(deviceId, registry).Edid() == base, "the recorded EDID is found by its device ID");
    }
    return 0;
}

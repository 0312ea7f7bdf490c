// The DDC/CI library as the Linux layer uses it: detect the monitors that
// answer DDC/CI, open one, read and write VCP features. The real one is
// libddcutil; tests put a fake behind this interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

struct DdcDisplayRecord {
    Edid edid;          // base block of the monitor's EDID as read over the I2C bus
    std::string model;  // model name from the EDID, for the physical-monitor description
    int i2cBus = -1;
};

// An opened display of the library; 0 is none.
using DdcOpenHandle = std::uintptr_t;

class DdcLibrary {
public:
    virtual ~DdcLibrary() = default;
    // Why no monitor can be reached over DDC/CI at all (no library, no I2C
    // devices, no permission); empty when detection may find some.
    virtual std::string Unavailable() = 0;
    // What Unavailable() says, with its kind; fault None when it says nothing.
    virtual DdcAccessReport UnavailableReport()
    {
        const std::string problem = Unavailable();
        return {problem.empty() ? DdcAccessFault::None : DdcAccessFault::NoDdcLibrary, problem};
    }
    // Detects the displays. A later call detects again, which invalidates
    // every handle opened before.
    virtual std::vector<DdcDisplayRecord> Detect() = 0;
    // Opens display index of the last detection.
    virtual DdcOpenHandle Open(std::size_t index) = 0;
    // The calls below may come from any thread, one at a time per handle.
    virtual bool GetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t& current, std::uint16_t& maximum) = 0;
    virtual bool SetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t value) = 0;
    virtual std::optional<std::string> Capabilities(DdcOpenHandle handle) = 0;
};

}  // namespace orvane::platform::linuxplatform
